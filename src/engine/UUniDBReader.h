#pragma once

#include <memory>
#include <string>

#include "engine/UDataReader.h"

class TDBHelper;
class TUniConnection;
class TUniQuery;
class TUniScript;
class TUniField;

// The text a reader hands out for a field of the current row, decided by its field
// type:
//   NULL (any type)           ""
//   ftBytes, ftVarBytes       each byte as two upper-case hexadecimal digits
//   ftDate                    "yyyy-mm-dd"
//   ftTime                    "hh:mm:ss", then "." and the fraction when it is not 0
//   ftDateTime                "yyyy-mm-dd hh:mm:ss", the fraction likewise
//   ftTimeStamp(Offset)       "yyyy-mm-dd hh:mm:ss.f", f the fraction digits, at least one
//   anything else             the field's own text: integers exact, floats as the
//                             shortest text that reads back as the same double,
//                             decimals as the exact digits the database sent, text and
//                             BLOB contents as stored
// The date and binary forms apply only to values held as dates or bytes: a value
// SQLite holds in another storage class than its column's type (text in a DATE or
// BINARY column, text in an INTEGER column) is handed out as its own text.
std::string FieldValueText(const TUniField& field);

// A database reader over the data-access layer: the statement runs through a script,
// so a multi-statement text leaves its last result set in the query, and the cursor is
// forward-only with a fixed number of rows per round trip.
class TUniDBReader : public TDBReader {
 public:
  TUniDBReader();
  ~TUniDBReader() override;

  // Builds the statement when there is none, runs it on a fresh query, fills the
  // column names when they are empty, establishes the record count and stands on row
  // 1. Raises "Not valid sql" when there is neither a statement nor a table name.
  void Open() override;
  void Close() override;
  bool HasData() const override;
  void Next() override;
  std::string GetValue(int index) const override;
  std::string GetColumnName(int index) const override;
  void SaveBlobToFile(int index, const std::string& fileName) const override;
  bool IsNull(int index) const override;
  std::string GetBytes(int index) const override;
  TFieldType GetFieldType(int index) const override;
  TValueKind GetValueKind(int index) const override;
  // ftMemo, ftOraClob.
  bool IsClob(int index) const override;
  // ftBlob, ftOraBlob.
  bool IsBlob(int index) const override;
  void SetFetchRows(int rows) override;

  // The query's record count; else "select count(1) from (" + SQL + ") a"; else
  // UnknownRecordCount.
  virtual void UpdateRecordCount();
  // "select " + quoted column names or "*" + " from " + the qualified table name.
  virtual void BuildSelectSql();
  virtual std::unique_ptr<TDBHelper> CreateDBHelper() = 0;
  virtual void SetConnection(TUniConnection* connection);

  TUniConnection* Connection() const;
  TUniQuery* Query() const { return FQuery.get(); }
  TDBHelper* DBHelper() const { return FDBHelper.get(); }

 protected:
  // Each dialect reader calls this from its constructor, where CreateDBHelper is its
  // own.
  void InitDBHelper();
  void SetQueryRecCount(bool value);
  // Runs a count statement on the reader's connection; UnknownRecordCount when it
  // fails or yields no row.
  int64_t CountWith(const std::string& countSql) const;

 private:
  std::unique_ptr<TUniQuery> NewQuery() const;
  const TUniField& Field(int index) const;

  TUniConnection* FConnection = nullptr;
  bool FQueryRecCount = true;
  std::unique_ptr<TUniQuery> FQuery;
  std::unique_ptr<TUniScript> FScript;
  std::unique_ptr<TDBHelper> FDBHelper;
};
