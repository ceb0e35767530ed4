#include "sqlite/USqliteDBObjectFactory.h"

#include "dac/UDataAccess.h"
#include "sqlite/USqliteDBDictionary.h"
#include "sqlite/USqliteDBLogon.h"
#include "sqlite/USqliteTableCreator.h"

std::unique_ptr<TDBDictionary> TSqliteDBObjectFactory::CreateDictionary() { return std::make_unique<TSqliteDBDictionary>(); }

std::unique_ptr<TDBLogon> TSqliteDBObjectFactory::CreateLogon() { return std::make_unique<TSqliteDBLogon>(); }

std::unique_ptr<TUniConnection> TSqliteDBObjectFactory::CreateConnection() {
  auto connection = std::make_unique<TUniConnection>();
  connection->ProviderName = "Sqlite";
  connection->LoginPrompt = false;
  connection->SpecificOptions.SetValue("Direct", "True");
  return connection;
}

std::unique_ptr<TTableCreator> TSqliteDBObjectFactory::CreateTableCreator() { return std::make_unique<TSqliteTableCreator>(); }
