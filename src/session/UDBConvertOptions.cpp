#include "session/UDBConvertOptions.h"

#include <vector>

#include "base/UExceptions.h"
#include "base/UIniFile.h"
#include "dialect/UDBDictionary.h"
#include "dialect/UDBObjectFactory.h"
#include "dialect/USqlCreator.h"
#include "engine/UConvertObjectFactory.h"
#include "engine/UDataReader.h"
#include "engine/UDataWriter.h"
#include "engine/USqlWriter.h"
#include "session/UMyIniFile.h"
#include "session/USessionValues.h"

namespace {

TDBDictionary& DictionaryOf(TDBObjectFactory* factory) {
  if (!factory || !factory->Dictionary()) throw Exception("No database dictionary to ask");
  return *factory->Dictionary();
}

// The value of key, or of fallback when key is missing.
std::string ReadWithFallback(const TIniFile& ini, const std::string& section, const char* key, const char* fallback) {
  return ini.ReadString(section, key, ini.ReadString(section, fallback, ""));
}

const char* const FieldsExpected =
    "an entry is Field;Type;DateFormat;NullIf, and none of them may hold \";\" or \"|\".";

// A query keeps its blanks where its lines broke; whatever the editor used (CR LF, LF
// or CR), no break may reach the one-line ini value.
std::string JoinLines(const std::string& text) {
  std::string result = ReplaceAll(text, "\r\n", " ");
  for (char& c : result)
    if (c == '\r' || c == '\n') c = ' ';
  return result;
}

}  // namespace

TDBDictionary& TDBConvertOptions::Dictionary() const { return DictionaryOf(DBObjectFactory); }

// --- TSourceSchemaOptions

void TSourceSchemaOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TIniFile ini(fileName);
  ini.WriteString(section, "SourceSchema", SourceSchema);
  ini.WriteBool(section, "ShowViews", ShowViews);
}

void TSourceSchemaOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TMyIniFile ini(fileName);
  SourceSchema = ReadWithFallback(ini, section, "SourceSchema", "Schema");
  ShowViews = ReadSessionFlag(ini, section, "ShowViews", false);
}

bool TSourceSchemaOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TSourceSchemaOptions*>(&other);
  return o && SourceSchema == o->SourceSchema && ShowViews == o->ShowViews;
}

void TSourceSchemaOptions::LoadSchemas() {
  TDBDictionary& dictionary = Dictionary();
  Schemas = *dictionary.GetSchemas();
  if (Schemas.IndexOf(SourceSchema) < 0) SourceSchema = dictionary.GetDefaultSchema();
}

void TSourceSchemaOptions::LoadTables() {
  TDBDictionary& dictionary = Dictionary();
  Tables = *dictionary.GetTables(SourceSchema);
  if (ShowViews) Tables.AddStrings(*dictionary.GetViews(SourceSchema));
}

// --- TSourceTableOptions

void TSourceTableOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TIniFile ini(fileName);
  ini.WriteString(section, "SourceTable", SourceTable);
}

void TSourceTableOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TMyIniFile ini(fileName);
  SourceTable = ReadWithFallback(ini, section, "SourceTable", "Table");
}

bool TSourceTableOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TSourceTableOptions*>(&other);
  return o && SourceTable == o->SourceTable;
}

// --- TSourceQueryOptions

void TSourceQueryOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TIniFile ini(fileName);
  ini.WriteString(section, "Sql", JoinLines(Sql));
}

void TSourceQueryOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TMyIniFile ini(fileName);
  Sql = ini.ReadString(section, "Sql", "");
}

bool TSourceQueryOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TSourceQueryOptions*>(&other);
  // Compared as stored: a multi-line text just saved must not count as changed.
  return o && Trim(JoinLines(Sql)) == Trim(JoinLines(o->Sql));
}

// --- TDBSourceOptions

TDBSourceOptions::TDBSourceOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory)
    : DBObjectFactory(dbObjectFactory), ConvertObjectFactory(convertObjectFactory) {
  CreateReader();
}

