#pragma once

#include <string>

#include "base/UStrings.h"

// Definition of a table to be created. The six lists run in parallel, one entry per
// column in column order. The flag lists hold boolean texts ("true", "false", "0",
// "-1", ...); Indexes holds "no", "Yes" or "Yes (Unique)", and only those two exact
// spellings create an index.
class TTableInfo {
 public:
  std::string TableName;
  std::string Schema;  // empty: the connection's current schema
  TStringList FieldNames;
  TStringList FieldTypes;  // exactly as it goes into the DDL, size included: "varchar(255)"
  TStringList NotNulls;
  TStringList PrimaryKeys;
  TStringList AutoIncrements;
  TStringList Indexes;

  int FieldCount() const { return FieldNames.Count(); }
  // Appends one column to all six lists at once, so they cannot drift apart.
  void AddField(const std::string& name, const std::string& dataType, const std::string& notNull = "false",
                const std::string& primaryKey = "false", const std::string& autoIncrement = "false",
                const std::string& index = "no");
  void Clear();
};

// One column of a TTableInfo, as the table creator reads it.
class TFieldInfo {
 public:
  std::string Name;
  std::string DataType;
  std::string Index = "no";
  bool NotNull = false;
  bool PrimaryKey = false;
  bool AutoIncrement = false;
};
