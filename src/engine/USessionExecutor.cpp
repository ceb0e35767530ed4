#include "engine/USessionExecutor.h"

#include <cstdio>

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

bool IsBinaryType(TFieldType type) {
  switch (type) {
    case TFieldType::ftBlob:
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftGraphic:
    case TFieldType::ftOraBlob:
      return true;
    default:
      return false;
  }
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
    if (auto* self = dynamic_cast<TDataConverter*>(this)) self->EndWriteAfterFailure();
    try {
      Cleanup();
    } catch (const std::exception&) {
      // The first error is the one to report; closing the reader is best effort here.
    }
    throw Exception(e.Message);
  }
}

bool TIterativeConverter::ShouldStop() {
  if (Stopped) return true;
  if (ErrorLimit > 0 && FStatus.ErrorRows > ErrorLimit) {
    FLimitExceeded = true;
    FStatus.Message = "Maxinum error count (" + std::to_string(ErrorLimit) + ") exceeded. ";
    FStatus.FireMessage();
    return true;
  }
  // The row count only drives progress: the loop runs until the reader has no more
  // rows, so a count that is unknown or wrong can never drop rows unseen.
  return false;
}

void TIterativeConverter::UpdateProgress() {
  int converted = GetRowNumber() - FStatus.ErrorRows;
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
  EndFailed = false;
  CountRows();
  FStatus.Start();
  try {
    Writer->BeginWrite();
    Writing = true;
    Reader->GoToRow(1);
  } catch (const std::exception& raised) {
    // Every row then fails at the writer and counts against the error limit.
    ReportFatal(AsException(raised));
  }
}

void TDataConverter::Finish() {
  try {
    Writing = false;
    Writer->EndWrite();
  } catch (const std::exception& raised) {
    EndFailed = true;
    ReportFatal(AsException(raised));
    return;
  }
  FStatus.Finish();
}

void TDataConverter::EndWriteAfterFailure() {
  if (!Writing || !Writer) return;
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

int TDataConverter::GetRowNumber() { return Reader->GetRowNumber(); }

void TDataConverter::CountRows() { FStatus.TotalRows = Reader->GetRecordCount(); }

void TDataConverter::ReadValue(int index, TFieldValue& value) {
  value.IsNull = Reader->IsNull(index);
  value.SourceType = Reader->GetFieldType(index);
  value.Text = Reader->GetValue(index);
  if (!value.IsNull && IsBinaryType(value.SourceType))
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

void TDataConverter::ConvertRow() {
  Writer->BeginRow();
  for (int i = 0; i < ColumnCount; ++i) {
    TFieldValue& value = Values[static_cast<size_t>(i)];
    try {
      ReadValue(i, value);
    } catch (const std::exception& raised) {
      ++FStatus.ErrorRows;
      ReportRowError("Read Data Error, at: " + Reader->GetPositionText(), AsException(raised));
      return;
    }
    try {
      Writer->SetFieldValue(i, value);
    } catch (const std::exception& raised) {
      ++FStatus.ErrorRows;
      ReportRowError("Set Value Error, at " + Reader->GetPositionText() + ", Col: " + std::to_string(i) + " [" +
                         Reader->GetColumnName(i) + "]" + ", Value: " + value.Text,
                     AsException(raised));
      return;
    }
  }
  try {
    Writer->WriteRow();
  } catch (const std::exception& raised) {
    ++FStatus.ErrorRows;
    std::string message = "Write Data Error, at: " + Reader->GetPositionText() + "\r\n";
    for (int i = 0; i < ColumnCount; ++i)
      message += "Col: " + std::to_string(i) + "  Value: " + ColumnValueText(i) + "\r\n";
    ReportRowError(message, AsException(raised));
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
      if (FConverter->WasStopped() || FConverter->LimitExceeded() || FConverter->EndFailedInLastItem())
        ResultCode = 3;
      else if (status.ErrorRows > 0 && ResultCode == 0)
        ResultCode = 4;
      ReportItem(i, !FConverter->EndFailedInLastItem());
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
