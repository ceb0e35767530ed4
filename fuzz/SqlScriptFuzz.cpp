// The SQL script splitter and the DEFINE name=value / &&name substitution of the SQL
// window, on arbitrary script text. Neither raises on any text: every exception, a
// sanitizer report, a hang and a split that breaks its own promises are faults.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "base/UStrings.h"
#include "dac/UDataAccess.h"
#include "dac/USqlLexer.h"
#include "dialect/USqlExecutor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string script(reinterpret_cast<const char*>(data), size);

  for (const std::string& statement : TUniScript::SplitStatements(script)) {
    if (statement.empty() || Trim(statement) != statement) FuzzFault("a statement is empty or not trimmed", statement);
    if (dac_detail::IsBlankOrComment(statement)) FuzzFault("a statement holds nothing to run", statement);
    if (script.find(statement) == std::string::npos) FuzzFault("a statement is not a part of its script", statement);
  }

  TStringList lines;
  lines.SetText(script);
  TDefinedValuesParser parser(&lines);
  parser.ParseDefines();
  parser.ApplyDefines();
  TUniScript::SplitStatements(lines.Text());
  return 0;
}
