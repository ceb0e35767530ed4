#pragma once

#include <string>
#include <vector>

#include "dac/UDataAccess.h"

// Catalogue look-ups. "Tables": restrictions TABLE_CATALOG, TABLE_SCHEMA, TABLE_TYPE
// ("TABLE", "VIEW" or both comma-separated), TABLE_NAME; columns TABLE_CATALOG,
// TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE. "Columns": restrictions TABLE_SCHEMA,
// TABLE_NAME; columns TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, POSITION
// (from 1), DATA_TYPE (type name as the database writes it), COLUMN_SIZE,
// DECIMAL_DIGITS, NULLABLE (1/0). Empty restrictions do not restrict; names are
// matched exactly, never as patterns.
class TUniMetaData {
 public:
  explicit TUniMetaData(TUniConnection* connection = nullptr);
  ~TUniMetaData();

  std::string MetaDataKind;
  TStringList Restrictions;

  void Open();
  void Close();
  bool Eof() const { return FRow >= FRows.size(); }
  void Next();
  int RecordCount() const { return static_cast<int>(FRows.size()); }
  TUniField& FieldByName(const std::string& name);
  TUniField* FindField(const std::string& name);

 private:
  TUniConnection* FConnection = nullptr;
  bool FActive = false;
  std::vector<std::vector<TUniField>> FRows;
  size_t FRow = 0;
};
