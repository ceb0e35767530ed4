#include "db2/UDB2ConvertObjectFactory.h"

#include "db2/UDB2Reader.h"
#include "db2/UDB2SqlCreator.h"
#include "engine/UDataWriter.h"
#include "engine/UDateFormatParser.h"

std::unique_ptr<TDBReader> TDB2ConvertObjectFactory::CreateReader() {
  auto reader = std::make_unique<TDB2Reader>();
  reader->SetConnection(Connection());
  return reader;
}

std::unique_ptr<TDataWriter> TDB2ConvertObjectFactory::CreateWriter() {
  auto writer = std::make_unique<TDB2Writer>();
  writer->SetConnection(Connection());
  return writer;
}

std::unique_ptr<TSqlCreator> TDB2ConvertObjectFactory::CreateSqlCreator() { return std::make_unique<TDB2SqlCreator>(); }

std::unique_ptr<TDateFormatParser> TDB2ConvertObjectFactory::CreateDateFormatParser() {
  return std::make_unique<TDB2DateFormatParser>();
}
