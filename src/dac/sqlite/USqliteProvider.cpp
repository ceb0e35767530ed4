#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "dac/UDacImpl.h"
#include "dac/USqlLexer.h"
#include "dac/sqlite/USqliteTypes.h"

namespace dac_detail {
namespace {

// Owns one open database.
class TSqliteDb {
public:
  TSqliteDb() = default;
  explicit TSqliteDb(sqlite3* db) : FDb(db) {}
  ~TSqliteDb() { Reset(); }
  TSqliteDb(TSqliteDb&& other) noexcept : FDb(std::exchange(other.FDb, nullptr)) {}
  TSqliteDb& operator=(TSqliteDb&& other) noexcept {
    if (this != &other) {
      Reset();
      FDb = std::exchange(other.FDb, nullptr);
    }
    return *this;
  }
  TSqliteDb(const TSqliteDb&) = delete;
  TSqliteDb& operator=(const TSqliteDb&) = delete;

  sqlite3* Get() const { return FDb; }
  void Reset() {
    // sqlite3_close_v2 defers the close while statements are still around instead
    // of failing; the layer above frees them first in any case.
    if (FDb) sqlite3_close_v2(std::exchange(FDb, nullptr));
  }

private:
  sqlite3* FDb = nullptr;
};

// Owns one prepared statement.
class TSqliteStmt {
public:
  TSqliteStmt() = default;
  explicit TSqliteStmt(sqlite3_stmt* stmt) : FStmt(stmt) {}
  ~TSqliteStmt() { Reset(); }
  TSqliteStmt(TSqliteStmt&& other) noexcept : FStmt(std::exchange(other.FStmt, nullptr)) {}
  TSqliteStmt& operator=(TSqliteStmt&& other) noexcept {
    if (this != &other) {
      Reset();
      FStmt = std::exchange(other.FStmt, nullptr);
    }
    return *this;
  }
  TSqliteStmt(const TSqliteStmt&) = delete;
  TSqliteStmt& operator=(const TSqliteStmt&) = delete;

  sqlite3_stmt* Get() const { return FStmt; }
  void Reset() {
    if (FStmt) sqlite3_finalize(std::exchange(FStmt, nullptr));
  }

private:
  sqlite3_stmt* FStmt = nullptr;
};

// The error of db's last call, with its extended result code. A statement that does
// not compile cannot run with any values, whatever its code says.
EDatabaseError LastError(sqlite3* db, std::string message, bool compiling = false) {
  int code = db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM;
  TDatabaseFault fault = SqliteFault(code);
  if (compiling && fault == TDatabaseFault::None) fault = TDatabaseFault::StatementCannotRun;
  return EDatabaseError(std::move(message), "", code, fault);
}

[[noreturn]] void Fail(sqlite3* db, bool compiling = false) {
  throw LastError(db, db ? sqlite3_errmsg(db) : "out of memory", compiling);
}

TSqliteStmt PrepareOne(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
  TSqliteStmt stmt(raw);
  if (rc != SQLITE_OK) Fail(db, true);
  if (!stmt.Get()) throw EDatabaseError("The SQL text holds no statement");
  // Only the first statement would run; silently dropping the others loses work.
  if (tail && !IsBlankOrComment(std::string_view(tail, sql.c_str() + sql.size() - tail)))
    throw EDatabaseError("The SQL text holds more than one statement; run it as a script");
  return stmt;
}

class TSqliteStatement : public TStatementImpl {
public:
  explicit TSqliteStatement(sqlite3* db) : FDb(db) {}

  void Prepare(const std::string& sql) override { FStmt = PrepareOne(FDb, sql); }

  void Execute(const std::vector<const TUniParam*>& binds, int) override {
    sqlite3_stmt* stmt = FStmt.Get();
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    FRowPending = false;
    FDone = false;
    int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 0; i < count && i < static_cast<int>(binds.size()); ++i) Bind(i + 1, *binds[static_cast<size_t>(i)]);
    sqlite3_int64 changesBefore = sqlite3_total_changes64(FDb);
    int rc = Step();
    if (rc == SQLITE_ROW) {
      FRowPending = true;
    } else if (rc == SQLITE_DONE) {
      FDone = true;
    } else {
      EDatabaseError error = LastError(FDb, sqlite3_errmsg(FDb));
      sqlite3_reset(stmt);
      throw error;
    }
    FHasResult = sqlite3_column_count(stmt) > 0;
    FRowsAffected = FHasResult && sqlite3_stmt_readonly(stmt)
                        ? -1
                        : static_cast<int>(sqlite3_total_changes64(FDb) - changesBefore);
  }

  bool HasResultSet() const override { return FHasResult; }

