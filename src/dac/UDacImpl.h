#pragma once

// What a back end provides to the generic classes of UDataAccess.h.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dac/UDataAccess.h"

namespace dac_detail {

// One prepared statement and, after an execute that yields rows, its cursor.
class TStatementImpl {
public:
  virtual ~TStatementImpl() = default;

  // sql has "?" placeholders only.
  virtual void Prepare(const std::string& sql) = 0;
  // binds holds the value for each placeholder in order.
  virtual void Execute(const std::vector<const TUniParam*>& binds, int fetchRows) = 0;
  virtual bool HasResultSet() const = 0;
  // Names, types and sizes of the result columns; valid after Execute.
  virtual std::vector<TUniField> DescribeColumns() = 0;
  // Fills fields with the next row; false when there is none.
  virtual bool FetchRow(std::vector<TUniField>& fields) = 0;
  virtual int RowsAffected() const = 0;
  virtual void CloseCursor() = 0;
  virtual int64_t FetchCalls() const = 0;
  // rows sets of parameters, binds holding rows * placeholders values row after row.
  // Raises EDatabaseError when any row fails or the back end has no parameter arrays.
  virtual void ExecuteArray(const std::vector<const TUniParam*>& /*binds*/, size_t /*rows*/) {
    throw EDatabaseError("Parameter arrays are not supported");
  }
};

struct TTableInfo {
  std::string Catalog, Schema, Name, Type;
};

struct TColumnInfo {
  std::string Catalog, Schema, Table, Name, TypeName;
  int Position = 0;
  std::optional<int64_t> Size, DecimalDigits;
  bool Nullable = true;
};

class TConnectionImpl {
public:
  virtual ~TConnectionImpl() = default;

  virtual void Connect(const TUniConnection& settings) = 0;
  virtual void Disconnect() = 0;
  virtual bool Connected() const = 0;
  virtual void StartTransaction() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  virtual bool InTransaction() const = 0;
  virtual std::string ServerVersion() const = 0;
  virtual std::unique_ptr<TStatementImpl> CreateStatement() = 0;
  virtual bool SupportsParamArrays() { return false; }

  // types: upper-case "TABLE"/"VIEW"; empty means both. Empty names do not restrict.
  virtual std::vector<TTableInfo> Tables(const std::string& catalog, const std::string& schema,
                                         const std::vector<std::string>& types, const std::string& name) = 0;
  virtual std::vector<TColumnInfo> Columns(const std::string& schema, const std::string& table) = 0;
};

std::unique_ptr<TConnectionImpl> CreateSqliteConnection();
std::unique_ptr<TConnectionImpl> CreateOdbcConnection();

// Helpers shared by the back ends.
std::string FormatDateTime(const TDateTimeParts& parts);

}  // namespace dac_detail
