#pragma once

#include <memory>
#include <string>

#include "base/UStrings.h"

class TUniConnection;

// The parameters of one logon: checked, written as command-line text, read from and
// applied to a connection, read from the command-line parameters.
class TDBLogonOption {
public:
  explicit TDBLogonOption(std::string dbType) : DBType(std::move(dbType)) {}
  virtual ~TDBLogonOption() = default;

  virtual bool Validate() = 0;
  virtual std::string GetCmdLine() = 0;
  virtual void LoadFromConnection(const TUniConnection& connection) = 0;
  virtual void ApplyToConnection(TUniConnection& connection) = 0;
  virtual void LoadFromParams(const TStringList& params) = 0;

  const std::string DBType;  // "Sqlite" or "DB2", written after source_db_type= / dest_db_type=
  std::string ErrorMessage;  // why the last Validate failed
  // False: GetCmdLine leaves the password out, and the run takes it from its
  // environment (a batch file that holds no secret).
  bool PasswordInCmdLine = true;
};

// The value of a command-line key, trimmed; the generic key is asked only when the
// prefixed one gives nothing.
std::string ParamWithFallback(const TStringList& params, const std::string& key, const std::string& fallbackKey);

// A command-line value as a batch file must write it: in double quotes, with embedded
// double quotes doubled, when it holds a blank or a double quote; else as it is.
std::string QuoteCmdLineValue(const std::string& value);

// How one kind of database logs on.
class TDBLogon {
public:
  virtual ~TDBLogon() = default;

  virtual void AfterLogon() {}
  virtual std::unique_ptr<TDBLogonOption> CreateLogonOption() = 0;
  // True when the connection may be used for a run.
  virtual bool TestConnection() = 0;

  void SetConnection(TUniConnection* connection) { Connection = connection; }
  TUniConnection* GetConnection() const { return Connection; }

  void FillLogonOption(TDBLogonOption& option);
  // Logs on with the command-line parameters; true when the connection is open. A
  // connect error propagates: its message is the database's own.
  virtual bool LogonByParams(const TStringList& params);
  virtual void Logoff();
  virtual bool IsConnected() const;

protected:
  TUniConnection* Connection = nullptr;
};
