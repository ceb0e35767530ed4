#include "base/UStrings.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/UExceptions.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

// ---------------------------------------------------------------------------
// TStringList

int TStringList::Add(const std::string& item) {
  Items.push_back(item);
  return Count() - 1;
}

void TStringList::Insert(int index, const std::string& item) {
  if (index < 0 || index > Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  Items.insert(Items.begin() + index, item);
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  Items.erase(Items.begin() + index);
}

void TStringList::AddStrings(const TStringList& other) { Items.insert(Items.end(), other.Items.begin(), other.Items.end()); }

int TStringList::IndexOf(std::string_view item) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Items[static_cast<size_t>(i)], item)) return i;
  return -1;
}

std::string TStringList::Names(int index) const {
  const std::string& s = (*this)[index];
  auto pos = s.find('=');
  return pos == std::string::npos ? std::string() : s.substr(0, pos);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& s = (*this)[index];
  auto pos = s.find('=');
  return pos == std::string::npos ? std::string() : s.substr(pos + 1);
}

int TStringList::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& s = Items[static_cast<size_t>(i)];
    auto pos = s.find('=');
    if (pos != std::string::npos && SameText(std::string_view(s).substr(0, pos), name)) return i;
  }
  return -1;
}

std::string TStringList::Values(std::string_view name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(std::string_view name, const std::string& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string entry = std::string(name) + "=" + value;
  if (i >= 0)
    Items[static_cast<size_t>(i)] = entry;
  else
    Items.push_back(entry);
}

std::string TStringList::Text() const {
  std::string result;
  for (const auto& s : Items) {
    result += s;
    result += "\r\n";
  }
  return result;
}

void TStringList::SetText(std::string_view text) {
  Items.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      Items.emplace_back(text.substr(start));
      break;
    }
    Items.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

std::string TStringList::DelimitedText(char delimiter, char quote, bool strictDelimiter) const {
  std::string result;
  for (size_t i = 0; i < Items.size(); ++i) {
    const std::string& s = Items[i];
    bool needsQuotes = s.empty() && Items.size() > 1;
    for (char c : s) {
      if (c == delimiter || c == quote || c == '\r' || c == '\n' || (!strictDelimiter && IsBlank(c))) {
        needsQuotes = true;
        break;
      }
    }
    if (i > 0) result += delimiter;
    if (needsQuotes) {
      result += quote;
      for (char c : s) {
        if (c == quote) result += quote;
        result += c;
      }
      result += quote;
    } else {
      result += s;
    }
  }
  return result;
}

void TStringList::SetDelimitedText(std::string_view text, char delimiter, char quote, bool strictDelimiter) {
  Items.clear();
  size_t i = 0, n = text.size();
  auto skipBlanks = [&] {
    while (i < n && IsBlank(text[i]) && text[i] != delimiter) ++i;
  };
  if (!strictDelimiter) skipBlanks();
  if (i >= n) return;
  while (true) {
    std::string item;
    if (i < n && text[i] == quote) {
      ++i;
      while (i < n) {
        if (text[i] == quote) {
          if (i + 1 < n && text[i + 1] == quote) {
            item += quote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
      // Text after a closing quote up to the separator belongs to the item.
      while (i < n && text[i] != delimiter && (strictDelimiter || !IsBlank(text[i]))) item += text[i++];
    } else {
      while (i < n && text[i] != delimiter && (strictDelimiter || !IsBlank(text[i]))) item += text[i++];
    }
    Items.push_back(item);
    if (!strictDelimiter) skipBlanks();
    if (i >= n) break;
    if (text[i] == delimiter) {
      ++i;
      if (!strictDelimiter) skipBlanks();
      if (i >= n) {
        Items.emplace_back();  // a trailing delimiter ends with an empty item
        break;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Text helpers

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  std::transform(r.begin(), r.end(), r.begin(), AsciiUpper);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  std::transform(r.begin(), r.end(), r.begin(), AsciiLower);
  return r;
}

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(AsciiLower(a[i]));
    unsigned char cb = static_cast<unsigned char>(AsciiLower(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

bool StartsText(std::string_view prefix, std::string_view s) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(std::string_view suffix, std::string_view s) {
  return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

bool ContainsText(std::string_view s, std::string_view part) {
  return LowerCase(s).find(LowerCase(part)) != std::string::npos;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string result;
  size_t pos = 0;
  while (true) {
    size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    result.append(s.substr(pos, hit - pos));
    result.append(to);
    pos = hit + from.size();
  }
  result.append(s.substr(pos));
  return result;
}

namespace {

bool IsLeadByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

}  // namespace

size_t CharCount(std::string_view s) {
  size_t count = 0;
  for (char c : s)
    if (IsLeadByte(c)) ++count;
  return count;
}

std::string FirstChars(std::string_view s, size_t count) {
  size_t chars = 0;
  for (size_t i = 0; i < s.size(); ++i)
    if (IsLeadByte(s[i]) && chars++ == count) return std::string(s.substr(0, i));
  return std::string(s);
}

// ---------------------------------------------------------------------------
// Numbers and booleans

bool TryStrToInt64(std::string_view text, int64_t& value) {
  std::string s = Trim(text);
  std::string_view v(s);
  bool negative = false;
  if (!v.empty() && (v[0] == '-' || v[0] == '+')) {
    negative = v[0] == '-';
    v.remove_prefix(1);
  }
  int base = 10;
  if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
    base = 16;
    v.remove_prefix(2);
  } else if (v.size() > 1 && v[0] == '$') {
    base = 16;
    v.remove_prefix(1);
  }
  if (v.empty()) return false;
  uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), magnitude, base);
  if (ec != std::errc() || end != v.data() + v.size()) return false;
  if (base == 16 && !negative) {
    // Hex texts name bit patterns: $FFFFFFFFFFFFFFFF is -1.
    value = static_cast<int64_t>(magnitude);
    return true;
  }
  if (negative) {
    if (magnitude > static_cast<uint64_t>(INT64_MAX) + 1) return false;
    value = static_cast<int64_t>(0 - magnitude);
  } else {
    if (magnitude > static_cast<uint64_t>(INT64_MAX)) return false;
    value = static_cast<int64_t>(magnitude);
  }
  return true;
}

bool TryStrToInt(std::string_view s, int& value) {
  int64_t v = 0;
  if (!TryStrToInt64(s, v)) return false;
  if (v < INT32_MIN || v > INT32_MAX) {
    // Hex texts of 32-bit patterns, such as $FFFFFFFF, are -1 as well.
    if (v > INT32_MAX && v <= static_cast<int64_t>(UINT32_MAX) && Trim(s).find_first_of("$xX") != std::string::npos) {
      value = static_cast<int32_t>(static_cast<uint32_t>(v));
      return true;
    }
    return false;
  }
  value = static_cast<int>(v);
  return true;
}

int StrToInt(std::string_view s) {
  int v = 0;
  if (!TryStrToInt(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

int StrToIntDef(std::string_view s, int defaultValue) {
  int v = 0;
  return TryStrToInt(s, v) ? v : defaultValue;
}

int64_t StrToInt64Def(std::string_view s, int64_t defaultValue) {
  int64_t v = 0;
  return TryStrToInt64(s, v) ? v : defaultValue;
}

bool TryStrToBool(std::string_view text, bool& value) {
  std::string s = Trim(text);
  if (SameText(s, "true")) {
    value = true;
    return true;
  }
  if (SameText(s, "false")) {
    value = false;
    return true;
  }
  double d = 0;
  if (TryStrToFloat(s, d, '.')) {
    value = d != 0;
    return true;
  }
  return false;
}

bool StrToBool(std::string_view s) {
  bool v = false;
  if (!TryStrToBool(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid boolean value");
  return v;
}

bool StrToBoolDef(std::string_view s, bool defaultValue) {
  bool v = false;
  return TryStrToBool(s, v) ? v : defaultValue;
}

std::string BoolToStr(bool value) { return value ? "True" : "False"; }

char LocaleDecimalSeparator() {
  static const char separator = [] {
    char result = '.';
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (loc != static_cast<locale_t>(0)) {
      const char* radix = nl_langinfo_l(RADIXCHAR, loc);
      if (radix && radix[0] && !radix[1]) result = radix[0];
      freelocale(loc);
    }
    return result;
  }();
  return separator;
}

bool TryStrToFloat(std::string_view text, double& value, char decimalSeparator) {
  std::string s = Trim(text);
  if (s.empty()) return false;
  if (decimalSeparator != '.') {
    if (s.find('.') != std::string::npos) return false;
    std::replace(s.begin(), s.end(), decimalSeparator, '.');
  }
  const char* begin = s.data();
  if (*begin == '+') ++begin;
  auto [end, ec] = std::from_chars(begin, s.data() + s.size(), value, std::chars_format::general);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  return std::isfinite(value);
}

double StrToFloat(std::string_view s, char decimalSeparator) {
  double v = 0;
  if (!TryStrToFloat(s, v, decimalSeparator))
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
  return v;
}

double StrToFloatDef(std::string_view s, double defaultValue, char decimalSeparator) {
  double v = 0;
  return TryStrToFloat(s, v, decimalSeparator) ? v : defaultValue;
}

std::string FloatToStr(double value, char decimalSeparator) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string s(buffer, ec == std::errc() ? end : buffer);
  if (decimalSeparator != '.') std::replace(s.begin(), s.end(), '.', decimalSeparator);
  return s;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }
