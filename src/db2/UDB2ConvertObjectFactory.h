#pragma once

#include "engine/UConvertObjectFactory.h"

// The conversion objects of the DB2 side, bound to the connection of that side.
class TDB2ConvertObjectFactory : public TConvertObjectFactory {
 public:
  std::unique_ptr<TDBReader> CreateReader() override;
  std::unique_ptr<TDataWriter> CreateWriter() override;
  std::unique_ptr<TSqlCreator> CreateSqlCreator() override;
  std::unique_ptr<TDateFormatParser> CreateDateFormatParser() override;
};
