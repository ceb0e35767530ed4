#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "base/UUtf16.h"
#include "dac/UDacImpl.h"
#include "dac/odbc/UOdbcTypes.h"

namespace {

static_assert(sizeof(SQLWCHAR) == 2, "the driver manager must use UTF-16 for wide characters");
static_assert(std::endian::native == std::endian::little, "UTF-16 LE conversions assume a little-endian host");

using TWide = std::vector<SQLWCHAR>;

TWide ToWide(std::string_view utf8) {
  std::string bytes = Utf8ToUtf16Le(utf8);
  TWide w(bytes.size() / 2 + 1, 0);
  std::memcpy(w.data(), bytes.data(), bytes.size());
  return w;
}

std::string FromWideBytes(const std::string& bytes) {
  try {
    return Utf16ToUtf8(bytes);
  } catch (const EConvertError&) {
    // A driver handing out a broken surrogate must not hide the rest of the text.
    std::string result;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
      result += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return result;
  }
}

std::string FromWide(const SQLWCHAR* w, size_t units) {
  return FromWideBytes(std::string(reinterpret_cast<const char*>(w), units * 2));
}

// Owns one ODBC handle of any type.
class TOdbcHandle {
 public:
  TOdbcHandle() = default;
  TOdbcHandle(SQLSMALLINT type, SQLHANDLE handle) : FType(type), FHandle(handle) {}
  ~TOdbcHandle() { Reset(); }
  TOdbcHandle(TOdbcHandle&& other) noexcept : FType(other.FType), FHandle(std::exchange(other.FHandle, SQLHANDLE{})) {}
  TOdbcHandle& operator=(TOdbcHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      FType = other.FType;
      FHandle = std::exchange(other.FHandle, SQLHANDLE{});
    }
    return *this;
  }
  TOdbcHandle(const TOdbcHandle&) = delete;
  TOdbcHandle& operator=(const TOdbcHandle&) = delete;

  SQLHANDLE Get() const { return FHandle; }
  SQLSMALLINT Type() const { return FType; }
  void Reset() {
    if (FHandle != SQL_NULL_HANDLE) SQLFreeHandle(FType, std::exchange(FHandle, SQLHANDLE{}));
  }

 private:
  SQLSMALLINT FType = SQL_HANDLE_ENV;
  SQLHANDLE FHandle = SQL_NULL_HANDLE;
};

// The diagnostic records of a handle: "[SQLSTATE] message" for each, the codes of
// the first, and the gravest fault any of them stands for.
struct TDiagnostics {
  std::string Text;
  std::string SqlState;
  int NativeCode = 0;
  TDatabaseFault Fault = TDatabaseFault::None;
};

int Gravity(TDatabaseFault fault) {
  switch (fault) {
    case TDatabaseFault::ConnectionLost:
      return 3;
    case TDatabaseFault::TransactionRolledBack:
      return 2;
    case TDatabaseFault::StatementCannotRun:
      return 1;
    default:
      return 0;
  }
}

TDiagnostics ReadDiagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  TDiagnostics result;
  if (handle == SQL_NULL_HANDLE) return result;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    TWide message(1024, 0);
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, message.data(),
                                  static_cast<SQLSMALLINT>(message.size()), &length);
    if (!SQL_SUCCEEDED(rc)) break;
    if (length >= static_cast<SQLSMALLINT>(message.size())) {
      message.assign(static_cast<size_t>(length) + 1, 0);
      SQLGetDiagRecW(type, handle, record, state, &native, message.data(), static_cast<SQLSMALLINT>(message.size()),
                     &length);
    }
    size_t units = std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), message.size() - 1);
    std::string sqlState = FromWide(state, 5);
    if (record == 1) {
      result.SqlState = sqlState;
      result.NativeCode = static_cast<int>(native);
    }
    TDatabaseFault fault = OdbcFault(sqlState, static_cast<int>(native));
    if (Gravity(fault) > Gravity(result.Fault)) result.Fault = fault;
    if (!result.Text.empty()) result.Text += '\n';
    result.Text += "[" + sqlState + "] " + TrimRight(FromWide(message.data(), units));
  }
  return result;
}

// The driver's own word on whether the connection is gone: a driver reports a lost
// connection under SQLSTATEs of its own choosing (a server shutting down may hand over
// its own code first), but this attribute says it plainly.
bool ConnectionDead(SQLHANDLE dbc) {
  if (dbc == SQL_NULL_HANDLE) return false;
  SQLUINTEGER dead = SQL_CD_FALSE;
  return SQL_SUCCEEDED(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) && dead == SQL_CD_TRUE;
}

EDatabaseError MakeError(const TDiagnostics& diagnostics, const std::string& what, SQLHANDLE dbc) {
  TDatabaseFault fault = diagnostics.Fault;
  if (fault != TDatabaseFault::ConnectionLost && ConnectionDead(dbc)) fault = TDatabaseFault::ConnectionLost;
  return EDatabaseError(diagnostics.Text.empty() ? what + " failed" : diagnostics.Text, diagnostics.SqlState,
                        diagnostics.NativeCode, fault);
}

// dbc: the connection of a statement handle, asked whether it is lost.
[[noreturn]] void Fail(SQLSMALLINT type, SQLHANDLE handle, const std::string& what, SQLHANDLE dbc = SQL_NULL_HANDLE) {
  TDiagnostics diagnostics = ReadDiagnostics(type, handle);
  throw MakeError(diagnostics, what, type == SQL_HANDLE_DBC ? handle : dbc);
}

void Check(SQLRETURN rc, const TOdbcHandle& handle, const char* what, SQLHANDLE dbc = SQL_NULL_HANDLE) {
  if (!SQL_SUCCEEDED(rc)) Fail(handle.Type(), handle.Get(), what, dbc);
}

// Reads one value of the current row with SQLGetData, piece by piece: its length need
// not be known in advance. False for NULL.
bool GetDataInPieces(const TOdbcHandle& stmt, SQLUSMALLINT column, SQLSMALLINT cType, std::vector<char>& piece,
                     std::string& data, const char* what) {
  const SQLLEN terminator = cType == SQL_C_WCHAR ? 2 : cType == SQL_C_CHAR ? 1 : 0;
  data.clear();
  while (true) {
    SQLLEN length = 0;
    SQLRETURN rc = SQLGetData(stmt.Get(), column, cType, piece.data(), static_cast<SQLLEN>(piece.size()), &length);
    if (rc == SQL_NO_DATA) break;
    Check(rc, stmt, what);
    if (length == SQL_NULL_DATA) return false;
    SQLLEN room = static_cast<SQLLEN>(piece.size()) - terminator;
    if (rc == SQL_SUCCESS_WITH_INFO && (length == SQL_NO_TOTAL || length > room)) {
      data.append(piece.data(), static_cast<size_t>(room));
      continue;
    }
    data.append(piece.data(), static_cast<size_t>(length));
    break;
  }
  return true;
}

