#include "db2/UDB2DBLogon.h"

#include <algorithm>
#include <cstdlib>

#include "base/USettingsStore.h"
#include "dac/UDataAccess.h"

const char* const DB2ListKey = "Software\\quillmark\\DB2List";
const char* const DB2PasswordVariable = "FERROVAN_DB2_PASSWORD";
const char* const NoDB2DriverMessage =
    "No DB2 ODBC driver is registered: the ODBC driver manager lists no driver whose name begins with "
    "\"IBM DB2\" or \"IBM DATA SERVER\" (see odbcinst.ini).";

bool TDB2DBLogonOption::Validate() {
  if (Username.empty())
    ErrorMessage = "Please enter Username.";
  else if (Password.empty())
    ErrorMessage = "Please enter Password.";
  else if (Server.empty())
    ErrorMessage = "Please choose/enter Server.";
  else
    return true;
  return false;
}

std::string TDB2DBLogonOption::GetCmdLine() {
  std::string password = PasswordInCmdLine ? " db2_password=" + QuoteCmdLineValue(Password) : "";
  return " db2_username=" + QuoteCmdLineValue(Username) + password + " db2_server=" + QuoteCmdLineValue(Server) +
         " db2_protocol=" + QuoteCmdLineValue(Protocol) + " db2_hostname=" + QuoteCmdLineValue(Hostname) +
         " db2_port=" + QuoteCmdLineValue(Port);
}

void TDB2DBLogonOption::LoadFromConnection(const TUniConnection& connection) {
  Username = connection.Username;
  Password = connection.Password;
  TStringList items;
  items.SetDelimitedText(connection.Server, ';', '"', false);
  Server = items.Values("Database");
  Protocol = items.Values("Protocol");
  Hostname = items.Values("Hostname");
  Port = items.Values("Port");
}

void TDB2DBLogonOption::ApplyToConnection(TUniConnection& connection) {
  connection.Username = Username;
  connection.Password = Password;
  connection.Server = BuildDB2ServerText(FindDB2OdbcDriver(), Server, Protocol, Hostname, Port);
}

void TDB2DBLogonOption::LoadFromParams(const TStringList& params) {
  Username = ParamWithFallback(params, "db2_username", "username");
  Password = ParamWithFallback(params, "db2_password", "password");
  if (Password.empty())
    if (const char* fromEnvironment = std::getenv(DB2PasswordVariable)) Password = fromEnvironment;
  Server = ParamWithFallback(params, "db2_server", "server");
  Protocol = ParamWithFallback(params, "db2_protocol", "protocol");
  if (Protocol.empty()) Protocol = "Standard";
  Hostname = ParamWithFallback(params, "db2_hostname", "hostname");
  Port = ParamWithFallback(params, "db2_port", "port");
}

bool TDB2DBLogon::LogonByParams(const TStringList& params) {
  if (FindDB2OdbcDriver().empty()) throw EDatabaseError(NoDB2DriverMessage);
  return TDBLogon::LogonByParams(params);
}

bool TDB2DBLogon::TestConnection() {
  try {
    if (!Connection->Connected()) Connection->Connect();
    TUniQuery query(Connection);
    query.SQL = "select current time from (values 1) as test";
    query.Execute();
    return true;
  } catch (const std::exception&) {
  }
  try {
    Connection->Connect();
    return true;
  } catch (const std::exception& e) {
    if (ShowMessage) ShowMessage(ExceptionMessage(e));
    return false;
  }
}

std::vector<std::string> ListOdbcDrivers() {
  std::vector<std::string> drivers = ListOdbcDriverNames();
  std::stable_sort(drivers.begin(), drivers.end(),
                   [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  return drivers;
}

std::string FindDB2OdbcDriver(const std::vector<std::string>& sortedDrivers) {
  for (const auto& name : sortedDrivers)
    if (name.rfind("IBM DB2", 0) == 0 || name.rfind("IBM DATA SERVER", 0) == 0) return name;
  return "";
}

std::string FindDB2OdbcDriver() { return FindDB2OdbcDriver(ListOdbcDrivers()); }

std::string BuildDB2ServerText(const std::string& driver, const std::string& database, const std::string& protocol,
                               const std::string& hostname, const std::string& port) {
  return "Driver=" + driver + ";Database=" + database + ";Protocol=" + protocol + ";Hostname=" + hostname +
         ";Port=" + port;
}

void SaveDB2Logon(TSettingsStore& store, const TDB2StoredLogon& logon) {
  store.WriteString(DB2ListKey, "LastServer", logon.Server);
  std::string key = std::string(DB2ListKey) + "\\" + logon.Server;
  store.WriteString(key, "Server", logon.Server);
  store.WriteString(key, "Protocol", logon.Protocol);
  store.WriteString(key, "Hostname", logon.Hostname);
  store.WriteString(key, "Port", logon.Port);
  store.WriteString(key, "Username", logon.Username);
  store.WriteBool(key, "Save Password", logon.SavePassword);
  // Turning the box off leaves an old password in place; it is no longer read.
  if (logon.SavePassword) store.WriteString(key, "Password", logon.Password);
}

std::vector<std::string> ListStoredDB2Logons(const TSettingsStore& store) {
  std::vector<std::string> names = store.GetKeyNames(DB2ListKey);
  std::erase_if(names, [](const std::string& n) { return n == "LastTime"; });
  return names;
}

std::string LastDB2Server(const TSettingsStore& store) { return store.ReadString(DB2ListKey, "LastServer"); }

TDB2StoredLogon LoadStoredDB2Logon(const TSettingsStore& store, const std::string& server) {
  std::string key = std::string(DB2ListKey) + "\\" + server;
  TDB2StoredLogon logon;
  logon.Server = store.ReadString(key, "Server");
  logon.Protocol = store.ReadString(key, "Protocol");
  logon.Hostname = store.ReadString(key, "Hostname");
  logon.Port = store.ReadString(key, "Port");
  logon.Username = store.ReadString(key, "Username");
  logon.SavePassword = store.ReadBool(key, "Save Password");
  if (logon.SavePassword) logon.Password = store.ReadString(key, "Password");
  return logon;
}
