#pragma once

// The statement texts of one destination.
class TSqlCreator {
public:
  virtual ~TSqlCreator() = default;
};
