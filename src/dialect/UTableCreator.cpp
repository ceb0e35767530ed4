#include "dialect/UTableCreator.h"

#include <algorithm>
#include <cctype>

#include "base/UExceptions.h"
#include "base/ULogSink.h"
#include "dialect/UDBDictionary.h"
#include "dialect/UDBObjectFactory.h"
#include "dialect/UFieldTypeMap.h"
#include "dialect/USqlExecutor.h"

namespace {

bool IsPlainIdentifier(const std::string& s) {
  if (s.empty()) return false;
  for (unsigned char c : s)
    if (!(std::isalnum(c) || c == '_')) return false;
  return true;
}

}  // namespace

TTableCreator::TTableCreator() : FieldInfo(std::make_unique<TFieldInfo>()) { Initialize(); }

TTableCreator::~TTableCreator() = default;

void TTableCreator::Initialize() {
  DataTypes.Clear();
  NonIndexableTypes.Clear();
  FillDataTypes();
  FillNonIndexableTypes();
  RemovedChars = TStringList{"(", ")", "'", "\"", "#"};
  ReplacedChars = TStringList{" ", "\t", "/", ".", ",", "-", "+", "<br/>", "<br>"};
  Keywords.Clear();
  FillKeywords();
}

void TTableCreator::BuildSql(TTableInfo* tableInfo) {
  SetTableInfo(tableInfo);
  SqlText.clear();
  ExtraSql.Clear();
}

void TTableCreator::FillKeywords() {
  for (const char* k : {"order", "date", "number", "timestamp", "user", "add"}) Keywords.Add(k);
}

void TTableCreator::CreateTable(TTableInfo* tableInfo) {
  BuildSql(tableInfo);
  ExecuteSql();
}

void TTableCreator::LogToMemory(const std::string& text) {
  if (LogSink) LogSink->LogToMemory(text);
}

void TTableCreator::ExecuteSql() {
  if (!Executor) throw Exception("The table creator has no SQL executor");
  LogToMemory(SqlText);
  Executor->Execute(SqlText);
  for (const auto& sql : ExtraSql.Strings()) {
    LogToMemory(sql);
    Executor->Execute(sql);
  }
}

std::string TTableCreator::GetSqlText() const {
  std::string result = SqlText + "\r\n";
  for (const auto& sql : ExtraSql.Strings()) result += sql + "\r\n";
  return result;
}

std::string TTableCreator::MakeName(const std::string& name, const char* keywordPrefix, int maxLength) {
  std::string result = Trim(name);
  for (const auto& c : RemovedChars.Strings()) result = ReplaceAll(result, c, "");
  for (const auto& c : ReplacedChars.Strings()) result = ReplaceAll(result, c, "_");
  int keyword = Keywords.IndexOf(LowerCase(result));
  if (keyword >= 0) result = keywordPrefix + Keywords[keyword];
  if (maxLength >= 0 && CharCount(result) > static_cast<size_t>(maxLength))
    result = FirstChars(result, static_cast<size_t>(maxLength));
  return result;
}

std::string TTableCreator::MakeTableName(const std::string& name) { return MakeName(name, "t_", MaxTableNameLength()); }

std::string TTableCreator::MakeFieldName(const std::string& name) { return MakeName(name, "f_", MaxFieldNameLength()); }

std::string TTableCreator::CheckName(const std::string& name, const std::string& label, int maxLength) {
  if (CharCount(name) > static_cast<size_t>(std::max(maxLength, 0)))
    return label + " length can not > " + IntToStr(maxLength) + ".";
  if (Keywords.IndexOf(LowerCase(name)) >= 0) return label + " can not be keyword \"" + name + "\".";
  std::string found;
  for (const TStringList* list : {&RemovedChars, &ReplacedChars})
    for (const auto& c : list->Strings())
      if (name.find(c) != std::string::npos) found += c + " ";
  if (!found.empty()) return label + " can not contain char \" " + found + " \".";
  return std::string();
}

std::string TTableCreator::CheckTableName(const std::string& name) {
  return CheckName(name, "Table Name", MaxTableNameLength());
}

std::string TTableCreator::CheckFieldName(const std::string& name) {
  return CheckName(name, "Field Name", MaxFieldNameLength());
}

