#pragma once

// A small data-access layer over two back ends: SQLite files (the SQLite C library)
// and DB2 through its ODBC/CLI driver (unixODBC). Connections, parameterised queries
// with a forward-only cursor, scripts and catalogue look-ups share one interface, so
// the layers above never see a back-end handle.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/UExceptions.h"
#include "base/UStrings.h"

enum class TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftOraBlob,
  ftOraClob,
  ftTimeStamp,
  ftTimeStampOffset,
  ftFMTBcd,
  ftFixedWideChar,
  ftWideMemo,
  ftGuid,
  ftLongWord,
  ftShortint,
  ftByte,
  ftExtended,
  ftSingle
};

// "ftString", "ftInteger", ...; "ftUnknown" for values outside the enumeration.
std::string FieldTypeName(TFieldType type);

// What a database error means for the statements that would follow it.
enum class TDatabaseFault {
  // This execution failed, for instance on the values it was given; the next may work.
  None,
  // The connection is gone, or the database file can no longer be used: nothing more
  // reaches the database through it, and what it had not committed is lost.
  ConnectionLost,
  // The database rolled the transaction back (a deadlock, a system error): what it had
  // not committed is lost; the connection still works.
  TransactionRolledBack,
  // The statement cannot run whatever values it is given: a table or column it names
  // does not exist (any more), a privilege is lacking, a resource it needs is
  // unavailable or exhausted.
  StatementCannotRun,
};

// Large objects, bound whole with their type: ftBlob, ftOraBlob, ftGraphic, ftMemo,
// ftFmtMemo, ftOraClob, ftWideMemo, and ftVarBytes, whose value goes as its bytes too.
bool IsLobFieldType(TFieldType type);
// Types whose values are bytes rather than text: ftBlob, ftOraBlob, ftGraphic,
// ftBytes, ftVarBytes.
bool IsBinaryFieldType(TFieldType type);

// Raised for everything a back end refuses. The message is the engine's or the
// driver's own text; for ODBC one "[SQLSTATE] message" line per diagnostic record.
// It never carries a connection string or a password.
class EDatabaseError : public Exception {
public:
  using Exception::Exception;
  EDatabaseError(std::string message, std::string sqlState, int nativeCode, TDatabaseFault fault);

  // The SQLSTATE of the driver's first diagnostic record (ODBC); empty for SQLite and
  // for this layer's own errors.
  std::string SqlState;
  // The native error code of that record, or SQLite's extended result code; 0 for none.
  int NativeCode = 0;
  TDatabaseFault Fault = TDatabaseFault::None;
};

// The fault an ODBC diagnostic record stands for: SQLSTATE class 08, 40003 (completion
// unknown) and DB2's communication codes are a lost connection; the rest of class 40 a
// rolled-back transaction; class 42 (the statement names what does not exist or may
// not be used) and class 57 (a resource unavailable) a statement that cannot run.
TDatabaseFault OdbcFault(const std::string& sqlState, int nativeCode);
// The fault a SQLite extended result code stands for.
TDatabaseFault SqliteFault(int extendedResultCode);

// How one value is held, independent of the column's declared type: SQLite keeps
// whatever it was given, so a DATE column may hold text, a number or a blob.
enum class TValueKind { Null, Integer, Float, Text, Bytes, DateTime };

struct TDateTimeParts {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  uint32_t Fraction = 0;  // nanoseconds
  bool HasDate = false, HasTime = false;
};

class TUniQuery;
class TUniConnection;

namespace dac_detail {
class TConnectionImpl;
class TStatementImpl;
struct TTableInfo;
struct TColumnInfo;
}  // namespace dac_detail

// ---------------------------------------------------------------------------

class TUniConnection {
public:
  TUniConnection();
  ~TUniConnection();
  TUniConnection(const TUniConnection&) = delete;
  TUniConnection& operator=(const TUniConnection&) = delete;

  std::string ProviderName;  // "Sqlite" or "DB2", without regard to case
  std::string Username, Password, Server, Database;
  TStringList SpecificOptions;  // EncryptionAlgorithm, EncryptionKey, ... (others accepted and ignored)
  bool LoginPrompt = false;     // never prompts; kept for callers that set it

  void Connect();  // raises EDatabaseError; nothing happens when already connected
  void Disconnect();  // closes every query of this connection first
  bool Connected() const;

  void StartTransaction();
  void Commit();
  void Rollback();
  bool InTransaction() const;

  std::string ServerVersion() const;

  // For the queries, scripts and catalogue look-ups of this layer.
  dac_detail::TConnectionImpl& Impl();
  void RegisterQuery(TUniQuery* query);
  void UnregisterQuery(TUniQuery* query);

private:
  std::unique_ptr<dac_detail::TConnectionImpl> FImpl;
  std::vector<TUniQuery*> FQueries;
};

