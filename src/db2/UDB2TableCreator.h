#pragma once

#include <memory>

#include "dialect/UTableCreator.h"

class TDB2DBHelper;

// CREATE TABLE for DB2: names between double quotes, identity columns, one primary
// key column, an index per marked column.
class TDB2TableCreator : public TTableCreator {
public:
  TDB2TableCreator();
  ~TDB2TableCreator() override;
  void BuildSql(TTableInfo* tableInfo) override;
  void FillDataTypes() override;
  void FillNonIndexableTypes() override;
  bool SupportsAutoIncrement() override { return true; }

private:
  std::unique_ptr<TDB2DBHelper> Helper;
};
