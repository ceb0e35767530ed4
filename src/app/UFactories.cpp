#include "app/UFactories.h"

#include "app/UConvertSettings.h"
#include "dac/UDataAccess.h"
#include "dialect/UDBDictionary.h"
#include "dialect/UDBLogon.h"
#include "dialect/USqlCreator.h"
#include "dialect/USqlExecutor.h"
#include "dialect/UTableCreator.h"
#include "engine/UDataReader.h"
#include "engine/UDataWriter.h"
#include "engine/UDateFormatParser.h"

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

TConvertObjectFactory::~TConvertObjectFactory() = default;

std::unique_ptr<TDBReader> TConvertObjectFactory::CreateDataReader() {
  auto reader = CreateReader();
  if (reader) reader->SetFetchRows(TConvertSettings::FetchRows());
  return reader;
}
