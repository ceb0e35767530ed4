#include <gtest/gtest.h>

#include "base/UExceptions.h"
#include "base/UIniFile.h"
#include "base/UTextFile.h"
#include "engine/UDataReader.h"
#include "session/UConvertOptions.h"
#include "session/UMyIniFile.h"
#include "session/USessionValues.h"
#include "support/TempDir.h"

namespace {

// The generic source part; the reader is never touched here.
class TTestSourceOptions : public TSourceOptions {
 public:
  void CreateReader() override {}
  void ConfigReader() override {}
};

class TTestDestOptions : public TDestOptions {
 public:
  TDataWriter* GetWriter() override { return nullptr; }
};

class TTestTableMapOptions : public TTableMapOptions {
 public:
  void SaveToFile(const std::string&, const std::string&) override {}
  void LoadFromFile(const std::string&, const std::string&) override {}
};

}  // namespace

TEST(SplitStringTest, TrimsTheWholeTextAndKeepsTheLastPiece) {
  struct Case {
    const char* text;
    char delimiter;
    TStringList expected;
  } cases[] = {
      {"", '|', {""}},
      {"   ", '|', {""}},
      {"a", '|', {"a"}},
      {"a|", '|', {"a", ""}},
      {"|a", '|', {"", "a"}},
      {"a||b", '|', {"a", "", "b"}},
      {"  a | b  ", '|', {"a ", " b"}},
      {"\t1|3|6\r\n", '|', {"1", "3", "6"}},
      {"x;y;;z", ';', {"x", "y", "", "z"}},
      {"x;y", '|', {"x;y"}},
  };
  for (const auto& c : cases) {
    TStringList list{"stale"};
    SplitString(c.text, c.delimiter, list);
    EXPECT_EQ(list, c.expected) << "[" << c.text << "]";
  }
}

TEST(ConvertOptionsTest, SaveWritesTheKeysInOrderAndLoadsThemBack) {
  TempDir dir;
  std::string path = dir.Path() + "/t.uld";
  TTestSourceOptions source;
  source.RowsSelect.LoadRowsType = "Part";
  source.RowsSelect.LoadRows = 5;
  source.RowsSelect.SkipRows = 2;
  source.Columns = {"0", "2", "5"};
  TConvertOptions convert;
  convert.ErrorsToAllow = 7;
  convert.LogFile = dir.Path() + "/run log.txt";
  source.SaveToFile(path, "Load");
  convert.SaveToFile(path, "Load");
  EXPECT_EQ(ReadFileBytes(path),
            "[Load]\r\nLoadRowsType=Part\r\nLoadRows=5\r\nSkipRows=2\r\nColumns=1|3|6\r\n"
            "ErrorsToAllow=7\r\nLogFile=" +
                dir.Path() + "/run log.txt\r\n");

  TTestSourceOptions source2;
  TConvertOptions convert2;
  source2.LoadFromFile(path, "load");
  convert2.LoadFromFile(path, "LOAD");
  EXPECT_EQ(source2.RowsSelect.LoadRowsType, "Part");
  EXPECT_EQ(source2.RowsSelect.LoadRows, 5);
  EXPECT_EQ(source2.RowsSelect.SkipRows, 2);
  EXPECT_EQ(source2.Columns, (TStringList{"0", "2", "5"}));
  EXPECT_TRUE(source2.SameAs(source));
  EXPECT_EQ(convert2.ErrorsToAllow, 7);
  EXPECT_EQ(convert2.LogFile, convert.LogFile);
  EXPECT_TRUE(convert2.SameAs(convert));

  // All columns: an empty key.
  source.Columns.Clear();
  source.SaveToFile(path, "Load");
  EXPECT_EQ(TIniFile(path).ReadString("Load", "Columns", "<missing>"), "");
}

