#include "engine/UDateLocaleTranslator.h"

#include <langinfo.h>
#include <locale.h>

#include "base/UExceptions.h"
#include "base/UStrings.h"

const std::array<std::string, 12> TDateLocaleTranslator::EnglishMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                                          "jul", "aug", "sep", "oct", "nov", "dec"};

namespace {

// The first occurrence of from replaced by to; an empty from changes nothing.
std::string ReplaceFirst(std::string_view text, std::string_view from, std::string_view to) {
  std::string result(text);
  if (from.empty()) return result;
  size_t at = result.find(from);
  if (at != std::string::npos) result.replace(at, from.size(), to);
  return result;
}

bool ContainsWord(std::string_view text, std::string_view word) {
  return !word.empty() && text.find(word) != std::string_view::npos;
}

}  // namespace

TDateLocaleTranslator::TDateLocaleTranslator(const std::string& localeName) {
  const int mask = LC_TIME_MASK | LC_NUMERIC_MASK;
  locale_t loc = newlocale(mask, localeName.c_str(), static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) {
    if (!localeName.empty()) throw Exception("Locale \"" + localeName + "\" is not installed");
    loc = newlocale(mask, "C", static_cast<locale_t>(0));
  }
  LocalAmPm = {nl_langinfo_l(AM_STR, loc), nl_langinfo_l(PM_STR, loc)};
  for (int month = 0; month < 12; ++month) LocalMonthNames[month] = nl_langinfo_l(ABMON_1 + month, loc);
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  if (radix && radix[0] && !radix[1]) Decimal = radix[0];
  freelocale(loc);
}

bool TDateLocaleTranslator::HasLocalAmPm(std::string_view text) const {
  return ContainsWord(text, LocalAmPm[0]) || ContainsWord(text, LocalAmPm[1]);
}

std::string TDateLocaleTranslator::TranslateAmPm(std::string_view text) const {
  return ReplaceFirst(ReplaceFirst(text, LocalAmPm[0], "AM"), LocalAmPm[1], "PM");
}

bool TDateLocaleTranslator::HasLocalMonth(std::string_view text) const {
  for (const std::string& name : LocalMonthNames)
    if (ContainsWord(text, name)) return true;
  return false;
}

std::string TDateLocaleTranslator::TranslateMonths(std::string_view text) const {
  std::string result(text);
  for (int month = 0; month < 12; ++month) result = ReplaceFirst(result, LocalMonthNames[month], EnglishMonths[month]);
  return result;
}

std::string TDateLocaleTranslator::MonthWordsToNumbers(std::string_view text) const {
  std::string result = TranslateMonths(text);
  for (int month = 0; month < 12; ++month)
    result = ReplaceFirst(LowerCase(result), EnglishMonths[month], std::to_string(month + 1));
  return result;
}
