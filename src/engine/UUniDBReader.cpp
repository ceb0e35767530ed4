#include "engine/UUniDBReader.h"

#include <cstdio>
#include <fstream>

#include "dac/UDataAccess.h"
#include "dialect/UDBDictionary.h"

namespace {

std::string TwoDigits(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%.2d", value);
  return buffer;
}

std::string DatePart(const TDateTimeParts& p) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4d-%.2d-%.2d", p.Year, p.Month, p.Day);
  return buffer;
}

std::string TimePart(const TDateTimeParts& p) {
  return TwoDigits(p.Hour) + ":" + TwoDigits(p.Minute) + ":" + TwoDigits(p.Second);
}

// The fraction of a second (nanoseconds) as its decimal digits without trailing zeros;
// "0" for none when keepZero is set, else empty.
std::string FractionDigits(uint32_t nanoseconds, bool keepZero) {
  if (nanoseconds == 0) return keepZero ? "0" : "";
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%09u", static_cast<unsigned>(nanoseconds % 1000000000u));
  std::string digits = buffer;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  return digits;
}

std::string WithFraction(std::string text, const TDateTimeParts& p) {
  std::string fraction = FractionDigits(p.Fraction, false);
  if (!fraction.empty()) text += "." + fraction;
  return text;
}

std::string HexText(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    text += digits[c >> 4];
    text += digits[c & 15];
  }
  return text;
}

}  // namespace

std::string FieldValueText(const TUniField& field) {
  TValueKind kind = field.ValueKind();
  if (kind == TValueKind::Null) return std::string();
  switch (field.DataType) {
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
      if (kind == TValueKind::Bytes) return HexText(field.AsBytes());
      break;
    case TFieldType::ftDate:
      if (kind == TValueKind::DateTime) return DatePart(field.AsDateTimeParts());
      break;
    case TFieldType::ftTime:
      if (kind == TValueKind::DateTime) {
        TDateTimeParts p = field.AsDateTimeParts();
        return WithFraction(TimePart(p), p);
      }
      break;
    case TFieldType::ftDateTime:
      if (kind == TValueKind::DateTime) {
        TDateTimeParts p = field.AsDateTimeParts();
        return WithFraction(DatePart(p) + " " + TimePart(p), p);
      }
      break;
    case TFieldType::ftTimeStamp:
    case TFieldType::ftTimeStampOffset:
      // The data-access layer carries no zone, so an offset value has none to show.
      if (kind == TValueKind::DateTime) {
        TDateTimeParts p = field.AsDateTimeParts();
        return DatePart(p) + " " + TimePart(p) + "." + FractionDigits(p.Fraction, true);
      }
      break;
    default:
      break;
  }
  return field.AsString();
}

// --- TUniDBReader

TUniDBReader::TUniDBReader() {
  FQuery = NewQuery();
  FScript = std::make_unique<TUniScript>();
  FScript->DataSet = FQuery.get();
}

TUniDBReader::~TUniDBReader() {
  FScript.reset();
  FQuery.reset();
}

void TUniDBReader::InitDBHelper() {
  if (!FDBHelper) FDBHelper = CreateDBHelper();
}

std::unique_ptr<TUniQuery> TUniDBReader::NewQuery() const {
  auto query = std::make_unique<TUniQuery>(FConnection);
  query->UniDirectional = true;
  query->FetchRows = FetchRows > 0 ? FetchRows : 50;
  query->SpecificOptions.SetValue("QueryRecCount", FQueryRecCount ? "True" : "False");
  query->SpecificOptions.SetValue("FetchAll", "False");
  return query;
}

TUniConnection* TUniDBReader::Connection() const {
  // The query learns when the connection goes away; the plain pointer does not.
  return FQuery ? FQuery->Connection() : FConnection;
}

void TUniDBReader::SetConnection(TUniConnection* connection) {
  FConnection = connection;
  FQuery->SetConnection(connection);
  FQuery->SpecificOptions.SetValue("FetchAll", "False");
  FScript->SetConnection(connection);
}

void TUniDBReader::SetQueryRecCount(bool value) {
  FQueryRecCount = value;
  if (FQuery) FQuery->SpecificOptions.SetValue("QueryRecCount", value ? "True" : "False");
}

