#pragma once

#include <memory>
#include <string>

#include "dialect/USqlCreator.h"

class TDB2SqlCreator : public TSqlCreator {
 public:
  std::unique_ptr<TDBHelper> CreateHelper() override;
  // Date, time and timestamp fields with a fixed format are converted by the database:
  // TIMESTAMP_FORMAT(:p,'format'). Without one (empty, "Auto Detect", "detect per
  // record") the value goes to the column as it is.
  std::string GetParamRef(int index) override;
  std::string FillValue(const std::string& statement, int index, const std::string& value) override;
};
