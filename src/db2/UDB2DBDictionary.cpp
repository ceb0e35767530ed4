#include "db2/UDB2DBDictionary.h"

#include "base/UExceptions.h"
#include "dac/UDataAccess.h"

std::string TDB2DBHelper::QuoteName(const std::string& name) { return "\"" + ReplaceAll(name, "\"", "\"\"") + "\""; }

// ---------------------------------------------------------------------------

TDB2RecordCounter::TDB2RecordCounter() : Query(std::make_unique<TUniQuery>()) {}

TDB2RecordCounter::~TDB2RecordCounter() = default;

void TDB2RecordCounter::SetConnection(TUniConnection* connection) { Query->SetConnection(connection); }

void TDB2RecordCounter::LoadVersion() {
  Version.clear();
  Query->SQL = "select VERSIONNUMBER from sysibm.sysversions";
  try {
    Query->Open();
    if (!Query->Eof()) Version = Query->Fields(0).AsString();
  } catch (...) {
    Query->Close();
    throw;
  }
  Query->Close();
}

bool TDB2RecordCounter::IsVersion6() {
  if (Version.empty()) LoadVersion();
  return !Version.empty() && Version[0] == '6';
}

int64_t TDB2RecordCounter::CountRecords(const std::string& sqlText) {
  int64_t result = 0;
  try {
    Query->SQL = CountSql(sqlText);
    Query->Execute();
    if (Query->Active() && !Query->Eof()) result = Query->Fields(0).AsInteger();
  } catch (const std::exception&) {
    result = 0;
  }
  try {
    Query->Close();
  } catch (const std::exception&) {
  }
  return result;
}

// ---------------------------------------------------------------------------

std::unique_ptr<TDBHelper> TDB2DBDictionary::CreateHelper() { return std::make_unique<TDB2DBHelper>(); }

std::unique_ptr<TStringList> TDB2DBDictionary::GetSchemas() {
  LastError.clear();
  auto result = std::make_unique<TStringList>();
  auto query = CreateQuery();
  try {
    query->SQL = "select name from sysibm.SYSSCHEMATA";
    query->Open();
    for (; !query->Eof(); query->Next()) result->Add(Trim(query->Fields(0).AsString()));
  } catch (const std::exception& e) {
    ShowMessage(ExceptionMessage(e));
  }
  return result;
}

std::string TDB2DBDictionary::GetDefaultSchema() {
  try {
    auto query = CreateQuery();
    query->SQL = "select CURRENT schema from sysibm.sysdummy1";
    query->Open();
    if (query->Eof()) return std::string();
    return Trim(query->Fields(0).AsString());
  } catch (const std::exception&) {
    return std::string();
  }
}

std::string TDB2DBDictionary::ColumnsSql(const std::string& schema, const std::string& table) {
  return "SELECT COLNAME, TYPENAME, LENGTH, SCALE FROM syscat.COLUMNS WHERE tabschema='" +
         Helper()->QuoteValue(schema) + "' and tabname='" + Helper()->QuoteValue(table) + "' " + "ORDER BY COLNO";
}

std::unique_ptr<TStringList> TDB2DBDictionary::GetColumns(const std::string& schema, const std::string& table) {
  LastError.clear();
  auto result = std::make_unique<TStringList>();
  auto query = CreateQuery();
  try {
    query->SQL = ColumnsSql(schema, table);
    query->Open();
    for (; !query->Eof(); query->Next())
      SetColumn(*result, query->Fields(0).AsString(), LowerCase(query->Fields(1).AsString()));
  } catch (const std::exception& e) {
    ShowMessage(ExceptionMessage(e));
  }
  return result;
}

std::unique_ptr<TStringList> TDB2DBDictionary::GetDateFields(const TStringList& columns) {
  return FilterByType(columns, {"DATE", "TIME", "TIMESTAMP"});
}

std::unique_ptr<TStringList> TDB2DBDictionary::GetNumberFields(const TStringList& columns) {
  return FilterByType(columns, {"SMALLINT", "INTEGER", "INT", "BIGINT", "DECIMAL", "DEC", "NUMERIC", "NUM", "REAL",
                                "FLOAT", "DOUBLE", "DOUBLE PRECISION"});
}

std::unique_ptr<TStringList> TDB2DBDictionary::GetLobFields(const TStringList& columns) {
  return FilterByType(columns, {"CLOB", "VARGRAPHIC", "LONG VARGRAPHIC", "DBCLOB", "BLOB"});
}

bool TDB2DBDictionary::CanQueryRecCount(const std::string&) {
  TDB2RecordCounter counter;
  counter.SetConnection(Connection);
  return !counter.IsVersion6();
}
