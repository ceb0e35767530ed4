#include "sqlite/USqliteDBLogon.h"

#include "base/UPaths.h"
#include "dac/UDataAccess.h"

const char* const SqliteEncryptionAlgorithms[7] = {"leTripleDES", "leBlowfish", "leAES128", "leAES192",
                                                   "leAES256",    "leCast128",  "leRC4"};

const char* const SqliteFileListKey = "Software\\Quillmark\\Ferrovan\\sqlitelist";

bool TSqliteDBLogonOption::Validate() {
  if (Database.empty()) {
    ErrorMessage = "Please choose Sqlite file.";
    return false;
  }
  if (!FileExists(Database)) {
    ErrorMessage = "File " + Database + " not exists.";
    return false;
  }
  return true;
}

std::string TSqliteDBLogonOption::GetCmdLine() {
  return " sqlite_database=\"" + ReplaceAll(Database, "\"", "\"\"") + "\"";
}

void TSqliteDBLogonOption::LoadFromConnection(const TUniConnection& connection) { Database = connection.Database; }

void TSqliteDBLogonOption::ApplyToConnection(TUniConnection& connection) { connection.Database = Database; }

void TSqliteDBLogonOption::LoadFromParams(const TStringList& params) {
  Database = ParamWithFallback(params, "sqlite_database", "database");
}

void ConnectSqliteFile(TUniConnection& connection, const std::string& fileName, const std::string& password) {
  connection.Database = fileName;
  connection.SpecificOptions.SetValue("EncryptionAlgorithm", "leDefault");
  connection.SpecificOptions.SetValue("EncryptionKey", "");
  if (Trim(password).empty()) {
    connection.Connect();
    return;
  }
  std::string lastError;
  for (const char* algorithm : SqliteEncryptionAlgorithms) {
    connection.SpecificOptions.SetValue("EncryptionAlgorithm", algorithm);
    connection.SpecificOptions.SetValue("EncryptionKey", password);
    try {
      connection.Connect();
      return;
    } catch (const EDatabaseError& e) {
      lastError = e.Message;
    }
  }
  throw EDatabaseError(lastError);
}
