#pragma once

#include "dialect/UDBObjectFactory.h"

// The SQLite side: the engine runs in-process on one database file.
class TSqliteDBObjectFactory : public TDBObjectFactory {
public:
  std::unique_ptr<TDBDictionary> CreateDictionary() override;
  std::unique_ptr<TDBLogon> CreateLogon() override;
  std::unique_ptr<TUniConnection> CreateConnection() override;
  std::unique_ptr<TTableCreator> CreateTableCreator() override;
};
