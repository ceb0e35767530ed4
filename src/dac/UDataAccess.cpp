#include "dac/UDataAccess.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "dac/UDacImpl.h"
#include "dac/USqlLexer.h"

using namespace dac_detail;

std::string FieldTypeName(TFieldType type) {
  static const char* const names[] = {
      "ftUnknown",   "ftString",     "ftSmallint",   "ftInteger",         "ftWord",     "ftBoolean",
      "ftFloat",     "ftCurrency",   "ftBCD",        "ftDate",            "ftTime",     "ftDateTime",
      "ftBytes",     "ftVarBytes",   "ftAutoInc",    "ftBlob",            "ftMemo",     "ftGraphic",
      "ftFmtMemo",   "ftFixedChar",  "ftWideString", "ftLargeint",        "ftOraBlob",  "ftOraClob",
      "ftTimeStamp", "ftTimeStampOffset", "ftFMTBcd", "ftFixedWideChar", "ftWideMemo", "ftGuid",
      "ftLongWord",  "ftShortint",   "ftByte",       "ftExtended",        "ftSingle"};
  auto index = static_cast<size_t>(type);
  return index < std::size(names) ? names[index] : "ftUnknown";
}

bool IsLobFieldType(TFieldType type) {
  switch (type) {
    case TFieldType::ftBlob:
    case TFieldType::ftMemo:
    case TFieldType::ftGraphic:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftOraBlob:
    case TFieldType::ftOraClob:
    case TFieldType::ftWideMemo:
    case TFieldType::ftVarBytes:
      return true;
    default:
      return false;
  }
}

bool IsBinaryFieldType(TFieldType type) {
  switch (type) {
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic:
    case TFieldType::ftOraBlob:
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
      return true;
    default:
      return false;
  }
}

namespace dac_detail {

std::string FormatDateTime(const TDateTimeParts& p) {
  char buffer[64];
  std::string result;
  if (p.HasDate) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.Year, p.Month, p.Day);
    result = buffer;
  }
  if (p.HasTime) {
    if (!result.empty()) result += ' ';
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.Hour, p.Minute, p.Second);
    result += buffer;
    if (p.Fraction != 0) {
      std::snprintf(buffer, sizeof buffer, ".%09u", static_cast<unsigned>(p.Fraction % 1000000000u));
      std::string fraction = buffer;
      while (fraction.back() == '0') fraction.pop_back();
      result += fraction;
    }
  }
  return result;
}

}  // namespace dac_detail

// ---------------------------------------------------------------------------
// EDatabaseError

EDatabaseError::EDatabaseError(std::string message, std::string sqlState, int nativeCode, TDatabaseFault fault)
    : Exception(std::move(message)), SqlState(std::move(sqlState)), NativeCode(nativeCode), Fault(fault) {}

TDatabaseFault OdbcFault(const std::string& sqlState, int nativeCode) {
  // DB2's own codes for a connection that broke: SQL30080N and SQL30081N (communication
  // error), SQL30108N (the connection was moved to another server, its transaction
  // rolled back) and SQL1224N (the database agent ended or the server stopped).
  switch (nativeCode) {
    case -30080:
    case -30081:
    case -30108:
    case -1224:
      return TDatabaseFault::ConnectionLost;
    default:
      break;
  }
  std::string state = UpperCase(sqlState);
  if (state.rfind("08", 0) == 0 || state == "40003") return TDatabaseFault::ConnectionLost;
  if (state.rfind("40", 0) == 0) return TDatabaseFault::TransactionRolledBack;
  // Values go as parameters, so these classes never depend on a row: class 42 is the
  // statement itself (an undefined table or column, a missing privilege), class 57 a
  // resource the database cannot give (a full table space or log, a stopped object).
  if (state.rfind("42", 0) == 0 || state.rfind("57", 0) == 0) return TDatabaseFault::StatementCannotRun;
  return TDatabaseFault::None;
}

// ---------------------------------------------------------------------------
// TUniConnection

TUniConnection::TUniConnection() = default;

TUniConnection::~TUniConnection() {
  try {
    Disconnect();
  } catch (...) {
  }
  for (TUniQuery* query : std::vector<TUniQuery*>(FQueries)) query->ConnectionDestroyed();
}

void TUniConnection::Connect() {
  if (Connected()) return;
  std::unique_ptr<TConnectionImpl> impl;
  if (SameText(ProviderName, "Sqlite"))
    impl = CreateSqliteConnection();
  else if (SameText(ProviderName, "DB2"))
    impl = CreateOdbcConnection();
  else
    throw EDatabaseError("Unknown provider \"" + ProviderName + "\" (known: Sqlite, DB2)");
  impl->Connect(*this);
  FImpl = std::move(impl);
}

