// The floor under any SQLite-to-DB2 load on this machine: reads a SQLite table and inserts
// its rows through the DB2 ODBC driver with one prepared statement, committing every 1000
// rows, and nothing else (no conversions, no checks beyond the driver's return codes).
//
//   odbc_limit row|array SQLITE_FILE SOURCE_TABLE DEST_TABLE
//
// row   executes the statement once per row;
// array binds 1000 rows at a time, column-wise (SQL_ATTR_PARAMSET_SIZE).
// DEST_TABLE is used as written (quote it for DB2: '"DB2INST1"."BENCH"') and must have the
// source's columns in the source's order. The connection is DSN-less, to the driver
// "IBM DB2 ODBC DRIVER", with DATABASE, UID and PWD from FERROVAN_TEST_DB2_DATABASE,
// FERROVAN_TEST_DB2_USER and FERROVAN_TEST_DB2_PASSWORD (the DB2 test server's env.sh).

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr SQLULEN kArrayRows = 1000;
constexpr long kCommitEvery = 1000;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "odbc_limit: %s\n", what.c_str());
  std::exit(1);
}

std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string text;
  SQLCHAR state[6], message[1024];
  SQLINTEGER native;
  SQLSMALLINT length;
  for (SQLSMALLINT i = 1; SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length) ==
                          SQL_SUCCESS;
       ++i)
    text += std::string(" [") + reinterpret_cast<char*>(state) + "] " + reinterpret_cast<char*>(message);
  return text;
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what) {
  if (!SQL_SUCCEEDED(rc)) Fail(std::string(what) + " failed:" + Diagnostics(type, handle));
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) Fail(std::string(name) + " is not set (source the DB2 test server's env.sh)");
  return value;
}

// A connection-string value in braces when it holds characters that would end it early.
std::string Attribute(const std::string& value) {
  if (value.find_first_of(";{}= ") == std::string::npos) return value;
  std::string quoted = "{";
  for (char c : value) {
    quoted += c;
    if (c == '}') quoted += '}';
  }
  return quoted + "}";
}

