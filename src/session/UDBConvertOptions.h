#pragma once

#include <memory>
#include <string>

#include "base/UStrings.h"
#include "session/UConvertOptions.h"

class TDBObjectFactory;
class TConvertObjectFactory;
class TDBDictionary;
class TSqlCreator;

// Options bound to one database through its database-object factory (not owned).
class TDBConvertOptions : public TDataConvertModel {
 public:
  explicit TDBConvertOptions(TDBObjectFactory* dbObjectFactory) : DBObjectFactory(dbObjectFactory) {}

  TDBObjectFactory* DBObjectFactory;

 protected:
  // The factory's dictionary; raises when there is no factory to ask.
  TDBDictionary& Dictionary() const;
};

// The source schema and the lists the front end picks from.
class TSourceSchemaOptions : public TDBConvertOptions {
 public:
  using TDBConvertOptions::TDBConvertOptions;

  void SaveToFile(const std::string& fileName, const std::string& section) override;
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  // Schemas := the dictionary's schemas; a SourceSchema that is not among them becomes
  // the default schema.
  void LoadSchemas();
  // Tables := the tables of SourceSchema, followed by its views when ShowViews is set.
  void LoadTables();

  std::string SourceSchema;
  bool ShowViews = false;
  TStringList Schemas;
  TStringList Tables;
};

// The source table.
class TSourceTableOptions : public TDBConvertOptions {
 public:
  using TDBConvertOptions::TDBConvertOptions;

  void SaveToFile(const std::string& fileName, const std::string& section) override;
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  std::string SourceTable;
  std::string Schema;  // not persisted: only the all-tables source sets it
};

// The source query.
class TSourceQueryOptions : public TDataConvertModel {
 public:
  // Line breaks become blanks: an ini value holds one line.
  void SaveToFile(const std::string& fileName, const std::string& section) override;
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  // The texts compared as stored, without surrounding blanks and control characters.
  bool SameAs(const TDataConvertModel& other) const override;

  std::string Sql;
};

// A source read from a database through the source factories (not owned).
class TDBSourceOptions : public TSourceOptions {
 public:
  TDBSourceOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory);
  ~TDBSourceOptions() override;

  // Reader := the convert factory's data reader; no reader without a convert factory.
  void CreateReader() override;
  // Sub-options of a subclass. A base constructor cannot reach an override, so each
  // subclass calls its own from its constructor and destructor.
  virtual void CreateSubOptions() {}
  virtual void FreeSubOptions() {}

  TDBObjectFactory* DBObjectFactory;
  TConvertObjectFactory* ConvertObjectFactory;
};

// One source table.
class TTableSourceOptions : public TDBSourceOptions {
 public:
  TTableSourceOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory);
  ~TTableSourceOptions() override;

  void CreateSubOptions() override;
  void FreeSubOptions() override;

  void SaveToFile(const std::string& fileName, const std::string& section) override;
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  void ConfigReader() override;
  // Points reader at TableOptions' schema and table, with no SQL text of its own.
  virtual void ConfigReaderFor(TDBReader* reader);

  std::string GetSourceSchema() const { return SchemaOptions->SourceSchema; }
  std::string GetSourceTable() const { return TableOptions->SourceTable; }
  // Sets the table and the schema the reader gets, then DoChange.
  void SetSchemaAndTable(const std::string& schema, const std::string& table);

  std::unique_ptr<TSourceSchemaOptions> SchemaOptions;
  std::unique_ptr<TSourceTableOptions> TableOptions;
};

// The result of one query.
class TQuerySourceOptions : public TDBSourceOptions {
 public:
  TQuerySourceOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory);
  ~TQuerySourceOptions() override;

  void SaveToFile(const std::string& fileName, const std::string& section) override;
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  void ConfigReader() override;
  // The text the reader runs: the query trimmed, and one final ";" removed.
  std::string GetReaderSql() const;
  const std::string& GetSql() const { return QueryOptions->Sql; }

  std::unique_ptr<TSourceQueryOptions> QueryOptions;
};

// A source schema whose tables are read one after another.
class TBatchDBSourceOptions : public TDBSourceOptions {
 public:
  TBatchDBSourceOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory);
  ~TBatchDBSourceOptions() override;

  void SaveToFile(const std::string& fileName, const std::string& section) override;
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  // Makes table name of the source schema the one the reader reads.
  virtual void SelectTable(const std::string& name) = 0;

  std::string GetSourceSchema() const { return SchemaOptions->SourceSchema; }
  const TStringList& GetTables() const { return SchemaOptions->Tables; }

  std::unique_ptr<TSourceSchemaOptions> SchemaOptions;
};