TDBSourceOptions::~TDBSourceOptions() = default;

void TDBSourceOptions::CreateReader() {
  if (ConvertObjectFactory) Reader = ConvertObjectFactory->CreateDataReader();
}

// --- TTableSourceOptions

TTableSourceOptions::TTableSourceOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory)
    : TDBSourceOptions(dbObjectFactory, convertObjectFactory) {
  CreateSubOptions();
}

TTableSourceOptions::~TTableSourceOptions() { FreeSubOptions(); }

void TTableSourceOptions::CreateSubOptions() {
  SchemaOptions = std::make_unique<TSourceSchemaOptions>(DBObjectFactory);
  TableOptions = std::make_unique<TSourceTableOptions>(DBObjectFactory);
}

void TTableSourceOptions::FreeSubOptions() {
  TableOptions.reset();
  SchemaOptions.reset();
}

void TTableSourceOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TSourceOptions::SaveToFile(fileName, section);
  SchemaOptions->SaveToFile(fileName, section);
  TableOptions->SaveToFile(fileName, section);
}

void TTableSourceOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TSourceOptions::LoadFromFile(fileName, section);
  SchemaOptions->LoadFromFile(fileName, section);
  TableOptions->LoadFromFile(fileName, section);
}

bool TTableSourceOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TTableSourceOptions*>(&other);
  return o && SchemaOptions->SameAs(*o->SchemaOptions) && TableOptions->SameAs(*o->TableOptions) &&
         TSourceOptions::SameAs(other);
}

void TTableSourceOptions::ConfigReader() { ConfigReaderFor(Reader.get()); }

void TTableSourceOptions::ConfigReaderFor(TDBReader* reader) {
  if (!reader) return;
  reader->SetSchemaName(TableOptions->Schema);
  reader->SetTableName(TableOptions->SourceTable);
  reader->SetSql("");
}

void TTableSourceOptions::SetSchemaAndTable(const std::string& schema, const std::string& table) {
  TableOptions->Schema = schema;
  TableOptions->SourceTable = table;
  DoChange();
}

// --- TQuerySourceOptions

TQuerySourceOptions::TQuerySourceOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory)
    : TDBSourceOptions(dbObjectFactory, convertObjectFactory), QueryOptions(std::make_unique<TSourceQueryOptions>()) {}

TQuerySourceOptions::~TQuerySourceOptions() = default;

void TQuerySourceOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TSourceOptions::SaveToFile(fileName, section);
  QueryOptions->SaveToFile(fileName, section);
}

void TQuerySourceOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TSourceOptions::LoadFromFile(fileName, section);
  QueryOptions->LoadFromFile(fileName, section);
}

bool TQuerySourceOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TQuerySourceOptions*>(&other);
  return o && QueryOptions->SameAs(*o->QueryOptions) && TSourceOptions::SameAs(other);
}

std::string TQuerySourceOptions::GetReaderSql() const {
  std::string text = Trim(QueryOptions->Sql);
  if (!text.empty() && text.back() == ';') text.pop_back();
  return text;
}

void TQuerySourceOptions::ConfigReader() {
  if (Reader) Reader->SetSql(GetReaderSql());
}

// --- TBatchDBSourceOptions

TBatchDBSourceOptions::TBatchDBSourceOptions(TDBObjectFactory* dbObjectFactory,
                                             TConvertObjectFactory* convertObjectFactory)
    : TDBSourceOptions(dbObjectFactory, convertObjectFactory),
      SchemaOptions(std::make_unique<TSourceSchemaOptions>(dbObjectFactory)) {}

TBatchDBSourceOptions::~TBatchDBSourceOptions() = default;

void TBatchDBSourceOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TSourceOptions::SaveToFile(fileName, section);
  SchemaOptions->SaveToFile(fileName, section);
}

void TBatchDBSourceOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TSourceOptions::LoadFromFile(fileName, section);
  SchemaOptions->LoadFromFile(fileName, section);
}