TOdbcHandle Allocate(SQLSMALLINT type, const TOdbcHandle* parent) {
  SQLHANDLE handle = SQL_NULL_HANDLE;
  SQLRETURN rc = SQLAllocHandle(type, parent ? parent->Get() : SQL_NULL_HANDLE, &handle);
  if (!SQL_SUCCEEDED(rc)) {
    if (parent) Fail(parent->Type(), parent->Get(), "Allocating an ODBC handle");
    throw EDatabaseError("The ODBC driver manager could not allocate an environment");
  }
  return TOdbcHandle(type, handle);
}

TOdbcHandle AllocateEnvironment() {
  TOdbcHandle env = Allocate(SQL_HANDLE_ENV, nullptr);
  Check(SQLSetEnvAttr(env.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0), env,
        "Setting the ODBC version");
  return env;
}

bool IsBinarySqlType(int t) { return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY || t == SqlBlob; }

bool IsCharSqlType(int t) {
  switch (t) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
    case SqlGraphic:
    case SqlVarGraphic:
    case SqlLongVarGraphic:
    case SqlClob:
    case SqlDbClob:
      return true;
    default:
      return false;
  }
}

// The SQL type a parameter goes as when the driver cannot describe its place.
SQLSMALLINT DefaultSqlType(const TUniParam& p) {
  switch (p.DataType) {
    case TFieldType::ftSmallint:
    case TFieldType::ftShortint:
    case TFieldType::ftByte:
    case TFieldType::ftWord:
    case TFieldType::ftInteger:
    case TFieldType::ftLongWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
      return SQL_BIGINT;
    case TFieldType::ftFloat:
    case TFieldType::ftSingle:
    case TFieldType::ftExtended:
    case TFieldType::ftCurrency:
      return SQL_DOUBLE;
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd:
      return SQL_DECIMAL;
    case TFieldType::ftBoolean:
      return SQL_BIT;
    case TFieldType::ftDate:
      return SQL_TYPE_DATE;
    case TFieldType::ftTime:
      return SQL_TYPE_TIME;
    case TFieldType::ftDateTime:
    case TFieldType::ftTimeStamp:
      return SQL_TYPE_TIMESTAMP;
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
      return SQL_VARBINARY;
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic:
    case TFieldType::ftOraBlob:
      return SQL_LONGVARBINARY;
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftOraClob:
    case TFieldType::ftWideMemo:
      return SQL_WLONGVARCHAR;
    default:
      return SQL_WVARCHAR;
  }
}

SQLULEN DefaultColumnSize(SQLSMALLINT sqlType, SQLULEN valueLength) {
  switch (sqlType) {
    case SQL_TYPE_DATE:
      return 10;
    case SQL_TYPE_TIME:
      return 8;
    case SQL_TYPE_TIMESTAMP:
      return 26;
    case SQL_BIGINT:
      return 19;
    case SQL_DOUBLE:
      return 15;
    case SQL_DECIMAL:
      return std::max<SQLULEN>(valueLength, 31);
    case SQL_BIT:
      return 1;
    default:
      return std::max<SQLULEN>(valueLength, 1);
  }
}

SQLSMALLINT DefaultDecimalDigits(SQLSMALLINT sqlType) { return sqlType == SQL_TYPE_TIMESTAMP ? 6 : 0; }

struct TParamDescription {
  bool Described = false;
  SQLSMALLINT Type = 0;
  SQLULEN Size = 0;
  SQLSMALLINT Digits = 0;
};

// The column size and decimal digits a parameter is bound with. A longer value than a
// described column takes goes to the server whole: the server's own "too long" error
// beats a value the driver cut short.
void ParamSize(const TParamDescription& d, SQLSMALLINT sqlType, SQLULEN valueLength, SQLULEN& columnSize,
               SQLSMALLINT& digits) {
  if (d.Described) {
    columnSize = d.Size;
    digits = d.Digits;
    if (IsCharSqlType(sqlType) || IsBinarySqlType(sqlType) || columnSize == 0)
      columnSize = std::max<SQLULEN>({columnSize, valueLength, 1});
  } else {
    columnSize = DefaultColumnSize(sqlType, valueLength);
    digits = DefaultDecimalDigits(sqlType);
  }
}

struct TParamBuffer {
  std::vector<char> Data;
  SQLLEN Indicator = 0;
};

