#include "dialect/sqlite/USqliteConvertObjectFactory.h"

#include "dialect/USqlCreator.h"
#include "engine/UDataReader.h"
#include "engine/UDataWriter.h"
#include "engine/UDateFormatParser.h"

std::unique_ptr<TDBReader> TSqliteConvertObjectFactory::CreateReader() { return nullptr; }

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