void TUniConnection::Disconnect() {
  // Statements go first: a back end must never see a statement outlive its handle.
  for (TUniQuery* query : std::vector<TUniQuery*>(FQueries)) query->ConnectionClosing();
  if (FImpl) {
    auto impl = std::move(FImpl);
    impl->Disconnect();
  }
}

bool TUniConnection::Connected() const { return FImpl && FImpl->Connected(); }

void TUniConnection::StartTransaction() {
  if (!Connected()) Connect();
  if (FImpl->InTransaction()) throw EDatabaseError("A transaction is already active");
  FImpl->StartTransaction();
}

void TUniConnection::Commit() {
  if (Connected() && FImpl->InTransaction()) FImpl->Commit();
}

void TUniConnection::Rollback() {
  if (Connected() && FImpl->InTransaction()) FImpl->Rollback();
}

bool TUniConnection::InTransaction() const { return Connected() && FImpl->InTransaction(); }

std::string TUniConnection::ServerVersion() const { return Connected() ? FImpl->ServerVersion() : std::string(); }

TConnectionImpl& TUniConnection::Impl() {
  if (!Connected()) throw EDatabaseError("Connection is not open");
  return *FImpl;
}

void TUniConnection::RegisterQuery(TUniQuery* query) {
  if (std::find(FQueries.begin(), FQueries.end(), query) == FQueries.end()) FQueries.push_back(query);
}

void TUniConnection::UnregisterQuery(TUniQuery* query) {
  FQueries.erase(std::remove(FQueries.begin(), FQueries.end(), query), FQueries.end());
}

// ---------------------------------------------------------------------------
// TUniParam

void TUniParam::Clear() {
  IsNull = true;
  FText.clear();
}

void TUniParam::SetAsInteger(int64_t value) {
  DataType = TFieldType::ftLargeint;
  FKind = TValueKind::Integer;
  FInt = value;
  IsNull = false;
}

void TUniParam::SetAsFloat(double value) {
  DataType = TFieldType::ftFloat;
  FKind = TValueKind::Float;
  FFloat = value;
  IsNull = false;
}

void TUniParam::SetAsBoolean(bool value) {
  DataType = TFieldType::ftBoolean;
  FKind = TValueKind::Integer;
  FInt = value ? 1 : 0;
  IsNull = false;
}

void TUniParam::SetAsString(const std::string& value) {
  DataType = TFieldType::ftString;
  FKind = TValueKind::Text;
  FText = value;
  IsNull = false;
}

void TUniParam::SetAsWideString(const std::string& utf8) {
  SetAsString(utf8);
  DataType = TFieldType::ftWideString;
}

void TUniParam::LoadFromBytes(const std::string& bytes, TFieldType lobType) {
  DataType = lobType;
  FText = bytes;
  FKind = IsBinary() ? TValueKind::Bytes : TValueKind::Text;
  IsNull = false;
}

// ---------------------------------------------------------------------------
// TUniField

namespace {

bool ParseInt64(std::string_view s, int64_t& value) {
  std::string t = Trim(s);
  const char* begin = t.data();
  const char* end = t.data() + t.size();
  if (begin != end && *begin == '+') ++begin;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && ptr == end && begin != end;
}

bool ParseDouble(std::string_view s, double& value) {
  std::string t = Trim(s);
  const char* begin = t.data();
  const char* end = t.data() + t.size();
  if (begin != end && *begin == '+') ++begin;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && ptr == end && begin != end;
}

// Reads exactly `count` digits at s[i].
bool ReadDigits(std::string_view s, size_t& i, int count, int& value) {
  if (i + static_cast<size_t>(count) > s.size()) return false;
  value = 0;
  for (int k = 0; k < count; ++k) {
    char c = s[i + static_cast<size_t>(k)];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  i += static_cast<size_t>(count);
  return true;
}

bool ParseTimePart(std::string_view s, size_t& i, TDateTimeParts& p) {
  if (!ReadDigits(s, i, 2, p.Hour) || i >= s.size() || s[i] != ':') return false;
  ++i;
  if (!ReadDigits(s, i, 2, p.Minute)) return false;
  if (i < s.size() && s[i] == ':') {
    ++i;
    if (!ReadDigits(s, i, 2, p.Second)) return false;
    if (i < s.size() && s[i] == '.') {
      ++i;
      uint32_t fraction = 0;
      int digits = 0;
      while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (digits < 9) {
          fraction = fraction * 10 + static_cast<uint32_t>(s[i] - '0');
          ++digits;
        }
        ++i;
      }
      if (digits == 0) return false;
      for (; digits < 9; ++digits) fraction *= 10;
      p.Fraction = fraction;
    }
  }
  p.HasTime = true;
  return p.Hour < 24 && p.Minute < 60 && p.Second < 62;
}

bool ParseDateTimeText(std::string_view text, TDateTimeParts& p) {
  std::string t = Trim(text);
  std::string_view s = t;
  size_t i = 0;
  p = TDateTimeParts();
  if (s.size() >= 10 && s[4] == '-') {
    if (!ReadDigits(s, i, 4, p.Year) || s[i++] != '-' || !ReadDigits(s, i, 2, p.Month) || s[i++] != '-' ||
        !ReadDigits(s, i, 2, p.Day))
      return false;
    if (p.Month < 1 || p.Month > 12 || p.Day < 1 || p.Day > 31) return false;
    p.HasDate = true;
    if (i == s.size()) return true;
    if (s[i] != ' ' && s[i] != 'T') return false;
    ++i;
  }
  return ParseTimePart(s, i, p) && i == s.size();
}

}  // namespace

