#include "engine/USessionExecutor.h"

#include <cstdio>
#include <cstdlib>

#include "app/UApp.h"
#include "base/UExceptions.h"
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

void LogErrorWithTrace(const std::string& text, const Exception& e) {
  AppLogError(text);
  AppLogError(e.StackTrace);
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
  } catch (const std::exception& raised) {
    Exception e = AsException(raised);
    AbortItem();
    try {
      Cleanup();
    } catch (const std::exception&) {
      // The first error is the one to report; closing the reader is best effort here.
    }
    throw Exception(e.Message);
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
  WrittenBeforeFailure = 0;
  if (!ConvertSession) throw Exception("No session to convert");
  if (AppGUIMode()) ConvertSession->DumpSession();

  Reader = ConvertSession->SourceOptions->GetReader();
  Writer = ConvertSession->DestOptions->GetWriter();
  if (!Reader) throw Exception("The source options give no reader");
  if (!Writer) throw Exception("The destination options give no writer");
  ErrorLimit = ConvertSession->ConvertOptions->ErrorsToAllow;
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
  try {
    Writer->BeginWrite();
    Writing = true;
    Deferring = !RowByRowRequested() && Writer->StartDeferring();
    Reader->GoToRow(1);
  } catch (const std::exception& raised) {
    // Every row then fails at the writer and counts against the error limit; with no
    // rows at all the item still failed.
    FatalError = true;
    ReportFatal(AsException(raised));
  }
}

void TDataConverter::Finish() {
  SettleRows();
  try {
    Writing = false;
    Writer->EndWrite();
  } catch (const std::exception& raised) {
    FatalError = true;
    ReportFatal(AsException(raised));
    return;
  }
  FStatus.Finish();
}

void TDataConverter::EndWriteAfterFailure() {
  if (!Writing || !Writer) return;
  try {
    SettleRows();
  } catch (const std::exception&) {
    // The writer's EndWrite still writes what is pending.
  }
  Writing = false;
  try {
    Writer->EndWrite();
    WrittenBeforeFailure = FStatus.ConvertedRows;
    FStatus.Message = std::to_string(FStatus.ConvertedRows) + " rows reached the table before the failure.";
  } catch (const std::exception& raised) {
    FStatus.Message = "The rows written before the failure could not be committed: " + AsException(raised).Message;
  }
  FStatus.FireMessage();
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
  if (Writer->ExecutePending()) {
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
    if (Outputer) Outputer->Log(e.Message);
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
      Outputer->Log(e.Message);
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
