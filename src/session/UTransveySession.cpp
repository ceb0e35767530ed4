#include "session/UTransveySession.h"

#include "base/UExceptions.h"
#include "dac/UDataAccess.h"
#include "dialect/UDBDictionary.h"
#include "dialect/UDBObjectFactory.h"
#include "dialect/UTableCreator.h"
#include "session/UDBConvertOptions.h"
#include "session/USessionValues.h"
#include "session/UTableMapOptions.h"

namespace {

std::string Description(const std::string& from, const std::string& to) { return "From : " + from + "\r\nTo : " + to; }

}  // namespace

// --- TTransveyTableLoadSession

TTransveyTableLoadSession::TTransveyTableLoadSession(TDBObjectFactory* sourceDBObjectFactory,
                                                     TDBObjectFactory* destDBObjectFactory,
                                                     TConvertObjectFactory* sourceConvertObjectFactory,
                                                     TConvertObjectFactory* destConvertObjectFactory)
    : TLoadSession(sourceDBObjectFactory, destDBObjectFactory, sourceConvertObjectFactory, destConvertObjectFactory) {
  Initialize();
}

void TTransveyTableLoadSession::CreateSourceOptions() {
  SourceOptions = std::make_unique<TTableSourceOptions>(SourceDBObjectFactory, SourceConvertObjectFactory);
}

void TTransveyTableLoadSession::InitSessionInfo() {
  MruList->RegistryKey = "Software\\Quillmark\\Ferrovan\\TableSessions";
  FileFilter = "Import From Table Session(*.uld)|*.uld";
  DefaultExt = "uld";
  SectionName = "Load";
}

std::string TTransveyTableLoadSession::GetDescription() const {
  return Description(TableSourceOptions().GetSourceTable(), TableDestOptions().DestTable);
}

std::unique_ptr<TTaskSession> TTransveyTableLoadSession::CreateSameKind() const {
  return std::make_unique<TTransveyTableLoadSession>(SourceDBObjectFactory, DestDBObjectFactory,
                                                     SourceConvertObjectFactory, DestConvertObjectFactory);
}

TTableSourceOptions& TTransveyTableLoadSession::TableSourceOptions() const {
  return static_cast<TTableSourceOptions&>(*SourceOptions);
}

// --- TTransveyQueryLoadSession

TTransveyQueryLoadSession::TTransveyQueryLoadSession(TDBObjectFactory* sourceDBObjectFactory,
                                                     TDBObjectFactory* destDBObjectFactory,
                                                     TConvertObjectFactory* sourceConvertObjectFactory,
                                                     TConvertObjectFactory* destConvertObjectFactory)
    : TLoadSession(sourceDBObjectFactory, destDBObjectFactory, sourceConvertObjectFactory, destConvertObjectFactory) {
  Initialize();
}

void TTransveyQueryLoadSession::CreateSourceOptions() {
  SourceOptions = std::make_unique<TQuerySourceOptions>(SourceDBObjectFactory, SourceConvertObjectFactory);
}

void TTransveyQueryLoadSession::InitSessionInfo() {
  MruList->RegistryKey = "Software\\Quillmark\\Ferrovan\\QuerySessions";
  FileFilter = "Import From Query Session(*.ulq)|*.ulq";
  DefaultExt = "ulq";
  SectionName = "Load";
}

std::string TTransveyQueryLoadSession::GetDescription() const {
  std::string sql = QuerySourceOptions().GetSql();
  if (CharCount(sql) >= 85) sql = FirstChars(sql, DescriptionSqlLength) + " ...";
  return Description(sql, TableDestOptions().DestTable);
}

std::unique_ptr<TTaskSession> TTransveyQueryLoadSession::CreateSameKind() const {
  return std::make_unique<TTransveyQueryLoadSession>(SourceDBObjectFactory, DestDBObjectFactory,
                                                     SourceConvertObjectFactory, DestConvertObjectFactory);
}

TQuerySourceOptions& TTransveyQueryLoadSession::QuerySourceOptions() const {
  return static_cast<TQuerySourceOptions&>(*SourceOptions);
}

// --- TTransveyBatchLoadSession

TTransveyBatchLoadSession::TTransveyBatchLoadSession(TDBObjectFactory* sourceDBObjectFactory,
                                                     TDBObjectFactory* destDBObjectFactory,
                                                     TConvertObjectFactory* sourceConvertObjectFactory,
                                                     TConvertObjectFactory* destConvertObjectFactory)
    : TBatchLoadSession(sourceDBObjectFactory, destDBObjectFactory, sourceConvertObjectFactory,
                        destConvertObjectFactory) {
  Initialize();
  TableSourceOptions = BatchSourceOptions().TableSourceOptions.get();
}

void TTransveyBatchLoadSession::CreateSourceOptions() {
  SourceOptions = std::make_unique<TTransveyBatchDBSourceOptions>(SourceDBObjectFactory, SourceConvertObjectFactory);
}

