#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/UStrings.h"
#include "dialect/UTableInfo.h"

class TDBHelper;
class TDBObjectFactory;
class TLogSink;
class TSqlExecutor;

// Turns a table definition into CREATE TABLE and CREATE INDEX texts, makes and
// checks names, and runs the statements through a SQL executor. Each kind supplies
// its statement texts and type choices.
class TTableCreator {
 public:
  TTableCreator();
  virtual ~TTableCreator();
  TTableCreator(const TTableCreator&) = delete;
  TTableCreator& operator=(const TTableCreator&) = delete;

  // Fills SqlText and ExtraSql from tableInfo, which becomes the current definition.
  virtual void BuildSql(TTableInfo* tableInfo);
  virtual void FillKeywords();
  virtual int MaxTableNameLength() { return 255; }
  virtual int MaxFieldNameLength() { return 255; }
  virtual void FillDataTypes() {}
  virtual void FillNonIndexableTypes() {}
  virtual bool SupportsAutoIncrement() { return false; }

  void SetExecutor(TSqlExecutor* executor) { Executor = executor; }
  // Where the statements run go (the memory log); none: they go nowhere.
  void SetLogSink(TLogSink* sink) { LogSink = sink; }
  void SetTableInfo(TTableInfo* tableInfo) { TableInfo = tableInfo; }

  // BuildSql, then ExecuteSql.
  void CreateTable(TTableInfo* tableInfo);
  // SqlText, then each ExtraSql entry in order, each logged to the memory log first;
  // the first failing statement raises and the rest do not run.
  void ExecuteSql();
  // SqlText + CR LF + each ExtraSql line followed by CR LF.
  std::string GetSqlText() const;

  // Trimmed, RemovedChars dropped, ReplacedChars turned into "_", a keyword prefixed
  // with "t_" ("f_" for fields), cut to the length limit.
  std::string MakeTableName(const std::string& name);
  std::string MakeFieldName(const std::string& name);
  // Empty text when the name is acceptable, else the message of the first check it fails.
  std::string CheckTableName(const std::string& name);
  std::string CheckFieldName(const std::string& name);

  // Fills FieldInfo from row index of the current definition; the flags are read as
  // boolean texts (EConvertError for anything else).
  void LoadFieldInfo(int index);
  const TFieldInfo& GetFieldInfo() const { return *FieldInfo; }

  std::string SqlText;
  TStringList ExtraSql;
  TStringList RemovedChars;
  TStringList ReplacedChars;
  TStringList Keywords;
  TStringList DataTypes;          // the types the create-table dialog offers
  TStringList NonIndexableTypes;  // types that carry neither an index nor a primary key
  std::string DefaultDataType;    // proposed for a column of unknown type

 protected:
  // Fills the lists through the kind's virtual operations; every kind's constructor
  // calls it, since a base constructor cannot reach them.
  void Initialize();
  // The name of the index made for a column: idx_ + the name without blanks, quoted
  // with helper when it is no plain identifier.
  static std::string IndexName(TDBHelper& helper, const std::string& prefix, const std::string& fieldName);

  TTableInfo* TableInfo = nullptr;
  std::unique_ptr<TFieldInfo> FieldInfo;
  TSqlExecutor* Executor = nullptr;
  TLogSink* LogSink = nullptr;

 private:
  void LogToMemory(const std::string& text);
  std::string MakeName(const std::string& name, const char* keywordPrefix, int maxLength);
  std::string CheckName(const std::string& name, const std::string& label, int maxLength);
};

// What a table to be created is made from: its name and either the source's column
// list mapped to destination types or, when the source has no column types, plain
// column names.
class TTableCreateHelper {
 public:
  std::string TableName;
  std::string Schema;      // where the table goes; empty: the connection's current schema
  TStringList FieldTypes;  // name=destination type
  TStringList FieldNames;

  // FieldTypes := each name=type of columns with the type mapped from sourceKind to
  // destKind; a type that maps to nothing leaves its column out.
  void MapFields(const TStringList& columns, const std::string& sourceKind, const std::string& destKind);
};

// Creates the helper's table as it stands: the table name as given, column names
// made safe, no keys, no indexes, all columns nullable.
class TCreateTableDumbCommand {
 public:
  TCreateTableDumbCommand(TSqlExecutor* executor, TTableCreator* creator, TTableCreateHelper* helper)
      : Executor(executor), Creator(creator), Helper(helper) {}
  void Execute();

 private:
  TSqlExecutor* Executor;
  TTableCreator* Creator;
  TTableCreateHelper* Helper;
  TTableInfo TableInfo;
};

// Unattended creation of a destination table from a source column list, as the
// all-tables session does for tables "To Be Created".
class TCreateDestTableCommand {
 public:
  // Executor and table creator come from factory, the destination database factory;
  // the statements go to logSink's memory log.
  explicit TCreateDestTableCommand(TDBObjectFactory* factory, TLogSink* logSink = nullptr);
  ~TCreateDestTableCommand();
  TCreateDestTableCommand(const TCreateDestTableCommand&) = delete;
  TCreateDestTableCommand& operator=(const TCreateDestTableCommand&) = delete;

  // Maps columns (a column list) from sourceKind to destKind and creates tableName,
  // in schema when one is given. Statement errors propagate.
  void Execute(const std::string& sourceKind, const std::string& destKind, const std::string& tableName,
               const TStringList& columns, const std::string& schema = "");

  TTableCreator* Creator() const { return FCreator.get(); }
  TTableCreateHelper* Helper() const { return FHelper.get(); }

 private:
  std::unique_ptr<TSqlExecutor> FExecutor;
  std::unique_ptr<TTableCreator> FCreator;
  std::unique_ptr<TTableCreateHelper> FHelper;
  std::unique_ptr<TCreateTableDumbCommand> FCommand;
};

// The interactive creation: proposes a definition from the helper and hands it to
// the create-table dialog of the front end, which lets the user change it and then
// creates the table through CreateTableFromDialog.
class TCreateTableCommand {
 public:
  TCreateTableCommand(TTableCreator* creator, TTableCreateHelper* helper) : Creator(creator), Helper(helper) {}

  // TableName := MakeTableName of the helper's table name; Fields := the helper's
  // mapped types, or else its field names with the creator's default type (an empty
  // name becomes Field_<position>, a repeated one gets _2, _3, ... until it is unique).
  void Propose();
  // The proposal as a definition: no keys, no indexes, all columns nullable.
  std::unique_ptr<TTableInfo> ProposedTableInfo() const;

  // Proposes, then runs ShowDialog; whether a table was created. Without a dialog
  // nothing is created.
  bool Execute();
  // For the dialog: creates tableInfo and returns "Table created." or
  // "Table create failed: \r\n" + the error message; on success CreatedTableName is set.
  std::string CreateTableFromDialog(TTableInfo& tableInfo, bool& created);

  std::string TableName;
  TStringList Fields;  // name=type, in source order
  std::string CreatedTableName;
  // The front end's create-table dialog: shows the proposal, returns whether a table
  // was created.
  std::function<bool(TCreateTableCommand&)> ShowDialog;

 private:
  TTableCreator* Creator;
  TTableCreateHelper* Helper;
};