TEST(ConvertOptionsTest, MissingFileOrKeysGiveTheDefaults) {
  TempDir dir;
  TConvertOptions fresh;
  EXPECT_EQ(fresh.ErrorsToAllow, 0);
  EXPECT_EQ(fresh.LogFile, "");

  for (std::string content :
       {std::string(), std::string("[Load]\r\nOther=1\r\n"),
        std::string("[Load]\r\nLoadRowsType=\r\nLoadRows=\r\nSkipRows= \r\nErrorsToAllow=\r\n")}) {
    std::string path = dir.Path() + "/d.uld";
    std::filesystem::remove(path);
    if (!content.empty()) WriteFileBytes(path, content);
    TTestSourceOptions source;
    source.RowsSelect.LoadRowsType = "Part";
    source.RowsSelect.LoadRows = 3;
    source.Columns = {"4"};
    TConvertOptions convert;
    convert.LogFile = "x";
    source.LoadFromFile(path, "Load");
    convert.LoadFromFile(path, "Load");
    EXPECT_EQ(source.RowsSelect.LoadRowsType, "") << content;
    EXPECT_EQ(source.RowsSelect.LoadRows, 0) << content;
    EXPECT_EQ(source.RowsSelect.SkipRows, 0) << content;
    EXPECT_EQ(source.Columns, TStringList{"4"}) << content;  // an empty key leaves them
    EXPECT_EQ(convert.ErrorsToAllow, 50) << content;
    EXPECT_EQ(convert.LogFile, "") << content;
  }
}

TEST(ConvertOptionsTest, NumbersReadAsDecimalOrHexIn64Bits) {
  TempDir dir;
  std::string path = dir.Path() + "/h.uld";
  WriteFileBytes(path, "[Load]\nLoadRows=0x10\nSkipRows= $0A \nErrorsToAllow=$7\n");
  TTestSourceOptions source;
  TConvertOptions convert;
  source.LoadFromFile(path, "Load");
  convert.LoadFromFile(path, "Load");
  EXPECT_EQ(source.RowsSelect.LoadRows, 16);
  EXPECT_EQ(source.RowsSelect.SkipRows, 10);
  EXPECT_EQ(convert.ErrorsToAllow, 7);

  // Counts past 32 bits are counts, not negative numbers or the default.
  WriteFileBytes(path, "[Load]\nLoadRows=4294967296\nSkipRows=9223372036854775807\nErrorsToAllow=3000000000\n");
  source.LoadFromFile(path, "Load");
  convert.LoadFromFile(path, "Load");
  EXPECT_EQ(source.RowsSelect.LoadRows, 4294967296);
  EXPECT_EQ(source.RowsSelect.SkipRows, INT64_MAX);
  EXPECT_EQ(convert.ErrorsToAllow, 3000000000);
  source.SaveToFile(path, "Load");
  convert.SaveToFile(path, "Load");
  EXPECT_EQ(TIniFile(path).ReadString("Load", "SkipRows", ""), "9223372036854775807");
  EXPECT_EQ(TIniFile(path).ReadString("Load", "ErrorsToAllow", ""), "3000000000");
}

