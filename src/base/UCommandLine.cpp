#include "base/UCommandLine.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Reads one word from pos; splitAtBlanks false reads to the end of the text.
std::string ReadWord(std::string_view text, size_t& pos, bool splitAtBlanks) {
  std::string word;
  bool quoted = false;
  while (pos < text.size()) {
    char c = text[pos];
    if (c == '"') {
      if (quoted && pos + 1 < text.size() && text[pos + 1] == '"') {
        word += '"';
        pos += 2;
        continue;
      }
      quoted = !quoted;
      ++pos;
      continue;
    }
    if (!quoted && splitAtBlanks && IsBlank(c)) break;
    word += c;
    ++pos;
  }
  return word;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view text) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (true) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos >= text.size()) break;
    words.push_back(ReadWord(text, pos, true));
  }
  return words;
}

std::string UnquoteArgument(std::string_view argument) {
  size_t pos = 0;
  return ReadWord(argument, pos, false);
}
