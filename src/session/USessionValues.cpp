#include "session/USessionValues.h"

#include <vector>

#include "base/UIniFile.h"
#include "base/UStrings.h"

namespace {

// "\";\", \"|\" or a line break": the characters of set as a reader would name them.
std::string DescribeChars(std::string_view set) {
  std::vector<std::string> names;
  bool lineBreak = false;
  for (char c : set) {
    if (c == '\r' || c == '\n')
      lineBreak = true;
    else if (c == '"')
      names.push_back("a double quote");
    else
      names.push_back("\"" + std::string(1, c) + "\"");
  }
  if (lineBreak) names.push_back("a line break");
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += names[i];
  }
  return text;
}

}  // namespace

std::string SessionValueMessage(const TIniFile& ini, std::string_view key, std::string_view value,
                                std::string_view expected) {
  return "Invalid value \"" + std::string(value) + "\" for \"" + std::string(key) + "\" in session file \"" +
         ini.FileName() + "\": " + std::string(expected);
}

void RefuseSessionValue(const TIniFile& ini, std::string_view key, std::string_view value, std::string_view expected) {
  throw ESessionValueError(SessionValueMessage(ini, key, value, expected));
}

int64_t ReadSessionCount(const TIniFile& ini, const std::string& section, const char* key, int64_t defaultValue) {
  std::string text = ini.ReadString(section, key, "");
  if (text.empty()) return defaultValue;
  int64_t value = 0;
  if (!TryStrToInt64(text, value) || value < 0)
    RefuseSessionValue(ini, key, text, "expected a whole number of 0 or more.");
  return value;
}

bool ReadSessionFlag(const TIniFile& ini, const std::string& section, const char* key, bool defaultValue) {
  std::string text = ini.ReadString(section, key, "");
  if (text.empty()) return defaultValue;
  int64_t number = 0;
  if (TryStrToInt64(text, number)) return number != 0;
  if (SameText(text, "true")) return true;
  if (SameText(text, "false")) return false;
  RefuseSessionValue(ini, key, text, "expected 1 or 0.");
}

void CheckMapText(std::string_view key, std::string_view what, std::string_view text, std::string_view forbidden) {
  size_t at = text.find_first_of(forbidden);
  if (at == std::string_view::npos) return;
  throw ESessionValueError("Cannot store " + std::string(what) + " \"" + std::string(text) + "\" in \"" +
                           std::string(key) + "\" of a session file: it holds " +
                           DescribeChars(text.substr(at, 1) == "\r" ? "\n" : text.substr(at, 1)) +
                           ", and there it may hold none of " + DescribeChars(forbidden) + ".");
}
