#pragma once

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/UStrings.h"
#include "engine/UDateFormatDetector.h"
#include "engine/UDateLocaleTranslator.h"

// Turns date and time texts into texts a destination accepts, by a named format or by
// detection. A writer owns one parser and feeds it every date, time and timestamp value
// of every row, so everything that can be prepared (compiled patterns, lookups) is
// prepared once at construction.
//
// Formats a caller may hand to Parse: a format name of the detector ("dd/mm/yyyy"), a
// database format of the format choices ("DD/MM/YYYY" for DB2), "Auto Detect" (the
// value is left to the destination), "detect per record", or any other text, which is
// taken as a format of its own.
class TDateFormatParser {
 public:
  static constexpr const char* AutoDetect = "Auto Detect";
  static constexpr const char* DetectPerRecord = "detect per record";

  // Capture-group text of the detector patterns -> the date part it holds.
  static const std::vector<std::pair<std::string, std::string>> TokenTable;

  virtual ~TDateFormatParser();
  TDateFormatParser(const TDateFormatParser&) = delete;
  TDateFormatParser& operator=(const TDateFormatParser&) = delete;

  virtual void Initialize();
  virtual std::string ToDBFormat(const std::string& name) const = 0;
  virtual void ConvertSpecial();
  virtual void FinishValue() = 0;
  // The database format of the sample's detected shape; an undetectable sample gives
  // the database form of "yyyy-mm-dd hh24:mi:ss".
  virtual std::string DetectDBFormat(const std::string& sample);

  // The value as the destination takes it. An empty value gives empty text. Raises
  // EConvertError when a spreadsheet value is not a number in the locale's notation or
  // lies outside 0 to 2958465.99 (the date range); every other value comes back, changed
  // or not, and LastValueMatched says whether it had the shape its format promised.
  std::string Parse(const std::string& value, const std::string& format);
  // Forgets the run memories, then detects.
  std::string Detect(const std::string& sample);
  // Forgets which formats showed locale words; the writer calls it at the start of each
  // write.
  void ResetRunMemory();
  // "Auto Detect", then every database format that can be chosen for a date column.
  const TStringList& GetFormatChoices() const { return FormatChoices; }

  // False for formats that fix no shape: empty (or blank), "Auto Detect", "detect per
  // record" and "Cannot Detect", all without regard to case. A destination statement
  // must bind such a column as a plain parameter, never through a conversion function
  // with the format as its argument.
  static bool IsFixedFormat(std::string_view format);

  // After Parse: false when the value was not in the shape of its format, i.e. the
  // format is a detector format whose pattern does not match the value, "detect per
  // record" found no shape, or the rebuilding of a value failed and it was left as it
  // came. True otherwise, also for formats that fix no shape.
  bool LastValueMatched() const { return Matched; }
  // After Parse: the format the last value was parsed by (a detected one for the formats
  // that fix no shape).
  const std::string& GetCurrentFormat() const { return CurrentFormat; }

  // The detector format name a format text stands for ("DD/MM/YYYY" -> "dd/mm/yyyy"
  // for DB2), or the text itself when it names none.
  std::string FormatNameOf(const std::string& format) const;

 protected:
  // localeName: see TDateLocaleTranslator; empty for the process environment. A
  // subclass calls Build at the end of its own constructor, so that the lists are
  // filled with its own ToDBFormat and Initialize.
  explicit TDateFormatParser(const std::string& localeName);
  void Build();

  struct TFormatInfo {
    const TDateFormatDetector::TEntry* Entry = nullptr;
    std::vector<std::string> GroupTokens;  // token name of capture group k at k - 1, "" when none
  };
  const TFormatInfo* InfoOf(const std::string& name) const;
  bool IsSpecial(const std::string& name) const;
  void AddSpecial(const std::string& name);
  static bool IsSpreadsheetFormat(std::string_view name);

  void AmPmStep();
  void MonthStep();
  void ZoneStep();
  void SpreadsheetConversion();

  std::unique_ptr<TDateFormatDetector> Detector;
  std::unique_ptr<TDateLocaleTranslator> Translator;
  std::string CurrentFormat;
  std::string CurrentValue;
  std::string GivenFormat;
  bool Matched = true;

 private:
  // What a format text given to Parse stands for, worked out once per text: the same
  // few formats come back for every row.
  struct TResolvedFormat {
    std::string Name;
    bool PerRecord = false;
    bool Special = false;
    bool Spreadsheet = false;
    const TFormatInfo* Info = nullptr;
  };
  const TResolvedFormat& Resolve(const std::string& format);
  std::unordered_map<std::string, TResolvedFormat> Resolved;

  std::unordered_map<std::string, TFormatInfo> PatternByName;       // key: upper-cased name
  std::vector<std::pair<std::string, std::string>> NameByDBFormat;  // (database format, name)
  std::unordered_map<std::string, size_t> NameByDBFormatIndex;      // key: upper-cased database format
  std::unordered_set<std::string> SpecialFormats;                   // upper-cased names
  std::set<std::string> MonthFormatMemory;
  std::set<std::string> AmFormatMemory;
  TStringList FormatChoices;
};

// DB2 as destination: values are normalised and the statement applies the format with
// TIMESTAMP_FORMAT.
class TDB2DateFormatParser : public TDateFormatParser {
 public:
  explicit TDB2DateFormatParser(const std::string& localeName = "");

  std::string ToDBFormat(const std::string& name) const override;
  void FinishValue() override;

  // The format argument of TIMESTAMP_FORMAT for a chosen database format. Only
  // meaningful for a fixed format (IsFixedFormat); "Auto Detect" comes back as it is.
  static std::string GetSqlFormat(const std::string& format);
};

// SQLite as destination: values are rebuilt as "yyyy-mm-dd hh:mi:ss.fff" texts, the
// shape SQLite's date functions read.
class TSqliteDateFormatParser : public TDateFormatParser {
 public:
  explicit TSqliteDateFormatParser(const std::string& localeName = "");

  void Initialize() override;
  std::string ToDBFormat(const std::string& name) const override;
  void ConvertSpecial() override;
  void FinishValue() override;
};
