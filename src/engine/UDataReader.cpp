#include "engine/UDataReader.h"

#include <algorithm>
#include <fstream>

#include "base/UExceptions.h"

// --- TDataReader

void TDataReader::SetTag(int tag) { Tag = tag; }

int64_t TDataReader::GetRowNumber() const { return RowNumber; }

std::string TDataReader::GetPositionText() const { return " Row " + IntToStr(GetRowNumber()); }

void TDataReader::GoToRow(int64_t row) {
  while (GetRowNumber() < row && HasData()) Next();
}

int TDataReader::GetColumnFlag(int) const { return 0; }

// --- TDBReader

int64_t TDBReader::GetRowNumber() const { return RowNumber; }

void TDBReader::Close() {
  FColumnNames.Clear();
  Sql.clear();
  RecordCount = 0;
}

int64_t TDBReader::GetRecordCount() const { return RecordCount; }

int TDBReader::GetColumnCount() const { return FColumnNames.Count(); }

int TDBReader::GetColumnFlag(int) const { return 0; }

std::string TDBReader::GetDescription() const {
  if (TableName.empty()) return "From Query: " + Sql;
  if (!SchemaName.empty()) return "From Table: " + SchemaName + "." + TableName;
  return "From Table: " + TableName;
}

std::unique_ptr<TStringList> TDBReader::GetFieldNames() const {
  auto names = std::make_unique<TStringList>();
  for (int i = 0; i < GetColumnCount(); ++i) names->Add(GetColumnName(i));
  return names;
}

std::unique_ptr<TStringList> TDBReader::GetNumericFieldNames() const {
  auto names = std::make_unique<TStringList>();
  for (int i = 0; i < GetColumnCount(); ++i) {
    switch (GetFieldType(i)) {
      case TFieldType::ftSmallint:
      case TFieldType::ftInteger:
      case TFieldType::ftWord:
      case TFieldType::ftBoolean:
      case TFieldType::ftFloat:
        names->Add(GetColumnName(i));
        break;
      default:
        break;
    }
  }
  return names;
}

std::unique_ptr<TStringList> TDBReader::GetLobFieldNames() const {
  auto names = std::make_unique<TStringList>();
  for (int i = 0; i < GetColumnCount(); ++i)
    if (IsBlob(i) || IsClob(i)) names->Add(GetColumnName(i));
  return names;
}

std::unique_ptr<TStringList> TDBReader::GetBlobFieldNames() const {
  auto names = std::make_unique<TStringList>();
  for (int i = 0; i < GetColumnCount(); ++i)
    if (IsBlob(i)) names->Add(GetColumnName(i));
  return names;
}

std::unique_ptr<TStringList> TDBReader::GetClobFieldNames() const {
  auto names = std::make_unique<TStringList>();
  for (int i = 0; i < GetColumnCount(); ++i)
    if (IsClob(i)) names->Add(GetColumnName(i));
  return names;
}

bool TDBReader::IsClob(int) const { return false; }
bool TDBReader::IsBlob(int) const { return false; }
void TDBReader::SetFetchRows(int rows) { FetchRows = rows; }
int TDBReader::GetFetchRows() const { return FetchRows; }

// --- TFilterDataReader

TFilterDataReader::TFilterDataReader(TDataReader* reader) : FReader(reader) {
  if (!FReader) throw Exception("A filter reader needs a reader to read from");
}

