#include "engine/UDateFormatParser.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "base/UExceptions.h"
#include "base/URegex.h"

const std::vector<std::pair<std::string, std::string>> TDateFormatParser::TokenTable = {
    {R"((\d{4}))", "YEAR_4_REG"},
    {R"((\d{2}))", "YEAR_2_REG"},
    {R"((1[0-2]|0?[1-9]))", "MONTH_D_REG"},
    {R"((1[0-2]|0[1-9]))", "MONTH_D_2_REG"},
    {R"(([^\d\s\-\\]*))", "MONTH_W_REG"},
    {R"(([1|2][0-9]|3[0-1]|0?[1-9]))", "DAY_REG"},
    {R"(([1|2][0-9]|3[0-1]|0[1-9]))", "DAY_2_REG"},
    {R"((2[0-4]|1[0-9]|0?[0-9]))", "HOUR_REG"},
    {R"(([0-5]?[0-9]))", "MINUTE_REG"},
    {R"((0?[0-9]|[1-5][0-9]))", "SECOND_REG"},
    {R"((\d{3}))", "F3_REG"},
    {R"((\d{6}))", "F6_REG"},
    {R"((\d{7}))", "F7_REG"},
};

namespace {

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Every occurrence of from, in any letter case, replaced by to.
std::string ReplaceAllText(std::string_view text, std::string_view from, std::string_view to) {
  std::string upper = UpperCase(text);
  std::string key = UpperCase(from);
  std::string result;
  size_t copied = 0;
  for (size_t at = upper.find(key); at != std::string::npos; at = upper.find(key, at + key.size())) {
    result.append(text.substr(copied, at - copied));
    result.append(to);
    copied = at + key.size();
  }
  result.append(text.substr(copied));
  return result;
}

std::string TwoDigits(const std::string& text) { return text.size() == 1 ? "0" + text : text; }

// Last day a spreadsheet serial may stand for: 9999-12-31, counted from 1899-12-30.
constexpr double SpreadsheetDayLimit = 2958466.0;
constexpr long long MillisecondsPerDay = 86400000;

}  // namespace

TDateFormatParser::TDateFormatParser(const std::string& localeName)
    : Detector(std::make_unique<TDateFormatDetector>()),
      Translator(std::make_unique<TDateLocaleTranslator>(localeName)) {}

TDateFormatParser::~TDateFormatParser() = default;

void TDateFormatParser::Build() {
  static const TRegex groupPiece(R"(\([^\(]*\))");
  for (const TDateFormatDetector::TEntry& entry : Detector->GetEntries()) {
    TFormatInfo info;
    info.Entry = &entry;
    for (const TRegex::Match& piece : groupPiece.FindAll(entry.Pattern)) {
      std::string token;
      for (const auto& [text, name] : TokenTable)
        if (text == piece.Groups[0]) token = name;
      info.GroupTokens.push_back(token);
    }
    PatternByName[UpperCase(entry.FormatName)] = std::move(info);
  }
  for (const TDateFormatDetector::TEntry& entry : Detector->GetEntries()) {
    std::string dbFormat = ToDBFormat(entry.FormatName);
    auto [it, added] = NameByDBFormatIndex.try_emplace(UpperCase(dbFormat), NameByDBFormat.size());
    if (added)
      NameByDBFormat.emplace_back(dbFormat, entry.FormatName);
    else
      NameByDBFormat[it->second].second = entry.FormatName;  // the later name wins
  }
  Initialize();
  FormatChoices.Add(AutoDetect);
  for (const auto& [dbFormat, name] : NameByDBFormat) FormatChoices.Add(dbFormat);
}

void TDateFormatParser::Initialize() {}
void TDateFormatParser::ConvertSpecial() {}

std::string TDateFormatParser::DetectDBFormat(const std::string& sample) {
  std::string result = ToDBFormat(Detect(sample));
  if (UpperCase(result) == "CANNOT DETECT") result = ToDBFormat("yyyy-mm-dd hh24:mi:ss");
  return result;
}

std::string TDateFormatParser::Detect(const std::string& sample) {
  ResetRunMemory();
  return Detector->Detect(sample);
}

void TDateFormatParser::ResetRunMemory() {
  MonthFormatMemory.clear();
  AmFormatMemory.clear();
}

bool TDateFormatParser::IsFixedFormat(std::string_view format) {
  std::string text = Trim(format);
  return !(text.empty() || SameText(text, AutoDetect) || SameText(text, DetectPerRecord) ||
           SameText(text, TDateFormatDetector::CannotDetect));
}

std::string TDateFormatParser::FormatNameOf(const std::string& format) const {
  auto it = NameByDBFormatIndex.find(UpperCase(format));
  return it == NameByDBFormatIndex.end() ? format : NameByDBFormat[it->second].second;
}

const TDateFormatParser::TFormatInfo* TDateFormatParser::InfoOf(const std::string& name) const {
  auto it = PatternByName.find(UpperCase(name));
  return it == PatternByName.end() ? nullptr : &it->second;
}