// The DB2 CLI connection string for a Server text of "name=value;..." items.
// Protocol=Standard (exact case) gives the catalogued-alias form
//   DRIVER={IBM DB2 ODBC DRIVER};DBALIAS=<Database>;UID=..;PWD=..
// anything else the TCP/IP form
//   DRIVER={<Driver>};DATABASE=..;Hostname=..;Port=..;Protocol=..;UID=..;PWD=..
// A value holding ';', '{', '}' or blanks at its ends is written in braces, as ODBC
// wants, so a password such as "a;b" cannot add items of its own.
std::string BuildDB2CliConnectionString(const std::string& server, const std::string& user,
                                        const std::string& password);

// The driver names the ODBC driver manager knows, in its order.
std::vector<std::string> ListOdbcDriverNames();

// ---------------------------------------------------------------------------

class TUniParam {
public:
  std::string Name;
  TFieldType DataType = TFieldType::ftUnknown;
  bool IsNull = true;

  void Clear();  // NULL; the data type stays, so a NULL still binds with it
  void SetAsInteger(int64_t value);   // ftLargeint
  void SetAsFloat(double value);      // ftFloat
  void SetAsBoolean(bool value);      // ftBoolean
  void SetAsString(const std::string& value);      // ftString (UTF-8)
  void SetAsWideString(const std::string& utf8);   // ftWideString
  // Large values: ftBlob, ftOraBlob, ftGraphic, ftBytes, ftVarBytes are bytes; ftMemo,
  // ftOraClob, ftWideMemo, ftFmtMemo are UTF-8 text.
  void LoadFromBytes(const std::string& bytes, TFieldType lobType);
  bool IsLob() const { return IsLobFieldType(DataType); }
  bool IsBinary() const { return IsBinaryFieldType(DataType); }

  TValueKind Kind() const { return IsNull ? TValueKind::Null : FKind; }
  int64_t IntegerValue() const { return FInt; }
  double FloatValue() const { return FFloat; }
  const std::string& TextValue() const { return FText; }  // text or bytes

private:
  TValueKind FKind = TValueKind::Null;
  int64_t FInt = 0;
  double FFloat = 0;
  std::string FText;
};

class TUniField {
public:
  std::string FieldName;
  TFieldType DataType = TFieldType::ftUnknown;
  int Size = 0;       // characters or bytes for text and binary types; scale for ftBCD/ftFMTBcd
  int Precision = 0;  // digits for ftBCD/ftFMTBcd, 0 when unknown

  bool IsNull() const { return FKind == TValueKind::Null; }
  TValueKind ValueKind() const { return FKind; }

  // NULL gives "". Integers exact, floats as the shortest text that reads back as the
  // same double ("3.5", "0.1", "1e-300"), text and bytes as stored, dates and times as
  // "yyyy-mm-dd", "hh:mm:ss", "yyyy-mm-dd hh:mm:ss[.fraction]" (fraction without
  // trailing zeros). Never depends on the process locale.
  std::string AsString() const;
  std::string AsBytes() const;  // raw bytes; the UTF-8 bytes of text
  int64_t AsInteger() const;    // raises EConvertError for a value that is no integer
  double AsFloat() const;       // raises EConvertError for a value that is no number
  bool AsBoolean() const;
  // From a date/time value, or text in the forms AsString writes (a 'T' between date
  // and time is accepted too); raises EConvertError otherwise.
  TDateTimeParts AsDateTimeParts() const;

  // Used by the back ends to fill in the current row.
  void SetNull();
  void SetInteger(int64_t value);
  void SetFloat(double value);
  void SetText(std::string value);
  void SetBytes(std::string value);
  void SetDateTime(const TDateTimeParts& value);

private:
  TValueKind FKind = TValueKind::Null;
  int64_t FInt = 0;
  double FFloat = 0;
  std::string FText;
  TDateTimeParts FDateTime;
};

// ---------------------------------------------------------------------------

// SQL text with ":name" parameters turned into "?" placeholders.
struct TParsedSql {
  std::string Sql;                      // with "?" at every parameter place
  std::vector<std::string> Names;       // distinct names in order of first use ("" for a bare "?")
  std::vector<int> Positions;           // index into Names for each "?" in Sql
};
// ":name" (letters, digits, '_') is a parameter outside '...', "...", [...] and `...`
// quoting and outside -- and /* */ comments; "::" is no parameter. A name used more
// than once (without regard to case) is one parameter.
TParsedSql ParseSqlParameters(const std::string& sql);

class TUniQuery {
public:
  explicit TUniQuery(TUniConnection* connection = nullptr);
  ~TUniQuery();
  TUniQuery(const TUniQuery&) = delete;
  TUniQuery& operator=(const TUniQuery&) = delete;

  void SetConnection(TUniConnection* connection);
  TUniConnection* Connection() const { return FConnection; }

