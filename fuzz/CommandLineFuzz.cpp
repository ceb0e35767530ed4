// The command-line splitter and the key=value processing on top of it, on arbitrary
// text: the text split as a batch line is split, and each of its lines taken as one
// argument the shell handed over. The logon options read their keys from both, and what
// they write back for a batch file must split into the same values again.
//
// Nothing here raises on any text: every exception, a sanitizer report, a hang and a
// value that does not survive its own command line are faults.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "app/UCmdLineProcessor.h"
#include "base/UCommandLine.h"
#include "base/UStrings.h"
#include "db2/UDB2DBLogon.h"
#include "sqlite/USqliteDBLogon.h"

namespace {

TStringList SplitParams(const std::string& line) {
  TStringList params;
  for (const std::string& word : SplitCommandLine(line)) params.Add(word);
  return params;
}

void ReadKeys(const TStringList& params) {
  TCmdLineProcessor processor;
  processor.Params.AddStrings(params);
  for (const char* key :
       {"logfile", "workspace", "session", "source_sql", "dest_sql", "sql", "source_db_type", "dest_db_type"})
    processor.ParamValue(key);
}

void CheckDB2RoundTrip(const TStringList& params) {
  TDB2DBLogonOption first;
  first.LoadFromParams(params);
  const std::string line = first.GetCmdLine();
  TDB2DBLogonOption second;
  second.LoadFromParams(SplitParams(line));
  if (first.Username != second.Username || first.Password != second.Password || first.Server != second.Server ||
      first.Protocol != second.Protocol || first.Hostname != second.Hostname || first.Port != second.Port)
    FuzzFault("a DB2 logon does not survive its own command line", line);
}

void CheckSqliteRoundTrip(const TStringList& params) {
  TSqliteDBLogonOption first;
  first.LoadFromParams(params);
  const std::string line = first.GetCmdLine();
  TSqliteDBLogonOption second;
  second.LoadFromParams(SplitParams(line));
  if (first.Database != second.Database) FuzzFault("a SQLite logon does not survive its own command line", line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const TStringList split = SplitParams(text);
  for (const std::string& word : split.Strings())
    if (word.empty() && text.find('"') == std::string::npos) FuzzFault("an empty word from unquoted text", text);
  ReadKeys(split);
  CheckDB2RoundTrip(split);
  CheckSqliteRoundTrip(split);

  TStringList lines, arguments;
  lines.SetText(text);
  for (const std::string& line : lines.Strings()) arguments.Add(UnquoteArgument(line));
  ReadKeys(arguments);
  CheckDB2RoundTrip(arguments);
  CheckSqliteRoundTrip(arguments);
  return 0;
}