  std::vector<TUniField> DescribeColumns() override {
    sqlite3_stmt* stmt = FStmt.Get();
    std::vector<TUniField> fields;
    int count = sqlite3_column_count(stmt);
    for (int i = 0; i < count; ++i) {
      TUniField f;
      const char* name = sqlite3_column_name(stmt, i);
      f.FieldName = name ? name : "";
      const char* declared = sqlite3_column_decltype(stmt, i);
      int storage = FRowPending ? sqlite3_column_type(stmt, i) : SQLITE_NULL;
      TSqliteTypeMapping mapping = MapSqliteDeclaredType(declared ? declared : "", storage);
      f.DataType = mapping.Type;
      f.Size = mapping.Size;
      f.Precision = mapping.Precision;
      fields.push_back(std::move(f));
    }
    return fields;
  }

  bool FetchRow(std::vector<TUniField>& fields) override {
    if (!FRowPending) {
      if (FDone) return false;
      int rc = Step();
      if (rc == SQLITE_DONE) {
        FDone = true;
        return false;
      }
      if (rc != SQLITE_ROW) {
        EDatabaseError error = LastError(FDb, sqlite3_errmsg(FDb));
        sqlite3_reset(FStmt.Get());
        FDone = true;
        throw error;
      }
    }
    FRowPending = false;
    sqlite3_stmt* stmt = FStmt.Get();
    for (size_t i = 0; i < fields.size(); ++i) {
      int col = static_cast<int>(i);
      TUniField& f = fields[i];
      switch (sqlite3_column_type(stmt, col)) {
        case SQLITE_INTEGER:
          f.SetInteger(sqlite3_column_int64(stmt, col));
          break;
        case SQLITE_FLOAT:
          f.SetFloat(sqlite3_column_double(stmt, col));
          break;
        case SQLITE_TEXT: {
          auto text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
          int size = sqlite3_column_bytes(stmt, col);
          f.SetText(text ? std::string(text, static_cast<size_t>(size)) : std::string());
          break;
        }
        case SQLITE_BLOB: {
          auto data = static_cast<const char*>(sqlite3_column_blob(stmt, col));
          int size = sqlite3_column_bytes(stmt, col);
          f.SetBytes(data ? std::string(data, static_cast<size_t>(size)) : std::string());
          break;
        }
        default:
          f.SetNull();
          break;
      }
    }
    return true;
  }

  int RowsAffected() const override { return FRowsAffected; }

  void CloseCursor() override {
    if (FStmt.Get()) sqlite3_reset(FStmt.Get());
    FRowPending = false;
    FDone = true;
  }

  int64_t FetchCalls() const override { return FSteps; }

private:
  int Step() {
    ++FSteps;
    return sqlite3_step(FStmt.Get());
  }

  void Bind(int index, const TUniParam& p) {
    sqlite3_stmt* stmt = FStmt.Get();
    int rc = SQLITE_OK;
    switch (p.Kind()) {
      case TValueKind::Null:
      case TValueKind::DateTime:
        rc = sqlite3_bind_null(stmt, index);
        break;
      case TValueKind::Integer:
        rc = sqlite3_bind_int64(stmt, index, p.IntegerValue());
        break;
      case TValueKind::Float:
        rc = sqlite3_bind_double(stmt, index, p.FloatValue());
        break;
      case TValueKind::Text:
        rc = sqlite3_bind_text64(stmt, index, p.TextValue().data(), p.TextValue().size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
        break;
      case TValueKind::Bytes:
        // data() is never null, so an empty value stays an empty blob, not NULL.
        rc = sqlite3_bind_blob64(stmt, index, p.TextValue().data(), p.TextValue().size(), SQLITE_TRANSIENT);
        break;
    }
    if (rc != SQLITE_OK) Fail(FDb);
  }

  sqlite3* FDb;
  TSqliteStmt FStmt;
  bool FRowPending = false;
  bool FDone = true;
  bool FHasResult = false;
  int FRowsAffected = -1;
  int64_t FSteps = 0;
};

const char* const EncryptionAlgorithms[] = {"leDefault", "leTripleDES", "leBlowfish", "leAES128",
                                            "leAES192",  "leAES256",    "leCast128",  "leRC4"};

class TSqliteConnection : public TConnectionImpl {
public:
  void Connect(const TUniConnection& settings) override {
    std::string algorithm = settings.SpecificOptions.Values("EncryptionAlgorithm");
    std::string key = settings.SpecificOptions.Values("EncryptionKey");
    if (!algorithm.empty()) {
      bool known = false;
      for (const char* a : EncryptionAlgorithms) known = known || SameText(a, algorithm);
      if (!known) throw EDatabaseError("Unknown encryption algorithm: " + algorithm);
    }
    if (!key.empty())
      throw EDatabaseError("this SQLite build cannot open encrypted files: " +
                           (algorithm.empty() ? std::string("leDefault") : algorithm));
    const std::string& path = settings.Database;
    if (path.empty()) throw EDatabaseError("No database file given");

    // Without SQLITE_OPEN_CREATE a mistyped path fails here instead of leaving an
    // empty new database behind.
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    TSqliteDb db(raw);
    if (rc != SQLITE_OK) {
      std::string message = db.Get() ? sqlite3_errmsg(db.Get()) : "out of memory";
      throw LastError(db.Get(), message + ": " + path);
    }
    sqlite3_busy_timeout(db.Get(), 5000);
    // Opening reads nothing; the first read tells a database from any other file.
    char* error = nullptr;
    rc = sqlite3_exec(db.Get(), "select count(*) from sqlite_master", nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
      std::string message = error ? error : sqlite3_errmsg(db.Get());
      sqlite3_free(error);
      throw LastError(db.Get(), message + ": " + path);
    }
    FDb = std::move(db);
  }