bool TBatchDBSourceOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TBatchDBSourceOptions*>(&other);
  return o && SchemaOptions->SameAs(*o->SchemaOptions) && TSourceOptions::SameAs(other);
}

// --- TTransveyBatchDBSourceOptions

TTransveyBatchDBSourceOptions::TTransveyBatchDBSourceOptions(TDBObjectFactory* dbObjectFactory,
                                                             TConvertObjectFactory* convertObjectFactory)
    : TBatchDBSourceOptions(dbObjectFactory, convertObjectFactory),
      TableSourceOptions(std::make_unique<TTableSourceOptions>(dbObjectFactory, convertObjectFactory)) {}

TTransveyBatchDBSourceOptions::~TTransveyBatchDBSourceOptions() = default;

void TTransveyBatchDBSourceOptions::SelectTable(const std::string& name) {
  TableSourceOptions->SetSchemaAndTable(GetSourceSchema(), name);
}

const TStringList& TTransveyBatchDBSourceOptions::ReaderColumns() const { return TableSourceOptions->Columns; }

int TTransveyBatchDBSourceOptions::ReaderFieldCount() const { return TableSourceOptions->FieldNames.Count(); }

void TTransveyBatchDBSourceOptions::ConfigReader() {
  RowsSelect.Assign(TableSourceOptions->RowsSelect);
  TableSourceOptions->ConfigReaderFor(Reader.get());
}

// --- TDBDestOptions

TDBDestOptions::TDBDestOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory)
    : DBObjectFactory(dbObjectFactory), ConvertObjectFactory(convertObjectFactory) {}

TDBDestOptions::~TDBDestOptions() = default;

TDBDictionary& TDBDestOptions::Dictionary() const { return DictionaryOf(DBObjectFactory); }

void TDBDestOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TIniFile ini(fileName);
  ini.WriteString(section, "DestSchema", DestSchema);
}

void TDBDestOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TMyIniFile ini(fileName);
  DestSchema = ReadWithFallback(ini, section, "DestSchema", "Schema");
}

bool TDBDestOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TDBDestOptions*>(&other);
  return o && DestSchema == o->DestSchema;
}

void TDBDestOptions::LoadSchemas() {
  TDBDictionary& dictionary = Dictionary();
  Schemas = *dictionary.GetSchemas();
  DestSchema = dictionary.GetDefaultSchema();
}

void TDBDestOptions::LoadTables() { Tables = *Dictionary().GetTables(DestSchema); }

void TDBDestOptions::SetDestSchema(const std::string& schema) {
  DestSchema = schema;
  LoadTables();
}

// --- TTableDestOptions

TTableDestOptions::TTableDestOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory)
    : TDBDestOptions(dbObjectFactory, convertObjectFactory) {
  CreateSubObjects();
}

TTableDestOptions::~TTableDestOptions() { FreeSubObjects(); }

void TTableDestOptions::CreateSubObjects() {
  if (!ConvertObjectFactory) return;
  SqlCreator = ConvertObjectFactory->CreateSqlCreator();
  DBWriter = ConvertObjectFactory->CreateWriter();
  SqlWriter = CreateSqlWriter();
  BindWriters();
}

void TTableDestOptions::FreeSubObjects() {
  // The writers use the SQL creator: they go first.
  SqlWriter.reset();
  DBWriter.reset();
  SqlCreator.reset();
}

std::unique_ptr<TDataWriter> TTableDestOptions::CreateSqlWriter() { return std::make_unique<TSqlWriter>(); }

void TTableDestOptions::BindWriters() {
  if (auto* writer = dynamic_cast<TDBWriter*>(DBWriter.get())) writer->SetSqlCreator(SqlCreator.get());
  if (auto* writer = dynamic_cast<TSqlWriter*>(SqlWriter.get())) writer->SetSqlCreator(SqlCreator.get());
}

