#pragma once

#include <string>

#include "dialect/UDBLogon.h"

class TSqliteDBLogonOption : public TDBLogonOption {
public:
  TSqliteDBLogonOption() : TDBLogonOption("Sqlite") {}
  bool Validate() override;
  std::string GetCmdLine() override;
  void LoadFromConnection(const TUniConnection& connection) override;
  void ApplyToConnection(TUniConnection& connection) override;
  void LoadFromParams(const TStringList& params) override;

  std::string Database;  // the SQLite file
};

class TSqliteDBLogon : public TDBLogon {
public:
  std::unique_ptr<TDBLogonOption> CreateLogonOption() override { return std::make_unique<TSqliteDBLogonOption>(); }
  bool TestConnection() override { return true; }
};

// The encryption algorithms tried, in this order, for a file opened with a password.
extern const char* const SqliteEncryptionAlgorithms[7];

// Opens a SQLite file as the logon window does: without a password plainly; with
// one, every encryption algorithm in turn until one opens the file. When none does,
// raises EDatabaseError with the message of the last attempt.
void ConnectSqliteFile(TUniConnection& connection, const std::string& fileName, const std::string& password);

// The per-user list of recently opened SQLite files.
extern const char* const SqliteFileListKey;
