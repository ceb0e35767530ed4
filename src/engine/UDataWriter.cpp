#include "engine/UDataWriter.h"

#include <exception>

#include "base/UExceptions.h"
#include "dialect/UDBDictionary.h"
#include "dialect/USqlCreator.h"
#include "engine/UDateFormatParser.h"

namespace {

// Puts the statement in front of the message of the error being handled and raises
// that error again, so its type, its codes and its stack trace stay. Only for use
// inside a catch block.
[[noreturn]] void RaiseWithStatement(const std::string& sql) {
  try {
    throw;
  } catch (Exception& e) {
    e.Message = sql + "\r" + "\n" + e.Message;
    throw;
  } catch (const std::exception& e) {
    throw EDatabaseError(sql + "\r" + "\n" + e.what());
  }
}

}  // namespace

bool TFieldValue::HasBytes() const { return IsBinaryFieldType(SourceType); }

// ---------------------------------------------------------------------------

TDataWriter::~TDataWriter() = default;

void TDataWriter::SetFieldValue(int index, const TFieldValue& value) {
  if (value.IsNull)
    SetNull(index);
  else
    SetValue(index, value.Text);
}

void TDataWriter::WriteData(const TRowValues& row) {
  BeginRow();
  for (size_t i = 0; i < row.size(); ++i) SetFieldValue(static_cast<int>(i), row[i]);
  WriteRow();
}

// ---------------------------------------------------------------------------

std::string TDBWriter::GetDescription() { return "To Table: " + (SqlCreator ? SqlCreator->GetFullTableName() : ""); }

int TDBWriter::GetColumnCount() const { return SqlCreator ? SqlCreator->GetFields().Count() : 0; }

std::string TDBWriter::GetLoadType() const { return SqlCreator ? SqlCreator->LoadType : std::string(); }

std::string TDBWriter::GetTableName() { return SqlCreator ? SqlCreator->GetFullTableName() : std::string(); }

// ---------------------------------------------------------------------------

TUniDBWriter::TUniDBWriter() : Query(std::make_unique<TUniQuery>()), DecimalSeparator(LocaleDecimalSeparator()) {}

TUniDBWriter::~TUniDBWriter() = default;

void TUniDBWriter::SetConnection(TUniConnection* connection) {
  Connection = connection;
  Query->SetConnection(connection);
}

TDateFormatParser& TUniDBWriter::GetDateParser() {
  // Made on first use: the kind's CreateDateParser cannot run from the base constructor.
  if (!DateParser) DateParser = CreateDateParser();
  return *DateParser;
}

bool TUniDBWriter::CanPrepare() {
  if (!SqlCreator) return true;
  for (int i = 0; i < SqlCreator->GetFields().Count(); ++i) {
    TUniParam* p = Query->FindParam(SqlCreator->GetParamName(i));
    if (p && p->IsLob()) return false;
  }
  return true;
}

void TUniDBWriter::CheckDestination() {
  if (!SqlCreator || SqlCreator->GetFields().Text().empty()) throw Exception("FieldNames is not init.");
  if (!Connection) throw EDatabaseError("The writer has no connection");
  ProbeFieldTypes();
}

void TUniDBWriter::ProbeFieldTypes() {
  const std::string probe = SqlCreator->GetSelectEmptySql();
  Query->Close();
  Query->SetSQL(probe);
  try {
    Query->Open();
  } catch (const std::exception&) {
    RaiseWithStatement(probe);
  }
  FieldTypes.clear();
  for (int i = 0; i < Query->FieldCount(); ++i) FieldTypes.push_back(Query->Fields(i).DataType);
  Query->Close();
}

void TUniDBWriter::BeginWrite() {
  DropPending();
  ParamIndexes.clear();
  RowCounter = 0;
  FCommittedRows = 0;
  FUncommittedRows = 0;
  FCommittedChanged = 0;
  FUncommittedChanged = 0;
  FChangedUnknown = false;
  FRowsInDoubt = 0;
  FAborted = false;
  FConnectionLost = false;
  Handled = false;
  GetDateParser().ResetRunMemory();
  BeforeBeginWrite();
  if (Handled) return;
  CheckDestination();

  Unicode = StrToBoolDef(Connection->SpecificOptions.Values("UseUnicode"), false);

  if (SqlCreator->LoadType == "Replace") {
    const std::string deleteSql = SqlCreator->GetDeleteSql();
    Query->SetSQL(deleteSql);
    try {
      Query->Execute();
    } catch (const std::exception&) {
      RaiseWithStatement(deleteSql);
    }
  }

  BeforePrepare();
  const std::string writeSql = SqlCreator->GetWriteSql();
  Query->AutoPrepare = false;
  Query->SetSQL(writeSql);
  ResolveParams();
  try {
    if (CanPrepare()) Query->Prepare();
    Connection->StartTransaction();
  } catch (const std::exception&) {
    RaiseWithStatement(writeSql);
  }
}

