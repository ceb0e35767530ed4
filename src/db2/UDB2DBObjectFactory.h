#pragma once

#include "dialect/UDBObjectFactory.h"

// The DB2 side, reached through the DB2 CLI (ODBC) driver.
class TDB2DBObjectFactory : public TDBObjectFactory {
public:
  std::unique_ptr<TDBDictionary> CreateDictionary() override;
  std::unique_ptr<TDBLogon> CreateLogon() override;
  std::unique_ptr<TUniConnection> CreateConnection() override;
  std::unique_ptr<TTableCreator> CreateTableCreator() override;
};