TEST(ConvertOptionsTest, ValuesThatDoNotParseAreRefusedAndChangeNothing) {
  TempDir dir;
  std::string path = dir.Path() + "/r.uld";
  struct Case {
    const char* line;
    const char* message;
  } cases[] = {
      {"LoadRowsType=Prat",
       "Invalid value \"Prat\" for \"LoadRowsType\" in session file \"<f>\": expected All or Part."},
      {"LoadRows=-1",
       "Invalid value \"-1\" for \"LoadRows\" in session file \"<f>\": expected a whole number of 0 or more."},
      {"LoadRows=ten", "Invalid value \"ten\" for \"LoadRows\""},
      {"LoadRows=1.5", "Invalid value \"1.5\" for \"LoadRows\""},
      {"SkipRows=9223372036854775808", "Invalid value \"9223372036854775808\" for \"SkipRows\""},
      {"SkipRows=$FFFFFFFFFFFFFFFF", "Invalid value \"$FFFFFFFFFFFFFFFF\" for \"SkipRows\""},
      {"Columns=1|0",
       "Invalid value \"1|0\" for \"Columns\" in session file \"<f>\": expected source column numbers "
       "from 1 up, joined by \"|\"."},
      {"Columns=2|x", "Invalid value \"2|x\" for \"Columns\""},
      {"ErrorsToAllow=abc",
       "Invalid value \"abc\" for \"ErrorsToAllow\" in session file \"<f>\": expected a whole "
       "number of 0 or more."},
      {"ErrorsToAllow=-5", "Invalid value \"-5\" for \"ErrorsToAllow\""},
      {"Verify=yes", "Invalid value \"yes\" for \"Verify\" in session file \"<f>\": expected 1 or 0."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    // The first key of a name counts: the valid ones after it only fill the rest.
    WriteFileBytes(path, std::string("[Load]\r\n") + c.line + "\r\nLoadRowsType=Part\r\nLoadRows=3\r\n");
    TTestSourceOptions source;
    source.RowsSelect.LoadRowsType = "Part";
    source.RowsSelect.LoadRows = 3;
    source.Columns = {"4"};
    TConvertOptions convert;
    convert.ErrorsToAllow = 9;
    try {
      if (StartsText("ErrorsToAllow", c.line) || StartsText("Verify", c.line))
        convert.LoadFromFile(path, "Load");
      else
        source.LoadFromFile(path, "Load");
      ADD_FAILURE() << "accepted";
    } catch (const ESessionValueError& e) {
      EXPECT_EQ(e.Message.substr(0, ReplaceAll(c.message, "<f>", path).size()), ReplaceAll(c.message, "<f>", path));
    }
    EXPECT_EQ(source.RowsSelect.LoadRowsType, "Part");
    EXPECT_EQ(source.RowsSelect.LoadRows, 3);
    EXPECT_EQ(source.Columns, TStringList{"4"});
    EXPECT_EQ(convert.ErrorsToAllow, 9);
  }
}

// Verify is written only while it is on, so the files of sessions without it keep
// their bytes; turning it off takes the key out again.
TEST(ConvertOptionsTest, VerifyIsWrittenOnlyWhenOn) {
  TempDir dir;
  std::string path = dir.Path() + "/v.ula";
  const std::string plain = "[Load]\r\nErrorsToAllow=7\r\nLogFile=\r\n";
  TConvertOptions convert;
  convert.ErrorsToAllow = 7;
  convert.SaveToFile(path, "Load");
  EXPECT_EQ(ReadFileBytes(path), plain);

  convert.Verify = true;
  convert.SaveToFile(path, "Load");
  EXPECT_EQ(ReadFileBytes(path), plain + "Verify=1\r\n");
  TConvertOptions loaded;
  loaded.LoadFromFile(path, "Load");
  EXPECT_TRUE(loaded.Verify);
  EXPECT_TRUE(loaded.SameAs(convert));
  loaded.Verify = false;
  EXPECT_FALSE(loaded.SameAs(convert));

  convert.Verify = false;
  convert.SaveToFile(path, "Load");
  EXPECT_EQ(ReadFileBytes(path), plain);
  for (const char* text : {"0", "", "false"}) {
    WriteFileBytes(path, plain + "Verify=" + text + "\r\n");
    TConvertOptions off;
    off.Verify = true;
    off.LoadFromFile(path, "Load");
    EXPECT_FALSE(off.Verify) << text;
  }
}

TEST(ConvertOptionsTest, MalformedColumnsRaiseAndLeaveColumnsAsTheyWere) {
  TempDir dir;
  std::string path = dir.Path() + "/c.uld";
  for (const char* value : {"1||3", "1|x", "1|", "a", "0", "-2"}) {
    TIniFile(path).WriteString("Load", "Columns", value);
    TTestSourceOptions source;
    source.Columns = {"7"};
    EXPECT_THROW(source.LoadFromFile(path, "Load"), ESessionValueError) << value;
    EXPECT_EQ(source.Columns, TStringList{"7"}) << value;
  }
  TIniFile(path).WriteString("Load", "Columns", " 2 |1");
  TTestSourceOptions source;
  source.LoadFromFile(path, "Load");
  EXPECT_EQ(source.Columns, (TStringList{"1", "0"}));
}

TEST(ConvertOptionsTest, OnlyPartInAnyCaseLimitsRows) {
  struct Case {
    const char* type;
    bool limits;
  } cases[] = {{"Part", true}, {"PART", true}, {"part", true}, {"All", false}, {"", false}, {"Partial", false}};
  for (const auto& c : cases) {
    TConvertRowsSelectOptions rows;
    rows.LoadRowsType = c.type;
    EXPECT_EQ(rows.IsPartRows(), c.limits) << c.type;
  }
}

TEST(ConvertOptionsTest, SessionLoadsCutValuesAt307200Characters) {
  TempDir dir;
  std::string path = dir.Path() + "/l.uld";
  struct Case {
    size_t length;
    size_t loaded;
  } cases[] = {{5000, 5000}, {307200, 307200}, {307201, 307200}, {400000, 307200}};
  for (const auto& c : cases) {
    TConvertOptions convert;
    convert.LogFile = std::string(c.length, 'L');
    convert.SaveToFile(path, "Load");
    TConvertOptions loaded;
    loaded.LoadFromFile(path, "Load");
    EXPECT_EQ(loaded.LogFile.size(), c.loaded) << c.length;
    EXPECT_EQ(TIniFile(path).ReadString("Load", "LogFile", "").size(), c.length);  // the plain class reads whole
  }
  // Characters, not bytes: a multi-byte character is never split.
  std::string wide;
  for (int i = 0; i < 307201; ++i) wide += "\xC3\xAB";
  TIniFile(path).WriteString("Load", "LogFile", wide);
  EXPECT_EQ(TMyIniFile(path).ReadString("Load", "LogFile", ""), wide.substr(0, 2 * 307200));
}

TEST(ConvertOptionsTest, SaveKeepsKeysItDoesNotWrite) {
  TempDir dir;
  std::string path = dir.Path() + "/k.uld";
  WriteFileBytes(path, "[Load]\r\nerrorstoallow=1\r\nUpdateKey=ID\r\nDestTable=ORDERS\r\n\r\n[Other]\r\nX=1\r\n");
  TConvertOptions convert;
  convert.ErrorsToAllow = 9;
  convert.SaveToFile(path, "Load");
  EXPECT_EQ(ReadFileBytes(path),
            "[Load]\r\nErrorsToAllow=9\r\nUpdateKey=ID\r\nDestTable=ORDERS\r\nLogFile=\r\n\r\n[Other]\r\nX=1\r\n");
}

TEST(ConvertOptionsTest, SameAsComparesThePersistedValues) {
  auto base = [] {
    auto s = std::make_unique<TTestSourceOptions>();
    s->RowsSelect.LoadRowsType = "Part";
    s->RowsSelect.LoadRows = 10;
    s->RowsSelect.SkipRows = 1;
    s->Columns = {"0", "1"};
    return s;
  };
  struct Case {
    const char* name;
    void (*change)(TTestSourceOptions&);
  } cases[] = {
      {"LoadRows", [](TTestSourceOptions& s) { s.RowsSelect.LoadRows = 11; }},
      {"SkipRows", [](TTestSourceOptions& s) { s.RowsSelect.SkipRows = 0; }},
      {"LoadRowsType case", [](TTestSourceOptions& s) { s.RowsSelect.LoadRowsType = "PART"; }},
      {"Columns order",
       [](TTestSourceOptions& s) {
         s.Columns = {"1", "0"};
       }},
      {"Columns count", [](TTestSourceOptions& s) { s.Columns.Delete(1); }},
  };
  auto reference = base();
  for (const auto& c : cases) {
    auto other = base();
    EXPECT_TRUE(other->SameAs(*reference)) << c.name;
    c.change(*other);
    EXPECT_FALSE(other->SameAs(*reference)) << c.name;
    EXPECT_FALSE(reference->SameAs(*other)) << c.name;
  }
  // Caches and the proposed name are not persisted.
  auto other = base();
  other->FieldNames = {"A", "B"};
  other->ItemName = "Data";
  EXPECT_TRUE(other->SameAs(*reference));

  TConvertOptions a, b;
  EXPECT_TRUE(a.SameAs(b));
  b.LogFile = "x";
  EXPECT_FALSE(a.SameAs(b));
  b.LogFile = "";
  b.ErrorsToAllow = 1;
  EXPECT_FALSE(a.SameAs(b));
  EXPECT_FALSE(a.SameAs(*reference));  // another class

  TConvertRowsSelectOptions rows, copy;
  reference->RowsSelect.Assign(copy);
  EXPECT_TRUE(copy.SameAs(reference->RowsSelect));
  EXPECT_FALSE(rows.SameAs(copy));
}

TEST(ConvertOptionsTest, PreviewCachesClearTogether) {
  TTestSourceOptions source;
  source.FieldNames = {"ID", "NAME"};
  source.SampleRow = {"1", "x"};
  source.PreviewRows.push_back(std::make_unique<TStringList>(TStringList{"1", "x"}));
  source.PreviewRows.push_back(std::make_unique<TStringList>(TStringList{"2", "y"}));
  EXPECT_EQ(source.GetPreviewRowCount(), 2);
  EXPECT_EQ(source.GetPreviewValue(1, 1), "y");
  EXPECT_THROW(source.GetPreviewValue(2, 0), std::out_of_range);
  source.ClearFields();
  EXPECT_TRUE(source.FieldNames.Empty());
  EXPECT_TRUE(source.SampleRow.Empty());
  EXPECT_EQ(source.GetPreviewRowCount(), 0);
}

TEST(ConvertOptionsTest, OnChangeReachesTheListenerWithItsSender) {
  TConvertOptions options;
  options.DoChange();  // unset: nothing happens
  TDataConvertModel* seen = nullptr;
  int calls = 0;
  options.OnChange = [&](TDataConvertModel* sender) {
    seen = sender;
    ++calls;
  };
  options.DoChange();
  EXPECT_EQ(seen, &options);
  EXPECT_EQ(calls, 1);
}

TEST(DestOptionsTest, LobOptionsAreOwnedUntilReplaced) {
  TTestDestOptions dest;
  ASSERT_NE(dest.LobOptions(), nullptr);
  EXPECT_TRUE(dest.OwnsLobOptions());
  EXPECT_TRUE(dest.LobOptions()->ExportClob);
  EXPECT_FALSE(dest.LobOptions()->ExportBlob);

  TTestDestOptions other;
  EXPECT_TRUE(dest.SameAs(other));
  other.LobOptions()->ExportBlob = true;
  EXPECT_FALSE(dest.SameAs(other));

  TLobConvertOptions outside;
  outside.ExportBlob = true;
  dest.SetLobOptions(&outside);  // frees its own, borrows this one
  EXPECT_FALSE(dest.OwnsLobOptions());
  EXPECT_EQ(dest.LobOptions(), &outside);
  EXPECT_TRUE(dest.SameAs(other));

  // The generic destination persists nothing.
  TempDir dir;
  std::string path = dir.Path() + "/d.uld";
  dest.SaveToFile(path, "Load");
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TableMapOptionsTest, PairsByPositionAndSameAsItemByItem) {
  TTestTableMapOptions map;
  map.SourceNames = {"A", "B"};
  map.DestNames = {"X", "Y"};
  EXPECT_EQ(map.GetCount(), 2);
  EXPECT_EQ(map.GetSelectedCount(), 2);
  EXPECT_FALSE(map.IsExcluded(1));
  EXPECT_EQ(map.GetSourceName(1), "B");
  EXPECT_EQ(map.GetDestName(0), "X");
  EXPECT_EQ(map.SourceNames.CommaText(), "A,B");

  TTestTableMapOptions other;
  other.SourceNames = {"A", "B"};
  other.DestNames = {"X", "Y"};
  EXPECT_TRUE(map.SameAs(other));
  other.DestNames[1] = "y";
  EXPECT_FALSE(map.SameAs(other));
  other.DestNames = {"X", "Y", "Z"};
  EXPECT_FALSE(map.SameAs(other));
}