void TUniDBWriter::NoteFailure(const std::exception& e) {
  auto* error = dynamic_cast<const EDatabaseError*>(&e);
  if (!error || error->Fault == TDatabaseFault::None) return;
  FAborted = true;
  if (error->Fault == TDatabaseFault::ConnectionLost) FConnectionLost = true;
  // What the transaction held went with it.
  if (error->Fault == TDatabaseFault::ConnectionLost || error->Fault == TDatabaseFault::TransactionRolledBack) {
    FUncommittedRows = 0;
    FUncommittedChanged = 0;
  }
}

void TUniDBWriter::NoteChanged() {
  int changed = Query->RowsAffected();
  if (changed < 0)
    FChangedUnknown = true;
  else
    FUncommittedChanged += changed;
}

int64_t TUniDBWriter::CountTableRows() {
  if (!SqlCreator || !Connection) return -1;
  const std::string sql = "select count(*) from " + SqlCreator->GetFullTableName();
  TUniQuery query(Connection);
  try {
    query.SetSQL(sql);
    query.Open();
    if (query.Eof() || query.FieldCount() < 1) throw EDatabaseError("The count query returned no row");
    int64_t count = query.Fields(0).AsInteger();
    query.Close();
    return count;
  } catch (const std::exception&) {
    RaiseWithStatement(sql);
  }
}

void TUniDBWriter::CommitRows() {
  try {
    Connection->Commit();
  } catch (const std::exception& e) {
    int64_t uncommitted = FUncommittedRows;
    NoteFailure(e);
    // A commit cut off with its connection may have reached the database or not.
    if (FConnectionLost) FRowsInDoubt = uncommitted;
    FUncommittedRows = 0;
    FUncommittedChanged = 0;
    FAborted = true;
    throw;
  }
  FCommittedRows += FUncommittedRows;
  FUncommittedRows = 0;
  FCommittedChanged += FUncommittedChanged;
  FUncommittedChanged = 0;
}

void TUniDBWriter::ResolveParams() {
  ParamIndexes.clear();
  for (int i = 0; i < SqlCreator->GetFields().Count(); ++i)
    ParamIndexes.push_back(Query->ParamIndex(SqlCreator->GetParamName(i)));
}

TUniParam& TUniDBWriter::ClearedParam(int index, TFieldType& type) {
  int position =
      index >= 0 && static_cast<size_t>(index) < ParamIndexes.size() ? ParamIndexes[static_cast<size_t>(index)] : -1;
  // A column the statement has no parameter for fails as the lookup by name does.
  TUniParam& p = position >= 0 ? Query->ParamAt(position) : Query->ParamByName(SqlCreator->GetParamName(index));
  p.Clear();
  type = index >= 0 && static_cast<size_t>(index) < FieldTypes.size() ? FieldTypes[static_cast<size_t>(index)]
                                                                      : TFieldType::ftUnknown;
  return p;
}

void TUniDBWriter::BindLob(TUniParam& param, const std::string& data, TFieldType type) {
  // Text goes as UTF-8, which is this program's 8-bit code page too; the data-access
  // layer hands it to the driver as Unicode either way, so the Unicode flag changes
  // nothing about what arrives.
  param.LoadFromBytes(data, type);
}

void TUniDBWriter::SetNull(int index) {
  TFieldType type;
  ClearedParam(index, type);
}

void TUniDBWriter::SetFieldValue(int index, const TFieldValue& value) {
  if (value.IsNull) {
    SetNull(index);
    return;
  }
  TFieldType type = index >= 0 && static_cast<size_t>(index) < FieldTypes.size()
                        ? FieldTypes[static_cast<size_t>(index)]
                        : TFieldType::ftUnknown;
  if (value.HasBytes() && IsBinaryFieldType(type)) {
    TUniParam& p = ClearedParam(index, type);
    BindLob(p, value.Bytes, type);
    return;
  }
  SetValue(index, value.Text);
}

