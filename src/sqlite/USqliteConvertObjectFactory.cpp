#include "sqlite/USqliteConvertObjectFactory.h"

#include "engine/UDataWriter.h"
#include "engine/UDateFormatParser.h"
#include "sqlite/USqliteReader.h"
#include "sqlite/USqliteSqlCreator.h"

std::unique_ptr<TDBReader> TSqliteConvertObjectFactory::CreateReader() {
  auto reader = std::make_unique<TSqliteReader>();
  reader->SetConnection(Connection());
  return reader;
}

std::unique_ptr<TDataWriter> TSqliteConvertObjectFactory::CreateWriter() {
  auto writer = std::make_unique<TSqliteWriter>();
  writer->SetConnection(Connection());
  return writer;
}

std::unique_ptr<TSqlCreator> TSqliteConvertObjectFactory::CreateSqlCreator() {
  return std::make_unique<TSqliteSqlCreator>();
}

std::unique_ptr<TDateFormatParser> TSqliteConvertObjectFactory::CreateDateFormatParser() {
  return std::make_unique<TSqliteDateFormatParser>();
}
