#include "dialect/UDBDictionary.h"

#include "dac/UDataAccess.h"
#include "dac/UUniMetaData.h"

std::string TDBHelper::QuoteName(const std::string& name) { return name; }

std::string TDBHelper::QuoteValue(const std::string& text) { return ReplaceAll(text, "'", "''"); }

std::string TDBHelper::GetFullName(const std::string& schema, const std::string& table) {
  std::string s = Trim(schema);
  std::string result = QuoteName(Trim(table));
  if (!s.empty()) result = QuoteName(s) + "." + result;
  return result;
}

std::string TDBHelper::JoinNames(const TStringList& names) {
  std::string result;
  for (int i = 0; i < names.Count(); ++i) {
    if (i > 0) result += ",";
    result += QuoteName(names[i]);
  }
  return result;
}

// ---------------------------------------------------------------------------

TDBDictionary::~TDBDictionary() = default;

bool TDBDictionary::CanQueryRecCount(const std::string&) { return true; }

std::string TDBDictionary::GetProviderName() const { return Connection ? Connection->ProviderName : std::string(); }

TDBHelper* TDBDictionary::Helper() {
  // Made on first use: the kind's CreateHelper cannot run from the base constructor.
  if (!FHelper) FHelper = CreateHelper();
  return FHelper.get();
}

std::string TDBDictionary::GetFullTableName(const std::string& schema, const std::string& table) {
  return Helper()->GetFullName(schema, table);
}

std::string TDBDictionary::GetSelectAllSql(const std::string& schema, const std::string& table) {
  return "select * from " + GetFullTableName(schema, table);
}

std::string TDBDictionary::GetCountSql(const std::string& schema, const std::string& table) {
  return "select count(1) from " + GetFullTableName(schema, table);
}

void TDBDictionary::SetColumn(TStringList& columns, const std::string& name, const std::string& type) {
  columns.SetValue(name, type);
}

std::unique_ptr<TStringList> TDBDictionary::FilterByType(const TStringList& columns,
                                                         std::initializer_list<const char*> types) {
  auto result = std::make_unique<TStringList>();
  for (int i = 0; i < columns.Count(); ++i) {
    std::string type = UpperCase(columns.ValueFromIndex(i));
    for (const char* t : types)
      if (type == t) {
        result->Add(columns.Names(i));
        break;
      }
  }
  return result;
}

void TDBDictionary::ShowMessage(const std::string& text) {
  LastError = text;
  if (OnShowMessage) OnShowMessage(text);
}

// ---------------------------------------------------------------------------

std::string TUniDBDictionary::GetConnectionCaption() {
  if (!Connection) return "@:";
  return Connection->Username + "@" + Connection->Server + ":" + Connection->Database;
}

std::unique_ptr<TStringList> TUniDBDictionary::GetTables(const std::string& schema) {
  return GetTablesOfType(schema, "TABLE");
}

std::unique_ptr<TStringList> TUniDBDictionary::GetViews(const std::string& schema) {
  return GetTablesOfType(schema, "VIEW");
}

std::unique_ptr<TUniQuery> TUniDBDictionary::CreateQuery() { return std::make_unique<TUniQuery>(Connection); }

std::unique_ptr<TStringList> TUniDBDictionary::GetTablesOfType(const std::string& schema,
                                                               const std::string& tableType) {
  auto result = std::make_unique<TStringList>();
  TUniMetaData meta(Connection);
  meta.MetaDataKind = "Tables";
  meta.Restrictions.SetValue("TABLE_CATALOG", Connection ? Connection->Database : std::string());
  meta.Restrictions.SetValue("TABLE_SCHEMA", schema);
  meta.Restrictions.SetValue("TABLE_TYPE", tableType);
  meta.Open();
  for (; !meta.Eof(); meta.Next()) result->Add(meta.FieldByName("TABLE_NAME").AsString());
  meta.Close();
  return result;
}
