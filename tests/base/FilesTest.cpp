#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "base/UDateUtils.h"
#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/USettingsStore.h"
#include "base/UTextFile.h"
#include "base/UUtf16.h"
#include "support/TempDir.h"

TEST(TextFileTest, ReadsByByteOrderMarkElseUtf8) {
  TempDir dir;
  const std::string text = "Zo\xC3\xAB \xE5\x8C\x97\r\nline2";
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"plain", text},
      {"utf8bom", "\xEF\xBB\xBF" + text},
      {"utf16le", std::string("\xFF\xFE") + Utf8ToUtf16Le(text)},
      {"utf16be", [&] {
         std::string le = Utf8ToUtf16Le(text), be;
         for (size_t i = 0; i + 1 < le.size(); i += 2) be += std::string{le[i + 1], le[i]};
         return std::string("\xFE\xFF") + be;
       }()},
  };
  for (const auto& c : cases) {
    std::string path = dir.Path() + "/" + c.name + ".txt";
    WriteFileBytes(path, c.bytes);
    EXPECT_EQ(ReadTextFile(path), text) << c.name;
  }
  EXPECT_THROW(ReadTextFile(dir.Path() + "/missing.txt"), EInOutError);
  WriteFileBytes(dir.Path() + "/odd.txt", std::string("\xFF\xFE" "a", 3));  // odd UTF-16 byte count
  EXPECT_THROW(ReadTextFile(dir.Path() + "/odd.txt"), EConvertError);
}

TEST(LogTimeTest, FormatsLocalTimeWithMilliseconds) {
  setenv("TZ", "UTC", 1);
  tzset();
  std::tm tm{};
  tm.tm_year = 2014 - 1900;
  tm.tm_mon = 0;
  tm.tm_mday = 2;
  tm.tm_hour = 9;
  tm.tm_min = 5;
  tm.tm_sec = 3;
  auto when = std::chrono::system_clock::from_time_t(timegm(&tm)) + std::chrono::milliseconds(700);
  EXPECT_EQ(FormatLogTime(when), "2014-01-02 09:05:03:700");
  EXPECT_EQ(FormatLogTime(when + std::chrono::milliseconds(312)), "2014-01-02 09:05:04:012");
}

TEST(PathsTest, FileNamePieces) {
  EXPECT_EQ(ExtractFileName("/a/b/c.uld"), "c.uld");
  EXPECT_EQ(ExtractFilePath("/a/b/c.uld"), "/a/b/");
  EXPECT_EQ(ExtractFileExt("/a/b.d/c.uld"), ".uld");
  EXPECT_EQ(ExtractFileExt("/a/b.d/c"), "");
  EXPECT_EQ(ChangeFileExt("/a/c.uld", ".bak"), "/a/c.bak");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
}

TEST(PathsTest, AppDataDirIsCreatedAndEndsWithDelimiter) {
  TempDir dir;
  ScopedEnv data("XDG_DATA_HOME", dir.Path() + "/data home");
  std::string folder = GetAppDataDir("ferrovan");
  EXPECT_EQ(folder, dir.Path() + "/data home/ferrovan/");
  EXPECT_TRUE(DirectoryExists(folder));
  WriteFileBytes(dir.Path() + "/blocker", "x");
  ScopedEnv blocked("XDG_DATA_HOME", dir.Path() + "/blocker");
  try {
    GetAppDataDir("ferrovan");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Cannot create \"" + dir.Path() + "/blocker/ferrovan\"");
  }
}

TEST(SettingsStoreTest, KeysAndValuesLikeTheRegistry) {
  TempDir dir;
  TSettingsStore store(dir.Path() + "/cfg/settings.reg");
  const std::string key = "Software\\quillmark\\DB2List";
  EXPECT_FALSE(store.KeyExists(key));
  EXPECT_EQ(store.ReadString(key, "LastServer", "none"), "none");
  store.WriteString(key, "LastServer", "SAMPLE");
  store.WriteString(key + "\\SAMPLE", "Password", "p\"w\\d\r\n=x");
  store.WriteBool(key + "\\SAMPLE", "Save Password", true);
  store.WriteString(key + "\\Other", "Server", "OTHER");
  store.CreateKey(key + "\\SAMPLE\\Deeper");

  TSettingsStore again(dir.Path() + "/cfg/settings.reg");  // everything is on disk
  EXPECT_TRUE(again.KeyExists("software\\QUILLMARK\\db2list"));
  EXPECT_EQ(again.ReadString(key, "lastserver"), "SAMPLE");
  EXPECT_EQ(again.ReadString(key + "\\sample", "PASSWORD"), "p\"w\\d\r\n=x");
  EXPECT_TRUE(again.ReadBool(key + "\\SAMPLE", "Save Password"));
  EXPECT_EQ(again.ReadInteger(key + "\\SAMPLE", "Save Password"), 1);
  EXPECT_EQ(again.GetKeyNames(key), (std::vector<std::string>{"SAMPLE", "Other"}));
  again.WriteString(key, "LASTSERVER", "OTHER");  // same value, spelling kept
  EXPECT_EQ(again.GetValueNames(key), (std::vector<std::string>{"LastServer"}));
  again.DeleteValue(key + "\\SAMPLE", "Password");
  EXPECT_FALSE(again.ValueExists(key + "\\SAMPLE", "Password"));
  again.DeleteKey(key + "\\SAMPLE");
  EXPECT_EQ(again.GetKeyNames(key), (std::vector<std::string>{"Other"}));

  struct stat st {};
  ASSERT_EQ(stat((dir.Path() + "/cfg/settings.reg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // stored passwords are for the owner only
}

TEST(SettingsStoreTest, TheCallerNamesTheFileAndItsHeader) {
  TempDir dir;
  TSettingsStore headed(dir.Path() + "/headed.reg", "Someone's settings");
  headed.WriteInteger("K", "V", 1);
  EXPECT_EQ(ReadFileBytes(dir.Path() + "/headed.reg"), "; Someone's settings\n[K]\n\"V\"=dword:1\n");
  TSettingsStore plain(dir.Path() + "/plain.reg");
  plain.WriteInteger("K", "V", 1);
  EXPECT_EQ(ReadFileBytes(dir.Path() + "/plain.reg"), "[K]\n\"V\"=dword:1\n");
}
