#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dialect/UDBLogon.h"

class TSettingsStore;

class TDB2DBLogonOption : public TDBLogonOption {
public:
  TDB2DBLogonOption() : TDBLogonOption("DB2") {}
  bool Validate() override;
  std::string GetCmdLine() override;
  void LoadFromConnection(const TUniConnection& connection) override;
  void ApplyToConnection(TUniConnection& connection) override;
  void LoadFromParams(const TStringList& params) override;

  std::string Username, Password;
  std::string Server;  // the database name or catalogued alias
  std::string Protocol = "Standard";  // "TCPIP" or "Standard"
  std::string Hostname, Port;
};

class TDB2DBLogon : public TDBLogon {
public:
  std::unique_ptr<TDBLogonOption> CreateLogonOption() override { return std::make_unique<TDB2DBLogonOption>(); }
  // Fails with NoDB2DriverMessage, before any connect, when no DB2 driver is registered.
  bool LogonByParams(const TStringList& params) override;
  // Runs a test query; when that fails, a connection that can be opened still passes.
  // Otherwise the error goes to ShowMessage (when set) and the answer is false.
  bool TestConnection() override;
  std::function<void(const std::string&)> ShowMessage;
};

// The environment variable a command-line logon takes the DB2 password from when
// neither "db2_password" nor "password" gives one: it stays out of the process list.
extern const char* const DB2PasswordVariable;
extern const char* const NoDB2DriverMessage;

// The installed ODBC driver names, sorted without regard to case.
std::vector<std::string> ListOdbcDrivers();
// The first of the drivers whose name begins with "IBM DB2" or "IBM DATA SERVER", or "".
std::string FindDB2OdbcDriver(const std::vector<std::string>& sortedDrivers);
std::string FindDB2OdbcDriver();
// The server text of a DB2 connection: Driver, Database, Protocol, Hostname and Port items.
std::string BuildDB2ServerText(const std::string& driver, const std::string& database, const std::string& protocol,
                               const std::string& hostname, const std::string& port);

// One stored DB2 logon of the per-user store.
struct TDB2StoredLogon {
  std::string Server, Protocol, Hostname, Port, Username;
  bool SavePassword = false;
  std::string Password;  // read only when SavePassword is on
};

extern const char* const DB2ListKey;
// Remembers a logon after a successful connect; the password only when asked to.
void SaveDB2Logon(TSettingsStore& store, const TDB2StoredLogon& logon);
// The stored database names ("LastTime" is never one).
std::vector<std::string> ListStoredDB2Logons(const TSettingsStore& store);
std::string LastDB2Server(const TSettingsStore& store);
TDB2StoredLogon LoadStoredDB2Logon(const TSettingsStore& store, const std::string& server);