void TUniDBWriter::SetValue(int index, const std::string& value) {
  TFieldType type;
  TUniParam& p = ClearedParam(index, type);
  if (!SqlCreator->IsNotNullValue(index, value)) return;
  if (IsLobFieldType(type)) {
    BindLob(p, value, type);
    return;
  }
  switch (type) {
    case TFieldType::ftBoolean:
      p.SetAsBoolean(StrToBoolDef(value, false));
      break;
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc: {
      if (value.empty()) {
        p.DataType = TFieldType::ftInteger;
        break;
      }
      int number = 0;
      if (!TryStrToInt(Trim(value), number)) throw EConvertError("'" + value + "' is not a valid integer value");
      p.SetAsInteger(number);
      break;
    }
    case TFieldType::ftLargeint: {
      if (value.empty()) {
        p.DataType = TFieldType::ftLargeint;
        break;
      }
      int64_t number = 0;
      if (!TryStrToInt64(Trim(value), number)) throw EConvertError("'" + value + "' is not a valid integer value");
      p.SetAsInteger(number);
      break;
    }
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd: {
      if (value.empty()) {
        p.DataType = type;
        break;
      }
      // As exact text: a double would lose digits of a DECIMAL(31,9).
      std::string decimal;
      if (!TryDecimalText(value, DecimalSeparator, decimal))
        throw EConvertError("'" + value + "' is not a valid floating point value");
      p.SetAsString(decimal);
      p.DataType = type;
      break;
    }
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftSingle:
    case TFieldType::ftExtended: {
      if (value.empty()) {
        p.DataType = TFieldType::ftFloat;
        break;
      }
      double number = 0;
      if (!TryStrToFloat(Trim(value), number, DecimalSeparator))
        throw EConvertError("'" + value + "' is not a valid floating point value");
      p.SetAsFloat(number);
      break;
    }
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
    case TFieldType::ftTimeStamp:
    case TFieldType::ftTimeStampOffset:
      // An empty text is no date: it stays NULL, as for numbers, where an empty text
      // would make every such row fail.
      if (value.empty()) break;
      p.SetAsString(GetDateParser().Parse(value, SqlCreator->GetDateFormats().Values(SqlCreator->GetFields()[index])));
      break;
    default:
      if (LowerCase(Connection ? Connection->SpecificOptions.Values("UseUnicode") : std::string()) == "true")
        p.SetAsWideString(value);
      else
        p.SetAsString(value);
      break;
  }
}

void TUniDBWriter::WriteRow() {
  if (DefersNow()) {
    Query->AddBatchRow();
    ++RowCounter;
    for (int i = 0, count = Query->ParamCount(); i < count; ++i)
      PendingBytes += Query->ParamAt(i).TextValue().size() + 16;
    return;
  }
  ExecuteRow();
}

void TUniDBWriter::ExecuteRow() {
  ++RowCounter;
  try {
    Query->Execute();
  } catch (const std::exception& e) {
    NoteFailure(e);
    RaiseWithStatement(Query->SQL);
  }
  NoteChanged();
  ++FUncommittedRows;
  if (RowCounter % CommitInterval != 0) return;
  try {
    CommitRows();
    Connection->StartTransaction();
  } catch (const std::exception&) {
    // Not this row's fault, and no later row may count as written.
    FAborted = true;
    RaiseWithStatement(Query->SQL);
  }
  if (FPaused) {
    FPaused = false;
    ArrayStart = RowCounter;
  }
}

bool TUniDBWriter::StartDeferring() {
  DropPending();
  if (!Connection || !SqlCreator || !Query) return false;
  try {
    if (!Query->SupportsParamArrays()) return false;
  } catch (const std::exception&) {
    return false;
  }
  FDeferring = true;
  ArrayStart = RowCounter;
  return true;
}

int TUniDBWriter::PendingRowCount() const { return FDeferring ? Query->BatchRowCount() : 0; }

bool TUniDBWriter::PendingFull() const {
  return FDeferring && Query->BatchRowCount() > 0 &&
         (RowCounter % CommitInterval == 0 || PendingBytes >= MaxPendingBytes);
}

