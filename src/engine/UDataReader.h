#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/UStrings.h"
#include "dac/UDataAccess.h"

// The source end of a transfer: a forward cursor over rows. Every value crosses as
// text (GetValue, empty for NULL) for the writer, previews and messages; beside the
// text travel what the text alone cannot say: whether the value is NULL, its bytes as
// stored, how it is held and the field type of its column. Indexes are 0-based column
// indexes of this reader.
class TDataReader {
 public:
  // A record count that could not be established; rows are then read until HasData
  // is false.
  static constexpr int64_t UnknownRecordCount = -1;

  TDataReader() = default;
  virtual ~TDataReader() = default;
  TDataReader(const TDataReader&) = delete;
  TDataReader& operator=(const TDataReader&) = delete;

  virtual void SetTag(int tag);
  // 1-based number of the current row: 1 right after Open, one more after each Next.
  virtual int64_t GetRowNumber() const;
  // " Row " and the row number, for the converter's messages.
  virtual std::string GetPositionText() const;
  virtual void Open() = 0;
  virtual void Close() = 0;
  // Next until the row number is at least row or the rows run out.
  virtual void GoToRow(int64_t row);
  virtual bool HasData() const = 0;
  virtual void Next() = 0;
  virtual std::string GetValue(int index) const = 0;
  virtual std::string GetColumnName(int index) const = 0;
  // Rows the reader yields; UnknownRecordCount when that could not be established.
  virtual int64_t GetRecordCount() const = 0;
  virtual int GetColumnCount() const = 0;
  virtual int GetColumnFlag(int index) const;
  // The bytes of column index of the current row (GetBytes) into fileName.
  virtual void SaveBlobToFile(int index, const std::string& fileName) const = 0;
  virtual std::string GetDescription() const = 0;

  // True for a NULL value, whose GetValue and GetBytes are empty.
  virtual bool IsNull(int index) const = 0;
  // The value byte for byte as the database holds it: BLOB and binary contents
  // unchanged (GetValue writes ftBytes/ftVarBytes in hexadecimal), text as UTF-8;
  // numbers and dates as their GetValue text.
  virtual std::string GetBytes(int index) const = 0;
  // The field type of column index, as the data-access layer reports it.
  virtual TFieldType GetFieldType(int index) const = 0;
  // How the current value is held; SQLite may hold text in an INTEGER or DATE column.
  virtual TValueKind GetValueKind(int index) const = 0;

 protected:
  int Tag = 0;
  int64_t RowNumber = 0;
};

// A reader over one statement of one database.
class TDBReader : public TDataReader {
 public:
  int64_t GetRowNumber() const override;
  void Close() override;
  int64_t GetRecordCount() const override;
  int GetColumnCount() const override;
  int GetColumnFlag(int index) const override;
  // "From Query: " + SQL without a table, else "From Table: " [+ schema + "."] + table.
  std::string GetDescription() const override;

  virtual std::unique_ptr<TStringList> GetFieldNames() const;
  // ftSmallint, ftInteger, ftWord, ftBoolean and ftFloat columns.
  virtual std::unique_ptr<TStringList> GetNumericFieldNames() const;
  virtual std::unique_ptr<TStringList> GetLobFieldNames() const;
  virtual std::unique_ptr<TStringList> GetBlobFieldNames() const;
  virtual std::unique_ptr<TStringList> GetClobFieldNames() const;
  virtual bool IsClob(int index) const;
  virtual bool IsBlob(int index) const;
  virtual void SetFetchRows(int rows);
  virtual int GetFetchRows() const;

  void SetSql(const std::string& sql) { Sql = sql; }
  const std::string& GetSql() const { return Sql; }
  void SetSchemaName(const std::string& name) { SchemaName = name; }
  void SetTableName(const std::string& name) { TableName = name; }
  // Non-empty before Open: the built statement reads only these columns. Filled from
  // the result set at Open when empty.
  TStringList& ColumnNames() { return FColumnNames; }
  const TStringList& ColumnNames() const { return FColumnNames; }

 protected:
  int64_t RecordCount = 0;
  std::string Sql;
  std::string SchemaName;
  std::string TableName;
  TStringList FColumnNames;
  int FetchRows = 50;
};

// Forwards every operation to the reader it decorates, which it does not own.
class TFilterDataReader : public TDataReader {
 public:
  explicit TFilterDataReader(TDataReader* reader);

  void SetTag(int tag) override;
  int64_t GetRowNumber() const override;
  std::string GetPositionText() const override;
  void Open() override;
  void Close() override;
  void GoToRow(int64_t row) override;
  bool HasData() const override;
  void Next() override;
  std::string GetValue(int index) const override;
  std::string GetColumnName(int index) const override;
  int64_t GetRecordCount() const override;
  int GetColumnCount() const override;
  int GetColumnFlag(int index) const override;
  void SaveBlobToFile(int index, const std::string& fileName) const override;
  std::string GetDescription() const override;
  bool IsNull(int index) const override;
  std::string GetBytes(int index) const override;
  TFieldType GetFieldType(int index) const override;
  TValueKind GetValueKind(int index) const override;

  TDataReader* Reader() const { return FReader; }

 protected:
  TDataReader* FReader;
};

// Skips the rows before firstRow (1-based) and hands out at most rowLimit rows,
// numbered from 1. The limit is its own: rows end after rowLimit whatever the inner
// reader's record count says. The position text stays the inner reader's, so a
// message names the row of the source.
class TPartRowDataReader : public TFilterDataReader {
 public:
  // Raises "Index > Row Count" when the inner reader is open with a known, positive
  // record count smaller than firstRow.
  TPartRowDataReader(TDataReader* reader, int64_t firstRow, int64_t rowLimit);

  // Opens the inner reader and moves it to the first row handed out, so this reader
  // stands on its row 1. The row-count check of the constructor is repeated, as the
  // count is known only now.
  void Open() override;
  int64_t GetRowNumber() const override;
  void GoToRow(int64_t row) override;
  bool HasData() const override;
  // min(inner count - first row + 1, row limit), not below 0; UnknownRecordCount when
  // the inner count is unknown.
  int64_t GetRecordCount() const override;

  int64_t GetFirstRow() const { return FFirstRow; }
  int64_t GetRowLimit() const { return FRowLimit; }

 private:
  void CheckRowCount() const;

  int64_t FFirstRow;
  int64_t FRowLimit;
};

// Hands out only the selected columns of the inner reader, in list order. Entries are
// the decimal texts of inner column indexes; the list is not owned.
class TPartColumnDataReader : public TFilterDataReader {
 public:
  TPartColumnDataReader(TDataReader* reader, const TStringList* columns);

  int GetColumnCount() const override;
  std::string GetValue(int index) const override;
  std::string GetColumnName(int index) const override;
  int GetColumnFlag(int index) const override;
  bool IsNull(int index) const override;
  std::string GetBytes(int index) const override;
  TFieldType GetFieldType(int index) const override;
  TValueKind GetValueKind(int index) const override;
  // Mapped like every other index, so the bytes saved are those of the column the
  // caller sees.
  void SaveBlobToFile(int index, const std::string& fileName) const override;

  // The inner column index of column index; raises EConvertError for an entry that
  // is no number and an index outside the list.
  int InnerIndex(int index) const;

 private:
  const TStringList* FColumns;
};
