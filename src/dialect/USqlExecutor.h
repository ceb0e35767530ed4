#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/UStrings.h"

class TUniConnection;
class TUniScript;

// Runs a whole SQL text as a script against one connection.
class TSqlExecutor {
public:
  virtual ~TSqlExecutor() = default;
  // Runs every statement in order; the first failing statement raises its error and
  // the rest do not run. Never returns false.
  virtual bool Execute(const std::string& sqlText) = 0;
};

class TUniSqlExecutor : public TSqlExecutor {
public:
  TUniSqlExecutor();
  ~TUniSqlExecutor() override;
  void SetConnection(TUniConnection* connection);
  bool Execute(const std::string& sqlText) override;

private:
  std::unique_ptr<TUniScript> Script;
};

// The DEFINE name=value lines and &&name references of the SQL window's text.
class TDefinedValuesParser {
public:
  explicit TDefinedValuesParser(TStringList* lines) : Lines(lines) {}

  void ParseDefines();
  void ApplyDefines();
  // Asks the user for a macro's value; empty text without a front end or on cancel.
  std::string AskValue(const std::string& name);

  TStringList Defines;
  // Set by the front end: (title, prompt) -> the typed text, or empty on cancel.
  std::function<std::string(const std::string&, const std::string&)> InputQuery;

private:
  TStringList* Lines;
};