void TTableDestOptions::PrepareSqlCreator() {
  if (!SqlCreator) throw Exception("No SQL creator for the destination");
  SqlCreator->Schema = DestSchema;
  SqlCreator->Table = DestTable;
  SqlCreator->SetFields(FieldNames);
  SqlCreator->SetFieldTypes(FieldTypes);
  SqlCreator->SetDateFormats(DateFormats);
  SqlCreator->SetNullValues(NullIfs);
  SqlCreator->LoadType = LoadType;
  SqlCreator->UpdateKey = UpdateKey;
}

TDataWriter* TTableDestOptions::GetWriter() {
  PrepareSqlCreator();
  return GetOutputWriter();
}

TDataWriter* TTableDestOptions::GetSqlWriter() {
  PrepareSqlCreator();
  return SqlWriter.get();
}

TDataWriter* TTableDestOptions::GetOutputWriter() const {
  return OutputKind == "SQL" ? SqlWriter.get() : DBWriter.get();
}

void TTableDestOptions::LoadDestFields() {
  DestColumns.Clear();
  DestColumnNames.Clear();
  DateColumns.Clear();
  NumericColumns.Clear();
  if (Trim(DestTable).empty()) return;
  TDBDictionary& dictionary = Dictionary();
  DestColumns = *dictionary.GetColumns(DestSchema, DestTable);
  for (int i = 0; i < DestColumns.Count(); ++i) DestColumnNames.Add(DestColumns.Names(i));
  DateColumns = *dictionary.GetDateFields(DestColumns);
  NumericColumns = *dictionary.GetNumberFields(DestColumns);
}

void TTableDestOptions::SetDestTable(const std::string& name) {
  DestTable = name;
  LoadDestFields();
}

void TTableDestOptions::CheckFieldsStorable() const {
  using namespace session_map_chars;
  for (const std::string& name : FieldNames.Strings()) {
    CheckMapText("Fields", "the field name", name, FieldName);
    CheckMapText("Fields", "the type of " + name, FieldTypes.Values(name), FieldPart);
    CheckMapText("Fields", "the date format of " + name, DateFormats.Values(name), FieldPart);
    CheckMapText("Fields", "the null-if text of " + name, NullIfs.Values(name), FieldPart);
  }
}

void TTableDestOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  CheckFieldsStorable();
  TDBDestOptions::SaveToFile(fileName, section);
  TIniFile ini(fileName);
  ini.WriteString(section, "DestTable", DestTable);
  if (LoadType.empty()) LoadType = "Replace";
  if (LoadType == "Append") {
    ini.WriteInteger(section, "LoadType", 0);
  } else if (LoadType == "Replace") {
    ini.WriteInteger(section, "LoadType", 1);
  } else if (LoadType == "Update") {
    ini.WriteInteger(section, "LoadType", 2);
    ini.WriteString(section, "UpdateKey", UpdateKey);
  }
  std::string fields;
  for (int i = 0; i < FieldNames.Count(); ++i) {
    const std::string& name = FieldNames[i];
    if (i > 0) fields += "|";
    fields += name + ";" + FieldTypes.Values(name) + ";" + DateFormats.Values(name) + ";" + NullIfs.Values(name);
  }
  ini.WriteString(section, "Fields", fields);
}

void TTableDestOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TDBDestOptions::LoadFromFile(fileName, section);
  TMyIniFile ini(fileName);
  DestTable = ReadWithFallback(ini, section, "DestTable", "Table");
  std::string loadType = ini.ReadString(section, "LoadType", "");
  static const char* const loadTypes[] = {"Append", "Replace", "Update"};
  int code = loadType.empty() ? 0 : -1;
  if (code < 0 && !TryStrToInt(loadType, code))
    for (int i = 0; i < 3; ++i)
      if (SameText(loadType, loadTypes[i])) code = i;
  // Keeping a new session's load type for any other value would be Append: a table
  // meant to be replaced or updated would silently grow instead.
  if (code < 0 || code > 2)
    RefuseSessionValue(ini, "LoadType", loadType,
                       "expected 0 (Append), 1 (Replace) or 2 (Update), or one of those words.");
  LoadType = loadTypes[code];
  UpdateKey = ini.ReadString(section, "UpdateKey", "");
  std::string text = ini.ReadString(section, "Fields", "");
  if (text.empty()) return;
  TStringList entries, parts;
  SplitString(text, '|', entries);
  // Every entry is read before the lists change: a refused file leaves no half a map.
  std::vector<TStringList> checked;
  for (const std::string& entry : entries.Strings()) {
    SplitString(entry, ';', parts);
    if (parts.Count() < 3)
      throw ESessionValueError(ParseFieldsError, SessionValueMessage(ini, "Fields", entry, FieldsExpected));
    // A save writes four parts; a fifth means a name or text held a ";" and no part
    // can be told from the next.
    if (parts.Count() > 4) RefuseSessionValue(ini, "Fields", entry, FieldsExpected);
    const std::string& name = parts[0];
    if (name.find('=') != std::string::npos)
      RefuseSessionValue(ini, "Fields", entry, "a field name cannot hold \"=\".");
    checked.push_back(parts);
  }
  for (const TStringList& parts : checked) {
    const std::string& name = parts[0];
    FieldNames.Add(name);
    FieldTypes.SetValue(name, parts[1]);
    if (parts.Count() == 3) {
      NullIfs.SetValue(name, parts[2]);
    } else {
      DateFormats.SetValue(name, parts[2]);
      NullIfs.SetValue(name, parts[3]);
    }
  }
}

bool TTableDestOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TTableDestOptions*>(&other);
  return o && DestTable == o->DestTable && LoadType == o->LoadType && UpdateKey == o->UpdateKey &&
         FieldNames.Text() == o->FieldNames.Text() && FieldTypes.Text() == o->FieldTypes.Text() &&
         DateFormats.Text() == o->DateFormats.Text() && NullIfs.Text() == o->NullIfs.Text() &&
         TDBDestOptions::SameAs(other);
}

// --- TBatchDBDestOptions

TBatchDBDestOptions::TBatchDBDestOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory)
    : TDBDestOptions(dbObjectFactory, convertObjectFactory) {
  TableDestOptions = CreateTableDestOptions();
}

TBatchDBDestOptions::~TBatchDBDestOptions() = default;

std::unique_ptr<TTableDestOptions> TBatchDBDestOptions::CreateTableDestOptions() {
  return std::make_unique<TTableDestOptions>(DBObjectFactory, ConvertObjectFactory);
}

void TBatchDBDestOptions::SetDestTable(const std::string& name) {
  DestTable = name;
  TableDestOptions->DestSchema = DestSchema;
  TableDestOptions->DestTable = DestTable;
  TableDestOptions->LoadType = LoadType;
}

TDataWriter* TBatchDBDestOptions::GetWriter() { return TableDestOptions->GetWriter(); }

void TBatchDBDestOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TDBDestOptions::SaveToFile(fileName, section);
  TIniFile ini(fileName);
  ini.WriteString(section, "LoadType", LoadType);
}

void TBatchDBDestOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TDBDestOptions::LoadFromFile(fileName, section);
  TMyIniFile ini(fileName);
  std::string text = ini.ReadString(section, "LoadType", "");
  // The codes of this kind are those of its older files, the reverse of a table session's.
  if (text == "0")
    LoadType = "Replace";
  else if (text == "1")
    LoadType = "Append";
  else if (text.empty())
    LoadType = text;
  else if (SameText(text, "Append") || SameText(text, "Replace") || SameText(text, "Update"))
    LoadType = UpperCase(text.substr(0, 1)) + LowerCase(text.substr(1));
  else
    // Kept as it is, any other text would run as Append, the writer deleting nothing.
    RefuseSessionValue(ini, "LoadType", text, "expected Append, Replace or Update (or 0 for Replace, 1 for Append).");
}

bool TBatchDBDestOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TBatchDBDestOptions*>(&other);
  return o && LoadType == o->LoadType && TDBDestOptions::SameAs(other);
}
