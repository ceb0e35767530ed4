#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/URegex.h"

// Recognises the shape of a date/time text among a fixed, ordered list of named
// formats. The order is the tie-break: 01/02/2014 is read month first because that
// entry comes before the day-first one.
class TDateFormatDetector {
 public:
  static constexpr const char* CannotDetect = "Cannot Detect";

  struct TEntry {
    std::string Pattern;
    std::string FormatName;
    TRegex Regex;
  };

  TDateFormatDetector();

  // The format name of the first entry whose pattern matches the upper-cased text, or
  // "Cannot Detect".
  std::string Detect(std::string_view text) const;

  int Count() const { return static_cast<int>(Entries.size()); }
  const TEntry& Entry(int index) const { return Entries.at(static_cast<size_t>(index)); }
  const std::vector<TEntry>& GetEntries() const { return Entries; }

 private:
  std::vector<TEntry> Entries;
};
