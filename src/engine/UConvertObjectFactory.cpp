#include "engine/UConvertObjectFactory.h"

#include "engine/UDataReader.h"

TConvertObjectFactory::~TConvertObjectFactory() = default;

std::unique_ptr<TDBReader> TConvertObjectFactory::CreateDataReader() {
  auto reader = CreateReader();
  if (reader && FFetchRows > 0) reader->SetFetchRows(FFetchRows);
  return reader;
}
