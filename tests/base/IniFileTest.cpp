#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "base/UIniFile.h"
#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "base/UUtf16.h"
#include "support/TempDir.h"

namespace {

std::string Lines(std::initializer_list<const char*> lines, const std::string& lineBreak) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + lineBreak;
  return text;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

struct FileForm {
  const char* name;
  std::string lineBreak;
  std::string bom;
};

const FileForm kForms[] = {
    {"crlf", "\r\n", ""},
    {"lf", "\n", ""},
    {"utf8-bom", "\r\n", "\xEF\xBB\xBF"},
};

}  // namespace

TEST(IniFileTest, ReadsByTheProfileConventions) {
  TempDir dir;
  for (const auto& form : kForms) {
    std::string path = dir.Path() + "/" + form.name + ".ini";
    WriteFileBytes(
        path,
        form.bom + Lines({"; a comment=not a key", "[Load]", "SourceTable=Orders", "  Spaced Key  =   padded value  \t",
                          "Double=\"quoted  \"", "Single=' single '", "Unpaired=\"open", "Mixed=\"a'",
                          "Inner=a \"b\" c", "Equals=a=b=c", "Empty=", "Dup=first", "DUP=second", "no equals sign here",
                          "", "[ Other ]", "Dup=other section", "[load]", "Late=in a second section of the same name"},
                         form.lineBreak));
    TIniFile ini(path);
    struct Case {
      const char* section;
      const char* key;
      std::string expected;
    } cases[] = {
        {"Load", "SourceTable", "Orders"},
        {"LOAD", "sourcetable", "Orders"},  // names without regard to case
        {"Load", "spaced key", "padded value"},
        {"Load", "Double", "quoted  "},
        {"Load", "Single", " single "},
        {"Load", "Unpaired", "\"open"},
        {"Load", "Mixed", "\"a'"},
        {"Load", "Inner", "a \"b\" c"},
        {"Load", "Equals", "a=b=c"},
        {"Load", "Empty", ""},
        {"Load", "dup", "first"},  // the first of duplicate keys wins
        {"other", "Dup", "other section"},
        {"Load", "Late", "<default>"},  // only the first section of a name is read
        {"Load", "Missing", "<default>"},
        {"Nowhere", "SourceTable", "<default>"},
        {"Load", "no equals sign here", "<default>"},
        {"", "; a comment", "<default>"},
    };
    for (const auto& c : cases)
      EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.expected)
          << form.name << ": [" << c.section << "] " << c.key;
    EXPECT_TRUE(ini.SectionExists("OTHER"));
    EXPECT_TRUE(ini.ValueExists("load", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("load", "Late"));
    TStringList names;
    ini.ReadSections(names);
    EXPECT_EQ(names, (TStringList{"Load", "Other"})) << form.name;
    ini.ReadSection("Load", names);
    EXPECT_EQ(names.Count(), 10) << form.name;  // Dup once
    ini.ReadSectionValues("Other", names);
    EXPECT_EQ(names, (TStringList{"Dup=other section"})) << form.name;
  }
}

TEST(IniFileTest, ReadsNumbersAndBooleansWithDefaults) {
  TempDir dir;
  std::string path = dir.Path() + "/n.ini";
  TIniFile ini(path);
  struct Case {
    const char* text;
    int asInteger;  // default 42
    bool asBool;    // default true
  } cases[] = {
      {"12", 12, true},  {" -7 ", -7, true}, {"0x1F", 31, true},  {"$10", 16, true},  {"0", 0, false},
      {"abc", 42, true}, {"", 42, true},     {"12abc", 42, true}, {"true", 42, true}, {"99999999999", 42, true},
  };
  for (const auto& c : cases) {
    ini.WriteString("N", "Key", c.text);
    EXPECT_EQ(ini.ReadInteger("N", "Key", 42), c.asInteger) << c.text;
    EXPECT_EQ(ini.ReadBool("N", "Key", true), c.asBool) << c.text;
  }
  ini.WriteString("N", "Key", "false");
  EXPECT_FALSE(ini.ReadBool("N", "Key", false));  // not a number: the default
  ini.WriteBool("N", "B", true);
  ini.WriteBool("N", "C", false);
  ini.WriteInteger("N", "I", -12);
  EXPECT_EQ(ReadFileBytes(path), "[N]\r\nKey=false\r\nB=1\r\nC=0\r\nI=-12\r\n");
}

