#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dac/UDataAccess.h"

class TSqlCreator;
class TDateFormatParser;

// One value of a source row as a reader hands it over. Text carries every value as
// UTF-8 text (for binary values the reader's text form of them); Bytes carries the
// raw bytes of a binary value (source type ftBlob, ftBytes, ftVarBytes, ftGraphic,
// ftOraBlob) and is empty otherwise. IsNull is the source's own NULL, whatever the text.
struct TFieldValue {
  std::string Text;
  bool IsNull = false;
  std::string Bytes;
  TFieldType SourceType = TFieldType::ftUnknown;

  bool HasBytes() const;
};
using TRowValues = std::vector<TFieldValue>;

// The destination end of a transfer. The copy loop calls BeginWrite once, then per row
// BeginRow, one SetValue (or SetFieldValue) per column and WriteRow, and EndWrite at the
// end. Everything does nothing here.
class TDataWriter {
 public:
  virtual ~TDataWriter();

  virtual void BeginWrite() {}
  virtual void EndWrite() {}
  virtual void BeginRow() {}
  // The value text of column index of the current row; null rules apply to it.
  virtual void SetValue(int /*index*/, const std::string& /*value*/) {}
  virtual void WriteRow() {}
  virtual std::string GetDescription() { return std::string(); }

  // Raises when the destination cannot take rows at all (no columns to write, no such
  // table, a column it does not have). Called before the first row is read.
  virtual void CheckDestination() {}
  // True once the writer can take no more rows in this run: its connection is lost,
  // its table is gone, the database rolled back its transaction, a commit or the start
  // of a transaction failed. The copy loop ends the item then instead of counting each
  // further row as failed. BeginWrite clears it.
  bool Aborted() const { return FAborted; }
  // Rows of this run the destination holds for good (committed); -1 when the writer
  // keeps no such count.
  virtual int64_t CommittedRows() const { return -1; }
  // Rows whose commit a lost connection cut off: they may or may not have arrived.
  virtual int64_t RowsInDoubt() const { return 0; }

  // For checking a run by the destination's own count. The rows the destination table
  // holds now, read outside the run's transaction; raises when they cannot be read, -1
  // when the writer has no table to count.
  virtual int64_t CountTableRows() { return -1; }
  // Rows the committed statements of this run changed as the database reported them;
  // -1 when a statement did not say.
  virtual int64_t ChangedRows() const { return -1; }
  // The load type of the destination ("Append", "Replace", "Update"); "" when it has none.
  virtual std::string GetLoadType() const { return std::string(); }
  // The destination table as a user reads it in a message.
  virtual std::string GetTableName() { return std::string(); }

  // SQL NULL for column index, whatever the null rules say.
  virtual void SetNull(int /*index*/) {}
  // A reader's value: a NULL goes as SetNull, anything else as SetValue of its text.
  virtual void SetFieldValue(int index, const TFieldValue& value);
  // BeginRow, SetFieldValue for each value in order, WriteRow.
  void WriteData(const TRowValues& row);

  // Deferred rows, for a writer that can send many rows at once. After StartDeferring
  // has answered true (between BeginWrite and EndWrite), WriteRow only keeps the bound
  // row; once PendingFull, or before the run ends, the caller calls ExecutePending.
  // When that answers false nothing of the pending rows was kept by the database, and
  // the caller writes them again one at a time with ReplayRow(0 .. PendingRowCount-1),
  // each raising as WriteRow would, then calls EndReplay. Rows of earlier calls stay.
  virtual bool StartDeferring() { return false; }
  // True when the next WriteRow only keeps its row.
  virtual bool DefersNow() const { return false; }
  virtual int PendingRowCount() const { return 0; }
  virtual bool PendingFull() const { return false; }
  virtual bool ExecutePending() { return true; }
  virtual void ReplayRow(int /*index*/) {}
  virtual void EndReplay() {}

 protected:
  bool FAborted = false;
};

// Writes into a database table with the statements of its SQL creator.
class TDBWriter : public TDataWriter {
 public:
  std::string GetDescription() override;  // "To Table: " + the creator's full table name

  void SetSqlCreator(TSqlCreator* creator) { SqlCreator = creator; }
  // The count of destination columns.
  int GetColumnCount() const;
  std::string GetLoadType() const override;
  std::string GetTableName() override;

 protected:
  TSqlCreator* SqlCreator = nullptr;  // not owned
};

// The database writer over the data-access layer: one prepared statement executed per
// row with bound parameters, a commit every CommitInterval rows.
class TUniDBWriter : public TDBWriter {
 public:
  static constexpr int CommitInterval = 1000;

  TUniDBWriter();
  ~TUniDBWriter() override;

