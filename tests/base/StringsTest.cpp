#include <gtest/gtest.h>

#include "base/UExceptions.h"
#include "base/UStrings.h"

TEST(StringListTest, NamesCompareWithoutCaseAndEmptyValueRemoves) {
  TStringList list;
  list.SetValue("Name", "one");
  list.SetValue("NAME", "two");  // same entry, replaced in place
  list.SetValue("Other", "x=y");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], "NAME=two");
  EXPECT_EQ(list.Values("name"), "two");
  EXPECT_EQ(list.Values("other"), "x=y");  // split at the first "="
  EXPECT_EQ(list.Names(1), "Other");
  list.SetValue("name", "");
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Values("name"), "");
  list.SetValue("missing", "");  // removing an absent entry changes nothing
  EXPECT_EQ(list.Count(), 1);
}

TEST(StringListTest, FirstOfEqualNamesWins) {
  TStringList list{"session=a.uld", "SESSION=b.uld", "plain"};
  EXPECT_EQ(list.Values("Session"), "a.uld");
  EXPECT_EQ(list.IndexOfName("plain"), -1);
  EXPECT_EQ(list.IndexOf("PLAIN"), 2);
}

TEST(StringListTest, TextJoinsWithCrLfAndSplitsAnyLineBreak) {
  TStringList list{"a", "", "b"};
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r\rc", {"a", "b", "", "c"}},
      {"\r\n", {""}},
      {"x\n\ny\n", {"x", "", "y"}},
  };
  for (const auto& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(list.Strings(), c.lines) << c.text;
  }
}

TEST(StringListTest, DelimitedTextRoundTripsAwkwardItems) {
  struct Case {
    std::vector<std::string> items;
    const char* text;
  } cases[] = {
      {{"a", "b", "c"}, "a,b,c"},
      {{"with blank", "x"}, "\"with blank\",x"},
      {{"say \"hi\"", "y"}, "\"say \"\"hi\"\"\",y"},
      {{"a,b", ""}, "\"a,b\",\"\""},
      {{"", ""}, "\"\",\"\""},
      {{"only"}, "only"},
  };
  for (const auto& c : cases) {
    TStringList list;
    for (const auto& s : c.items) list.Add(s);
    EXPECT_EQ(list.CommaText(), c.text);
    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(back.Strings(), c.items) << c.text;
  }
}

TEST(StringListTest, SetDelimitedTextReadsQuotesBlanksAndStrictMode) {
  struct Case {
    const char* text;
    char delimiter;
    bool strict;
    std::vector<std::string> items;
  } cases[] = {
      {"a, b ,c", ',', false, {"a", "b", "c"}},
      {"a b", ',', false, {"a", "b"}},  // blanks separate when not strict
      {"a b,c d", ',', true, {"a b", "c d"}},
      {"\"x \"\"y\"\"\",z", ',', false, {"x \"y\"", "z"}},
      {"a,,b", ',', true, {"a", "", "b"}},
      {"a,", ',', true, {"a", ""}},
      {"1|2|3", '|', true, {"1", "2", "3"}},
      {"", ',', true, {}},
  };
  for (const auto& c : cases) {
    TStringList list;
    list.SetDelimitedText(c.text, c.delimiter, '"', c.strict);
    EXPECT_EQ(list.Strings(), c.items) << c.text;
  }
}

TEST(TextHelpersTest, TrimRemovesBlanksAndControlCharacters) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(Trim("\x01x\x1f"), "x");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a \r"), "  a");
  EXPECT_EQ(Trim("\xC3\xA9"), "\xC3\xA9");  // UTF-8 bytes above 127 are not blanks
}

TEST(TextHelpersTest, CaseInsensitiveComparison) {
  EXPECT_TRUE(SameText("Session", "SESSION"));
  EXPECT_FALSE(SameText("Session", "Sessions"));
  EXPECT_LT(CompareText("ibm data server", "IBM DB2"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_TRUE(StartsText("ibm", "IBM DB2 ODBC DRIVER"));
  EXPECT_TRUE(EndsText(".ULD", "x.uld"));
  EXPECT_TRUE(ContainsText("TCPIP", "tcp"));
  EXPECT_EQ(ReplaceAll("a = b = c", " =", "="), "a= b= c");
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
}

TEST(NumberTextTest, IntegersWithHexAndDefaults) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"42", true, 42},       {" -7 ", true, -7},         {"+3", true, 3},
      {"0x1F", true, 31},     {"$ff", true, 255},         {"$FFFFFFFF", true, -1},
      {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN}, {"2147483648", false, 0},
      {"", false, 0},         {"12a", false, 0},          {"1.5", false, 0},
      {"0x", false, 0},       {"$", false, 0},            {"- 1", false, 0},
  };
  for (const auto& c : cases) {
    int v = 0;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
    EXPECT_EQ(StrToIntDef(c.text, -99), c.ok ? c.value : -99) << c.text;
  }
  EXPECT_THROW(StrToInt("x"), EConvertError);
  EXPECT_EQ(StrToInt64Def("9223372036854775807", 0), INT64_MAX);
}

TEST(NumberTextTest, BooleanTexts) {
  struct Case {
    const char* text;
    bool ok;
    bool value;
  } cases[] = {
      {"true", true, true}, {"FALSE", true, false}, {"True", true, true}, {"-1", true, true},
      {"0", true, false},   {"1", true, true},      {"2", true, true},    {"", false, false},
      {"yes", false, false}, {" false ", true, false},
  };
  for (const auto& c : cases) {
    bool v = !c.value;
    EXPECT_EQ(TryStrToBool(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  EXPECT_TRUE(StrToBoolDef("junk", true));
  EXPECT_THROW(StrToBool("junk"), EConvertError);
  EXPECT_EQ(BoolToStr(true), "True");
}

TEST(NumberTextTest, FloatsUseTheGivenDecimalSeparatorAndRoundTrip) {
  EXPECT_DOUBLE_EQ(StrToFloat("3.25", '.'), 3.25);
  EXPECT_DOUBLE_EQ(StrToFloat("3,25", ','), 3.25);
  EXPECT_DOUBLE_EQ(StrToFloat(" -1e3 ", '.'), -1000);
  double v = 0;
  EXPECT_FALSE(TryStrToFloat("3.25", v, ','));  // the other separator is not a number
  EXPECT_FALSE(TryStrToFloat("abc", v, '.'));
  EXPECT_FALSE(TryStrToFloat("", v, '.'));
  EXPECT_FALSE(TryStrToFloat("inf", v, '.'));
  EXPECT_THROW(StrToFloat("1.2.3", '.'), EConvertError);
  for (double d : {0.1, 1e-300, 123456789.123456789, -0.0, 5e-324, 1.7976931348623157e308}) {
    EXPECT_EQ(StrToFloat(FloatToStr(d, '.'), '.'), d);
    EXPECT_EQ(StrToFloat(FloatToStr(d, ','), ','), d);
  }
  EXPECT_EQ(FloatToStr(0.1, '.'), "0.1");
  EXPECT_EQ(FloatToStr(2.5, ','), "2,5");
}

TEST(ExceptionTest, CarriesMessageAndDemangledStackTrace) {
  try {
    throw EConvertError("bad value");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "bad value");
    EXPECT_STREQ(e.what(), "bad value");
    // Captured at the throw: this test's own (demangled) frame is in it.
    EXPECT_NE(e.StackTrace.find("ExceptionTest_CarriesMessageAndDemangledStackTrace"), std::string::npos)
        << e.StackTrace;
    EXPECT_EQ(e.StackTrace.find("_ZN"), std::string::npos) << e.StackTrace;
  }
}
