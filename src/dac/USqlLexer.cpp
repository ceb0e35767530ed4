#include "dac/USqlLexer.h"

namespace dac_detail {

size_t SkipQuotedOrComment(std::string_view s, size_t i) {
  if (i >= s.size()) return i;
  char c = s[i];
  char close = 0;
  switch (c) {
    case '\'': close = '\''; break;
    case '"': close = '"'; break;
    case '`': close = '`'; break;
    case '[': close = ']'; break;
    case '-':
      if (i + 1 < s.size() && s[i + 1] == '-') {
        size_t end = s.find('\n', i + 2);
        return end == std::string_view::npos ? s.size() : end + 1;
      }
      return i;
    case '/':
      if (i + 1 < s.size() && s[i + 1] == '*') {
        size_t end = s.find("*/", i + 2);
        return end == std::string_view::npos ? s.size() : end + 2;
      }
      return i;
    default:
      return i;
  }
  size_t end = s.find(close, i + 1);
  return end == std::string_view::npos ? s.size() : end + 1;
}

bool IsBlankOrComment(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) <= 32) {
      ++i;
      continue;
    }
    if ((s[i] == '-' || s[i] == '/')) {
      size_t next = SkipQuotedOrComment(s, i);
      if (next != i) {
        i = next;
        continue;
      }
    }
    return false;
  }
  return true;
}

}  // namespace dac_detail