TEST(IniFileTest, WritesInPlaceAndKeepsEverythingElse) {
  TempDir dir;
  for (const auto& form : kForms) {
    std::string path = dir.Path() + "/" + form.name + ".ini";
    WriteFileBytes(path, form.bom + Lines({"; kept comment", "[Load]", "LoadRows=5", "UpdateKey=ID", "DUP=1", "dup=2",
                                           "", "[Next]", "Other=x"},
                                          form.lineBreak));
    TIniFile ini(path);
    ini.WriteString("LOAD", "loadrows", "7");        // in place, under the caller's spelling
    ini.WriteString("Load", "Dup", "3");             // the first of duplicates
    ini.WriteString("load", "ErrorsToAllow", "50");  // new key: end of its section, before the blank line
    ini.WriteString("Fresh", "A", "1");              // new section: end of the file
    ini.WriteString("Fresh", "B", "2");
    EXPECT_EQ(ReadFileBytes(path),
              form.bom + Lines({"; kept comment", "[Load]", "loadrows=7", "UpdateKey=ID", "Dup=3", "dup=2",
                                "ErrorsToAllow=50", "", "[Next]", "Other=x", "[Fresh]", "A=1", "B=2"},
                               form.lineBreak))
        << form.name;
    ini.DeleteKey("load", "DUP");
    ini.EraseSection("next");
    EXPECT_EQ(ReadFileBytes(path), form.bom + Lines({"; kept comment", "[Load]", "loadrows=7", "UpdateKey=ID",
                                                     "ErrorsToAllow=50", "", "[Fresh]", "A=1", "B=2"},
                                                    form.lineBreak))
        << form.name;
  }
}

TEST(IniFileTest, NewFileIsPlainTextWithCrLf) {
  TempDir dir;
  std::string path = dir.Path() + "/new.ini";
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Load", "Key", "d"), "d");
  EXPECT_FALSE(ini.SectionExists("Load"));
  EXPECT_FALSE(std::filesystem::exists(path));  // reading creates nothing
  ini.WriteString("Load", "Key", "Zo\xC3\xAB");
  EXPECT_EQ(ReadFileBytes(path), "[Load]\r\nKey=Zo\xC3\xAB\r\n");
}

TEST(IniFileTest, KeepsUtf16Files) {
  TempDir dir;
  std::string path = dir.Path() + "/u16.ini";
  std::string le = Utf8ToUtf16Le("[Load]\r\nKey=\xE5\x8C\x97\r\n");
  WriteFileBytes(path, "\xFF\xFE" + le);
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Load", "Key", ""), "\xE5\x8C\x97");
  ini.WriteString("Load", "More", "x");
  EXPECT_EQ(ReadFileBytes(path), "\xFF\xFE" + Utf8ToUtf16Le("[Load]\r\nKey=\xE5\x8C\x97\r\nMore=x\r\n"));
}

TEST(IniFileTest, WrittenValuesReadBackUnchanged) {
  TempDir dir;
  TIniFile ini(dir.Path() + "/v.ini");
  const char* values[] = {"",   "plain", " leading", "trailing ", "\tboth\t", "\"quoted\"", "'single'",
                          "\"", "\"\"",  "a\"b",     "'a\"",      "x=y;z|w",  "\"open",     "spaces  inside"};
  for (const char* value : values) {
    ini.WriteString("V", "Key", value);
    EXPECT_EQ(ini.ReadString("V", "Key", "<default>"), value) << "[" << value << "]";
  }
  std::string longValue(400000, 'q');  // no limit in the plain class
  ini.WriteString("V", "Long", longValue);
  EXPECT_EQ(ini.ReadString("V", "Long", ""), longValue);
}

TEST(IniFileTest, RefusesWhatWouldCorruptTheFile) {
  TempDir dir;
  std::string path = dir.Path() + "/r.ini";
  TIniFile ini(path);
  ini.WriteString("Load", "Key", "before");
  const std::string before = ReadFileBytes(path);
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"Load", "Key", "two\r\nlines"},
      {"Load", "Key", "line\nbreak"},
      {"Load", "Key", "cr\ronly"},
      {"Lo]ad", "Key", "v"},
      {"Lo\nad", "Key", "v"},
      {"Load", "K=ey", "v"},
      {"Load", "", "v"},
      {"Load", "[Key]", "v"},
      {"Load", ";Key", "v"},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), EIniFileException) << c.section << "/" << c.key;
    EXPECT_EQ(ReadFileBytes(path), before);
  }
}

TEST(IniFileTest, FailedWriteLeavesOldFileAndNoTemporaryFile) {
  TempDir dir;
  std::string path = dir.Path() + "/s.ini";
  TIniFile ini(path);
  ini.WriteString("Load", "Key", "old");
  const std::string before = ReadFileBytes(path);

  // A file-size limit makes the write of the new content fail half-way.
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(ini.WriteString("Load", "Key", std::string(10000, 'x')), EIniFileException);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(ReadFileBytes(path), before);
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"s.ini"});

  TIniFile nowhere(dir.Path() + "/missing-folder/s.ini");
  EXPECT_THROW(nowhere.WriteString("Load", "Key", "v"), EIniFileException);
}

TEST(IniFileTest, ReplacingKeepsPermissionsAndLinks) {
  TempDir dir;
  std::string target = dir.Path() + "/target.ini";
  std::string link = dir.Path() + "/link.ini";
  TIniFile(target).WriteString("Load", "Key", "1");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  std::filesystem::create_symlink(target, link);
  TIniFile(link).WriteString("Load", "Key", "2");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(TIniFile(target).ReadString("Load", "Key", ""), "2");
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"link.ini", "target.ini"}));
}

TEST(IniFileTest, RelativeNameIsFixedAtConstruction) {
  TempDir dir;
  auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  TIniFile ini("rel.ini");
  std::filesystem::current_path(old);
  EXPECT_EQ(ini.FileName(), dir.Path() + "/rel.ini");
  ini.WriteString("S", "K", "v");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/rel.ini"));
}