void TFilterDataReader::SetTag(int tag) { FReader->SetTag(tag); }
int64_t TFilterDataReader::GetRowNumber() const { return FReader->GetRowNumber(); }
std::string TFilterDataReader::GetPositionText() const { return FReader->GetPositionText(); }
void TFilterDataReader::Open() { FReader->Open(); }
void TFilterDataReader::Close() { FReader->Close(); }
void TFilterDataReader::GoToRow(int64_t row) { FReader->GoToRow(row); }
bool TFilterDataReader::HasData() const { return FReader->HasData(); }
void TFilterDataReader::Next() { FReader->Next(); }
std::string TFilterDataReader::GetValue(int index) const { return FReader->GetValue(index); }
std::string TFilterDataReader::GetColumnName(int index) const { return FReader->GetColumnName(index); }
int64_t TFilterDataReader::GetRecordCount() const { return FReader->GetRecordCount(); }
int TFilterDataReader::GetColumnCount() const { return FReader->GetColumnCount(); }
int TFilterDataReader::GetColumnFlag(int index) const { return FReader->GetColumnFlag(index); }
void TFilterDataReader::SaveBlobToFile(int index, const std::string& fileName) const {
  FReader->SaveBlobToFile(index, fileName);
}
std::string TFilterDataReader::GetDescription() const { return FReader->GetDescription(); }
bool TFilterDataReader::IsNull(int index) const { return FReader->IsNull(index); }
std::string TFilterDataReader::GetBytes(int index) const { return FReader->GetBytes(index); }
TFieldType TFilterDataReader::GetFieldType(int index) const { return FReader->GetFieldType(index); }
TValueKind TFilterDataReader::GetValueKind(int index) const { return FReader->GetValueKind(index); }

// --- TPartRowDataReader

TPartRowDataReader::TPartRowDataReader(TDataReader* reader, int64_t firstRow, int64_t rowLimit)
    : TFilterDataReader(reader), FFirstRow(std::max<int64_t>(firstRow, 1)), FRowLimit(std::max<int64_t>(rowLimit, 0)) {
  CheckRowCount();
}

void TPartRowDataReader::CheckRowCount() const {
  int64_t count = FReader->GetRecordCount();
  if (count > 0 && count < FFirstRow) throw Exception("Index > Row Count");
}

void TPartRowDataReader::Open() {
  FReader->Open();
  try {
    CheckRowCount();
    FReader->GoToRow(FFirstRow);
  } catch (...) {
    FReader->Close();
    throw;
  }
}

int64_t TPartRowDataReader::GetRowNumber() const { return FReader->GetRowNumber() - FFirstRow + 1; }

void TPartRowDataReader::GoToRow(int64_t row) { FReader->GoToRow(row + FFirstRow - 1); }

bool TPartRowDataReader::HasData() const {
  int64_t row = GetRowNumber();
  return FReader->HasData() && row >= 1 && row <= FRowLimit;
}

int64_t TPartRowDataReader::GetRecordCount() const {
  int64_t count = FReader->GetRecordCount();
  if (count < 0) return UnknownRecordCount;
  return std::max<int64_t>(0, std::min(count - FFirstRow + 1, FRowLimit));
}

// --- TPartColumnDataReader

TPartColumnDataReader::TPartColumnDataReader(TDataReader* reader, const TStringList* columns)
    : TFilterDataReader(reader), FColumns(columns) {
  if (!FColumns) throw Exception("A column filter needs its list of columns");
}

int TPartColumnDataReader::InnerIndex(int index) const {
  if (index < 0 || index >= FColumns->Count())
    throw EConvertError("Column index out of range (" + IntToStr(index) + ")");
  return StrToInt((*FColumns)[index]);
}

int TPartColumnDataReader::GetColumnCount() const { return FColumns->Count(); }
std::string TPartColumnDataReader::GetValue(int index) const { return FReader->GetValue(InnerIndex(index)); }
std::string TPartColumnDataReader::GetColumnName(int index) const { return FReader->GetColumnName(InnerIndex(index)); }
int TPartColumnDataReader::GetColumnFlag(int index) const { return FReader->GetColumnFlag(InnerIndex(index)); }
bool TPartColumnDataReader::IsNull(int index) const { return FReader->IsNull(InnerIndex(index)); }
std::string TPartColumnDataReader::GetBytes(int index) const { return FReader->GetBytes(InnerIndex(index)); }
TFieldType TPartColumnDataReader::GetFieldType(int index) const { return FReader->GetFieldType(InnerIndex(index)); }
TValueKind TPartColumnDataReader::GetValueKind(int index) const { return FReader->GetValueKind(InnerIndex(index)); }
void TPartColumnDataReader::SaveBlobToFile(int index, const std::string& fileName) const {
  FReader->SaveBlobToFile(InnerIndex(index), fileName);
}