  void Disconnect() override { FDb.Reset(); }
  bool Connected() const override { return FDb.Get() != nullptr; }

  void StartTransaction() override { Exec("BEGIN"); }
  void Commit() override { Exec("COMMIT"); }
  void Rollback() override { Exec("ROLLBACK"); }
  bool InTransaction() const override { return FDb.Get() && !sqlite3_get_autocommit(FDb.Get()); }

  std::string ServerVersion() const override { return sqlite3_libversion(); }

  std::unique_ptr<TStatementImpl> CreateStatement() override {
    return std::make_unique<TSqliteStatement>(FDb.Get());
  }

  std::vector<TTableInfo> Tables(const std::string&, const std::string&, const std::vector<std::string>& types,
                                 const std::string& name) override {
    std::vector<TTableInfo> result;
    TSqliteStmt stmt = PrepareOne(FDb.Get(),
                                  "select name, type from sqlite_master where type in ('table', 'view') "
                                  "and name not like 'sqlite\\_%' escape '\\' order by name");
    int rc;
    while ((rc = sqlite3_step(stmt.Get())) == SQLITE_ROW) {
      TTableInfo t;
      t.Name = ColumnText(stmt.Get(), 0);
      t.Type = UpperCase(ColumnText(stmt.Get(), 1));
      if (!name.empty() && !SameText(name, t.Name)) continue;
      if (!types.empty() && std::find(types.begin(), types.end(), t.Type) == types.end()) continue;
      result.push_back(std::move(t));
    }
    if (rc != SQLITE_DONE) Fail(FDb.Get());
    return result;
  }

  std::vector<TColumnInfo> Columns(const std::string&, const std::string& table) override {
    std::vector<TColumnInfo> result;
    for (const TTableInfo& t : Tables("", "", {}, table)) {
      // The table name is bound, never spliced into the text.
      TSqliteStmt stmt = PrepareOne(FDb.Get(), "select cid, name, type, \"notnull\" from pragma_table_info(?)");
      sqlite3_bind_text(stmt.Get(), 1, t.Name.c_str(), -1, SQLITE_TRANSIENT);
      int rc;
      while ((rc = sqlite3_step(stmt.Get())) == SQLITE_ROW) {
        TColumnInfo c;
        c.Table = t.Name;
        c.Position = sqlite3_column_int(stmt.Get(), 0) + 1;
        c.Name = ColumnText(stmt.Get(), 1);
        c.TypeName = ColumnText(stmt.Get(), 2);
        c.Nullable = sqlite3_column_int(stmt.Get(), 3) == 0;
        TSqliteTypeMapping mapping = MapSqliteDeclaredType(c.TypeName, SQLITE_NULL);
        if (mapping.Precision > 0) {
          c.Size = mapping.Precision;
          c.DecimalDigits = mapping.Size;
        } else if (mapping.Size > 0) {
          c.Size = mapping.Size;
        }
        result.push_back(std::move(c));
      }
      if (rc != SQLITE_DONE) Fail(FDb.Get());
    }
    return result;
  }

private:
  static std::string ColumnText(sqlite3_stmt* stmt, int col) {
    auto text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, col))) : std::string();
  }

  void Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(FDb.Get(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = error ? error : sqlite3_errmsg(FDb.Get());
      sqlite3_free(error);
      throw LastError(FDb.Get(), message);
    }
  }

  TSqliteDb FDb;
};

}  // namespace

std::unique_ptr<TConnectionImpl> CreateSqliteConnection() { return std::make_unique<TSqliteConnection>(); }

}  // namespace dac_detail

TDatabaseFault SqliteFault(int extendedResultCode) {
  switch (extendedResultCode & 0xff) {
    // The file can no longer be read or written as a database.
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
      return TDatabaseFault::ConnectionLost;
    // Nothing more can be written to it: the disk is full, the file or its folder
    // became read-only, an authorizer refuses.
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
      return TDatabaseFault::StatementCannotRun;
    default:
      return TDatabaseFault::None;
  }
}
