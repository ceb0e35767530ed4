#include "session/USessionExecutor.h"

#include <cstdio>
#include <cstdlib>

#include "base/UExceptions.h"
#include "base/ULogSink.h"
#include "engine/UDataReader.h"
#include "engine/UDataWriter.h"
#include "session/UConvertSession.h"

namespace {

// Anything thrown as an Exception of ours, whatever its origin, so messages and stack
// traces are reported the same way.
Exception AsException(const std::exception& e) {
  if (auto* own = dynamic_cast<const Exception*>(&e)) return *own;
  return Exception(e.what());
}

void LogToSink(TLogSink* sink, const std::string& text, const Exception& e) {
  if (!sink) return;
  sink->AppLogError(text);
  sink->AppLogError(e.StackTrace);
}

enum class TVerifyKind { Added, Total, Updated };

// How a load type's rows show in the destination, as the writer treats the type: a
// Replace empties the table first, an update changes rows in place.
TVerifyKind VerifyKind(const std::string& loadType) {
  if (loadType == "Replace") return TVerifyKind::Total;
  if (LowerCase(loadType) == "update") return TVerifyKind::Updated;
  return TVerifyKind::Added;
}

}  // namespace

// ---------------------------------------------------------------------------

void TIterativeConverter::Execute() {
  try {
    Prepare();
    Start();
    while (HasNextRow() && !ShouldStop()) {
      ConvertRow();
      UpdateProgress();
      MoveNext();
    }
    Finish();
    Cleanup();
  } catch (const std::exception&) {
    AbortItem();
    try {
      Cleanup();
    } catch (const std::exception&) {
      // The first error is the one to report; closing the reader is best effort here.
    }
    // As it was raised: its type and the stack trace of where it came from stay.
    throw;
  }
}

bool TIterativeConverter::ShouldStop() {
  if (SettledStop) return true;
  if (Stopped) {
    SettleRows();
    return true;
  }
  if (ErrorLimit > 0 && FStatus.ErrorRows > ErrorLimit) {
    // The count may hold failures of rows after pending ones: their order is settled
    // first, and an earlier failing row may stop the item before them.
    SettleRows();
    if (SettledStop) return true;
    LimitReached();
    return true;
  }
  // The row count only drives progress: the loop runs until the reader has no more
  // rows, so a count that is unknown or wrong can never drop rows unseen.
  return false;
}

void TIterativeConverter::LimitReached() {
  FLimitExceeded = true;
  FStatus.Message = "Maxinum error count (" + std::to_string(ErrorLimit) + ") exceeded. ";
  FStatus.FireMessage();
}

bool TIterativeConverter::AppGUIMode() const { return LogSink && LogSink->AppGUIMode(); }

void TIterativeConverter::LogErrorWithTrace(const std::string& text, const Exception& e) {
  LogToSink(LogSink, text, e);
}

void TIterativeConverter::UpdateProgress() {
  int64_t converted = GetRowNumber() - FStatus.ErrorRows;
  FStatus.ConvertedRows = converted < 0 ? 0 : converted;
  FStatus.FireProgress();
  if (ProcessEvents) ProcessEvents();
}

void TIterativeConverter::ReportFatal(const Exception& e) {
  FStatus.ErrorMessage = e.Message;
  FStatus.FireError();
  LogErrorWithTrace(e.Message, e);
}

void TIterativeConverter::ReportRowError(const std::string& message, const Exception& e) {
  FStatus.ErrorMessage = message + "\r\n" + e.Message;
  FStatus.FireError();
  if (LoggedExceptions < 5) {
    LogErrorWithTrace(e.Message, e);
    ++LoggedExceptions;
  }
}

// ---------------------------------------------------------------------------

TDataConverter::TDataConverter() = default;
TDataConverter::~TDataConverter() = default;

