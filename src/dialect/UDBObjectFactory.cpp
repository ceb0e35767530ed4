#include "dialect/UDBObjectFactory.h"

#include "dac/UDataAccess.h"
#include "dialect/UDBDictionary.h"
#include "dialect/UDBLogon.h"
#include "dialect/USqlExecutor.h"
#include "dialect/UTableCreator.h"

TDBObjectFactory::TDBObjectFactory() = default;

TDBObjectFactory::~TDBObjectFactory() {
  // The dictionary and the logon hold the connection: they go first.
  FLogon.reset();
  FDictionary.reset();
  FConnection.reset();
}

void TDBObjectFactory::Initialize() {
  FConnection = CreateConnection();
  FDictionary = CreateDictionary();
  FLogon = CreateLogon();
  if (FDictionary) FDictionary->SetConnection(FConnection.get());
  if (FLogon) FLogon->SetConnection(FConnection.get());
}

std::unique_ptr<TUniSqlExecutor> TDBObjectFactory::CreateSqlExecutor() {
  auto executor = std::make_unique<TUniSqlExecutor>();
  executor->SetConnection(FConnection.get());
  return executor;
}
