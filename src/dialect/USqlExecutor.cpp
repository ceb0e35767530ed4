#include "dialect/USqlExecutor.h"

#include "base/UCommandLine.h"
#include "base/URegex.h"
#include "dac/UDataAccess.h"

TUniSqlExecutor::TUniSqlExecutor() : Script(std::make_unique<TUniScript>()) {}

TUniSqlExecutor::~TUniSqlExecutor() = default;

void TUniSqlExecutor::SetConnection(TUniConnection* connection) { Script->SetConnection(connection); }

bool TUniSqlExecutor::Execute(const std::string& sqlText) {
  Script->SQL = sqlText;
  Script->Execute();
  return true;
}

namespace {

// Words as the command line splits them, up to the first empty one.
std::vector<std::string> DefineWords(const std::string& text) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (true) {
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= 32) ++pos;
    if (text.compare(pos, 2, "\"\"") == 0) pos += 2;
    size_t start = pos;
    bool quoted = false;
    while (pos < text.size() && (quoted || static_cast<unsigned char>(text[pos]) > 32)) {
      if (text[pos] == '"') quoted = !quoted;
      ++pos;
    }
    std::string word = UnquoteArgument(std::string_view(text).substr(start, pos - start));
    if (word.empty()) break;
    words.push_back(word);
  }
  return words;
}

}  // namespace

void TDefinedValuesParser::ParseDefines() {
  Defines.Clear();
  static const TRegex define("DEFINE.*");
  for (int i = 0; i < Lines->Count(); ++i) {
    for (const auto& match : define.FindAll((*Lines)[i])) {
      std::string text = ReplaceAll(ReplaceAll(match.Groups[0], " =", "="), "= ", "=");
      auto words = DefineWords(text);
      for (size_t w = 1; w < words.size(); ++w) Defines.Add(words[w]);
    }
  }
}

void TDefinedValuesParser::ApplyDefines() {
  if (Defines.Empty()) return;
  static const TRegex reference(R"(&&([\d|\w]+))");
  const std::string original = Lines->Text();
  // One pass over the text as written: a value goes in as it stands and is never searched
  // for references again, so a value that refers to itself cannot make the text grow
  // without end.
  std::string text;
  size_t copied = 0;
  for (const auto& match : reference.FindAll(original)) {
    const std::string& name = match.Groups[1];
    if (Defines.IndexOfName(name) < 0) continue;
    text.append(original, copied, match.Position - copied);
    text += Defines.Values(name);
    copied = match.Position + match.Groups[0].size();
  }
  if (copied == 0) return;
  text.append(original, copied);
  if (text != original) Lines->SetText(text);
}

std::string TDefinedValuesParser::AskValue(const std::string& name) {
  if (!InputQuery) return "";
  return InputQuery("Set Value", "Enter value for \"" + name + "\"");
}
