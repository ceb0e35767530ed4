#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/UExceptions.h"
#include "engine/UDataWriter.h"
#include "engine/UOutputer.h"

class TConvertSession;
class TDataReader;
class TDataWriter;
class TDBWriter;
class TLogSink;
class Exception;

// Runs a session and reports to its outputer.
class TSessionExecutor {
 public:
  virtual ~TSessionExecutor() = default;
  virtual void SetSession(TConvertSession* session) { Session = session; }
  // True when no error escaped the run.
  virtual bool Execute() = 0;
  virtual void Stop() = 0;
  void SetOutputer(TOutputer* outputer) { Outputer = outputer; }
  // Where errors and the session dump go, in GUI mode only; none: nowhere.
  virtual void SetLogSink(TLogSink* sink) { LogSink = sink; }

  // How the run ended, for the exit code: 0 every row of every item arrived, 3 an item
  // failed, was stopped or exceeded its error limit, 4 rows were rejected within the
  // tolerated errors.
  int ResultCode = 0;

 protected:
  TConvertSession* Session = nullptr;
  TOutputer* Outputer = nullptr;
  TLogSink* LogSink = nullptr;
};

// The row-loop skeleton of one item.
class TIterativeConverter {
 public:
  virtual ~TIterativeConverter() = default;

  virtual void Prepare() = 0;
  virtual void Start() = 0;
  virtual void Finish() = 0;
  virtual void Cleanup() = 0;
  virtual bool HasNextRow() = 0;
  virtual void MoveNext() = 0;
  virtual void ConvertRow() = 0;
  virtual void CountRows() = 0;
  virtual int64_t GetRowNumber() = 0;
  // Called when the item fails, before Cleanup: whatever must not stay half done.
  virtual void AbortItem() {}

  // One item: Prepare, Start, the row loop, Finish, Cleanup. An error closes the
  // reader and is raised again with its message.
  void Execute();
  void Stop() { Stopped = true; }
  bool ShouldStop();
  void UpdateProgress();
  void ReportFatal(const Exception& e);
  void ReportRowError(const std::string& message, const Exception& e);

  TConvertStatus& Status() { return FStatus; }
  bool WasStopped() const { return Stopped; }
  // True when the item ended because its error limit was exceeded.
  bool LimitExceeded() const { return FLimitExceeded; }
  // Called between rows so a stop request made meanwhile is seen; the front end sets it.
  std::function<void()> ProcessEvents;
  // Where errors and the session dump go, in GUI mode only; none: nowhere.
  TLogSink* LogSink = nullptr;

 protected:
  // Rows whose outcome is still open (a pending parameter array) are decided and
  // reported before the loop stops; may end the item itself (SettledStop).
  virtual void SettleRows() {}
  void LimitReached();
  // Through LogSink, when there is one.
  bool AppGUIMode() const;
  void LogErrorWithTrace(const std::string& text, const Exception& e);

  bool SettledStop = false;
  bool Stopped = false;
  bool FLimitExceeded = false;
  int64_t ErrorLimit = 0;
  int LoggedExceptions = 0;
  TConvertStatus FStatus;
};

class TDataConverter : public TIterativeConverter {
 public:
  TDataConverter();
  ~TDataConverter() override;

  void Prepare() override;
  void Start() override;
  void Finish() override;
  void Cleanup() override;
  bool HasNextRow() override;
  void MoveNext() override;
  void ConvertRow() override;
  void CountRows() override;
  int64_t GetRowNumber() override;

  TConvertSession* ConvertSession = nullptr;

  // Rows go to the writer in arrays when it can take them, unless the environment
  // variable FERROVAN_ROW_BY_ROW is set to anything but "" or "0".
  static bool RowByRowRequested();

  // Ends the writer of an item that failed after writing began, so that what was
  // written is committed (unless the writer can take no more) and no transaction stays
  // open, and says how many rows reached the table.
  void EndWriteAfterFailure();
  void AbortItem() override { EndWriteAfterFailure(); }
  // True when the source could not be positioned on its first row: the item failed,
  // whatever its rows say.
  bool FatalErrorInLastItem() const { return FatalError; }
  // Rows an item that failed had written and committed before its failure.
  int64_t RowsWrittenBeforeFailure() const { return WrittenBeforeFailure; }
  // With the session's Verify option, the outcome of the count check of the item just
  // run: the sentence saying why it failed (empty when it passed or did not run), and
  // the one saying that it passed.
  const std::string& VerifyFailure() const { return FVerifyFailure; }
  const std::string& VerifyPassed() const { return FVerifyPassed; }
  // Forgets what the previous item left, before an item's first stage.
  void BeginItem() {
    WrittenBeforeFailure = 0;
    FVerifyFailure.clear();
    FVerifyPassed.clear();
    WriteBegun = false;
    FatalError = false;
  }

 private:
  // A row read while rows of an array are pending; its messages wait for the array.
  struct TPendingRow {
    int64_t RowNumber = 0;
    std::string PositionText;
    TRowValues Values;
    bool Failed = false;  // at reading or setting: reported in order when settled
    std::string ErrorText;
    std::optional<Exception> Error;
    int ArrayIndex = -1;
  };

  void SettleRows() override;
  // The destination's row count, or why it could not be read in FVerifyFailure (-1).
  int64_t CountForVerify();
  // Compares what the destination reports with the rows converted.
  void VerifyItem();
  void RowFailed(TPendingRow* row, const std::string& message, const Exception& e);
  void ReadValue(int index, TFieldValue& value);
  std::string ColumnValueText(int index);

  TDataReader* Reader = nullptr;
  TDataWriter* Writer = nullptr;
  int ColumnCount = 0;
  bool Writing = false;
  bool WriteBegun = false;  // BeginWrite succeeded in this item
  bool FatalError = false;
  int64_t WrittenBeforeFailure = 0;
  std::vector<TFieldValue> Values;  // reused for every row
  bool Deferring = false;
  std::vector<TPendingRow> Pending;  // reused; the first PendingCount are in use
  size_t PendingCount = 0;
  int64_t ErrorsBeforePending = 0;
  int64_t StoppedAtRow = 0;  // the last row a settled stop let through
  bool Verifying = false;
  int64_t CountBefore = 0;
  std::string FVerifyFailure;
  std::string FVerifyPassed;
};

class TBatchOutputer;

class TConvertSessionExecutor : public TSessionExecutor {
 public:
  TConvertSessionExecutor();
  ~TConvertSessionExecutor() override;

  void SetSession(TConvertSession* session) override;
  void SetLogSink(TLogSink* sink) override;
  bool Execute() override;
  void Stop() override;
  virtual void Convert();

  void SetBatchOutputer(TBatchOutputer* batchOutputer) { BatchOutputer = batchOutputer; }
  TDataConverter& Converter() { return *FConverter; }

 private:
  void ReportItem(int index, bool succeeded);
  // Through LogSink, when there is one.
  void AppShowError(const std::string& text);
  void LogErrorWithTrace(const std::string& text, const Exception& e);

  bool Stopped = false;
  int64_t FTotalRecords = 0;
  TConvertSession* ConvertSession = nullptr;
  std::unique_ptr<TDataConverter> FConverter;
  TBatchOutputer* BatchOutputer = nullptr;
};
