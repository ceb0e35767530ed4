#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A compiled PCRE2 pattern over UTF-8 text (a subject with invalid UTF-8 still matches
// where it can); raises Exception when the pattern is invalid. Patterns are compiled to
// machine code where the library supports it, so a pattern built once can be matched
// against every value of a large table cheaply.
class TRegex {
 public:
  explicit TRegex(const std::string& pattern, bool caseless = false);
  ~TRegex();
  TRegex(TRegex&&) noexcept;
  TRegex& operator=(TRegex&&) noexcept;

  struct Match {
    size_t Position = 0;
    std::vector<std::string> Groups;  // Groups[0] is the whole match
  };
  // Every non-overlapping match in text, left to right.
  std::vector<Match> FindAll(std::string_view text) const;
  bool Matches(std::string_view text) const;  // the whole text

  // The first match at or after offset, if any.
  std::optional<Match> Find(std::string_view text, size_t offset = 0) const;
  bool Contains(std::string_view text) const { return Find(text).has_value(); }
  // Every match replaced by the literal text replacement.
  std::string ReplaceAll(std::string_view text, std::string_view replacement) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> P;
};
