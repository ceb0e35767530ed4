#include "sqlite/USqliteTableCreator.h"

#include "sqlite/USqliteDBDictionary.h"

TSqliteTableCreator::TSqliteTableCreator() : Helper(std::make_unique<TSqliteDBHelper>()) {
  Initialize();
  DefaultDataType = "NVARCHAR(255)";
}

TSqliteTableCreator::~TSqliteTableCreator() = default;

void TSqliteTableCreator::FillDataTypes() {
  for (const char* t : {"NVARCHAR(255)", "VARCHAR(255)", "NCHAR(255)", "CHAR(255)", "DATE", "DATETIME", "NUMERIC",
                        "INTEGER", "REAL", "TEXT", "NTEXT", "BLOB", "CLOB"})
    DataTypes.Add(t);
}

void TSqliteTableCreator::FillNonIndexableTypes() {
  for (const char* t : {"BLOB", "CLOB", "TEXT", "NTEXT"}) NonIndexableTypes.Add(t);
}

void TSqliteTableCreator::BuildSql(TTableInfo* tableInfo) {
  TTableCreator::BuildSql(tableInfo);
  std::string table = Helper->QuoteName(tableInfo->TableName);
  SqlText = "create table " + table + " (" + "\r\n";
  std::string keyClause;
  bool inlineKey = false;
  int count = tableInfo->FieldCount();
  for (int i = 0; i < count; ++i) {
    LoadFieldInfo(i);
    const TFieldInfo& field = GetFieldInfo();
    std::string name = Helper->QuoteName(field.Name);
    std::string line = name + " " + field.DataType;
    if (field.NotNull) line += " not null";
    if (field.PrimaryKey && field.AutoIncrement && !inlineKey) {
      line += " primary key autoincrement";
      inlineKey = true;
    } else if (field.PrimaryKey) {
      keyClause = "primary key (" + name + ")";
    }
    if (i < count - 1) line += std::string(",") + "\r\n";
    SqlText += line;
    // SQLite index names are unique in the whole file: the table name goes into them.
    std::string indexName = IndexName(*Helper, "idx_" + tableInfo->TableName + "_", field.Name);
    if (field.Index == "Yes")
      ExtraSql.Add("create index " + indexName + " on " + table + " (" + name + ")");
    else if (field.Index == "Yes (Unique)")
      ExtraSql.Add("create unique index " + indexName + " on " + table + " (" + name + ")");
  }
  if (!keyClause.empty() && !inlineKey) SqlText += std::string(",") + "\r\n" + keyClause;
  SqlText += "\r\n)";
}