std::string TUniField::AsString() const {
  switch (FKind) {
    case TValueKind::Null:
      return std::string();
    case TValueKind::Integer:
      return std::to_string(FInt);
    case TValueKind::Float: {
      char buffer[64];
      auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, FFloat);
      return std::string(buffer, ec == std::errc() ? end : buffer);
    }
    case TValueKind::Text:
    case TValueKind::Bytes:
      return FText;
    case TValueKind::DateTime:
      return FormatDateTime(FDateTime);
  }
  return std::string();
}

std::string TUniField::AsBytes() const {
  if (FKind == TValueKind::Text || FKind == TValueKind::Bytes) return FText;
  return AsString();
}

int64_t TUniField::AsInteger() const {
  switch (FKind) {
    case TValueKind::Null:
      return 0;
    case TValueKind::Integer:
      return FInt;
    case TValueKind::Float:
      if (std::isfinite(FFloat) && std::fabs(FFloat) < 9.2e18) return static_cast<int64_t>(FFloat);
      break;
    case TValueKind::Text: {
      int64_t value = 0;
      if (ParseInt64(FText, value)) return value;
      double d = 0;
      if (ParseDouble(FText, d) && std::isfinite(d) && std::fabs(d) < 9.2e18) return static_cast<int64_t>(d);
      break;
    }
    default:
      break;
  }
  throw EConvertError("'" + AsString() + "' is not a valid integer (field " + FieldName + ")");
}

double TUniField::AsFloat() const {
  switch (FKind) {
    case TValueKind::Null:
      return 0;
    case TValueKind::Integer:
      return static_cast<double>(FInt);
    case TValueKind::Float:
      return FFloat;
    case TValueKind::Text: {
      double value = 0;
      if (ParseDouble(FText, value)) return value;
      break;
    }
    default:
      break;
  }
  throw EConvertError("'" + AsString() + "' is not a valid number (field " + FieldName + ")");
}

bool TUniField::AsBoolean() const {
  switch (FKind) {
    case TValueKind::Null:
      return false;
    case TValueKind::Integer:
      return FInt != 0;
    case TValueKind::Float:
      return FFloat != 0;
    case TValueKind::Text: {
      bool value = false;
      if (TryStrToBool(FText, value)) return value;
      break;
    }
    default:
      break;
  }
  throw EConvertError("'" + AsString() + "' is not a valid boolean (field " + FieldName + ")");
}

TDateTimeParts TUniField::AsDateTimeParts() const {
  if (FKind == TValueKind::DateTime) return FDateTime;
  TDateTimeParts parts;
  if (FKind == TValueKind::Text && ParseDateTimeText(FText, parts)) return parts;
  if (FKind == TValueKind::Null) return parts;
  throw EConvertError("'" + AsString() + "' is not a valid date or time (field " + FieldName + ")");
}

void TUniField::SetNull() {
  FKind = TValueKind::Null;
  FText.clear();
}

void TUniField::SetInteger(int64_t value) {
  FKind = TValueKind::Integer;
  FInt = value;
}

void TUniField::SetFloat(double value) {
  FKind = TValueKind::Float;
  FFloat = value;
}

void TUniField::SetText(std::string value) {
  FKind = TValueKind::Text;
  FText = std::move(value);
}

void TUniField::SetBytes(std::string value) {
  FKind = TValueKind::Bytes;
  FText = std::move(value);
}

void TUniField::SetDateTime(const TDateTimeParts& value) {
  FKind = TValueKind::DateTime;
  FDateTime = value;
}

// ---------------------------------------------------------------------------
// Parameters in SQL text

namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

TParsedSql ParseSqlParameters(const std::string& sql) {
  TParsedSql result;
  std::string_view s = sql;
  size_t i = 0;
  auto useName = [&](const std::string& name) {
    int index = -1;
    if (!name.empty())
      for (size_t k = 0; k < result.Names.size(); ++k)
        if (SameText(result.Names[k], name)) index = static_cast<int>(k);
    if (index < 0) {
      result.Names.push_back(name);
      index = static_cast<int>(result.Names.size()) - 1;
    }
    result.Positions.push_back(index);
    result.Sql += '?';
  };
  while (i < s.size()) {
    size_t next = SkipQuotedOrComment(s, i);
    if (next != i) {
      result.Sql.append(s.substr(i, next - i));
      i = next;
      continue;
    }
    char c = s[i];
    if (c == ':') {
      if (i + 1 < s.size() && s[i + 1] == ':') {
        // A cast ("x::int") is no parameter; neither half of it is.
        result.Sql += "::";
        i += 2;
        continue;
      }
      size_t end = i + 1;
      while (end < s.size() && IsNameChar(s[end])) ++end;
      if (end > i + 1) {
        useName(std::string(s.substr(i + 1, end - i - 1)));
        i = end;
        continue;
      }
    } else if (c == '?') {
      useName(std::string());
      ++i;
      continue;
    }
    result.Sql += c;
    ++i;
  }
  return result;
}

// ---------------------------------------------------------------------------
// TUniQuery

TUniQuery::TUniQuery(TUniConnection* connection) { SetConnection(connection); }

TUniQuery::~TUniQuery() {
  try {
    Close();
  } catch (...) {
  }
  FStatement.reset();
  if (FConnection) FConnection->UnregisterQuery(this);
}

void TUniQuery::SetConnection(TUniConnection* connection) {
  if (connection == FConnection) return;
  Unprepare();
  if (FConnection) FConnection->UnregisterQuery(this);
  FConnection = connection;
  if (FConnection) FConnection->RegisterQuery(this);
}

void TUniQuery::EnsureParsed() {
  if (FParsed && FParsedText == SQL) return;
  Unprepare();
  if (ParamCheck) {
    FParsedSql = ParseSqlParameters(SQL);
  } else {
    FParsedSql = TParsedSql();
    FParsedSql.Sql = SQL;
  }
  std::vector<TUniParam> params;
  for (const auto& name : FParsedSql.Names) {
    TUniParam* old = name.empty() ? nullptr : FindParamIn(FParams, name);
    if (old) {
      params.push_back(*old);
      params.back().Name = name;
    } else {
      TUniParam p;
      p.Name = name;
      params.push_back(p);
    }
  }
  FParams = std::move(params);
  FParsedText = SQL;
  FParsed = true;
}

TUniParam* TUniQuery::FindParamIn(std::vector<TUniParam>& params, const std::string& name) {
  for (auto& p : params)
    if (!p.Name.empty() && SameText(p.Name, name)) return &p;
  return nullptr;
}

int TUniQuery::ParamCount() {
  EnsureParsed();
  return static_cast<int>(FParams.size());
}

TUniParam* TUniQuery::FindParam(const std::string& name) {
  EnsureParsed();
  return FindParamIn(FParams, name);
}

TUniParam& TUniQuery::ParamByName(const std::string& name) {
  TUniParam* p = FindParam(name);
  if (!p) throw EDatabaseError("Parameter '" + name + "' not found");
  return *p;
}

TUniParam& TUniQuery::Params(int index) {
  EnsureParsed();
  return ParamAt(index);
}

int TUniQuery::ParamIndex(const std::string& name) {
  TUniParam* p = FindParam(name);
  return p ? static_cast<int>(p - FParams.data()) : -1;
}

TUniParam& TUniQuery::ParamAt(int index) {
  if (index < 0 || index >= static_cast<int>(FParams.size()))
    throw EDatabaseError("Parameter index out of range (" + std::to_string(index) + ")");
  return FParams[static_cast<size_t>(index)];
}

void TUniQuery::CheckConnection() {
  if (!FConnection) throw EDatabaseError("The query has no connection");
  if (!FConnection->Connected()) FConnection->Connect();
}

void TUniQuery::Prepare() {
  EnsureParsed();
  if (FStatement) return;
  CheckConnection();
  auto statement = FConnection->Impl().CreateStatement();
  statement->Prepare(FParsedSql.Sql);
  FStatement = std::move(statement);
}

void TUniQuery::Unprepare() {
  Close();
  FStatement.reset();
  FBatchCount = 0;
}