// One parameter of an array execute: a value of every row side by side.
bool IsAscii(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

// Drivers may end character data at its first NUL byte whatever length is bound, and the
// row would then arrive shortened yet count as written: such a value fails its row
// instead. Bytes bound for a binary column are no text and go whole.
void RefuseNulInText(const TUniParam& p, SQLSMALLINT sqlType, size_t index) {
  if (IsBinarySqlType(sqlType)) return;
  size_t at = p.TextValue().find('\0');
  if (at == std::string::npos) return;
  throw EDatabaseError("The value of parameter " + std::to_string(index + 1) + " holds a NUL character at byte " +
                       std::to_string(at + 1) + ": the driver could cut the text short there");
}

struct TParamArrayColumn {
  std::vector<char> Data;
  std::vector<SQLLEN> Indicators;
  std::vector<std::string> Wide;  // UTF-16 texts of the rows, kept for their room
};

// What a parameter array may hold at most; a larger one goes row by row.
constexpr size_t MaxParamArrayBytes = size_t(64) << 20;

enum class TColumnKind { Integer, Double, Text, Ascii, Binary, Date, Time, Timestamp };

struct TColumn {
  TColumnKind Kind = TColumnKind::Text;
  bool Long = false;  // fetched with SQLGetData, piece by piece
  SQLSMALLINT CType = SQL_C_WCHAR;
  SQLLEN ElementSize = 0;
  std::vector<char> Buffer;
  std::vector<SQLLEN> Indicators;
};

class TOdbcStatement : public dac_detail::TStatementImpl {
 public:
  TOdbcStatement(const TOdbcHandle& dbc, bool canDescribeParams) : FDbc(dbc), FCanDescribeParams(canDescribeParams) {}

  ~TOdbcStatement() override {
    if (FStmt.Get()) SQLFreeStmt(FStmt.Get(), SQL_CLOSE);
  }

  // Every failure of a statement also asks its connection whether it is lost.
  void Check(SQLRETURN rc, const TOdbcHandle& handle, const char* what) const { ::Check(rc, handle, what, FDbc.Get()); }

  void Prepare(const std::string& sql) override {
    FArrayStmt.Reset();
    FSql = sql;
    FStmt = Allocate(SQL_HANDLE_STMT, &FDbc);
    TWide text = ToWide(sql);
    Check(SQLPrepareW(FStmt.Get(), text.data(), SQL_NTS), FStmt, "Preparing the statement");
    SQLSMALLINT count = 0;
    Check(SQLNumParams(FStmt.Get(), &count), FStmt, "Counting the parameters");
    FParamDescriptions.assign(static_cast<size_t>(count), TParamDescription());
    FParamsDescribed = false;
  }

  void Execute(const std::vector<const TUniParam*>& binds, int fetchRows) override {
    CloseCursor();
    SQLFreeStmt(FStmt.Get(), SQL_UNBIND);
    SQLFreeStmt(FStmt.Get(), SQL_RESET_PARAMS);
    DescribeParams();
    size_t count = std::min(binds.size(), FParamDescriptions.size());
    FParamBuffers.assign(count, TParamBuffer());
    for (size_t i = 0; i < count; ++i) BindParam(i, *binds[i]);
    SQLRETURN rc = SQLExecute(FStmt.Get());
    if (rc != SQL_NO_DATA) Check(rc, FStmt, "Executing the statement");
    SQLSMALLINT columns = 0;
    Check(SQLNumResultCols(FStmt.Get(), &columns), FStmt, "Counting the result columns");
    FHasResult = columns > 0;
    FRowsAffected = -1;
    if (FHasResult) {
      SetUpColumns(columns, fetchRows);
      FCursorOpen = true;
      FEnd = false;
    } else if (rc == SQL_NO_DATA) {
      FRowsAffected = 0;
    } else {
      SQLLEN rows = -1;
      if (SQL_SUCCEEDED(SQLRowCount(FStmt.Get(), &rows))) FRowsAffected = static_cast<int>(rows);
    }
  }

  void ExecuteArray(const std::vector<const TUniParam*>& binds, size_t rows) override {
    if (rows == 0) return;
    CloseCursor();
    DescribeParams();
    // Arrays run on a handle of their own that is never described: a driver may give
    // up sending the rows of an array together once its parameters were described.
    if (!FArrayStmt.Get()) {
      TOdbcHandle stmt = Allocate(SQL_HANDLE_STMT, &FDbc);
      TWide text = ToWide(FSql);
      Check(SQLPrepareW(stmt.Get(), text.data(), SQL_NTS), stmt, "Preparing the statement");
      FArrayStmt = std::move(stmt);
    }
    const TOdbcHandle& stmt = FArrayStmt;
    SQLFreeStmt(stmt.Get(), SQL_RESET_PARAMS);
    size_t perRow = binds.size() / rows;
    size_t count = std::min(perRow, FParamDescriptions.size());
    if (FArrayColumns.size() < count) FArrayColumns.resize(count);
    size_t total = 0;
    for (size_t i = 0; i < count; ++i) total += BindArrayColumn(stmt, i, binds, perRow, rows);
    if (total > MaxParamArrayBytes) Fail(stmt.Type(), SQLHANDLE{}, "Binding a parameter array this large");

    FArrayStatus.assign(rows, SQL_PARAM_UNUSED);
    FArrayProcessed = 0;
    const SQLULEN& processed = FArrayProcessed;
    auto attr = [&](SQLINTEGER name, SQLPOINTER value, const char* what) {
      Check(SQLSetStmtAttr(stmt.Get(), name, value, 0), stmt, what);
    };
    attr(SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_PARAM_BIND_BY_COLUMN), "Binding by column");
    attr(SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(rows), "Setting the parameter array size");
    attr(SQL_ATTR_PARAMS_PROCESSED_PTR, &FArrayProcessed, "Setting the processed-rows counter");
    attr(SQL_ATTR_PARAM_STATUS_PTR, FArrayStatus.data(), "Setting the row status array");
    SQLRETURN rc = SQLExecute(stmt.Get());
    TDiagnostics diagnostics;
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) diagnostics = ReadDiagnostics(stmt.Type(), stmt.Get());
    FHasResult = false;
    FRowsAffected = -1;
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
      SQLFreeStmt(stmt.Get(), SQL_CLOSE);
      SQLFreeStmt(stmt.Get(), SQL_RESET_PARAMS);
      throw MakeError(diagnostics, "Executing the parameter array", FDbc.Get());
    }
    SQLLEN affected = -1;
    if (rc != SQL_NO_DATA && SQL_SUCCEEDED(SQLRowCount(stmt.Get(), &affected)))
      FRowsAffected = static_cast<int>(affected);
    SQLFreeStmt(stmt.Get(), SQL_CLOSE);
    SQLFreeStmt(stmt.Get(), SQL_RESET_PARAMS);
    // A driver that reports success while a row's status says otherwise is not believed.
    bool rejected = processed != 0 && processed != rows;
    for (SQLUSMALLINT status : FArrayStatus)
      if (status == SQL_PARAM_ERROR || (processed != 0 && status == SQL_PARAM_UNUSED)) rejected = true;
    if (rejected) throw EDatabaseError("A row of the parameter array was rejected");
  }

  bool HasResultSet() const override { return FHasResult; }

  std::vector<TUniField> DescribeColumns() override { return FFieldTemplate; }

  bool FetchRow(std::vector<TUniField>& fields) override {
    if (!FCursorOpen || FEnd) return false;
    if (FGetDataMode) {
      if (!FetchBlock()) return false;
      for (size_t i = 0; i < FColumns.size() && i < fields.size(); ++i) GetData(i, fields[i]);
      return true;
    }
    if (FCurrent + 1 < FRowsFetched) {
      ++FCurrent;
    } else {
      if (!FetchBlock()) return false;
      FCurrent = 0;
    }
    for (size_t i = 0; i < FColumns.size() && i < fields.size(); ++i)
      CopyBound(i, static_cast<size_t>(FCurrent), fields[i]);
    return true;
  }

  int RowsAffected() const override { return FRowsAffected; }

  void CloseCursor() override {
    if (FCursorOpen && FStmt.Get()) SQLFreeStmt(FStmt.Get(), SQL_CLOSE);
    FCursorOpen = false;
    FEnd = true;
    FRowsFetched = 0;
    FCurrent = 0;
  }

  int64_t FetchCalls() const override { return FFetchCalls; }

 private:
  void DescribeParams() {
    if (FParamsDescribed) return;
    FParamsDescribed = true;
    if (!FCanDescribeParams) return;
    for (size_t i = 0; i < FParamDescriptions.size(); ++i) {
      TParamDescription& d = FParamDescriptions[i];
      SQLSMALLINT nullable = 0;
      SQLRETURN rc =
          SQLDescribeParam(FStmt.Get(), static_cast<SQLUSMALLINT>(i + 1), &d.Type, &d.Size, &d.Digits, &nullable);
      d.Described = SQL_SUCCEEDED(rc) && d.Type != 0;
    }
  }

  void BindParam(size_t index, const TUniParam& p) {
    const TParamDescription& d = FParamDescriptions[index];
    TParamBuffer& buffer = FParamBuffers[index];
    SQLSMALLINT sqlType = d.Described ? d.Type : DefaultSqlType(p);
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLULEN valueLength = 0;
    auto put = [&](const void* data, size_t size) {
      // Two spare zero bytes end wide text; an empty value still has a valid address.
      buffer.Data.assign(size + 2, 0);
      if (size) std::memcpy(buffer.Data.data(), data, size);
      buffer.Indicator = static_cast<SQLLEN>(size);
    };
    switch (p.Kind()) {
      case TValueKind::Null:
      case TValueKind::DateTime:
        cType = IsBinarySqlType(sqlType) ? SQL_C_BINARY : SQL_C_WCHAR;
        put(nullptr, 0);
        buffer.Indicator = SQL_NULL_DATA;
        break;
      case TValueKind::Integer: {
        bool asBit = p.DataType == TFieldType::ftBoolean && (sqlType == SQL_BIT || sqlType == SqlBoolean);
        if (asBit) {
          unsigned char bit = p.IntegerValue() ? 1 : 0;
          cType = SQL_C_BIT;
          put(&bit, 1);
        } else {
          SQLBIGINT value = p.IntegerValue();
          cType = SQL_C_SBIGINT;
          put(&value, sizeof value);
        }
        valueLength = 20;
        break;
      }
      case TValueKind::Float: {
        double value = p.FloatValue();
        cType = SQL_C_DOUBLE;
        put(&value, sizeof value);
        valueLength = 24;
        break;
      }
      case TValueKind::Text:
        RefuseNulInText(p, sqlType, index);
        if (IsBinarySqlType(sqlType)) {
          cType = SQL_C_BINARY;
          put(p.TextValue().data(), p.TextValue().size());
          valueLength = p.TextValue().size();
        } else if (IsAscii(p.TextValue())) {
          // The same bytes in every code page: no conversion to UTF-16 and back.
          cType = SQL_C_CHAR;
          put(p.TextValue().data(), p.TextValue().size());
          valueLength = p.TextValue().size();
        } else {
          std::string wide = Utf8ToUtf16Le(p.TextValue());
          cType = SQL_C_WCHAR;
          put(wide.data(), wide.size());
          valueLength = wide.size() / 2;
        }
        break;
      case TValueKind::Bytes:
        RefuseNulInText(p, sqlType, index);
        cType = SQL_C_BINARY;
        put(p.TextValue().data(), p.TextValue().size());
        valueLength = p.TextValue().size();
        break;
    }
    SQLULEN columnSize;
    SQLSMALLINT digits;
    ParamSize(d, sqlType, valueLength, columnSize, digits);
    SQLLEN bufferLength = buffer.Indicator == SQL_NULL_DATA ? 0 : buffer.Indicator;
    Check(SQLBindParameter(FStmt.Get(), static_cast<SQLUSMALLINT>(index + 1), SQL_PARAM_INPUT, cType, sqlType,
                           columnSize, digits, buffer.Data.data(), bufferLength, &buffer.Indicator),
          FStmt, "Binding a parameter");
  }

  // Binds parameter index to the values of every row; returns the bytes of its buffer.
  // A parameter holds one kind of value in every row (NULLs aside), as the single
  // execute would bind it; a mix has no one C type and is refused.
  size_t BindArrayColumn(const TOdbcHandle& stmt, size_t index, const std::vector<const TUniParam*>& binds,
                         size_t perRow, size_t rows) {
    const TParamDescription& d = FParamDescriptions[index];
    TParamArrayColumn& column = FArrayColumns[index];
    const TUniParam* first = nullptr;
    for (size_t r = 0; r < rows && !first; ++r) {
      const TUniParam* p = binds[r * perRow + index];
      if (p->Kind() != TValueKind::Null && p->Kind() != TValueKind::DateTime) first = p;
    }
    const TUniParam& model = first ? *first : *binds[index];
    SQLSMALLINT sqlType = d.Described ? d.Type : DefaultSqlType(model);
    TValueKind kind = first ? first->Kind() : TValueKind::Null;
    bool binary = kind == TValueKind::Bytes || (kind == TValueKind::Text && IsBinarySqlType(sqlType)) ||
                  (kind == TValueKind::Null && IsBinarySqlType(sqlType));
    bool asBit = kind == TValueKind::Integer && model.DataType == TFieldType::ftBoolean &&
                 (sqlType == SQL_BIT || sqlType == SqlBoolean);
    SQLSMALLINT cType = SQL_C_WCHAR;
    size_t element = 2;
    SQLULEN valueLength = 0;
    bool ascii = false;
    column.Indicators.assign(rows, SQL_NULL_DATA);
    auto valueOf = [&](size_t r) -> const TUniParam* {
      const TUniParam* p = binds[r * perRow + index];
      TValueKind k = p->Kind();
      if (k == TValueKind::Null || k == TValueKind::DateTime) return nullptr;
      if (k != kind) Fail(stmt.Type(), SQLHANDLE{}, "Binding parameters of different kinds in one array");
      if (k == TValueKind::Text || k == TValueKind::Bytes) RefuseNulInText(*p, sqlType, index);
      return p;
    };
    switch (kind) {
      case TValueKind::Integer:
        cType = asBit ? SQL_C_BIT : SQL_C_SBIGINT;
        element = asBit ? 1 : sizeof(SQLBIGINT);
        valueLength = 20;
        break;
      case TValueKind::Float:
        cType = SQL_C_DOUBLE;
        element = sizeof(double);
        valueLength = 24;
        break;
      case TValueKind::Null:
      case TValueKind::DateTime:
        cType = binary ? SQL_C_BINARY : SQL_C_WCHAR;
        break;
      case TValueKind::Text:
      case TValueKind::Bytes:
        if (binary) {
          cType = SQL_C_BINARY;
          for (size_t r = 0; r < rows; ++r)
            if (const TUniParam* p = valueOf(r)) valueLength = std::max<SQLULEN>(valueLength, p->TextValue().size());
          element = std::max<size_t>(valueLength, 1);
        } else {
          // A column whose texts are all ASCII goes as 8-bit text: the same bytes in any
          // code page, and neither side spends time converting to UTF-16 and back.
          ascii = true;
          for (size_t r = 0; r < rows && ascii; ++r)
            if (const TUniParam* p = valueOf(r)) ascii = IsAscii(p->TextValue());
          if (ascii) {
            cType = SQL_C_CHAR;
            for (size_t r = 0; r < rows; ++r)
              if (const TUniParam* p = valueOf(r)) valueLength = std::max<SQLULEN>(valueLength, p->TextValue().size());
            element = static_cast<size_t>(valueLength) + 1;
            break;
          }
          if (column.Wide.size() < rows) column.Wide.resize(rows);
          for (size_t r = 0; r < rows; ++r)
            if (const TUniParam* p = valueOf(r)) {
              column.Wide[r] = Utf8ToUtf16Le(p->TextValue());
              valueLength = std::max<SQLULEN>(valueLength, column.Wide[r].size() / 2);
            }
          element = static_cast<size_t>(valueLength) * 2 + 2;
        }
        break;
    }
    if (element * rows > MaxParamArrayBytes) return element * rows;
    column.Data.assign(element * rows, 0);
    for (size_t r = 0; r < rows; ++r) {
      const TUniParam* p = valueOf(r);
      if (!p) continue;
      char* at = column.Data.data() + r * element;
      switch (kind) {
        case TValueKind::Integer:
          if (asBit) {
            *at = p->IntegerValue() ? 1 : 0;
            column.Indicators[r] = 1;
          } else {
            SQLBIGINT value = p->IntegerValue();
            std::memcpy(at, &value, sizeof value);
            column.Indicators[r] = sizeof value;
          }
          break;
        case TValueKind::Float: {
          double value = p->FloatValue();
          std::memcpy(at, &value, sizeof value);
          column.Indicators[r] = sizeof value;
          break;
        }
        case TValueKind::Text:
        case TValueKind::Bytes: {
          const std::string& bytes = binary || ascii ? p->TextValue() : column.Wide[r];
          if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
          column.Indicators[r] = static_cast<SQLLEN>(bytes.size());
          break;
        }
        default:
          break;
      }
    }
    SQLULEN columnSize;
    SQLSMALLINT digits;
    ParamSize(d, sqlType, valueLength, columnSize, digits);
    Check(
        SQLBindParameter(stmt.Get(), static_cast<SQLUSMALLINT>(index + 1), SQL_PARAM_INPUT, cType, sqlType, columnSize,
                         digits, column.Data.data(), static_cast<SQLLEN>(element), column.Indicators.data()),
        stmt, "Binding a parameter array");
    return element * rows;
  }

  void SetUpColumns(SQLSMALLINT count, int fetchRows) {
    FColumns.assign(static_cast<size_t>(count), TColumn());
    FFieldTemplate.assign(static_cast<size_t>(count), TUniField());
    bool anyLong = false;
    for (SQLSMALLINT i = 0; i < count; ++i) {
      SQLWCHAR name[512] = {};
      SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      Check(SQLDescribeColW(FStmt.Get(), static_cast<SQLUSMALLINT>(i + 1), name, 512, &nameLength, &type, &size,
                            &digits, &nullable),
            FStmt, "Describing a result column");
      TUniField& f = FFieldTemplate[static_cast<size_t>(i)];
      f.FieldName = FromWide(name, std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(nameLength, 0)), 511));
      TOdbcTypeMapping mapping = MapOdbcSqlType(type, static_cast<long long>(size), digits);
      f.DataType = mapping.Type;
      f.Size = mapping.Size;
      f.Precision = mapping.Precision;

      TColumn& c = FColumns[static_cast<size_t>(i)];
      switch (type) {
        case SQL_SMALLINT:
        case SQL_TINYINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
        case SQL_BIT:
        case SqlBoolean:
          c.Kind = TColumnKind::Integer, c.CType = SQL_C_SBIGINT, c.ElementSize = sizeof(SQLBIGINT);
          break;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
          c.Kind = TColumnKind::Double, c.CType = SQL_C_DOUBLE, c.ElementSize = sizeof(double);
          break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
        case SqlDecFloat:
          // As text: a double would lose digits.
          c.Kind = TColumnKind::Ascii, c.CType = SQL_C_CHAR;
          c.ElementSize = static_cast<SQLLEN>(std::max<SQLULEN>(size, 40) + 8);
          c.Long = size > 200;
          break;
        case SQL_TYPE_DATE:
        case SQL_DATE:
          c.Kind = TColumnKind::Date, c.CType = SQL_C_TYPE_DATE, c.ElementSize = sizeof(SQL_DATE_STRUCT);
          break;
        case SQL_TYPE_TIME:
        case SQL_TIME:
          c.Kind = TColumnKind::Time, c.CType = SQL_C_TYPE_TIME, c.ElementSize = sizeof(SQL_TIME_STRUCT);
          break;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
          c.Kind = TColumnKind::Timestamp, c.CType = SQL_C_TYPE_TIMESTAMP;
          c.ElementSize = sizeof(SQL_TIMESTAMP_STRUCT);
          break;
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SqlGraphic:
        case SqlVarGraphic:
        case SQL_GUID:
          // Room for two UTF-16 units a character (characters outside the BMP) and the end mark.
          c.Kind = TColumnKind::Text, c.CType = SQL_C_WCHAR;
          c.Long = size == 0 || size > 4000;
          c.ElementSize = static_cast<SQLLEN>((size * 2 + 1) * sizeof(SQLWCHAR));
          break;
        case SQL_BINARY:
        case SQL_VARBINARY:
          c.Kind = TColumnKind::Binary, c.CType = SQL_C_BINARY;
          c.Long = size == 0 || size > 8000;
          c.ElementSize = static_cast<SQLLEN>(size);
          break;
        case SQL_LONGVARBINARY:
        case SqlBlob:
          c.Kind = TColumnKind::Binary, c.CType = SQL_C_BINARY, c.Long = true;
          break;
        default:
          c.Kind = TColumnKind::Text, c.CType = SQL_C_WCHAR, c.Long = true;
          break;
      }
      anyLong = anyLong || c.Long;
    }

    // With a long column every value is read with SQLGetData one row at a time:
    // drivers need not support SQLGetData inside a block of rows.
    FGetDataMode = anyLong;
    SQLULEN rows = FGetDataMode ? 1 : static_cast<SQLULEN>(std::max(fetchRows, 1));
    Check(SQLSetStmtAttr(FStmt.Get(), SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0),
          FStmt, "Setting column-wise binding");
    Check(SQLSetStmtAttr(FStmt.Get(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0), FStmt,
          "Setting the rows per fetch");
    Check(SQLSetStmtAttr(FStmt.Get(), SQL_ATTR_ROWS_FETCHED_PTR, &FRowsFetched, 0), FStmt,
          "Setting the fetched-rows counter");
    if (FGetDataMode) return;
    for (size_t i = 0; i < FColumns.size(); ++i) {
      TColumn& c = FColumns[i];
      c.Buffer.assign(static_cast<size_t>(c.ElementSize) * rows, 0);
      c.Indicators.assign(rows, 0);
      Check(SQLBindCol(FStmt.Get(), static_cast<SQLUSMALLINT>(i + 1), c.CType, c.Buffer.data(), c.ElementSize,
                       c.Indicators.data()),
            FStmt, "Binding a result column");
    }
  }

  bool FetchBlock() {
    ++FFetchCalls;
    FRowsFetched = 0;
    SQLRETURN rc = SQLFetch(FStmt.Get());
    if (rc == SQL_NO_DATA) {
      FEnd = true;
      return false;
    }
    Check(rc, FStmt, "Fetching rows");
    if (!FGetDataMode && FRowsFetched == 0) {
      FEnd = true;
      return false;
    }
    return true;
  }

  void SetValue(const TColumn& c, const char* data, SQLLEN length, TUniField& f) {
    switch (c.Kind) {
      case TColumnKind::Integer: {
        SQLBIGINT value;
        std::memcpy(&value, data, sizeof value);
        f.SetInteger(value);
        break;
      }
      case TColumnKind::Double: {
        double value;
        std::memcpy(&value, data, sizeof value);
        f.SetFloat(value);
        break;
      }
      case TColumnKind::Text:
        f.SetText(FromWideBytes(std::string(data, static_cast<size_t>(length) & ~size_t(1))));
        break;
      case TColumnKind::Ascii:
        f.SetText(std::string(data, static_cast<size_t>(length)));
        break;
      case TColumnKind::Binary:
        f.SetBytes(std::string(data, static_cast<size_t>(length)));
        break;
      case TColumnKind::Date: {
        SQL_DATE_STRUCT d;
        std::memcpy(&d, data, sizeof d);
        TDateTimeParts p;
        p.Year = d.year, p.Month = d.month, p.Day = d.day, p.HasDate = true;
        f.SetDateTime(p);
        break;
      }
      case TColumnKind::Time: {
        SQL_TIME_STRUCT t;
        std::memcpy(&t, data, sizeof t);
        TDateTimeParts p;
        p.Hour = t.hour, p.Minute = t.minute, p.Second = t.second, p.HasTime = true;
        f.SetDateTime(p);
        break;
      }
      case TColumnKind::Timestamp: {
        SQL_TIMESTAMP_STRUCT t;
        std::memcpy(&t, data, sizeof t);
        TDateTimeParts p;
        p.Year = t.year, p.Month = t.month, p.Day = t.day;
        p.Hour = t.hour, p.Minute = t.minute, p.Second = t.second, p.Fraction = t.fraction;
        p.HasDate = p.HasTime = true;
        f.SetDateTime(p);
        break;
      }
    }
  }

  void CopyBound(size_t column, size_t row, TUniField& f) {
    const TColumn& c = FColumns[column];
    SQLLEN length = c.Indicators[row];
    if (length == SQL_NULL_DATA) {
      f.SetNull();
      return;
    }
    SQLLEN room = c.ElementSize;
    if (c.CType == SQL_C_WCHAR) room -= sizeof(SQLWCHAR);
    if (c.CType == SQL_C_CHAR) room -= 1;
    bool fixed = c.Kind != TColumnKind::Text && c.Kind != TColumnKind::Ascii && c.Kind != TColumnKind::Binary;
    if (!fixed && (length == SQL_NO_TOTAL || length > room))
      throw EDatabaseError("The value of column " + f.FieldName + " is longer than the driver described it");
    SetValue(c, c.Buffer.data() + row * static_cast<size_t>(c.ElementSize), length, f);
  }

  void GetData(size_t column, TUniField& f) {
    const TColumn& c = FColumns[column];
    auto col = static_cast<SQLUSMALLINT>(column + 1);
    if (c.Kind != TColumnKind::Text && c.Kind != TColumnKind::Ascii && c.Kind != TColumnKind::Binary) {
      alignas(8) char value[64];
      SQLLEN length = 0;
      Check(SQLGetData(FStmt.Get(), col, c.CType, value, sizeof value, &length), FStmt, "Reading a value");
      if (length == SQL_NULL_DATA)
        f.SetNull();
      else
        SetValue(c, value, length, f);
      return;
    }
    if (FPiece.empty()) FPiece.resize(32768);
    if (!GetDataInPieces(FStmt, col, c.CType, FPiece, FData, "Reading a value")) {
      f.SetNull();
      return;
    }
    SetValue(c, FData.data(), static_cast<SQLLEN>(FData.size()), f);
  }

  const TOdbcHandle& FDbc;
  bool FCanDescribeParams;
  std::string FSql;
  TOdbcHandle FStmt;
  TOdbcHandle FArrayStmt;
  std::vector<TParamDescription> FParamDescriptions;
  bool FParamsDescribed = false;
  std::vector<TParamBuffer> FParamBuffers;
  std::vector<TParamArrayColumn> FArrayColumns;
  std::vector<SQLUSMALLINT> FArrayStatus;
  SQLULEN FArrayProcessed = 0;
  std::vector<TColumn> FColumns;
  std::vector<TUniField> FFieldTemplate;
  bool FHasResult = false;
  bool FCursorOpen = false;
  bool FEnd = true;
  bool FGetDataMode = false;
  SQLULEN FRowsFetched = 0;
  SQLULEN FCurrent = 0;
  std::vector<char> FPiece;  // SQLGetData's buffer, kept for the next value
  std::string FData;
  int FRowsAffected = -1;
  int64_t FFetchCalls = 0;
};

