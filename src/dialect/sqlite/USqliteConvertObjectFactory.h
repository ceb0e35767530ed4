#pragma once

#include "app/UFactories.h"

// The conversion objects of the SQLite side.
class TSqliteConvertObjectFactory : public TConvertObjectFactory {
 public:
  // A TSqliteReader bound to the factory's connection.
  std::unique_ptr<TDBReader> CreateReader() override;
  // No SQLite writer or SQL creator exists yet: both give nullptr.
  std::unique_ptr<TDataWriter> CreateWriter() override;
  std::unique_ptr<TSqlCreator> CreateSqlCreator() override;
  std::unique_ptr<TDateFormatParser> CreateDateFormatParser() override;
};