void TDataConverter::Prepare() {
  Reader = nullptr;
  Writer = nullptr;
  Writing = false;
  WriteBegun = false;
  WrittenBeforeFailure = 0;
  if (!ConvertSession) throw Exception("No session to convert");
  if (AppGUIMode()) ConvertSession->DumpSession();

  // A destination that cannot take rows fails the item before the source is read (the
  // source options open their reader to learn its columns).
  Writer = ConvertSession->DestOptions->GetWriter();
  if (!Writer) throw Exception("The destination options give no writer");
  Writer->CheckDestination();
  Reader = ConvertSession->SourceOptions->GetReader();
  if (!Reader) throw Exception("The source options give no reader");
  ErrorLimit = ConvertSession->ConvertOptions->ErrorsToAllow;
  Verifying = ConvertSession->ConvertOptions->Verify;
  FStatus.SourceDescription = Reader->GetDescription();
  FStatus.DestDescription = Writer->GetDescription();

  Reader->Open();

  ColumnCount = Reader->GetColumnCount();
  if (auto* dbWriter = dynamic_cast<TDBWriter*>(Writer)) {
    int writeCount = dbWriter->GetColumnCount();
    if (writeCount < ColumnCount) {
      char text[256];
      std::snprintf(text, sizeof text,
                    "ReadColumnCount: %d > WriteColumnCount: %d, SelectedColumns.Count: %d, ColumnNames.Count: %d. ",
                    ColumnCount, writeCount, ConvertSession->SourceOptions->Columns.Count(),
                    ConvertSession->SourceOptions->FieldNames.Count());
      throw Exception(text);
    }
  }
  Values.assign(static_cast<size_t>(ColumnCount), TFieldValue{});
}

void TDataConverter::Start() {
  Stopped = false;
  FLimitExceeded = false;
  LoggedExceptions = 0;
  FatalError = false;
  SettledStop = false;
  StoppedAtRow = 0;
  PendingCount = 0;
  Deferring = false;
  CountRows();
  FStatus.Start();
  // Counted before anything is written: a count that cannot be read fails the item
  // with the table untouched.
  CountBefore = 0;
  if (Verifying && VerifyKind(Writer->GetLoadType()) == TVerifyKind::Added) {
    CountBefore = CountForVerify();
    if (CountBefore < 0) throw Exception(FVerifyFailure);
  }
  // A writer that cannot begin would fail every row the same way: the item fails here,
  // once.
  Writer->BeginWrite();
  Writing = true;
  WriteBegun = true;
  // A driver may report only the last row of a parameter array as updated: an update
  // whose count is checked goes row by row, so that every row reports its own.
  bool countsUpdates = Verifying && VerifyKind(Writer->GetLoadType()) == TVerifyKind::Updated;
  Deferring = !RowByRowRequested() && !countsUpdates && Writer->StartDeferring();
  try {
    Reader->GoToRow(1);
  } catch (const std::exception& raised) {
    // With no rows at all the item still failed.
    FatalError = true;
    ReportFatal(AsException(raised));
  }
}

void TDataConverter::Finish() {
  SettleRows();
  Writing = false;
  // A failed end (its commit) loses the rows since the last commit: the item fails.
  Writer->EndWrite();
  FStatus.Finish();
  if (Verifying) VerifyItem();
}

int64_t TDataConverter::CountForVerify() {
  try {
    int64_t count = Writer->CountTableRows();
    if (count >= 0) return count;
  } catch (const std::exception& raised) {
    FVerifyFailure = "Verify failed: the row count of the table " + Writer->GetTableName() +
                     " could not be read: " + AsException(raised).Message;
    return -1;
  }
  // A file, say: nothing there could confirm the rows.
  FVerifyFailure = "Verify failed: the destination (" + Writer->GetDescription() + ") has no table to count.";
  return -1;
}

void TDataConverter::VerifyItem() {
  const std::string table = Writer->GetTableName();
  const int64_t converted = FStatus.ConvertedRows;
  const std::string expected = std::to_string(converted) + " rows were converted into the table " + table;
  switch (VerifyKind(Writer->GetLoadType())) {
    case TVerifyKind::Updated: {
      int64_t updated = Writer->ChangedRows();
      if (updated < 0)
        FVerifyFailure = "Verify failed: " + expected + ", but the database did not report how many rows it updated.";
      else if (updated != converted)
        FVerifyFailure =
            "Verify failed: " + expected + ", but the database reported " + std::to_string(updated) + " rows updated.";
      else
        FVerifyPassed = "Verified: the database reported " + std::to_string(updated) + " rows of the table " + table +
                        " updated, as many as were converted.";
      break;
    }
    case TVerifyKind::Total: {
      int64_t after = CountForVerify();
      if (after < 0) break;
      if (after != converted)
        FVerifyFailure = "Verify failed: " + expected + ", but the table counts " + std::to_string(after) + " rows.";
      else
        FVerifyPassed =
            "Verified: the table " + table + " counts " + std::to_string(after) + " rows, as many as were converted.";
      break;
    }
    case TVerifyKind::Added: {
      int64_t after = CountForVerify();
      if (after < 0) break;
      int64_t added = after - CountBefore;
      if (added != converted)
        FVerifyFailure = "Verify failed: " + expected + ", but its row count went from " + std::to_string(CountBefore) +
                         " to " + std::to_string(after) + ", " +
                         (added >= 0 ? std::to_string(added) + " rows more." : std::to_string(-added) + " rows fewer.");
      else
        FVerifyPassed = "Verified: the table " + table + " counts " + std::to_string(added) +
                        " rows more than before, as many as were converted.";
      break;
    }
  }
}