// Every value of every row of a catalogue result, as text (nullopt for NULL).
std::vector<std::vector<std::optional<std::string>>> ReadAllAsText(const TOdbcHandle& stmt, int columns) {
  std::vector<std::vector<std::optional<std::string>>> rows;
  std::vector<char> piece(4096);
  std::string bytes;
  while (true) {
    SQLRETURN rc = SQLFetch(stmt.Get());
    if (rc == SQL_NO_DATA) break;
    Check(rc, stmt, "Fetching catalogue rows");
    std::vector<std::optional<std::string>> row;
    for (int col = 1; col <= columns; ++col) {
      if (GetDataInPieces(stmt, static_cast<SQLUSMALLINT>(col), SQL_C_WCHAR, piece, bytes, "Reading a catalogue value"))
        row.emplace_back(FromWideBytes(bytes));
      else
        row.emplace_back(std::nullopt);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string ValueOr(const std::optional<std::string>& value) { return value ? *value : std::string(); }

std::optional<int64_t> IntegerOf(const std::optional<std::string>& value) {
  int64_t result = 0;
  if (value && TryStrToInt64(*value, result)) return result;
  return std::nullopt;
}

class TOdbcConnection : public dac_detail::TConnectionImpl {
 public:
  ~TOdbcConnection() override { Disconnect(); }

  void Connect(const TUniConnection& settings) override {
    TOdbcHandle env = AllocateEnvironment();
    TOdbcHandle dbc = Allocate(SQL_HANDLE_DBC, &env);
    std::string connectionString = BuildDB2CliConnectionString(settings.Server, settings.Username, settings.Password);
    // The driver manager aborts the process on an empty driver name instead of failing.
    if (connectionString.rfind("DRIVER={};", 0) == 0)
      throw EDatabaseError("No DB2 ODBC driver is registered: the connection names no driver.");
    TWide text = ToWide(connectionString);
    TWide completed(4096, 0);
    SQLSMALLINT completedLength = 0;
    SQLRETURN rc = SQLDriverConnectW(dbc.Get(), nullptr, text.data(), SQL_NTS, completed.data(),
                                     static_cast<SQLSMALLINT>(completed.size()), &completedLength, SQL_DRIVER_NOPROMPT);
    // Neither copy of the password stays in memory longer than needed.
    std::fill(text.begin(), text.end(), 0);
    std::fill(completed.begin(), completed.end(), 0);
    if (!SQL_SUCCEEDED(rc)) {
      TDiagnostics diagnostics = ReadDiagnostics(SQL_HANDLE_DBC, dbc.Get());
      std::string message = diagnostics.Text;
      if (message.empty()) message = "Connecting to the database failed";
      message = ReplaceAll(message, connectionString, "***");
      if (settings.Password.size() >= 3) message = ReplaceAll(message, settings.Password, "***");
      throw EDatabaseError(message, diagnostics.SqlState, diagnostics.NativeCode, diagnostics.Fault);
    }
    FEnv = std::move(env);
    FDbc = std::move(dbc);
    FConnected = true;
    FInTransaction = false;
    FParamArraysKnown = false;
    SQLUSMALLINT supported = SQL_FALSE;
    FCanDescribeParams =
        SQL_SUCCEEDED(SQLGetFunctions(FDbc.Get(), SQL_API_SQLDESCRIBEPARAM, &supported)) && supported == SQL_TRUE;
  }

  void Disconnect() override {
    if (FConnected) {
      if (FInTransaction) SQLEndTran(SQL_HANDLE_DBC, FDbc.Get(), SQL_ROLLBACK);
      SQLDisconnect(FDbc.Get());
    }
    FConnected = false;
    FInTransaction = false;
    FDbc.Reset();
    FEnv.Reset();
  }

  bool Connected() const override { return FConnected; }

  void StartTransaction() override {
    SetAutoCommit(false);
    FInTransaction = true;
  }

  void Commit() override { EndTransaction(SQL_COMMIT); }
  void Rollback() override { EndTransaction(SQL_ROLLBACK); }
  bool InTransaction() const override { return FInTransaction; }

  std::string ServerVersion() const override {
    SQLWCHAR buffer[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(FDbc.Get(), SQL_DBMS_VER, buffer, sizeof buffer, &length))) return std::string();
    return FromWide(buffer, std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)) / 2, 255));
  }

  std::unique_ptr<dac_detail::TStatementImpl> CreateStatement() override {
    return std::make_unique<TOdbcStatement>(FDbc, FCanDescribeParams);
  }

  // A driver without parameter arrays refuses the set size or silently keeps 1.
  bool SupportsParamArrays() override {
    if (!FConnected) return false;
    if (FParamArraysKnown) return FParamArrays;
    FParamArraysKnown = true;
    FParamArrays = false;
    SQLHANDLE stmt = SQL_NULL_HANDLE;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, FDbc.Get(), &stmt))) return false;
    TOdbcHandle handle(SQL_HANDLE_STMT, stmt);
    SQLRETURN rc = SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(16), 0);
    SQLULEN size = 0;
    if (rc == SQL_SUCCESS && SQL_SUCCEEDED(SQLGetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, &size, 0, nullptr)))
      FParamArrays = size == 16;
    return FParamArrays;
  }

  std::vector<dac_detail::TTableInfo> Tables(const std::string& catalog, const std::string& schema,
                                             const std::vector<std::string>& types, const std::string& name) override {
    TOdbcHandle stmt = Allocate(SQL_HANDLE_STMT, &FDbc);
    std::string typeList;
    for (const auto& t : types.empty() ? std::vector<std::string>{"TABLE", "VIEW"} : types)
      typeList += (typeList.empty() ? "" : ",") + t;
    // Empty restrictions go as NULL: an empty schema would mean "tables without a schema".
    TWide cat = ToWide(catalog), sch = ToWide(Escape(schema)), tab = ToWide(Escape(name)), typ = ToWide(typeList);
    Check(SQLTablesW(stmt.Get(), catalog.empty() ? nullptr : cat.data(), catalog.empty() ? 0 : SQL_NTS,
                     schema.empty() ? nullptr : sch.data(), schema.empty() ? 0 : SQL_NTS,
                     name.empty() ? nullptr : tab.data(), name.empty() ? 0 : SQL_NTS, typ.data(), SQL_NTS),
          stmt, "Listing tables");
    std::vector<dac_detail::TTableInfo> result;
    for (auto& row : ReadAllAsText(stmt, 4)) {
      dac_detail::TTableInfo t{ValueOr(row[0]), ValueOr(row[1]), ValueOr(row[2]), UpperCase(ValueOr(row[3]))};
      if (!schema.empty() && t.Schema != schema) continue;
      if (!name.empty() && t.Name != name) continue;
      if (!types.empty() && std::find(types.begin(), types.end(), t.Type) == types.end()) continue;
      result.push_back(std::move(t));
    }
    return result;
  }

  std::vector<dac_detail::TColumnInfo> Columns(const std::string& schema, const std::string& table) override {
    TOdbcHandle stmt = Allocate(SQL_HANDLE_STMT, &FDbc);
    TWide sch = ToWide(Escape(schema)), tab = ToWide(Escape(table));
    Check(SQLColumnsW(stmt.Get(), nullptr, 0, schema.empty() ? nullptr : sch.data(), schema.empty() ? 0 : SQL_NTS,
                      table.empty() ? nullptr : tab.data(), table.empty() ? 0 : SQL_NTS, nullptr, 0),
          stmt, "Listing columns");
    std::vector<dac_detail::TColumnInfo> result;
    for (auto& row : ReadAllAsText(stmt, 17)) {
      dac_detail::TColumnInfo c;
      c.Catalog = ValueOr(row[0]);
      c.Schema = ValueOr(row[1]);
      c.Table = ValueOr(row[2]);
      c.Name = ValueOr(row[3]);
      c.TypeName = ValueOr(row[5]);
      c.Size = IntegerOf(row[6]);
      c.DecimalDigits = IntegerOf(row[8]);
      c.Nullable = IntegerOf(row[10]).value_or(1) != 0;
      c.Position = static_cast<int>(IntegerOf(row[16]).value_or(0));
      if (!schema.empty() && c.Schema != schema) continue;
      if (!table.empty() && c.Table != table) continue;
      result.push_back(std::move(c));
    }
    return result;
  }

 private:
  void SetAutoCommit(bool on) {
    Check(SQLSetConnectAttr(
              FDbc.Get(), SQL_ATTR_AUTOCOMMIT,
              reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
              SQL_IS_UINTEGER),
          FDbc, "Switching autocommit");
  }

  void EndTransaction(SQLSMALLINT completion) {
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, FDbc.Get(), completion);
    FInTransaction = false;
    if (!SQL_SUCCEEDED(rc)) {
      EDatabaseError error = MakeError(ReadDiagnostics(SQL_HANDLE_DBC, FDbc.Get()),
                                       completion == SQL_COMMIT ? "Commit" : "Rollback", FDbc.Get());
      // The transaction's failure is the one to report, not a refusal to switch back.
      SQLSetConnectAttr(FDbc.Get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                        SQL_IS_UINTEGER);
      throw error;
    }
    // A driver that already knows its connection lost may answer a commit with success,
    // having nothing left to send it to; the rows of that transaction are gone.
    if (completion == SQL_COMMIT && ConnectionDead(FDbc.Get()))
      throw EDatabaseError("Commit failed: the connection to the database is lost", "", 0,
                           TDatabaseFault::ConnectionLost);
    SetAutoCommit(true);
  }

  // Catalogue functions take patterns; a name's own '_' and '%' must match only themselves.
  std::string Escape(const std::string& name) {
    if (name.empty()) return name;
    if (!FEscapeKnown) {
      SQLWCHAR buffer[16] = {};
      SQLSMALLINT length = 0;
      if (SQL_SUCCEEDED(SQLGetInfoW(FDbc.Get(), SQL_SEARCH_PATTERN_ESCAPE, buffer, sizeof buffer, &length)))
        FEscape = FromWide(buffer, std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)) / 2, 15));
      FEscapeKnown = true;
    }
    if (FEscape.empty()) return name;  // the exact filter afterwards still applies
    std::string result;
    for (char ch : name) {
      if (ch == '_' || ch == '%' || FEscape.find(ch) != std::string::npos) result += FEscape;
      result += ch;
    }
    return result;
  }

  TOdbcHandle FEnv;
  TOdbcHandle FDbc;
  bool FConnected = false;
  bool FInTransaction = false;
  bool FCanDescribeParams = false;
  bool FParamArraysKnown = false;
  bool FParamArrays = false;
  bool FEscapeKnown = false;
  std::string FEscape;
};