void TUniDBWriter::PauseUntilCommit() {
  Query->ClearBatch();
  PendingBytes = 0;
  ArrayStart = RowCounter;
  // An array that ended before a commit point leaves rows in the open transaction:
  // the next array must not start before they are committed, or a failure of it
  // would roll them back too.
  FPaused = RowCounter % CommitInterval != 0;
}

bool TUniDBWriter::ExecutePending() {
  if (!FDeferring || Query->BatchRowCount() == 0) return true;
  try {
    Query->ExecuteBatch();
  } catch (const std::exception& e) {
    NoteFailure(e);
    if (FAborted) {
      // No replay would get these rows through: the array is not written, and what part
      // of it the database kept goes (the array began at a commit point).
      Query->ClearBatch();
      PendingBytes = 0;
      if (!FConnectionLost) {
        try {
          Connection->Rollback();
        } catch (const std::exception&) {
          // The error raised below says why the item ends; this one adds nothing.
        }
      }
      RaiseWithStatement(Query->SQL);
    }
    // Whatever part of the array the database kept goes; the rows are written again
    // one by one, which finds every failing row with its own message. The array began
    // at a commit point, so the rollback takes back nothing else.
    try {
      Connection->Rollback();
      Connection->StartTransaction();
    } catch (const std::exception& failure) {
      NoteFailure(failure);
      FAborted = true;
      RaiseWithStatement(Query->SQL);
    }
    FUncommittedRows = 0;
    FUncommittedChanged = 0;
    RowCounter = ArrayStart;
    return false;
  }
  NoteChanged();
  FUncommittedRows += Query->BatchRowCount();
  if (RowCounter % CommitInterval == 0) {
    try {
      CommitRows();
      Connection->StartTransaction();
    } catch (const std::exception&) {
      FAborted = true;
      RaiseWithStatement(Query->SQL);
    }
  }
  PauseUntilCommit();
  return true;
}

void TUniDBWriter::ReplayRow(int index) {
  Query->LoadBatchRow(index);
  ExecuteRow();
}

void TUniDBWriter::EndReplay() { PauseUntilCommit(); }

void TUniDBWriter::DropPending() {
  FDeferring = false;
  FPaused = false;
  PendingBytes = 0;
  if (Query) Query->ClearBatch();
}

void TUniDBWriter::EndWrite() {
  if (FAborted) {
    // Nothing more is sent. What the open transaction holds is committed while the
    // connection lives; a lost one took its transaction along.
    DropPending();
    if (FConnectionLost) {
      try {
        Connection->Rollback();
      } catch (const std::exception&) {
        // Only forgets the transaction on this side; the database has nothing to roll back.
      }
    } else {
      try {
        CommitRows();
      } catch (const std::exception&) {
        RaiseWithStatement(Query->SQL);
      }
    }
    if (CanPrepare()) Query->Unprepare();
    AfterEndWrite();
    return;
  }
  if (FDeferring && Query->BatchRowCount() > 0 && !ExecutePending()) {
    // Nobody replays for this caller: the rows go one by one and the first failure is
    // raised once all were tried and the rows that went through are committed.
    std::exception_ptr firstError;
    for (int i = 0; i < Query->BatchRowCount(); ++i) {
      try {
        ReplayRow(i);
      } catch (const std::exception&) {
        if (FAborted) {
          EndReplay();
          FDeferring = false;
          throw;
        }
        if (!firstError) firstError = std::current_exception();
      }
    }
    EndReplay();
    FDeferring = false;
    if (firstError) {
      try {
        CommitRows();
      } catch (const std::exception&) {
        RaiseWithStatement(Query->SQL);
      }
      std::rethrow_exception(firstError);
    }
  }
  FDeferring = false;
  try {
    if (Connection) CommitRows();
  } catch (const std::exception&) {
    RaiseWithStatement(Query->SQL);
  }
  if (CanPrepare()) Query->Unprepare();
  AfterEndWrite();
}

// ---------------------------------------------------------------------------

std::unique_ptr<TDateFormatParser> TDB2Writer::CreateDateParser() { return std::make_unique<TDB2DateFormatParser>(); }

std::unique_ptr<TDateFormatParser> TSqliteWriter::CreateDateParser() {
  return std::make_unique<TSqliteDateFormatParser>();
}
