#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A compiled PCRE2 pattern over UTF-8 text (a subject with invalid UTF-8 still matches
// where it can); raises Exception when the pattern is invalid.
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

private:
  struct Impl;
  std::unique_ptr<Impl> P;
};
