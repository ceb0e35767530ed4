#pragma once

#include <memory>

#include "dialect/USqlCreator.h"

// Literals are filled as quoted texts, which SQLite gives the column's affinity.
class TSqliteSqlCreator : public TSqlCreator {
 public:
  std::unique_ptr<TDBHelper> CreateHelper() override;
};