bool TDateFormatParser::IsSpecial(const std::string& name) const { return SpecialFormats.count(UpperCase(name)) > 0; }
void TDateFormatParser::AddSpecial(const std::string& name) { SpecialFormats.insert(UpperCase(name)); }

bool TDateFormatParser::IsSpreadsheetFormat(std::string_view name) {
  return SameText(name, "Excel DateTime") || SameText(name, "Excel Date") || SameText(name, "Excel Time");
}

std::string TDateFormatParser::Parse(const std::string& value, const std::string& format) {
  CurrentValue = value;
  Matched = true;
  if (value.empty()) return std::string();
  GivenFormat = format;
  const TResolvedFormat& given = Resolve(format);
  const TResolvedFormat& current = given.PerRecord ? Resolve(Detector->Detect(value)) : given;
  CurrentFormat = current.Name;
  if (given.PerRecord) Matched = CurrentFormat != TDateFormatDetector::CannotDetect;
  if (current.Special) {
    ConvertSpecial();
  } else if (current.Spreadsheet) {
    SpreadsheetConversion();
  } else if (current.Info) {
    Matched = current.Info->Entry->Regex.Contains(UpperCase(value));
  }
  FinishValue();
  return CurrentValue;
}

const TDateFormatParser::TResolvedFormat& TDateFormatParser::Resolve(const std::string& format) {
  auto it = Resolved.find(format);
  if (it != Resolved.end()) return it->second;
  TResolvedFormat r;
  r.PerRecord = LowerCase(format) == DetectPerRecord;
  r.Name = r.PerRecord ? format : FormatNameOf(format);
  r.Special = IsSpecial(r.Name);
  r.Spreadsheet = IsSpreadsheetFormat(r.Name);
  r.Info = InfoOf(r.Name);
  return Resolved.emplace(format, std::move(r)).first->second;
}

void TDateFormatParser::AmPmStep() {
  bool applies = AmFormatMemory.count(CurrentFormat) > 0;
  if (!applies && Contains(CurrentFormat, "AM") && Translator->HasLocalAmPm(CurrentValue)) {
    AmFormatMemory.insert(CurrentFormat);
    applies = true;
  }
  if (applies) CurrentValue = Translator->TranslateAmPm(CurrentValue);
}

void TDateFormatParser::MonthStep() {
  bool applies = MonthFormatMemory.count(CurrentFormat) > 0;
  if (!applies && Contains(UpperCase(CurrentFormat), "MON") && Translator->HasLocalMonth(CurrentValue)) {
    MonthFormatMemory.insert(CurrentFormat);
    applies = true;
  }
  if (applies) CurrentValue = Translator->TranslateMonths(CurrentValue);
}

void TDateFormatParser::ZoneStep() {
  if (!Contains(CurrentFormat, "TZR")) return;
  // The zone must stand apart from the time: without the blank before it, a value that
  // carries no zone would lose the last digits of its fraction instead.
  static const TRegex zone(R"((?<=\s)[+|-]?(2[0-4]|1[0-9]|0?[0-9]):?([0-5]?[0-9])?$)");
  if (auto m = zone.Find(CurrentValue)) CurrentValue.erase(m->Position);
}