void TUniDBReader::SetFetchRows(int rows) {
  TDBReader::SetFetchRows(rows);
  if (FQuery && rows > 0) FQuery->FetchRows = rows;
}

void TUniDBReader::BuildSelectSql() {
  InitDBHelper();
  std::string columns = ColumnNames().Empty() ? "*" : FDBHelper->JoinNames(ColumnNames());
  Sql = "select " + columns + " from " + FDBHelper->GetFullName(SchemaName, TableName);
}

void TUniDBReader::Open() {
  if (Trim(Sql).empty()) {
    if (Trim(TableName).empty()) throw Exception("Not valid sql");
    BuildSelectSql();
  }
  FQuery->Close();
  // A fresh query for every run: nothing of an earlier statement (parameters, fields,
  // a half-read cursor) carries over.
  FScript->DataSet = nullptr;
  FQuery = NewQuery();
  FScript->DataSet = FQuery.get();
  FScript->SetConnection(FConnection);
  FQuery->UniDirectional = LowerCase(Sql).find("declare ") == std::string::npos;

  FScript->SQL = Sql;
  FScript->Execute();
  if (!FQuery->Active()) throw EDatabaseError("The statement returns no rows: " + Sql);
  if (ColumnNames().Empty())
    for (int i = 0; i < FQuery->FieldCount(); ++i) ColumnNames().Add(FQuery->Fields(i).FieldName);
  UpdateRecordCount();
  RowNumber = 1;
}

int64_t TUniDBReader::CountWith(const std::string& countSql) const {
  try {
    TUniQuery count(Connection());
    count.ParamCheck = false;
    count.FetchRows = 1;
    count.SQL = countSql;
    count.Open();
    if (count.Eof() || count.FieldCount() == 0 || count.Fields(0).IsNull()) return UnknownRecordCount;
    int64_t value = count.Fields(0).AsInteger();
    return value < 0 ? UnknownRecordCount : value;
  } catch (const std::exception&) {
    return UnknownRecordCount;
  }
}

void TUniDBReader::UpdateRecordCount() {
  try {
    RecordCount = FQuery->RecordCount();
    return;
  } catch (const std::exception&) {
  }
  RecordCount = CountWith("select count(1) from (" + Sql + ") a");
}

void TUniDBReader::Close() {
  if (FQuery) FQuery->Close();
  TDBReader::Close();
}

bool TUniDBReader::HasData() const { return FQuery && FQuery->Active() && !FQuery->Eof(); }

void TUniDBReader::Next() {
  ++RowNumber;
  FQuery->Next();
}

const TUniField& TUniDBReader::Field(int index) const { return FQuery->Fields(index); }

std::string TUniDBReader::GetValue(int index) const { return FieldValueText(Field(index)); }

std::string TUniDBReader::GetColumnName(int index) const {
  if (FQuery && FQuery->Active()) return Field(index).FieldName;
  return ColumnNames()[index];
}

bool TUniDBReader::IsNull(int index) const { return Field(index).IsNull(); }

std::string TUniDBReader::GetBytes(int index) const {
  const TUniField& field = Field(index);
  TValueKind kind = field.ValueKind();
  if (kind == TValueKind::Text || kind == TValueKind::Bytes) return field.AsBytes();
  return FieldValueText(field);
}

TFieldType TUniDBReader::GetFieldType(int index) const { return Field(index).DataType; }

TValueKind TUniDBReader::GetValueKind(int index) const { return Field(index).ValueKind(); }

bool TUniDBReader::IsClob(int index) const {
  TFieldType type = GetFieldType(index);
  return type == TFieldType::ftMemo || type == TFieldType::ftOraClob;
}

bool TUniDBReader::IsBlob(int index) const {
  TFieldType type = GetFieldType(index);
  return type == TFieldType::ftBlob || type == TFieldType::ftOraBlob;
}

void TUniDBReader::SaveBlobToFile(int index, const std::string& fileName) const {
  std::string bytes = GetBytes(index);
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw EInOutError("Cannot create file \"" + fileName + "\"");
}
