#pragma once

#include "app/UFactories.h"

// The conversion objects of the DB2 side.
class TDB2ConvertObjectFactory : public TConvertObjectFactory {
 public:
  // A TDB2Reader bound to the factory's connection.
  std::unique_ptr<TDBReader> CreateReader() override;
  // No DB2 writer or SQL creator exists yet: both give nullptr.
  std::unique_ptr<TDataWriter> CreateWriter() override;
  std::unique_ptr<TSqlCreator> CreateSqlCreator() override;
  std::unique_ptr<TDateFormatParser> CreateDateFormatParser() override;
};