  // Assigning another text closes and unprepares the query; the parameters are
  // parsed anew at the next use, values of parameters whose names remain are kept.
  std::string SQL;
  void SetSQL(const std::string& sql) { SQL = sql; }
  // Off: ":name" is plain text (scripts). Read when the SQL text is parsed.
  bool ParamCheck = true;

  int ParamCount();
  TUniParam& ParamByName(const std::string& name);  // raises EDatabaseError "Parameter 'x' not found"
  TUniParam* FindParam(const std::string& name);
  TUniParam& Params(int index);
  // The index in Params of the parameter called name, -1 when there is none.
  int ParamIndex(const std::string& name);
  // Params(index) without comparing the SQL text with the one last parsed: for binding
  // row after row by indexes ParamIndex gave, while the text stays the same.
  TUniParam& ParamAt(int index);

  bool AutoPrepare = true;     // statements are always prepared before they run
  int FetchRows = 50;          // rows fetched per round trip to the server
  bool UniDirectional = true;  // the cursor is forward-only in any case
  TStringList SpecificOptions;  // QueryRecCount (default True); FetchAll is accepted, rows are never all fetched

  void Prepare();
  void Unprepare();

  // Runs the statement; when it yields rows the query becomes active on the first one.
  void Execute();
  // Execute for a statement that must yield rows; raises EDatabaseError otherwise.
  void Open();
  void Close();

  bool Active() const { return FActive; }
  bool Eof() const { return FEof; }
  void Next();

  int FieldCount() const { return static_cast<int>(FFields.size()); }
  TUniField& Fields(int index);
  TUniField& FieldByName(const std::string& name);  // raises EDatabaseError "Field 'x' not found"
  TUniField* FindField(const std::string& name);

  int RowsAffected() const { return FRowsAffected; }
  // Rows of the open result, counted by a "select count(1) from (...) a" on the same
  // connection with the same parameters. Raises EDatabaseError when the query is not
  // active or QueryRecCount is False.
  int64_t RecordCount();

  // Parameter arrays. AddBatchRow keeps the current parameter values as the next row of
  // an array that ExecuteBatch sends in one execute (bound column by column). When
  // ExecuteBatch raises, which rows reached the database is unknown: the caller rolls
  // back and can execute the rows one at a time, LoadBatchRow putting a row's values
  // back into the parameters. Changing the SQL text or unpreparing forgets the rows.
  bool SupportsParamArrays();
  void AddBatchRow();
  int BatchRowCount() const { return static_cast<int>(FBatchCount); }
  void ExecuteBatch();
  void LoadBatchRow(int index);
  void ClearBatch() { FBatchCount = 0; }

  // Round trips the back end made to fetch rows since the statement was prepared
  // (SQLite: steps; ODBC: SQLFetch calls), for tests of the batching.
  int64_t FetchCalls() const;

  // Called by the connection when it disconnects or goes away.
  void ConnectionClosing();
  void ConnectionDestroyed();

private:
  void EnsureParsed();
  void CheckConnection();
  void BindValues(std::vector<const TUniParam*>& binds);
  void FetchCurrent();
  static TUniParam* FindParamIn(std::vector<TUniParam>& params, const std::string& name);

  TUniConnection* FConnection = nullptr;
  std::string FParsedText;
  bool FParsed = false;
  TParsedSql FParsedSql;
  std::vector<TUniParam> FParams;
  std::unique_ptr<dac_detail::TStatementImpl> FStatement;
  std::vector<TUniField> FFields;
  bool FActive = false;
  bool FEof = true;
  int FRowsAffected = -1;
  int64_t FRecordCount = -1;
  std::vector<std::vector<TUniParam>> FBatch;  // rows beyond FBatchCount are kept for reuse
  size_t FBatchCount = 0;
  std::vector<const TUniParam*> FBatchBinds;
};

// ---------------------------------------------------------------------------

class TUniScript {
public:
  explicit TUniScript(TUniConnection* connection = nullptr);
  ~TUniScript();
  void SetConnection(TUniConnection* connection);

  std::string SQL;
  // Not owned. When set, statements that start with SELECT, WITH, VALUES, PRAGMA or
  // EXPLAIN run in it, so the last of them stays open there; all others run in an
  // internal query.
  TUniQuery* DataSet = nullptr;

  // Runs the statements in order; the first failing one raises its EDatabaseError and
  // the rest do not run. ":name" in the statements is plain text.
  void Execute();

  // Statements split at ";" outside quoting ('...', "...", [...], `...`) and comments
  // (-- to the end of the line, /* */). Each is trimmed; statements holding nothing
  // but blanks and comments are left out.
  static std::vector<std::string> SplitStatements(const std::string& script);

private:
  TUniConnection* FConnection = nullptr;
  std::unique_ptr<TUniQuery> FQuery;
};
