#pragma once

#include <string>

class TUniConnection;

// Runs a whole SQL text as a script against one connection.
class TSqlExecutor {
public:
  virtual ~TSqlExecutor() = default;
  // Runs every statement in order; the first failing statement raises its error.
  virtual bool Execute(const std::string& sqlText) = 0;
};

class TUniSqlExecutor : public TSqlExecutor {
public:
  void SetConnection(TUniConnection* connection) { Connection = connection; }
  bool Execute(const std::string& sqlText) override;

private:
  TUniConnection* Connection = nullptr;
};
