#pragma once

#include "dialect/UDBDictionary.h"

// Identifiers in double quotes, a double quote inside a name doubled: SQLite reads any
// name written so, where square brackets have no way to hold a "]" (SQLite does not
// read "]]" as one). No name can end the quotes early and bring SQL text of its own.
class TSqliteDBHelper : public TDBHelper {
public:
  std::string QuoteName(const std::string& name) override;
};

// SQLite has no schemas: none are listed, the default one is empty and the schema
// argument of every call is ignored.
class TSqliteDBDictionary : public TUniDBDictionary {
public:
  std::unique_ptr<TDBHelper> CreateHelper() override;
  std::unique_ptr<TStringList> GetSchemas() override;
  std::string GetDefaultSchema() override;
  // name=declared type, the size cut off at its "(" ("VARCHAR(50)" gives "VARCHAR",
  // "VARCHAR (50)" gives "VARCHAR "); columns declared without a type are left out.
  std::unique_ptr<TStringList> GetColumns(const std::string& schema, const std::string& table) override;
  std::unique_ptr<TStringList> GetDateFields(const TStringList& columns) override;
  std::unique_ptr<TStringList> GetNumberFields(const TStringList& columns) override;
  std::unique_ptr<TStringList> GetLobFields(const TStringList& columns) override;
  bool CanQueryRecCount(const std::string& sqlText) override;
};
