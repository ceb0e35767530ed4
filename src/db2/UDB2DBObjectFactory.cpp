#include "db2/UDB2DBObjectFactory.h"

#include "dac/UDataAccess.h"
#include "db2/UDB2DBDictionary.h"
#include "db2/UDB2DBLogon.h"
#include "db2/UDB2TableCreator.h"

std::unique_ptr<TDBDictionary> TDB2DBObjectFactory::CreateDictionary() { return std::make_unique<TDB2DBDictionary>(); }

std::unique_ptr<TDBLogon> TDB2DBObjectFactory::CreateLogon() { return std::make_unique<TDB2DBLogon>(); }

std::unique_ptr<TUniConnection> TDB2DBObjectFactory::CreateConnection() {
  auto connection = std::make_unique<TUniConnection>();
  connection->ProviderName = "DB2";
  connection->LoginPrompt = false;
  return connection;
}

std::unique_ptr<TTableCreator> TDB2DBObjectFactory::CreateTableCreator() { return std::make_unique<TDB2TableCreator>(); }
