#include <gtest/gtest.h>

#include "base/UExceptions.h"
#include "base/URegex.h"
#include "base/USettingsStore.h"
#include "support/TempDir.h"

namespace {

TEST(Regex, FindsEveryMatchWithGroups) {
  TRegex re("&&([\\d|\\w]+)");
  auto found = re.FindAll("a = &&x1 and b = &&Y_2|z, &&");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].Groups, (std::vector<std::string>{"&&x1", "x1"}));
  EXPECT_EQ(found[1].Groups, (std::vector<std::string>{"&&Y_2|z", "Y_2|z"}));
  EXPECT_EQ(found[1].Position, 17u);
}

TEST(Regex, WholeTextMatchAndCase) {
  EXPECT_TRUE(TRegex("\\d{4}-\\d{2}").Matches("2024-02"));
  EXPECT_FALSE(TRegex("\\d{4}-\\d{2}").Matches("2024-02x"));
  EXPECT_FALSE(TRegex("define").Matches("DEFINE"));
  EXPECT_TRUE(TRegex("define", true).Matches("DEFINE"));
  EXPECT_TRUE(TRegex("ü+").Matches("üü"));
  EXPECT_THROW(TRegex("(unclosed"), Exception);
}

TEST(Regex, FirstMatchFromAnOffsetAndReplacement) {
  TRegex re("(\\d+)(x)?");
  auto m = re.Find("ab 12 34x", 5);
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->Position, 6u);
  EXPECT_EQ(m->Groups, (std::vector<std::string>{"34x", "34", "x"}));
  // A group that took no part still has its slot.
  EXPECT_EQ(re.Find("ab 12")->Groups, (std::vector<std::string>{"12", "12", ""}));
  EXPECT_FALSE(re.Find("ab 12", 6).has_value());
  EXPECT_FALSE(re.Contains("none"));
  EXPECT_EQ(TRegex("(f{3})").ReplaceAll("ss.ffff.fff", "FF3"), "ss.FF3f.FF3");
  EXPECT_EQ(TRegex("x*").ReplaceAll("ab", "-"), "-a-b-");
}

TEST(RecentFiles, NewestFirstWithoutDuplicates) {
  TempDir dir;
  TSettingsStore store(dir.Path() + "/s.reg");
  const std::string key = "Software\\Quillmark\\Ferrovan\\sqlitelist";
  AddRecentFile(store, key, "/a.db", 3);
  AddRecentFile(store, key, "/b c.db", 3);
  AddRecentFile(store, key, "/a.db", 3);
  AddRecentFile(store, key, "/d.db", 3);
  AddRecentFile(store, key, "/e.db", 3);
  EXPECT_EQ(ReadRecentFiles(TSettingsStore(dir.Path() + "/s.reg"), key),
            (std::vector<std::string>{"/e.db", "/d.db", "/a.db"}));
}

}  // namespace