void TDataConverter::EndWriteAfterFailure() {
  if (!Writer || !WriteBegun) return;
  std::string endFailure;
  if (Writing) {
    Writing = false;
    // A writer that can take no more rows gets none: what is pending stays unsent.
    if (!Writer->Aborted()) {
      try {
        SettleRows();
      } catch (const std::exception&) {
        // The writer's EndWrite still ends what is pending or open.
      }
    }
    try {
      Writer->EndWrite();
    } catch (const std::exception& raised) {
      endFailure = AsException(raised).Message;
    }
  }
  if (!endFailure.empty()) {
    FStatus.Message = "The rows written before the failure could not be committed: " + endFailure;
    FStatus.FireMessage();
  }
  // Rows count as converted only once committed: those of an interval or an array in
  // flight when the item failed are not in the table.
  int64_t committed = Writer->CommittedRows();
  if (committed < 0) {
    if (!endFailure.empty()) return;
    committed = FStatus.ConvertedRows;
  }
  WrittenBeforeFailure = committed;
  FStatus.ConvertedRows = committed;
  FStatus.Message = std::to_string(committed) + " rows reached the table before the failure.";
  FStatus.FireMessage();
  if (int64_t inDoubt = Writer->RowsInDoubt(); inDoubt > 0) {
    FStatus.Message = "The connection was lost while committing " + std::to_string(inDoubt) +
                      " more rows: they may have reached the table too.";
    FStatus.FireMessage();
  }
}

void TDataConverter::Cleanup() {
  if (Reader) Reader->Close();
}

bool TDataConverter::HasNextRow() { return Reader->HasData(); }

void TDataConverter::MoveNext() { Reader->Next(); }

int64_t TDataConverter::GetRowNumber() { return StoppedAtRow ? StoppedAtRow : Reader->GetRowNumber(); }

bool TDataConverter::RowByRowRequested() {
  const char* value = std::getenv("FERROVAN_ROW_BY_ROW");
  return value && *value && std::string(value) != "0";
}

void TDataConverter::CountRows() { FStatus.TotalRows = Reader->GetRecordCount(); }

void TDataConverter::ReadValue(int index, TFieldValue& value) {
  value.IsNull = Reader->IsNull(index);
  value.SourceType = Reader->GetFieldType(index);
  value.Text = Reader->GetValue(index);
  if (!value.IsNull && value.HasBytes())
    value.Bytes = Reader->GetBytes(index);
  else
    value.Bytes.clear();
}

std::string TDataConverter::ColumnValueText(int index) {
  try {
    return Reader->GetValue(index);
  } catch (const std::exception&) {
    return "";
  }
}

namespace {

std::string WriteErrorText(const std::string& position, const std::vector<std::string>& texts) {
  std::string message = "Write Data Error, at: " + position + "\r\n";
  for (size_t i = 0; i < texts.size(); ++i) message += "Col: " + std::to_string(i) + "  Value: " + texts[i] + "\r\n";
  return message;
}

std::vector<std::string> TextsOf(const TRowValues& values) {
  std::vector<std::string> texts;
  texts.reserve(values.size());
  for (const auto& v : values) texts.push_back(v.Text);
  return texts;
}

}  // namespace

void TDataConverter::RowFailed(TPendingRow* row, const std::string& message, const Exception& e) {
  ++FStatus.ErrorRows;
  if (!row || PendingCount == 0) {
    ReportRowError(message, e);
    return;
  }
  row->RowNumber = GetRowNumber();
  row->Failed = true;
  row->ErrorText = message;
  row->Error = e;
  row->ArrayIndex = -1;
  ++PendingCount;
}