void TDateFormatParser::SpreadsheetConversion() {
  const char separator = Translator->DecimalSeparator();
  const double serial = StrToFloat(CurrentValue, separator);
  long long ms = std::isfinite(serial) ? std::llround(serial * MillisecondsPerDay) : -1;
  if (!(serial >= 0 && serial < SpreadsheetDayLimit) || ms < 0 ||
      ms >= static_cast<long long>(SpreadsheetDayLimit) * MillisecondsPerDay)
    throw EConvertError("'" + CurrentValue + "' is not a valid spreadsheet date");
  const long long days = ms / MillisecondsPerDay;
  const long long seconds = (ms % MillisecondsPerDay) / 1000;
  char time[16];
  std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  using namespace std::chrono;
  const year_month_day date{sys_days{1899y / December / 30} + std::chrono::days{days}};
  char dateText[16];
  std::snprintf(dateText, sizeof dateText, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  // A whole-day serial in a date-time column still needs its time, or the date-time
  // format would not accept it; a fraction is kept whatever name was chosen.
  if (serial < 1 && !SameText(CurrentFormat, "Excel DateTime"))
    CurrentValue = time;
  else if (Contains(CurrentValue, std::string(1, separator)) || SameText(CurrentFormat, "Excel DateTime"))
    CurrentValue = std::string(dateText) + " " + time;
  else
    CurrentValue = dateText;
}

// DB2 ------------------------------------------------------------------------------

TDB2DateFormatParser::TDB2DateFormatParser(const std::string& localeName) : TDateFormatParser(localeName) { Build(); }

std::string TDB2DateFormatParser::ToDBFormat(const std::string& name) const {
  static const std::vector<TRegex> fractionRuns = [] {
    std::vector<TRegex> runs;
    for (int n = 12; n >= 1; --n) runs.emplace_back("(f{" + std::to_string(n) + "})");
    return runs;
  }();
  std::string result = ReplaceAll(name, " TZR", "");
  for (int n = 12; n >= 1; --n) result = fractionRuns[12 - n].ReplaceAll(result, "FF" + std::to_string(n));
  return UpperCase(result);
}

void TDB2DateFormatParser::FinishValue() {
  AmPmStep();
  ZoneStep();
  MonthStep();
  if (Contains(CurrentFormat, "T")) CurrentValue = ReplaceAll(CurrentValue, "T", " ");
}

std::string TDB2DateFormatParser::GetSqlFormat(const std::string& format) {
  std::string result = ReplaceAllText(format, "EXCEL DATETIME", "YYYY-MM-DD HH24:MI:SS");
  result = ReplaceAllText(result, "EXCEL DATE", "YYYY-MM-DD");
  result = ReplaceAllText(result, "EXCEL TIME", "HH24:MI:SS");
  result = ReplaceAll(result, " TZR", "");
  return ReplaceAll(result, "T", " ");
}

// SQLite ---------------------------------------------------------------------------

TSqliteDateFormatParser::TSqliteDateFormatParser(const std::string& localeName) : TDateFormatParser(localeName) {
  Build();
}

std::string TSqliteDateFormatParser::ToDBFormat(const std::string& name) const { return name; }

void TSqliteDateFormatParser::Initialize() {
  for (const TDateFormatDetector::TEntry& entry : Detector->GetEntries())
    if (!Contains(LowerCase(entry.FormatName), "excel")) AddSpecial(entry.FormatName);
}

void TSqliteDateFormatParser::ConvertSpecial() {
  // A value that cannot be rebuilt goes on as it came, not half-translated.
  const std::string original = CurrentValue;
  AmPmStep();
  MonthStep();
  const TFormatInfo* info = InfoOf(CurrentFormat);
  // Matched before the zone is cut: the zone's own hour and minute groups come after the
  // time's and are passed over below, so the time is read from the time.
  std::optional<TRegex::Match> m = info ? info->Entry->Regex.Find(CurrentValue) : std::nullopt;
  ZoneStep();
  if (!m) {
    CurrentValue = original;
    Matched = false;
    return;
  }
  struct TPart {
    std::string Text;
    bool Found = false;
    void Set(std::string text) {
      if (!Found) Text = std::move(text), Found = true;
    }
  } year, month, day, hour, minute, second, fraction;
  for (size_t k = 1; k <= info->GroupTokens.size() && k < m->Groups.size(); ++k) {
    const std::string& token = info->GroupTokens[k - 1];
    std::string text = Trim(m->Groups[k]);
    if (token == "YEAR_4_REG") {
      year.Set(text);
    } else if (token == "YEAR_2_REG") {
      year.Set("20" + text);
    } else if (token == "MONTH_D_REG" || token == "MONTH_D_2_REG") {
      month.Set(text);
    } else if (token == "MONTH_W_REG") {
      std::string number = Translator->MonthWordsToNumbers(text);
      int value = 0;
      // A word that is no month name (or only begins like one) must not end up as a
      // half-translated month.
      if (!TryStrToInt(number, value) || value < 1 || value > 12 || number != std::to_string(value)) {
        CurrentValue = original;
        Matched = false;
        return;
      }
      month.Set(number);
    } else if (token == "DAY_REG" || token == "DAY_2_REG") {
      day.Set(text);
    } else if (token == "HOUR_REG") {
      if (!text.empty()) hour.Set(text);
    } else if (token == "MINUTE_REG") {
      if (!text.empty()) minute.Set(text);
    } else if (token == "SECOND_REG") {
      second.Set(text);
    } else if (Contains(token, "F")) {
      fraction.Set(text);
    }
  }
  if (hour.Found && Contains(CurrentFormat, "AM")) {
    const std::string upper = UpperCase(CurrentValue);
    int h = StrToIntDef(hour.Text, 0);
    if (Contains(upper, "PM") && h < 12)
      hour.Text = std::to_string(h + 12);
    else if (Contains(upper, "AM") && h == 12)
      hour.Text = "0";
  }
  std::string result;
  if (year.Found) result = year.Text + "-" + TwoDigits(month.Text) + "-" + TwoDigits(day.Text);
  if (hour.Found) {
    result += " " + TwoDigits(hour.Text);
    if (minute.Found) {
      result += ":" + TwoDigits(minute.Text);
      if (second.Found) {
        result += ":" + TwoDigits(second.Text);
        if (fraction.Found) result += "." + fraction.Text;
      }
    }
  }
  CurrentValue = result;
}

void TSqliteDateFormatParser::FinishValue() { CurrentValue = Trim(CurrentValue); }
