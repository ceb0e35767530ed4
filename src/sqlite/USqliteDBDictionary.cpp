#include "sqlite/USqliteDBDictionary.h"

#include "dac/UDataAccess.h"
#include "dac/UUniMetaData.h"

std::string TSqliteDBHelper::QuoteName(const std::string& name) { return "\"" + ReplaceAll(name, "\"", "\"\"") + "\""; }

std::unique_ptr<TDBHelper> TSqliteDBDictionary::CreateHelper() { return std::make_unique<TSqliteDBHelper>(); }

std::unique_ptr<TStringList> TSqliteDBDictionary::GetSchemas() { return std::make_unique<TStringList>(); }

std::string TSqliteDBDictionary::GetDefaultSchema() { return std::string(); }

std::unique_ptr<TStringList> TSqliteDBDictionary::GetColumns(const std::string&, const std::string& table) {
  auto result = std::make_unique<TStringList>();
  TUniMetaData meta(Connection);
  meta.MetaDataKind = "Columns";
  meta.Restrictions.SetValue("TABLE_NAME", table);
  meta.Open();
  for (; !meta.Eof(); meta.Next()) {
    std::string type = meta.FieldByName("DATA_TYPE").AsString();
    size_t open = type.find('(');
    if (open != std::string::npos) type.erase(open);
    SetColumn(*result, meta.FieldByName("COLUMN_NAME").AsString(), type);
  }
  meta.Close();
  return result;
}

std::unique_ptr<TStringList> TSqliteDBDictionary::GetDateFields(const TStringList& columns) {
  return FilterByType(columns, {"DATE", "DATETIME"});
}

std::unique_ptr<TStringList> TSqliteDBDictionary::GetNumberFields(const TStringList& columns) {
  return FilterByType(columns, {"INTEGER", "NUMERIC", "REAL"});
}

std::unique_ptr<TStringList> TSqliteDBDictionary::GetLobFields(const TStringList& columns) {
  return FilterByType(columns, {"NONE", "TEXT", "NTEXT", "BLOB", "CLOB"});
}

bool TSqliteDBDictionary::CanQueryRecCount(const std::string&) { return true; }