void TTableCreator::LoadFieldInfo(int index) {
  if (!TableInfo) throw Exception("The table creator has no table definition");
  const TTableInfo& t = *TableInfo;
  FieldInfo->Name = t.FieldNames[index];
  FieldInfo->DataType = t.FieldTypes[index];
  FieldInfo->Index = t.Indexes[index];
  FieldInfo->NotNull = StrToBool(t.NotNulls[index]);
  FieldInfo->PrimaryKey = StrToBool(t.PrimaryKeys[index]);
  FieldInfo->AutoIncrement = StrToBool(t.AutoIncrements[index]);
}

std::string TTableCreator::IndexName(TDBHelper& helper, const std::string& prefix, const std::string& fieldName) {
  std::string name = prefix + ReplaceAll(fieldName, " ", "");
  // A name that is a plain identifier stays unquoted, so the database folds its case
  // as it always did; anything else could end the statement and is quoted instead.
  return IsPlainIdentifier(name) ? name : helper.QuoteName(name);
}

// ---------------------------------------------------------------------------

void TTableCreateHelper::MapFields(const TStringList& columns, const std::string& sourceKind,
                                   const std::string& destKind) {
  FieldTypes.Clear();
  TFieldTypeMap map;
  map.SetSourceDB(sourceKind);
  map.SetDestDB(destKind);
  for (int i = 0; i < columns.Count(); ++i)
    FieldTypes.SetValue(columns.Names(i), map.MapType(columns.ValueFromIndex(i)));
}

// ---------------------------------------------------------------------------

void TCreateTableDumbCommand::Execute() {
  TableInfo.Clear();
  TableInfo.TableName = Helper->TableName;
  TableInfo.Schema = Helper->Schema;
  for (int i = 0; i < Helper->FieldTypes.Count(); ++i)
    TableInfo.AddField(Creator->MakeFieldName(Helper->FieldTypes.Names(i)), Helper->FieldTypes.ValueFromIndex(i));
  Creator->SetExecutor(Executor);
  Creator->SetTableInfo(&TableInfo);
  Creator->CreateTable(&TableInfo);
}

// ---------------------------------------------------------------------------

TCreateDestTableCommand::TCreateDestTableCommand(TDBObjectFactory* factory, TLogSink* logSink) {
  if (!factory) throw Exception("No destination database factory to create the table with");
  FExecutor = factory->CreateSqlExecutor();
  FCreator = factory->CreateTableCreator();
  if (FCreator) FCreator->SetLogSink(logSink);
  FHelper = std::make_unique<TTableCreateHelper>();
  FCommand = std::make_unique<TCreateTableDumbCommand>(FExecutor.get(), FCreator.get(), FHelper.get());
}

TCreateDestTableCommand::~TCreateDestTableCommand() = default;

void TCreateDestTableCommand::Execute(const std::string& sourceKind, const std::string& destKind,
                                      const std::string& tableName, const TStringList& columns,
                                      const std::string& schema) {
  FHelper->TableName = tableName;
  FHelper->Schema = schema;
  FHelper->MapFields(columns, sourceKind, destKind);
  FCommand->Execute();
}

// ---------------------------------------------------------------------------

void TCreateTableCommand::Propose() {
  TableName = Creator->MakeTableName(Helper->TableName);
  Fields.Clear();
  if (!Helper->FieldTypes.Empty()) {
    Fields = Helper->FieldTypes;
    return;
  }
  for (int i = 0; i < Helper->FieldNames.Count(); ++i) {
    std::string name = Helper->FieldNames[i];
    if (name.empty()) name = "Field_" + IntToStr(i);
    // Every source column needs a column of its own: the columns are mapped by position.
    std::string unique = name;
    for (int n = 2; Fields.IndexOfName(unique) >= 0; ++n) unique = name + "_" + IntToStr(n);
    Fields.SetValue(unique, Creator->DefaultDataType);
  }
}

std::unique_ptr<TTableInfo> TCreateTableCommand::ProposedTableInfo() const {
  auto info = std::make_unique<TTableInfo>();
  info->TableName = TableName;
  for (int i = 0; i < Fields.Count(); ++i) info->AddField(Fields.Names(i), Fields.ValueFromIndex(i));
  return info;
}

bool TCreateTableCommand::Execute() {
  CreatedTableName.clear();
  Propose();
  return ShowDialog ? ShowDialog(*this) : false;
}

std::string TCreateTableCommand::CreateTableFromDialog(TTableInfo& tableInfo, bool& created) {
  created = false;
  try {
    Creator->CreateTable(&tableInfo);
  } catch (const std::exception& e) {
    return "Table create failed: \r\n" + ExceptionMessage(e);
  }
  created = true;
  CreatedTableName = tableInfo.TableName;
  return "Table created.";
}