// One bound parameter: `rows` slots of `width` bytes each (1 for row mode).
struct Column {
  SQLSMALLINT sqlType = SQL_VARCHAR;
  SQLULEN size = 0;
  SQLSMALLINT digits = 0;
  SQLLEN width = 0;
  std::vector<char> data;
  std::vector<SQLLEN> lengths;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 || (std::strcmp(argv[1], "row") != 0 && std::strcmp(argv[1], "array") != 0)) {
    std::fprintf(stderr, "usage: odbc_limit row|array SQLITE_FILE SOURCE_TABLE DEST_TABLE\n");
    return 2;
  }
  const bool arrays = std::strcmp(argv[1], "array") == 0;
  const std::string file = argv[2], source = argv[3], dest = argv[4];
  const auto started = std::chrono::steady_clock::now();

  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    Fail("cannot open " + file + ": " + sqlite3_errmsg(db));
  sqlite3_stmt* select = nullptr;
  std::string quotedSource = "\"";
  for (char c : source) quotedSource += c == '"' ? std::string("\"\"") : std::string(1, c);
  quotedSource += "\"";
  if (sqlite3_prepare_v2(db, ("select * from " + quotedSource).c_str(), -1, &select, nullptr) != SQLITE_OK)
    Fail(std::string("select from ") + source + ": " + sqlite3_errmsg(db));
  const int columnCount = sqlite3_column_count(select);

  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  const std::string connect = "DRIVER={IBM DB2 ODBC DRIVER};DATABASE=" + Attribute(Env("FERROVAN_TEST_DB2_DATABASE")) +
                              ";UID=" + Attribute(Env("FERROVAN_TEST_DB2_USER")) +
                              ";PWD=" + Attribute(Env("FERROVAN_TEST_DB2_PASSWORD")) + ";";
  SQLCHAR out[1024];
  SQLSMALLINT outLength;
  Check(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)connect.c_str(), SQL_NTS, out, sizeof out, &outLength,
                         SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, dbc, "SQLDriverConnect");
  Check(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
        SQL_HANDLE_DBC, dbc, "autocommit off");
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);

  // The destination's types, once: the parameters are bound as text with them, as a loader
  // that knows its destination would.
  std::vector<Column> columns(columnCount);
  {
    Check(SQLExecDirect(stmt, (SQLCHAR*)("select * from " + dest + " where 1 = 0").c_str(), SQL_NTS),
          SQL_HANDLE_STMT, stmt, "probing the destination");
    SQLSMALLINT destCount = 0;
    SQLNumResultCols(stmt, &destCount);
    if (destCount != columnCount)
      Fail(dest + " has " + std::to_string(destCount) + " columns, " + source + " " + std::to_string(columnCount));
    for (int i = 0; i < columnCount; ++i) {
      SQLCHAR name[256];
      SQLSMALLINT nameLength, nullable;
      Column& c = columns[i];
      Check(SQLDescribeCol(stmt, i + 1, name, sizeof name, &nameLength, &c.sqlType, &c.size, &c.digits, &nullable),
            SQL_HANDLE_STMT, stmt, "SQLDescribeCol");
      const bool text = c.sqlType == SQL_CHAR || c.sqlType == SQL_VARCHAR || c.sqlType == SQL_LONGVARCHAR ||
                        c.sqlType == SQL_WCHAR || c.sqlType == SQL_WVARCHAR || c.sqlType == SQL_WLONGVARCHAR;
      // Characters may take four bytes each in UTF-8.
      c.width = text ? static_cast<SQLLEN>(std::min<SQLULEN>(c.size ? c.size : 8000, 8000) * 4 + 1) : 64;
      if (c.sqlType == SQL_LONGVARCHAR || c.sqlType == SQL_WLONGVARCHAR) c.sqlType = SQL_VARCHAR;
      if (c.sqlType == SQL_WVARCHAR || c.sqlType == SQL_WCHAR) c.sqlType = SQL_VARCHAR;
    }
    SQLCloseCursor(stmt);
  }

  std::string insert = "insert into " + dest + " values (";
  for (int i = 0; i < columnCount; ++i) insert += i ? ", ?" : "?";
  insert += ")";
  Check(SQLPrepare(stmt, (SQLCHAR*)insert.c_str(), SQL_NTS), SQL_HANDLE_STMT, stmt, "SQLPrepare");

  const SQLULEN slots = arrays ? kArrayRows : 1;
  std::vector<SQLUSMALLINT> status(slots);
  SQLULEN processed = 0;
  if (arrays) {
    SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_PARAM_BIND_BY_COLUMN), 0);
    Check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(slots), 0), SQL_HANDLE_STMT, stmt,
          "SQL_ATTR_PARAMSET_SIZE");
    SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
  }
  for (int i = 0; i < columnCount; ++i) {
    Column& c = columns[i];
    c.data.resize(static_cast<size_t>(c.width) * slots);
    c.lengths.resize(slots);
    Check(SQLBindParameter(stmt, i + 1, SQL_PARAM_INPUT, SQL_C_CHAR, c.sqlType, c.size, c.digits, c.data.data(),
                           c.width, c.lengths.data()),
          SQL_HANDLE_STMT, stmt, "SQLBindParameter");
  }

  const auto loading = std::chrono::steady_clock::now();
  long rows = 0;
  SQLULEN filled = 0;
  auto flush = [&] {
    if (filled == 0) return;
    if (arrays && filled != slots)
      SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(filled), 0);
    Check(SQLExecute(stmt), SQL_HANDLE_STMT, stmt, "SQLExecute");
    filled = 0;
  };
  int rc;
  while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
    for (int i = 0; i < columnCount; ++i) {
      Column& c = columns[i];
      const unsigned char* value = sqlite3_column_text(select, i);
      if (!value) {
        c.lengths[filled] = SQL_NULL_DATA;
        continue;
      }
      const int length = sqlite3_column_bytes(select, i);
      if (length >= c.width) Fail("a value of column " + std::to_string(i + 1) + " is longer than its buffer");
      std::memcpy(c.data.data() + filled * c.width, value, static_cast<size_t>(length) + 1);
      c.lengths[filled] = length;
    }
    ++filled;
    ++rows;
    if (filled == slots) flush();
    if (rows % kCommitEvery == 0) {
      flush();
      Check(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_HANDLE_DBC, dbc, "commit");
    }
  }
  if (rc != SQLITE_DONE) Fail(std::string("reading ") + source + ": " + sqlite3_errmsg(db));
  flush();
  Check(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_HANDLE_DBC, dbc, "commit");
  const auto done = std::chrono::steady_clock::now();

  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  sqlite3_finalize(select);
  sqlite3_close(db);

  const double load = std::chrono::duration<double>(done - loading).count();
  const double total = std::chrono::duration<double>(done - started).count();
  std::printf("odbc_limit %s: %ld rows in %.2f s, %.0f rows/s (%.2f s with connecting)\n", arrays ? "array" : "row",
              rows, load, load > 0 ? rows / load : 0.0, total);
  return 0;
}
