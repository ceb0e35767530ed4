#pragma once

#include <array>
#include <string>
#include <string_view>

// The locale words a date text may carry (AM/PM designators, short month names) and
// their English forms, which the destination's format functions understand.
class TDateLocaleTranslator {
 public:
  // An empty locale name takes the process environment's settings (LC_ALL, LC_TIME,
  // LC_NUMERIC, LANG), falling back to the "C" locale when those name a locale that is
  // not installed; a named locale that is not installed raises Exception.
  explicit TDateLocaleTranslator(const std::string& localeName = "");

  // Empty designators (many locales have none) never count as found.
  bool HasLocalAmPm(std::string_view text) const;
  std::string TranslateAmPm(std::string_view text) const;
  bool HasLocalMonth(std::string_view text) const;
  std::string TranslateMonths(std::string_view text) const;
  std::string MonthWordsToNumbers(std::string_view text) const;

  const std::string& LocalAm() const { return LocalAmPm[0]; }
  const std::string& LocalPm() const { return LocalAmPm[1]; }
  const std::array<std::string, 12>& LocalMonths() const { return LocalMonthNames; }
  // The locale's decimal separator, for reading spreadsheet serial numbers.
  char DecimalSeparator() const { return Decimal; }

  static const std::array<std::string, 12> EnglishMonths;

 private:
  std::array<std::string, 2> LocalAmPm;
  std::array<std::string, 12> LocalMonthNames;
  char Decimal = '.';
};
