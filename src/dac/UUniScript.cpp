#include <cctype>

#include "dac/UDacImpl.h"
#include "dac/USqlLexer.h"
#include "dac/UDataAccess.h"

using namespace dac_detail;

// ---------------------------------------------------------------------------
// TUniScript

TUniScript::TUniScript(TUniConnection* connection) : FConnection(connection) {}

TUniScript::~TUniScript() = default;

void TUniScript::SetConnection(TUniConnection* connection) {
  FConnection = connection;
  if (FQuery) FQuery->SetConnection(connection);
}

std::vector<std::string> TUniScript::SplitStatements(const std::string& script) {
  std::vector<std::string> result;
  std::string_view s = script;
  size_t start = 0, i = 0;
  auto flush = [&](size_t end) {
    std::string_view statement = s.substr(start, end - start);
    if (!IsBlankOrComment(statement)) result.push_back(Trim(statement));
  };
  while (i < s.size()) {
    size_t next = SkipQuotedOrComment(s, i);
    if (next != i) {
      i = next;
      continue;
    }
    if (s[i] == ';') {
      flush(i);
      start = i + 1;
    }
    ++i;
  }
  flush(s.size());
  return result;
}

namespace {

// Statements that may yield rows, by their first word (after leading comments).
bool ReturnsRows(const std::string& statement) {
  std::string_view s = statement;
  size_t i = 0;
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) <= 32 || s[i] == '(') {
      ++i;
      continue;
    }
    size_t next = SkipQuotedOrComment(s, i);
    if (next != i && (s[i] == '-' || s[i] == '/')) {
      i = next;
      continue;
    }
    break;
  }
  size_t end = i;
  while (end < s.size() && std::isalpha(static_cast<unsigned char>(s[end]))) ++end;
  std::string_view word = s.substr(i, end - i);
  for (const char* w : {"SELECT", "WITH", "VALUES", "PRAGMA", "EXPLAIN"})
    if (SameText(word, w)) return true;
  return false;
}

}  // namespace

void TUniScript::Execute() {
  if (!FConnection) throw EDatabaseError("The script has no connection");
  if (!FQuery) FQuery = std::make_unique<TUniQuery>(FConnection);
  FQuery->SetConnection(FConnection);
  FQuery->ParamCheck = false;
  for (const std::string& statement : SplitStatements(SQL)) {
    TUniQuery* query = FQuery.get();
    if (DataSet && ReturnsRows(statement)) {
      query = DataSet;
      if (query->Connection() != FConnection) query->SetConnection(FConnection);
    }
    bool paramCheck = query->ParamCheck;
    query->ParamCheck = false;
    query->SQL = statement;
    try {
      query->Execute();
    } catch (...) {
      query->ParamCheck = paramCheck;
      throw;
    }
    query->ParamCheck = paramCheck;
  }
  FQuery->Close();
}