void TDataConverter::ConvertRow() {
  // While an array is collected, a row's values are kept beside it for a replay.
  TPendingRow* row = nullptr;
  if (Deferring && Writer->DefersNow()) {
    if (Pending.size() <= PendingCount) Pending.emplace_back();
    row = &Pending[PendingCount];
    row->Values.resize(static_cast<size_t>(ColumnCount));
  }
  TRowValues& values = row ? row->Values : Values;
  Writer->BeginRow();
  for (int i = 0; i < ColumnCount; ++i) {
    TFieldValue& value = values[static_cast<size_t>(i)];
    try {
      ReadValue(i, value);
    } catch (const std::exception& raised) {
      RowFailed(row, "Read Data Error, at: " + Reader->GetPositionText(), AsException(raised));
      return;
    }
    try {
      Writer->SetFieldValue(i, value);
    } catch (const std::exception& raised) {
      if (Writer->Aborted()) throw;
      RowFailed(row,
                "Set Value Error, at " + Reader->GetPositionText() + ", Col: " + std::to_string(i) + " [" +
                    Reader->GetColumnName(i) + "]" + ", Value: " + value.Text,
                AsException(raised));
      return;
    }
  }
  try {
    Writer->WriteRow();
  } catch (const std::exception& raised) {
    // Not the row's failure: nothing after it would get through either.
    if (Writer->Aborted()) throw;
    std::vector<std::string> texts;
    for (int i = 0; i < ColumnCount; ++i) texts.push_back(ColumnValueText(i));
    RowFailed(row, WriteErrorText(Reader->GetPositionText(), texts), AsException(raised));
    return;
  }
  if (!row) return;
  if (PendingCount == 0) ErrorsBeforePending = FStatus.ErrorRows;
  row->RowNumber = GetRowNumber();
  row->PositionText = Reader->GetPositionText();
  row->Failed = false;
  row->ArrayIndex = Writer->PendingRowCount() - 1;
  ++PendingCount;
  if (Writer->PendingFull()) SettleRows();
}

void TDataConverter::SettleRows() {
  if (PendingCount == 0) return;
  size_t count = PendingCount;
  PendingCount = 0;
  bool kept = false;
  try {
    kept = Writer->ExecutePending();
  } catch (const std::exception&) {
    // The array never reached the table; rows that had failed before it went still say why.
    for (size_t j = 0; j < count; ++j)
      if (Pending[j].Failed) ReportRowError(Pending[j].ErrorText, *Pending[j].Error);
    throw;
  }
  if (kept) {
    for (size_t j = 0; j < count; ++j)
      if (Pending[j].Failed) ReportRowError(Pending[j].ErrorText, *Pending[j].Error);
    return;
  }
  // The array was rolled back: the rows go again one by one, as a run without arrays
  // writes them, with its error limit applied between them.
  FStatus.ErrorRows = ErrorsBeforePending;
  for (size_t j = 0; j < count; ++j) {
    TPendingRow& row = Pending[j];
    if (j > 0 && ErrorLimit > 0 && FStatus.ErrorRows > ErrorLimit) {
      StoppedAtRow = Pending[j - 1].RowNumber;
      break;
    }
    if (row.Failed) {
      ++FStatus.ErrorRows;
      ReportRowError(row.ErrorText, *row.Error);
      continue;
    }
    try {
      Writer->ReplayRow(row.ArrayIndex);
    } catch (const std::exception& raised) {
      if (Writer->Aborted()) {
        Writer->EndReplay();
        for (size_t k = j + 1; k < count; ++k)
          if (Pending[k].Failed) {
            ++FStatus.ErrorRows;
            ReportRowError(Pending[k].ErrorText, *Pending[k].Error);
          }
        throw;
      }
      ++FStatus.ErrorRows;
      ReportRowError(WriteErrorText(row.PositionText, TextsOf(row.Values)), AsException(raised));
    }
  }
  Writer->EndReplay();
  // The count ran ahead while the array was collected; it is now what the last row
  // written one by one would have left.
  int64_t last = StoppedAtRow ? StoppedAtRow : Pending[count - 1].RowNumber;
  int64_t converted = last - FStatus.ErrorRows;
  FStatus.ConvertedRows = converted < 0 ? 0 : converted;
  FStatus.FireProgress();
  if (StoppedAtRow) {
    SettledStop = true;
    LimitReached();
  }
}

// ---------------------------------------------------------------------------

TConvertSessionExecutor::TConvertSessionExecutor() : FConverter(std::make_unique<TDataConverter>()) {}
TConvertSessionExecutor::~TConvertSessionExecutor() = default;

void TConvertSessionExecutor::SetSession(TConvertSession* session) {
  TSessionExecutor::SetSession(session);
  ConvertSession = session;
}

