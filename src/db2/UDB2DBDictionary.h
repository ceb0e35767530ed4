#pragma once

#include <memory>
#include <string>

#include "dialect/UDBDictionary.h"

class TUniConnection;
class TUniQuery;

// Identifiers between double quotes; a double quote inside a name is doubled, so no
// name can end the quoted identifier early and smuggle SQL text of its own in.
class TDB2DBHelper : public TDBHelper {
public:
  std::string QuoteName(const std::string& name) override;
};

// Asks the server for its version and counts a query's rows with a count query of
// its own. Old servers (version 6) cannot count a result themselves.
class TDB2RecordCounter {
public:
  TDB2RecordCounter();
  ~TDB2RecordCounter();
  TDB2RecordCounter(const TDB2RecordCounter&) = delete;
  TDB2RecordCounter& operator=(const TDB2RecordCounter&) = delete;

  void SetConnection(TUniConnection* connection);
  // Reads the first row of sysibm.sysversions; errors propagate.
  void LoadVersion();
  // Loads the version first while it is still unknown.
  bool IsVersion6();
  // Rows of sqlText; 0 when the count fails, as for an empty result.
  int64_t CountRecords(const std::string& sqlText);
  static std::string CountSql(const std::string& sqlText) { return "select count(1) from (" + sqlText + ")"; }

  std::string Version;

private:
  std::unique_ptr<TUniQuery> Query;
};

class TDB2DBDictionary : public TUniDBDictionary {
public:
  std::unique_ptr<TDBHelper> CreateHelper() override;
  // Trimmed names of sysibm.SYSSCHEMATA. An error is shown (OnShowMessage) and the
  // names read until then are returned.
  std::unique_ptr<TStringList> GetSchemas() override;
  // CURRENT SCHEMA, trimmed; empty text on any error.
  std::string GetDefaultSchema() override;
  // COLNAME=lower-cased TYPENAME from syscat.COLUMNS in column order. Schema and table
  // must be spelt as the catalogue holds them. An error is shown (OnShowMessage) and
  // the entries read until then are returned.
  std::unique_ptr<TStringList> GetColumns(const std::string& schema, const std::string& table) override;
  std::unique_ptr<TStringList> GetDateFields(const TStringList& columns) override;
  std::unique_ptr<TStringList> GetNumberFields(const TStringList& columns) override;
  std::unique_ptr<TStringList> GetLobFields(const TStringList& columns) override;
  // False on a version-6 server, asked anew on every call; errors of the version probe
  // propagate.
  bool CanQueryRecCount(const std::string& sqlText) override;

  // The catalogue query GetColumns runs, with schema and table as quoted literals.
  std::string ColumnsSql(const std::string& schema, const std::string& table);
};