class TTransveyBatchDBSourceOptions : public TBatchDBSourceOptions {
 public:
  TTransveyBatchDBSourceOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory);
  ~TTransveyBatchDBSourceOptions() override;

  void SelectTable(const std::string& name) override;
  // The own reader reads the selected table with the schema's row selection.
  void ConfigReader() override;
  // The field map of the table being run selects its columns, so a column left out of
  // it cannot shift the later ones into the wrong destination columns.
  const TStringList& ReaderColumns() const override;
  int ReaderFieldCount() const override;

  // The table currently selected.
  std::unique_ptr<TTableSourceOptions> TableSourceOptions;
};

// A destination in a database schema, through the destination factories (not owned).
// The LOB options are not persisted.
class TDBDestOptions : public TDestOptions {
 public:
  TDBDestOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory);
  ~TDBDestOptions() override;

  void SaveToFile(const std::string& fileName, const std::string& section) override;
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  // Sub-objects of a subclass; each subclass calls its own from its constructor and
  // destructor, as a base constructor cannot reach an override.
  virtual void CreateSubObjects() {}
  virtual void FreeSubObjects() {}

  // Schemas := the dictionary's schemas, and DestSchema := the default schema, always.
  void LoadSchemas();
  // Tables := the dictionary's tables of DestSchema.
  void LoadTables();
  void SetDestSchema(const std::string& schema);

  std::string DestSchema;
  TStringList Schemas;
  TStringList Tables;
  TDBObjectFactory* DBObjectFactory;
  TConvertObjectFactory* ConvertObjectFactory;

 protected:
  TDBDictionary& Dictionary() const;
};

// One destination table: its load type, its field map and its writers.
class TTableDestOptions : public TDBDestOptions {
 public:
  static constexpr const char* ParseFieldsError = "TTableDestOptions.LoadFromFile, Parse Fields Error.";

  TTableDestOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory);
  ~TTableDestOptions() override;

  void CreateSubObjects() override;
  void FreeSubObjects() override;

  // An empty LoadType is saved, and kept, as "Replace". Raises ESessionValueError,
  // before writing anything, when the field map holds a text "Fields" cannot keep.
  void SaveToFile(const std::string& fileName, const std::string& section) override;
  // Raises ESessionValueError when a field name holds ";", "|", "=" or a line break, or
  // its type, date format or null-if text holds ";", "|" or a line break.
  void CheckFieldsStorable() const;
  // Appends to the field-map lists. Raises ESessionValueError, and leaves the lists as
  // they were, for a "LoadType" other than 0, 1, 2 or the words Append, Replace,
  // Update (any case), for a "Fields" entry of fewer than three parts (with the text
  // ParseFieldsError) or of more than four, and for a field name holding "=".
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  void SetOutputToDB() { OutputKind = "DB"; }
  void SetOutputToSQL() { OutputKind = "SQL"; }
  // Hands SqlCreator the destination, the field map and the load type.
  void PrepareSqlCreator();
  // PrepareSqlCreator, then the writer of OutputKind.
  TDataWriter* GetWriter() override;
  // PrepareSqlCreator, then SqlWriter.
  TDataWriter* GetSqlWriter();
  // SqlWriter when OutputKind is exactly "SQL", else DBWriter.
  TDataWriter* GetOutputWriter() const;

  // Refreshes the destination table's description from the dictionary.
  void LoadDestFields();
  void SetDestTable(const std::string& name);

  std::string OutputKind = "DB";
  std::string DestTable;
  std::string LoadType;  // "Append", "Replace" or "Update"
  std::string UpdateKey;

  TStringList FieldNames;   // destination fields in mapping order
  TStringList FieldTypes;   // name=type
  TStringList DateFormats;  // name=format
  TStringList NullIfs;      // name=text

  TStringList DestColumns;      // name=type of every column, in table order
  TStringList DestColumnNames;  // the names alone
  TStringList DateColumns;
  TStringList NumericColumns;

  std::unique_ptr<TSqlCreator> SqlCreator;
  std::unique_ptr<TDataWriter> DBWriter;
  std::unique_ptr<TDataWriter> SqlWriter;  // the SQL script writer

 private:
  std::unique_ptr<TDataWriter> CreateSqlWriter();
  void BindWriters();
};

// A destination schema for many tables; the table of the item being run is handed to
// TableDestOptions.
class TBatchDBDestOptions : public TDBDestOptions {
 public:
  TBatchDBDestOptions(TDBObjectFactory* dbObjectFactory, TConvertObjectFactory* convertObjectFactory);
  ~TBatchDBDestOptions() override;

  // "LoadType" is stored as text; on reading, "0" means Replace and "1" Append, the
  // words are taken in any case, and anything else raises ESessionValueError.
  void SaveToFile(const std::string& fileName, const std::string& section) override;
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  virtual std::unique_ptr<TTableDestOptions> CreateTableDestOptions();
  // DestTable := name; TableDestOptions gets DestSchema, DestTable and LoadType.
  void SetDestTable(const std::string& name);
  TDataWriter* GetWriter() override;

  std::string LoadType;
  std::string DestTable;
  std::unique_ptr<TTableDestOptions> TableDestOptions;
};