void TTransveyBatchLoadSession::CreateTableMapOptions() {
  TableMapOptions = std::make_unique<TTransveyTableMapOptions>();
}

std::string TTransveyBatchLoadSession::GetDescription() const {
  std::string from = BatchSourceOptions().GetSourceSchema();
  if (from.empty() && SourceDBObjectFactory && SourceDBObjectFactory->Connection())
    from = SourceDBObjectFactory->Connection()->Database;
  return Description(from, BatchDestOptions().DestSchema);
}

std::unique_ptr<TTaskSession> TTransveyBatchLoadSession::CreateSameKind() const {
  return std::make_unique<TTransveyBatchLoadSession>(SourceDBObjectFactory, DestDBObjectFactory,
                                                     SourceConvertObjectFactory, DestConvertObjectFactory);
}

TTransveyBatchDBSourceOptions& TTransveyBatchLoadSession::BatchSourceOptions() const {
  return static_cast<TTransveyBatchDBSourceOptions&>(*SourceOptions);
}

TTransveyTableMapOptions& TTransveyBatchLoadSession::TransveyTableMap() const {
  return static_cast<TTransveyTableMapOptions&>(*TableMapOptions);
}

void TTransveyBatchLoadSession::LoadItemPreview() { TableSourceOptions->LoadPreview(); }

void TTransveyBatchLoadSession::ConfigOne(int index) {
  TTransveyTableMapOptions& map = TransveyTableMap();
  std::string sourceName = map.SourceNames[index];
  std::string destName = map.DestNames[index];

  BatchSourceOptions().SelectTable(sourceName);
  LoadItemPreview();

  bool created = SameText(destName, TTransveyTableMapOptions::ToBeCreated);
  TStringList mappedFields;
  if (created) destName = CreateDestTable(sourceName, mappedFields);
  TBatchDBDestOptions& dest = BatchDestOptions();
  dest.SetDestTable(destName);
  TableDestOptions->LoadDestFields();

  if (created) {
    MapCreatedTable(mappedFields);
    TFieldsMapStringTranslator translator(TableSourceOptions, TableDestOptions);
    map.FieldsMaps.SetValue(sourceName, translator.ObjectsToString());
    // The run has its map in the objects already; a name the file cannot hold stops
    // only a later save, which would write a map that reads back as another.
    std::string why;
    try {
      CheckMapText("FieldsMaps", "the table name", sourceName, session_map_chars::FieldsMapTable);
      translator.CheckStorable();
    } catch (const ESessionValueError& e) {
      why = e.Message;
    }
    map.Unstorable.SetValue(IntToStr(index), why);
    map.DestNames[index] = destName;
  } else {
    TFieldsMapStringTranslator(TableSourceOptions, TableDestOptions).StringToObjects(map.FieldsMaps.Values(sourceName));
  }
}

std::string TTransveyBatchLoadSession::CreateDestTable(const std::string& sourceName, TStringList& mappedFields) {
  if (!SourceDBObjectFactory || !SourceDBObjectFactory->Dictionary())
    throw Exception("No source database to create the table from");
  TDBDictionary& source = *SourceDBObjectFactory->Dictionary();
  auto columns = source.GetColumns(TableSourceOptions->TableOptions->Schema, sourceName);
  TCreateDestTableCommand command(DestDBObjectFactory, LogSink);
  std::string destKind = DestDBObjectFactory->Dictionary() ? DestDBObjectFactory->Dictionary()->GetProviderName() : "";
  // In the destination schema of the session, where the destination columns are looked up.
  command.Execute(source.GetProviderName(), destKind, sourceName, *columns, BatchDestOptions().DestSchema);
  mappedFields = command.Helper()->FieldTypes;
  return sourceName;
}

void TTransveyBatchLoadSession::MapCreatedTable(const TStringList& mappedFields) {
  TTableDestOptions& dest = *TableDestOptions;
  TStringList& sourceFields = TableSourceOptions->FieldNames;
  // A source column whose type maps to nothing got no column: it is left out of the
  // map, so every later column still lands in its own destination column.
  TableSourceOptions->Columns.Clear();
  for (int i = 0; i < sourceFields.Count() && TableSourceOptions->Columns.Count() < dest.DestColumns.Count(); ++i)
    if (mappedFields.IndexOfName(sourceFields[i]) >= 0) TableSourceOptions->Columns.Add(IntToStr(i));
  dest.FieldNames.Clear();
  dest.FieldTypes.Clear();
  dest.DateFormats.Clear();
  for (int i = 0; i < dest.DestColumns.Count() && i < TableSourceOptions->Columns.Count(); ++i) {
    std::string name = dest.DestColumns.Names(i);
    std::string type = dest.DestColumns.ValueFromIndex(i);
    dest.FieldNames.Add(name);
    dest.FieldTypes.SetValue(name, type);
    if (SameText(type, "DATE") || SameText(type, "TIMESTAMP")) dest.DateFormats.SetValue(name, CreatedTableDateFormat);
  }
}
