#pragma once

#include <string>

#include "base/UStrings.h"

// Translates a column type of one kind of database into one of another through a
// small generic vocabulary: "integer", "float", "string", "widestring", "memo",
// "bytes", "blob", "boolean", "date", "time", "datetime", "timestamp", "unknown".
// Kinds: "access", "mssql", "oracle", "mysql", "db2", "postgresql", "sqlite".
class TFieldTypeMap {
public:
  TFieldTypeMap();

  // Selects the map of the kind equal to the lower-cased argument; an unknown kind
  // leaves no map selected.
  void SetSourceDB(const std::string& kind);
  void SetDestDB(const std::string& kind);

  // The destination type for nativeType, or empty text while either map is missing.
  // A type no source map knows is "unknown", which every destination maps to a text
  // column.
  std::string MapType(const std::string& nativeType) const;

  // Lower-cased and trimmed, a size in parentheses cut off ("varchar(40)" gives
  // "varchar"); "(max)" sizes stay, since they are types of their own.
  static std::string NormaliseType(const std::string& nativeType);

private:
  const TStringList* FSource = nullptr;
  const TStringList* FDest = nullptr;
};

// The kind word of a connection's provider name: "SQL Server" gives "MsSql", "MySQL"
// "Mysql", "PostgreSQL" "Postgres", "SQLite" "Sqlite"; any other name stays as it is.
std::string DBKindOfProvider(const std::string& providerName);
