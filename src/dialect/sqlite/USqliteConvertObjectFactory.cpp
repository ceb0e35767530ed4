#include "dialect/sqlite/USqliteConvertObjectFactory.h"

#include "dialect/USqlCreator.h"
#include "dialect/sqlite/USqliteReader.h"
#include "engine/UDataWriter.h"
#include "engine/UDateFormatParser.h"

std::unique_ptr<TDBReader> TSqliteConvertObjectFactory::CreateReader() {
  auto reader = std::make_unique<TSqliteReader>();
  reader->SetConnection(Connection());
  return reader;
}

std::unique_ptr<TDataWriter> TSqliteConvertObjectFactory::CreateWriter() { return nullptr; }
std::unique_ptr<TSqlCreator> TSqliteConvertObjectFactory::CreateSqlCreator() { return nullptr; }

std::unique_ptr<TDateFormatParser> TSqliteConvertObjectFactory::CreateDateFormatParser() {
  return std::make_unique<TSqliteDateFormatParser>();
}
