#pragma once

#include <memory>

#include "dialect/UTableCreator.h"

class TSqliteDBHelper;

// CREATE TABLE for a SQLite destination: names in double quotes; an auto-increment
// key column becomes "primary key autoincrement" (SQLite wants it on an INTEGER column).
class TSqliteTableCreator : public TTableCreator {
public:
  TSqliteTableCreator();
  ~TSqliteTableCreator() override;
  void BuildSql(TTableInfo* tableInfo) override;
  void FillDataTypes() override;
  void FillNonIndexableTypes() override;
  bool SupportsAutoIncrement() override { return true; }

private:
  std::unique_ptr<TSqliteDBHelper> Helper;
};
