#include <gtest/gtest.h>

#include "base/UExceptions.h"
#include "engine/UDateFormatParser.h"

namespace {

// Installed by scripts/generate-locales.sh; a missing one makes the tests fail.
const char* const German = "de_DE.UTF-8";  // "Okt", no AM/PM words, decimal comma
const char* const Greek = "el_GR.UTF-8";   // "Οκτ", AM/PM words "πμ" and "μμ"

struct TDetectCase {
  const char* Text;
  const char* Format;
};

// One text per entry, chosen so that no earlier entry takes it, plus the texts where
// the order decides.
const TDetectCase DetectCases[] = {
    {"Jan 5 2014 10:30PM", "mon dd yyyy hh:miAM"},
    {"01/02/2014", "mm/dd/yyyy"},
    {"2014.01.02", "yyyy.mm.dd"},
    {"13/02/2014", "dd/mm/yyyy"},
    {"01.02.2014", "dd.mm.yyyy"},
    {"01-02-2014", "dd-mm-yyyy"},
    {"05 Jan 2014", "dd mon yyyy"},
    {"Jan 5, 2014", "mon dd, yyyy"},
    {"jan 5, 2014", "mon dd, yyyy"},
    {"10:30:00", "hh24:mi:ss"},
    {"Jan 5 2014 10:30:00:123PM", "mon dd yyyy hh:mi:ss:fffAM"},
    {"01-13-2014", "mm-dd-yyyy"},
    {"2014/01/02", "yyyy/mm/dd"},
    {"20140102", "yyyymmdd"},
    {"05 Jan 2014 10:30:00:123", "dd mon yyyy hh24:mi:ss:fff"},
    {"10:30:00:123", "hh24:mi:ss:fff"},
    {"2014-01-02 03:04:05", "yyyy-mm-dd hh24:mi:ss"},
    {"2014-01-02 03:04:05.123", "yyyy-mm-dd hh24:mi:ss.fff"},
    {"2014-01-02T03:04:05.123", "yyyy-mm-ddThh24:mi:ss.fff"},
    {"01/02/14", "mm/dd/yy"},
    {"14.01.02", "yy.mm.dd"},
    {"13/02/14", "dd/mm/yy"},
    {"5.10.14", "dd.mm.yy"},
    {"13-02-14", "dd-mm-yy"},
    {"5 Jan 14", "dd mon yy"},
    {"Jan 5, 14", "mon dd, yy"},
    {"01-13-14", "mm-dd-yy"},
    {"14/01/05", "dd/mm/yy"},  // a two-digit year up to 31 reads as a day first
    {"45/01/05", "yy/mm/dd"},
    {"140105", "yymmdd"},
    {"01/02/14 10:30:00 PM", "mm/dd/yy hh:mi:ss AM"},
    {"2014-01-02", "yyyy-mm-dd"},
    {"13/02/2014 10:30:00", "dd/mm/yyyy hh24:mi:ss"},
    {"01/02/2014 10:30:00", "dd/mm/yyyy hh24:mi:ss"},
    {"01.02.2014 10.30.00", "mm.dd.yyyy hh24.mi.ss"},
    {"2014/01/02 10:30", "yyyy/mm/dd hh24:mi"},
    {"13/02/2014 10:30", "dd/mm/yyyy hh24:mi"},
    {"05-Jan-14", "dd-mon-yy"},
    {"2014/01/02 PM 10:30:00", "yyyy/mm/dd AM hh:mi:ss"},
    {"2014-01-02 PM 10:30:00", "yyyy-mm-dd AM hh:mi:ss"},
    {"2014-01-02-10.30.00.123456", "yyyy-mm-dd-hh24.mi.ss.ffffff"},
    {"2014-01-02 03:04:05.1234567", "yyyy-mm-dd hh24:mi:ss.fffffff"},
    {"2014-01-02 03:04:05.1234567 +05:00", "yyyy-mm-dd hh24:mi:ss.fffffff TZR"},
    {"2014-01-02 03:04:05.1234567 0500", "yyyy-mm-dd hh24:mi:ss.fffffff TZR"},
    {"0.5", "Excel Time"},
    {"367", "Excel Date"},
    {"2014", "Excel Date"},
    {"367.25", "Excel DateTime"},
    {"1.5", "Excel DateTime"},
    {"hello", "Cannot Detect"},
    {"", "Cannot Detect"},
    {"2014-13-02", "Cannot Detect"},
    {"123456789", "Cannot Detect"},
};

TEST(DateFormatDetector, EveryEntryAndTheOrderTieBreaks) {
  TDateFormatDetector detector;
  ASSERT_EQ(detector.Count(), 43);
  for (const TDetectCase& c : DetectCases) EXPECT_EQ(detector.Detect(c.Text), c.Format) << "text: " << c.Text;
  // Every entry is reachable by some text: the table above names each format once at least.
  for (const auto& entry : detector.GetEntries()) {
    bool named = false;
    for (const TDetectCase& c : DetectCases) named = named || entry.FormatName == c.Format;
    EXPECT_TRUE(named) << entry.FormatName;
  }
}

TEST(DateFormatParser, DB2FormatsOfTheNames) {
  TDB2DateFormatParser parser("C");
  const std::pair<const char*, const char*> cases[] = {
      {"yyyy-mm-dd hh24:mi:ss.fff", "YYYY-MM-DD HH24:MI:SS.FF3"},
      {"mon dd yyyy hh:miAM", "MON DD YYYY HH:MIAM"},
      {"yyyy-mm-dd hh24:mi:ss.fffffff TZR", "YYYY-MM-DD HH24:MI:SS.FF7"},
      {"yyyy-mm-dd-hh24.mi.ss.ffffff", "YYYY-MM-DD-HH24.MI.SS.FF6"},
      {"yyyy-mm-ddThh24:mi:ss.fff", "YYYY-MM-DDTHH24:MI:SS.FF3"},
      {"Excel Date", "EXCEL DATE"},
      {"fffffffffffff", "FF12FF1"},
  };
  for (const auto& [name, dbFormat] : cases) EXPECT_EQ(parser.ToDBFormat(name), dbFormat) << name;
  TSqliteDateFormatParser sqlite("C");
  EXPECT_EQ(sqlite.ToDBFormat("yyyy-mm-dd hh24:mi:ss.fff"), "yyyy-mm-dd hh24:mi:ss.fff");
}

TEST(DateFormatParser, FormatChoices) {
  TDB2DateFormatParser db2("C");
  const TStringList& choices = db2.GetFormatChoices();
  // 43 names, two of which share YYYY-MM-DD HH24:MI:SS.FF7.
  ASSERT_EQ(choices.Count(), 43);
  EXPECT_EQ(choices[0], "Auto Detect");
  EXPECT_EQ(choices[1], "MON DD YYYY HH:MIAM");
  EXPECT_EQ(choices[39], "YYYY-MM-DD HH24:MI:SS.FF7");
  EXPECT_EQ(choices[42], "EXCEL DATETIME");
  EXPECT_EQ(choices.IndexOf("detect per record"), -1);
  EXPECT_EQ(db2.FormatNameOf("YYYY-MM-DD HH24:MI:SS.FF7"), "yyyy-mm-dd hh24:mi:ss.fffffff TZR");
  EXPECT_EQ(db2.FormatNameOf("dd/mm/yyyy"), "dd/mm/yyyy");
  EXPECT_EQ(db2.FormatNameOf("my own"), "my own");

  TSqliteDateFormatParser sqlite("C");
  ASSERT_EQ(sqlite.GetFormatChoices().Count(), 44);
  EXPECT_EQ(sqlite.GetFormatChoices()[40], "yyyy-mm-dd hh24:mi:ss.fffffff TZR");
}

TEST(DateFormatParser, SqlFormatAndFixedFormats) {
  const std::pair<const char*, const char*> sqlCases[] = {
      {"EXCEL DATETIME", "YYYY-MM-DD HH24:MI:SS"},
      {"EXCEL DATE", "YYYY-MM-DD"},
      {"EXCEL TIME", "HH24:MI:SS"},
      {"Excel DateTime", "YYYY-MM-DD HH24:MI:SS"},
      {"YYYY-MM-DDTHH24:MI:SS.FF3", "YYYY-MM-DD HH24:MI:SS.FF3"},
      {"YYYY-MM-DD HH24:MI:SS.FF7 TZR", "YYYY-MM-DD HH24:MI:SS.FF7"},
      {"DD/MM/YYYY", "DD/MM/YYYY"},
      {"Auto Detect", "Auto Detect"},
  };
  for (const auto& [format, sql] : sqlCases) EXPECT_EQ(TDB2DateFormatParser::GetSqlFormat(format), sql) << format;

  const std::pair<const char*, bool> fixedCases[] = {
      {"", false},
      {"  ", false},
      {"Auto Detect", false},
      {"AUTO DETECT", false},
      {"detect per record", false},
      {"Detect Per Record", false},
      {"Cannot Detect", false},
      {"DD/MM/YYYY", true},
      {"EXCEL DATE", true},
      {"my own", true},
  };
  for (const auto& [format, fixed] : fixedCases)
    EXPECT_EQ(TDateFormatParser::IsFixedFormat(format), fixed) << '"' << format << '"';
}

TEST(DateFormatParser, DetectDBFormat) {
  TDB2DateFormatParser db2("C");
  EXPECT_EQ(db2.DetectDBFormat("hello"), "YYYY-MM-DD HH24:MI:SS");
  EXPECT_EQ(db2.DetectDBFormat("2014-01-02T03:04:05.123"), "YYYY-MM-DDTHH24:MI:SS.FF3");
  EXPECT_EQ(db2.DetectDBFormat("2014-01-02 03:04:05.1234567 +05:00"), "YYYY-MM-DD HH24:MI:SS.FF7");
  TSqliteDateFormatParser sqlite("C");
  EXPECT_EQ(sqlite.DetectDBFormat("hello"), "yyyy-mm-dd hh24:mi:ss");
  EXPECT_EQ(sqlite.DetectDBFormat("13/02/2014"), "dd/mm/yyyy");
}

struct TParseCase {
  const char* Format;
  const char* Value;
  const char* Result;
  bool Matched;
};

void ExpectParses(TDateFormatParser& parser, const std::vector<TParseCase>& cases) {
  for (const TParseCase& c : cases) {
    EXPECT_EQ(parser.Parse(c.Value, c.Format), c.Result) << c.Format << " / " << c.Value;
    EXPECT_EQ(parser.LastValueMatched(), c.Matched) << c.Format << " / " << c.Value;
  }
}

TEST(DateFormatParser, DB2Values) {
  TDB2DateFormatParser parser("C");
  ExpectParses(
      parser,
      {
          {"YYYY-MM-DDTHH24:MI:SS.FF3", "2014-01-02T03:04:05.123", "2014-01-02 03:04:05.123", true},
          {"EXCEL DATE", "367", "1901-01-01", true},
          {"EXCEL DATE", "0.75", "18:00:00", true},
          {"EXCEL DATE", "367.5", "1901-01-01 12:00:00", true},
          {"EXCEL TIME", "0", "00:00:00", true},
          {"EXCEL DATETIME", "367", "1901-01-01 00:00:00", true},
          {"EXCEL DATETIME", "0.25", "1899-12-30 06:00:00", true},
          {"EXCEL DATE", "2958465.5", "9999-12-31 12:00:00", true},
          // The zone is cut from the end; the blank before it stays.
          {"YYYY-MM-DD HH24:MI:SS.FF7", "2014-01-02 03:04:05.1234567 +05:00", "2014-01-02 03:04:05.1234567 ", true},
          {"YYYY-MM-DD HH24:MI:SS.FF7", "2014-01-02 03:04:05.1234567 05:00", "2014-01-02 03:04:05.1234567 ", true},
          {"YYYY-MM-DD HH24:MI:SS.FF7", "2014-01-02 03:04:05.1234567-0500", "2014-01-02 03:04:05.1234567-0500", false},
          // Without a zone no fraction digit may go.
          {"YYYY-MM-DD HH24:MI:SS.FF7", "2014-01-02 03:04:05.1234567", "2014-01-02 03:04:05.1234567", false},
          {"Auto Detect", "2014-01-02T03:04:05.123", "2014-01-02T03:04:05.123", true},
          {"", "2014-01-02T03:04:05.123", "2014-01-02T03:04:05.123", true},
          {"EXCEL DATE", "", "", true},
          {"detect per record", "2014-01-02T03:04:05.123", "2014-01-02 03:04:05.123", true},
          {"detect per record", "hello", "hello", false},
          {"DD/MM/YYYY", "2014-01-02", "2014-01-02", false},
          {"dd/mm/yyyy", "13/02/2014", "13/02/2014", true},
          {"MON DD YYYY HH:MIAM", "Jan 5 2014 10:30PM", "jan 5 2014 10:30PM", true},
          {"my own T", "aTb", "a b", true},
      });
  const char* const bad[] = {"abc", "-1", "3000000", "1e400", "367,5", "nan"};
  for (const char* value : bad) EXPECT_THROW(parser.Parse(value, "EXCEL DATE"), EConvertError) << value;
}

TEST(DateFormatParser, SqliteValuesAreRebuilt) {
  TSqliteDateFormatParser parser("C");
  ExpectParses(parser,
               {
                   {"mm/dd/yyyy", "1/5/2014", "2014-01-05", true},
                   {"dd mon yyyy", "05 Jan 2014", "2014-01-05", true},
                   {"dd-mon-yy", "5-dec-14", "2014-12-05", true},
                   {"mon dd yyyy hh:miAM", "Jan 5 2014 10:30PM", "2014-01-05 22:30", true},
                   {"mon dd yyyy hh:miAM", "Jan 5 2014 12:30PM", "2014-01-05 12:30", true},
                   {"mon dd yyyy hh:miAM", "Jan 5 2014 12:15AM", "2014-01-05 00:15", true},
                   {"mon dd yyyy hh:mi:ss:fffAM", "Jan 5 2014 9:30:15:123AM", "2014-01-05 09:30:15.123", true},
                   {"dd/mm/yy", "13/02/14", "2014-02-13", true},
                   {"hh24:mi:ss", "3:04:05", "03:04:05", true},
                   {"yyyy-mm-ddThh24:mi:ss.fff", "2014-01-02T03:04:05.123", "2014-01-02 03:04:05.123", true},
                   {"yyyy-mm-dd hh24:mi:ss.fffffff TZR", "2014-01-02 03:04:05.1234567 +05:00",
                    "2014-01-02 03:04:05.1234567", true},
                   {"yyyy-mm-dd-hh24.mi.ss.ffffff", "2014-01-02-03.04.05.123456", "2014-01-02 03:04:05.123456", true},
                   {"YYYYMMDD", "20140102", "2014-01-02", true},
                   // Words that are no short month name stay as they came.
                   {"dd mon yyyy", "05 September 2014", "05 September 2014", false},
                   {"dd mon yyyy", "05 Foo 2014", "05 Foo 2014", false},
                   {"mm/dd/yyyy", " not a date ", "not a date", false},
                   {"Excel Date", "367", "1901-01-01", true},
                   {"Auto Detect", " 2014-01-02 ", "2014-01-02", true},
               });
}

TEST(DateLocaleTranslator, GermanMonthsAndNoAmPmWords) {
  TDateLocaleTranslator german(German);
  EXPECT_EQ(german.LocalMonths()[9], "Okt");
  EXPECT_EQ(german.DecimalSeparator(), ',');
  // The locale has no designators: nothing may count as one or be replaced.
  EXPECT_FALSE(german.HasLocalAmPm("05 Okt 2014 10:30"));
  EXPECT_EQ(german.TranslateAmPm("10:30"), "10:30");
  EXPECT_TRUE(german.HasLocalMonth("05 Okt 2014"));
  EXPECT_FALSE(german.HasLocalMonth("05 okt 2014"));
  EXPECT_EQ(german.TranslateMonths("05 Mär 2014"), "05 mar 2014");
  EXPECT_EQ(german.MonthWordsToNumbers("Dez"), "12");
  EXPECT_THROW(TDateLocaleTranslator("xx_XX.UTF-8"), Exception);
}

TEST(DateFormatParser, GermanLocale) {
  TDB2DateFormatParser db2(German);
  ExpectParses(db2, {
                        {"DD MON YYYY", "05 Okt 2014", "05 oct 2014", true},
                        {"EXCEL DATE", "367,5", "1901-01-01 12:00:00", true},
                        {"EXCEL DATE", "367", "1901-01-01", true},
                    });
  EXPECT_THROW(db2.Parse("367.5", "EXCEL DATE"), EConvertError);
  TSqliteDateFormatParser sqlite(German);
  ExpectParses(sqlite, {
                           {"dd mon yyyy", "05 Mär 2014", "2014-03-05", true},
                           {"dd mon yyyy", "05 Okt 2014", "2014-10-05", true},
                       });
}

TEST(DateFormatParser, GreekAmPmWordsAndMonths) {
  TDateLocaleTranslator greek(Greek);
  EXPECT_EQ(greek.LocalAm(), "πμ");
  EXPECT_EQ(greek.LocalPm(), "μμ");
  EXPECT_EQ(greek.TranslateAmPm("10:30μμ"), "10:30PM");

  TDB2DateFormatParser db2(Greek);
  ExpectParses(db2, {
                        {"MON DD YYYY HH:MIAM", "Οκτ 5 2014 10:30μμ", "oct 5 2014 10:30PM", true},
                        {"YYYY-MM-DD AM HH:MI:SS", "2014-01-02 πμ 10:30:00", "2014-01-02 AM 10:30:00", true},
                    });
  TSqliteDateFormatParser sqlite(Greek);
  ExpectParses(sqlite, {
                           {"mon dd yyyy hh:miAM", "Οκτ 5 2014 10:30μμ", "2014-10-05 22:30", true},
                           {"yyyy-mm-dd AM hh:mi:ss", "2014-01-02 μμ 1:30:00", "2014-01-02 13:30:00", true},
                       });
  // Run memories are forgotten on detection and reset; the words are still found again.
  db2.ResetRunMemory();
  EXPECT_EQ(db2.Detect("Οκτ 5 2014 10:30μμ"), "mon dd yyyy hh:miAM");
  EXPECT_EQ(db2.Parse("Οκτ 5 2014 10:30μμ", "detect per record"), "oct 5 2014 10:30PM");
}

TEST(DateFormatParser, EnvironmentLocale) {
  // The process environment of the tests names the C locale (or one like it).
  TDB2DateFormatParser parser;
  EXPECT_EQ(parser.GetFormatChoices().Count(), 43);
  EXPECT_EQ(parser.Parse("2014-01-02T03:04:05.123", "YYYY-MM-DDTHH24:MI:SS.FF3"), "2014-01-02 03:04:05.123");
}

}  // namespace