  // Raises EDatabaseError with the failed statement's text, "\r\n" and the database's
  // message when the probe, the Replace delete, the prepare or the transaction fails.
  void BeginWrite() override;
  // Commits. After an abort it commits what the open transaction holds unless the
  // connection is lost, and sends no row still pending.
  void EndWrite() override;
  // Runs the probe of BeginWrite.
  void CheckDestination() override;
  int64_t CommittedRows() const override { return FCommittedRows; }
  int64_t RowsInDoubt() const override { return FRowsInDoubt; }
  // "select count(*)" of the table on a statement of its own.
  int64_t CountTableRows() override;
  int64_t ChangedRows() const override { return FChangedUnknown ? -1 : FCommittedChanged; }
  void BeginRow() override {}
  // Raises EConvertError for a value the column's type cannot take.
  void SetValue(int index, const std::string& value) override;
  void SetNull(int index) override;
  // Also binds a binary value's raw bytes when the column is binary.
  void SetFieldValue(int index, const TFieldValue& value) override;
  // Raises EDatabaseError with the statement text, "\r\n" and the database's message;
  // a failed commit also aborts the writer, as does an error whose fault is not the row's.
  void WriteRow() override;

  // Rows go in parameter arrays of the commit interval when the connection's driver
  // takes them. Commits stay where they are row by row: an array ends at each commit
  // point, so a failed array rolls back nothing but itself. Rows holding more than
  // MaxPendingBytes end an array early; the rest of that interval goes row by row.
  static constexpr size_t MaxPendingBytes = size_t(16) << 20;
  bool StartDeferring() override;
  bool DefersNow() const override { return FDeferring && !FPaused; }
  int PendingRowCount() const override;
  bool PendingFull() const override;
  // Raises instead of answering false when the array failed for a reason no replay
  // can mend (the writer is aborted then), or when its rollback or commit failed.
  bool ExecutePending() override;
  void ReplayRow(int index) override;
  void EndReplay() override;

  virtual std::unique_ptr<TDateFormatParser> CreateDateParser() = 0;
  // True when no parameter of the write statement currently has a LOB type.
  virtual bool CanPrepare();
  virtual void BeforeBeginWrite() {}
  virtual void BeforePrepare() {}
  virtual void AfterEndWrite() {}

  void SetConnection(TUniConnection* connection);
  TUniConnection* GetConnection() const { return Connection; }
  TUniQuery& GetQuery() { return *Query; }
  TDateFormatParser& GetDateParser();
  // The probed types of the destination columns, in column order.
  const std::vector<TFieldType>& GetFieldTypes() const { return FieldTypes; }
  int64_t GetRowCounter() const { return RowCounter; }
  // The separator of the number texts a value may hold (the user's locale by default).
  void SetDecimalSeparator(char separator) { DecimalSeparator = separator; }

 protected:
  // The parameter of column index, cleared to NULL, and the column's probed type.
  TUniParam& ClearedParam(int index, TFieldType& type);
  void BindLob(TUniParam& param, const std::string& data, TFieldType type);

  TUniConnection* Connection = nullptr;  // not owned
  std::unique_ptr<TUniQuery> Query;
  std::vector<TFieldType> FieldTypes;
  int64_t RowCounter = 0;
  bool Unicode = false;
  bool Handled = false;
  char DecimalSeparator;

 private:
  void ExecuteRow();
  // Adds what the statement just run reported as changed.
  void NoteChanged();
  void DropPending();
  void ProbeFieldTypes();
  // Commits the open transaction and counts its rows as committed; raises on failure.
  void CommitRows();
  // Called with the error a statement of the run raised: aborts the writer when no
  // later row could get through either.
  void NoteFailure(const std::exception& e);
  // Finds the parameter of every column in the write statement once, so that binding a
  // value neither compares the statement text nor looks the name up.
  void ResolveParams();

  void PauseUntilCommit();

  bool FDeferring = false;
  bool FPaused = false;  // row by row until the next commit point
  int64_t ArrayStart = 0;  // the row counter when the pending array began
  size_t PendingBytes = 0;
  int64_t FCommittedRows = 0;
  int64_t FUncommittedRows = 0;  // executed since the last commit
  int64_t FRowsInDoubt = 0;
  // What the statements reported as changed, counted like the rows themselves.
  int64_t FCommittedChanged = 0;
  int64_t FUncommittedChanged = 0;
  bool FChangedUnknown = false;
  bool FConnectionLost = false;
  std::unique_ptr<TDateFormatParser> DateParser;
  std::vector<int> ParamIndexes;  // per column, in the query's parameters; -1 when it has none
};

class TDB2Writer : public TUniDBWriter {
 public:
  std::unique_ptr<TDateFormatParser> CreateDateParser() override;
};

class TSqliteWriter : public TUniDBWriter {
 public:
  std::unique_ptr<TDateFormatParser> CreateDateParser() override;
};
