#include <cctype>

#include "dac/UDacImpl.h"
#include "dac/USqlLexer.h"
#include "dac/UDataAccess.h"

using namespace dac_detail;

// ---------------------------------------------------------------------------
// TUniScript

TUniScript::TUniScript(TUniConnection* connection) : FConnection(connection) {}

TUniScript::~TUniScript() = default;

void TUniScript::SetConnection(TUniConnection* connection) {
  FConnection = connection;
  if (FQuery) FQuery->SetConnection(connection);
}

std::vector<std::string> TUniScript::SplitStatements(const std::string& script) {
  std::vector<std::string> result;
  std::string_view s = script;
  size_t start = 0, i = 0;
  auto flush = [&](size_t end) {
    std::string_view statement = s.substr(start, end - start);
    if (!IsBlankOrComment(statement)) result.push_back(Trim(statement));
  };
  while (i < s.size()) {
    size_t next = SkipQuotedOrComment(s, i);
    if (next != i) {
      i = next;
      continue;
    }
    if (s[i] == ';') {
      flush(i);
      start = i + 1;
    }
    ++i;
  }
  flush(s.size());
  return result;
}

namespace {

// Statements that may yield rows, by their first word (after leading comments).
bool ReturnsRows(const std::string& statement) {
  std::string_view s = statement;
  size_t i = 0;
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) <= 32 || s[i] == '(') {
      ++i;
      continue;
    }
    size_t next = SkipQuotedOrComment(s, i);
    if (next != i && (s[i] == '-' || s[i] == '/')) {
      i = next;
      continue;
    }
    break;
  }
  size_t end = i;
  while (end < s.size() && std::isalpha(static_cast<unsigned char>(s[end]))) ++end;
  std::string_view word = s.substr(i, end - i);
  for (const char* w : {"SELECT", "WITH", "VALUES", "PRAGMA", "EXPLAIN"})
    if (SameText(word, w)) return true;
  return false;
}

}  // namespace

void TUniScript::Execute() {
  if (!FConnection) throw EDatabaseError("The script has no connection");
  if (!FQuery) FQuery = std::make_unique<TUniQuery>(FConnection);
  FQuery->SetConnection(FConnection);
  FQuery->ParamCheck = false;
  for (const std::string& statement : SplitStatements(SQL)) {
    TUniQuery* query = FQuery.get();
    if (DataSet && ReturnsRows(statement)) {
      query = DataSet;
      if (query->Connection() != FConnection) query->SetConnection(FConnection);
    }
    bool paramCheck = query->ParamCheck;
    query->ParamCheck = false;
    query->SQL = statement;
    try {
      query->Execute();
    } catch (...) {
      query->ParamCheck = paramCheck;
      throw;
    }
    query->ParamCheck = paramCheck;
  }
  FQuery->Close();
}

// ---------------------------------------------------------------------------
// TUniMetaData

TUniMetaData::TUniMetaData(TUniConnection* connection) : FConnection(connection) {}

TUniMetaData::~TUniMetaData() = default;

namespace {

TUniField TextField(const std::string& name, const std::string& value) {
  TUniField f;
  f.FieldName = name;
  f.DataType = TFieldType::ftString;
  f.SetText(value);
  return f;
}

TUniField IntegerField(const std::string& name, std::optional<int64_t> value) {
  TUniField f;
  f.FieldName = name;
  f.DataType = TFieldType::ftInteger;
  if (value)
    f.SetInteger(*value);
  else
    f.SetNull();
  return f;
}

}  // namespace

void TUniMetaData::Open() {
  Close();
  if (!FConnection) throw EDatabaseError("The metadata query has no connection");
  if (!FConnection->Connected()) FConnection->Connect();
  TConnectionImpl& impl = FConnection->Impl();
  if (SameText(MetaDataKind, "Tables")) {
    std::vector<std::string> types;
    TStringList typeList;
    typeList.SetDelimitedText(Restrictions.Values("TABLE_TYPE"), ',', '"', true);
    for (const auto& t : typeList.Strings())
      if (!Trim(t).empty()) types.push_back(UpperCase(Trim(t)));
    auto tables = impl.Tables(Restrictions.Values("TABLE_CATALOG"), Restrictions.Values("TABLE_SCHEMA"), types,
                              Restrictions.Values("TABLE_NAME"));
    FNames = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE"};
    for (const auto& t : tables)
      FRows.push_back({TextField("TABLE_CATALOG", t.Catalog), TextField("TABLE_SCHEMA", t.Schema),
                       TextField("TABLE_NAME", t.Name), TextField("TABLE_TYPE", t.Type)});
  } else if (SameText(MetaDataKind, "Columns")) {
    auto columns = impl.Columns(Restrictions.Values("TABLE_SCHEMA"), Restrictions.Values("TABLE_NAME"));
    FNames = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "COLUMN_NAME",   "POSITION",
              "DATA_TYPE",     "COLUMN_SIZE",  "DECIMAL_DIGITS", "NULLABLE"};
    for (const auto& c : columns)
      FRows.push_back({TextField("TABLE_CATALOG", c.Catalog), TextField("TABLE_SCHEMA", c.Schema),
                       TextField("TABLE_NAME", c.Table), TextField("COLUMN_NAME", c.Name),
                       IntegerField("POSITION", c.Position), TextField("DATA_TYPE", c.TypeName),
                       IntegerField("COLUMN_SIZE", c.Size), IntegerField("DECIMAL_DIGITS", c.DecimalDigits),
                       IntegerField("NULLABLE", c.Nullable ? 1 : 0)});
  } else {
    throw EDatabaseError("Unknown metadata kind \"" + MetaDataKind + "\" (known: Tables, Columns)");
  }
  FActive = true;
}

void TUniMetaData::Close() {
  FActive = false;
  FNames.clear();
  FRows.clear();
  FRow = 0;
}

void TUniMetaData::Next() {
  if (FRow < FRows.size()) ++FRow;
}

TUniField* TUniMetaData::FindField(const std::string& name) {
  if (FRow >= FRows.size()) return nullptr;
  for (auto& f : FRows[FRow])
    if (SameText(f.FieldName, name)) return &f;
  return nullptr;
}

TUniField& TUniMetaData::FieldByName(const std::string& name) {
  if (!FActive) throw EDatabaseError("The metadata query is not open");
  if (FRow >= FRows.size()) throw EDatabaseError("No current row (end of the metadata reached)");
  TUniField* f = FindField(name);
  if (!f) throw EDatabaseError("Field '" + name + "' not found");
  return *f;
}