std::string BraceIfNeeded(const std::string& value) {
  bool needs = value.find_first_of(";{}") != std::string::npos ||
               (!value.empty() &&
                (static_cast<unsigned char>(value.front()) <= 32 || static_cast<unsigned char>(value.back()) <= 32));
  if (!needs) return value;
  return "{" + ReplaceAll(value, "}", "}}") + "}";
}

}  // namespace

std::string BuildDB2CliConnectionString(const std::string& server, const std::string& user,
                                        const std::string& password) {
  TStringList items;
  size_t start = 0;
  while (start <= server.size()) {
    size_t end = server.find(';', start);
    if (end == std::string::npos) end = server.size();
    std::string item = server.substr(start, end - start);
    size_t eq = item.find('=');
    if (eq != std::string::npos) items.Add(Trim(item.substr(0, eq)) + "=" + Trim(item.substr(eq + 1)));
    start = end + 1;
  }
  auto item = [&](const char* name) { return items.Values(name); };
  if (item("Protocol") == "Standard")
    return "DRIVER={IBM DB2 ODBC DRIVER};DBALIAS=" + BraceIfNeeded(item("Database")) + ";UID=" + BraceIfNeeded(user) +
           ";PWD=" + BraceIfNeeded(password);
  std::string driver = item("Driver");
  if (driver.size() >= 2 && driver.front() == '{' && driver.back() == '}') driver = driver.substr(1, driver.size() - 2);
  return "DRIVER={" + ReplaceAll(driver, "}", "}}") + "};DATABASE=" + BraceIfNeeded(item("Database")) +
         ";Hostname=" + BraceIfNeeded(item("Hostname")) + ";Port=" + BraceIfNeeded(item("Port")) +
         ";Protocol=" + BraceIfNeeded(item("Protocol")) + ";UID=" + BraceIfNeeded(user) +
         ";PWD=" + BraceIfNeeded(password);
}

std::vector<std::string> ListOdbcDriverNames() {
  TOdbcHandle env = AllocateEnvironment();
  std::vector<std::string> names;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (true) {
    SQLWCHAR description[512] = {};
    SQLWCHAR attributes[4096] = {};
    SQLSMALLINT descriptionLength = 0, attributesLength = 0;
    SQLRETURN rc =
        SQLDriversW(env.Get(), direction, description, 512, &descriptionLength, attributes, 4096, &attributesLength);
    if (!SQL_SUCCEEDED(rc)) break;
    names.push_back(
        FromWide(description, std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(descriptionLength, 0)), 511)));
    direction = SQL_FETCH_NEXT;
  }
  return names;
}

namespace dac_detail {

std::unique_ptr<TConnectionImpl> CreateOdbcConnection() { return std::make_unique<TOdbcConnection>(); }

}  // namespace dac_detail