void TUniQuery::BindValues(std::vector<const TUniParam*>& binds) {
  binds.clear();
  for (int position : FParsedSql.Positions) binds.push_back(&FParams[static_cast<size_t>(position)]);
}

void TUniQuery::Execute() {
  Prepare();
  Close();
  std::vector<const TUniParam*> binds;
  BindValues(binds);
  FStatement->Execute(binds, std::max(1, FetchRows));
  FRowsAffected = FStatement->RowsAffected();
  if (FStatement->HasResultSet()) {
    FFields = FStatement->DescribeColumns();
    FActive = true;
    FEof = false;
    FetchCurrent();
  }
}

bool TUniQuery::SupportsParamArrays() {
  CheckConnection();
  return FConnection->Impl().SupportsParamArrays();
}

void TUniQuery::AddBatchRow() {
  EnsureParsed();
  if (FBatch.size() <= FBatchCount) FBatch.emplace_back();
  // Assigning into the kept row reuses its strings' room.
  FBatch[FBatchCount] = FParams;
  ++FBatchCount;
}

void TUniQuery::LoadBatchRow(int index) {
  EnsureParsed();
  if (index < 0 || static_cast<size_t>(index) >= FBatchCount)
    throw EDatabaseError("Parameter array row out of range (" + std::to_string(index) + ")");
  FParams = FBatch[static_cast<size_t>(index)];
}

void TUniQuery::ExecuteBatch() {
  if (FBatchCount == 0) return;
  Prepare();
  Close();
  FBatchBinds.clear();
  for (size_t row = 0; row < FBatchCount; ++row)
    for (int position : FParsedSql.Positions) FBatchBinds.push_back(&FBatch[row][static_cast<size_t>(position)]);
  FStatement->ExecuteArray(FBatchBinds, FBatchCount);
  FRowsAffected = FStatement->RowsAffected();
}

void TUniQuery::Open() {
  Execute();
  if (!FActive) throw EDatabaseError("The statement returns no rows: " + SQL);
}

void TUniQuery::Close() {
  if (FActive && FStatement) {
    FActive = false;
    FStatement->CloseCursor();
  }
  FActive = false;
  FEof = true;
  FFields.clear();
  FRecordCount = -1;
}

void TUniQuery::FetchCurrent() {
  if (!FStatement->FetchRow(FFields)) FEof = true;
}

void TUniQuery::Next() {
  if (!FActive) throw EDatabaseError("The query is not open");
  if (!FEof) FetchCurrent();
}

TUniField& TUniQuery::Fields(int index) {
  if (index < 0 || index >= FieldCount()) throw EDatabaseError("Field index out of range (" + std::to_string(index) + ")");
  return FFields[static_cast<size_t>(index)];
}

TUniField* TUniQuery::FindField(const std::string& name) {
  for (auto& f : FFields)
    if (SameText(f.FieldName, name)) return &f;
  return nullptr;
}

TUniField& TUniQuery::FieldByName(const std::string& name) {
  TUniField* f = FindField(name);
  if (!f) throw EDatabaseError("Field '" + name + "' not found");
  return *f;
}

int64_t TUniQuery::RecordCount() {
  if (!FActive) throw EDatabaseError("The query is not open");
  if (!StrToBoolDef(SpecificOptions.Values("QueryRecCount"), true))
    throw EDatabaseError("The record count of a forward-only query is known only with QueryRecCount=True");
  if (FRecordCount >= 0) return FRecordCount;
  std::string inner = FParsedSql.Sql;
  while (!inner.empty() && (static_cast<unsigned char>(inner.back()) <= 32 || inner.back() == ';')) inner.pop_back();
  // The line breaks keep a trailing "--" comment of the query from swallowing the ")".
  std::string countSql = "select count(1) from (\n" + inner + "\n) a";
  auto statement = FConnection->Impl().CreateStatement();
  statement->Prepare(countSql);
  std::vector<const TUniParam*> binds;
  BindValues(binds);
  statement->Execute(binds, 1);
  std::vector<TUniField> fields = statement->DescribeColumns();
  if (fields.empty() || !statement->FetchRow(fields)) throw EDatabaseError("The record count query returned no row");
  FRecordCount = fields[0].AsInteger();
  statement->CloseCursor();
  return FRecordCount;
}

int64_t TUniQuery::FetchCalls() const { return FStatement ? FStatement->FetchCalls() : 0; }

void TUniQuery::ConnectionClosing() {
  try {
    Close();
  } catch (...) {
  }
  FActive = false;
  FStatement.reset();
}

void TUniQuery::ConnectionDestroyed() {
  ConnectionClosing();
  FConnection = nullptr;
}