void TConvertSessionExecutor::SetLogSink(TLogSink* sink) {
  TSessionExecutor::SetLogSink(sink);
  FConverter->LogSink = sink;
}

void TConvertSessionExecutor::AppShowError(const std::string& text) {
  if (LogSink) LogSink->AppShowError(text);
}

void TConvertSessionExecutor::LogErrorWithTrace(const std::string& text, const Exception& e) {
  LogToSink(LogSink, text, e);
}

bool TConvertSessionExecutor::Execute() {
  if (!ConvertSession) throw Exception("No session to run");
  ResultCode = 0;
  ConvertSession->BeforeExecute();
  bool result = false;
  try {
    if (BatchOutputer) {
      BatchOutputer->Clear();
      BatchOutputer->SetItemCount(ConvertSession->GetSelectedItemCount());
    }
    auto* outputer = dynamic_cast<TConvertOutputer*>(Outputer);
    if (!outputer) throw Exception("The outputer of a conversion must be a convert outputer");
    outputer->SetStatus(&FConverter->Status());
    outputer->Initialize();
    Convert();
    result = true;
  } catch (const std::exception& raised) {
    Exception e = AsException(raised);
    ResultCode = 3;
    if (Outputer) Outputer->LogFailure(e.Message);
    LogErrorWithTrace("In TConvertSessionExecutor.Execute, " + e.Message, e);
  }
  AppShowError("Convert Has Exception.");
  ConvertSession->AfterExecute();
  return result;
}

void TConvertSessionExecutor::Stop() {
  Stopped = true;
  FConverter->Stop();
  if (Outputer) Outputer->Log("Stopped");
}

void TConvertSessionExecutor::Convert() {
  FTotalRecords = 0;
  Outputer->Log("Start Convert");
  int count = ConvertSession->GetItemCount();
  for (int i = 0; i < count; ++i) {
    if (Stopped) {
      ResultCode = 3;
      break;
    }
    if (ConvertSession->IsItemSkipped(i)) continue;
    FConverter->BeginItem();
    const char* stage = "ConfigOne";
    const char* logPrefix = "In ConvertSession.ConfigOne, ";
    try {
      ConvertSession->ConfigOne(i);
      stage = "Assemble";
      logPrefix = "In Assemble, ";
      FConverter->ConvertSession = ConvertSession;
      stage = "DataConverter.Execute";
      logPrefix = "In DataConverter.Execute ,";
      FConverter->Execute();
      const TConvertStatus& status = FConverter->Status();
      FTotalRecords += status.ConvertedRows;
      if (!FConverter->VerifyFailure().empty()) {
        // The rows are in, but the table does not show them as converted: the item failed.
        ResultCode = 3;
        Outputer->Log("Convert Failed");
        Outputer->LogFailure(FConverter->VerifyFailure());
        ReportItem(i, false);
        continue;
      }
      if (!FConverter->VerifyPassed().empty()) Outputer->Log(FConverter->VerifyPassed());
      if (FConverter->WasStopped() || FConverter->LimitExceeded() || FConverter->FatalErrorInLastItem())
        ResultCode = 3;
      else if (status.ErrorRows > 0 && ResultCode == 0)
        ResultCode = 4;
      ReportItem(i, !FConverter->FatalErrorInLastItem());
    } catch (const std::exception& raised) {
      Exception e = AsException(raised);
      ResultCode = 3;
      // What reached the table counts, so the total matches what the table holds.
      FTotalRecords += FConverter->RowsWrittenBeforeFailure();
      Outputer->Log("Convert Failed");
      Outputer->Log(std::string("ConvertSessionExecutor.Convert ") + stage + " Exception");
      Outputer->LogFailure(e.Message);
      ReportItem(i, false);
      LogErrorWithTrace(logPrefix + e.Message, e);
    }
  }
  Stopped = false;
  Outputer->Log("Total Convert Records: " + std::to_string(FTotalRecords));
  Outputer->Log("End Convert");
}

void TConvertSessionExecutor::ReportItem(int index, bool succeeded) {
  if (!BatchOutputer) return;
  BatchOutputer->SelectItem(ConvertSession->GetItemSourceName(index));
  BatchOutputer->SetResult(succeeded);
  if (succeeded) BatchOutputer->SetRowCount(FConverter->Status().ConvertedRows);
  BatchOutputer->SetDestName(ConvertSession->GetItemDestName(index));
}
