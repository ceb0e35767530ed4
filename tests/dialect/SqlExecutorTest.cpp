#include <gtest/gtest.h>

#include "dac/UDataAccess.h"
#include "dialect/USqlExecutor.h"
#include "support/TempDir.h"

namespace {

TEST(DefinedValues, DefinitionsAndReferences) {
  struct Case {
    std::vector<std::string> lines;
    std::string defines;  // comma text of the definitions found
    std::string result;   // the text after ApplyDefines
  } cases[] = {
      {{"DEFINE a = 1 b=2", "select * from t where id = &&a and k = &&b"},
       "a=1,b=2",
       "DEFINE a = 1 b=2\r\nselect * from t where id = 1 and k = 2\r\n"},
      // Lower case is no definition; an undefined reference stays as written.
      {{"define a=1", "select &&a"}, "", "define a=1\r\nselect &&a\r\n"},
      // Looked up without regard to case; the reference is replaced as it stands.
      {{"DEFINE a=5", "select &&A, &&a"}, "a=5", "DEFINE a=5\r\nselect 5, 5\r\n"},
      // Anywhere in the line, quoted values keep their blanks, the first definition wins.
      {{"-- DEFINE name=\"Ann Lee\" n=1 n=2", "where name = '&&name' and n = &&n and m = &&missing"},
       "name=Ann Lee,n=1,n=2",
       "-- DEFINE name=\"Ann Lee\" n=1 n=2\r\nwhere name = 'Ann Lee' and n = 1 and m = &&missing\r\n"},
      // A longer name is another reference, even when a shorter one is defined.
      {{"DEFINE a=1", "select &&ab, &&a"}, "a=1", "DEFINE a=1\r\nselect &&ab, 1\r\n"},
      // Each reference is replaced once; a value is not searched for references again.
      {{"DEFINE a=&&a&&a", "select &&a"}, "a=&&a&&a", "DEFINE a=&&a&&a&&a&&a\r\nselect &&a&&a\r\n"},
  };
  for (const auto& c : cases) {
    TStringList lines;
    for (const auto& l : c.lines) lines.Add(l);
    TDefinedValuesParser parser(&lines);
    parser.ParseDefines();
    EXPECT_EQ(parser.Defines.DelimitedText(',', '"', true), c.defines) << c.lines[0];
    parser.ApplyDefines();
    EXPECT_EQ(lines.Text(), c.result);
  }
}

// Found by fuzzing: values referring to themselves once doubled the text for every
// reference, so this script never finished.
TEST(DefinedValues, SelfReferringValuesEndQuickly) {
  const std::string script(
      "DEFINE I\"=\"\x06@`\x00\x00\x0b x=\"\x07\x00\x00\x00&&&&x=&&x&&&&&&x=&&x&&x=&`\x00\x00\x0b x=&`\x00\x00\x0b "
      "x=0;\n-;&&&&x=&&x&&x=&x=&&x&&x=&x=\"x!\x0b\" t &&z;",
      108);
  TStringList lines;
  lines.SetText(script);
  TDefinedValuesParser parser(&lines);
  parser.ParseDefines();
  parser.ApplyDefines();
  // Each reference replaced once, by a value no longer than the script itself.
  EXPECT_LE(lines.Text().size(), script.size() * script.size());
}

TEST(DefinedValues, AskValueGoesThroughTheFrontEnd) {
  TStringList lines;
  TDefinedValuesParser parser(&lines);
  EXPECT_EQ(parser.AskValue("x"), "");
  std::string title, prompt;
  parser.InputQuery = [&](const std::string& t, const std::string& p) {
    title = t;
    prompt = p;
    return std::string("42");
  };
  EXPECT_EQ(parser.AskValue("x"), "42");
  EXPECT_EQ(title, "Set Value");
  EXPECT_EQ(prompt, "Enter value for \"x\"");
}

TEST(UniSqlExecutor, RunsStatementsUntilTheFirstFailure) {
  TempDir dir;
  TUniConnection connection;
  connection.ProviderName = "Sqlite";
  connection.Database = dir.Path() + "/x.db";
  {
    FILE* f = fopen(connection.Database.c_str(), "w");
    fclose(f);
  }
  connection.Connect();
  TUniSqlExecutor executor;
  executor.SetConnection(&connection);
  EXPECT_TRUE(executor.Execute("create table t (s text);\ninsert into t values ('a;b');"));
  EXPECT_THROW(
      executor.Execute("insert into t values ('1'); insert into nowhere values (2); insert into t values ('3')"),
      EDatabaseError);
  TUniQuery q(&connection);
  q.SQL = "select group_concat(s, '|') from t";
  q.Open();
  EXPECT_EQ(q.Fields(0).AsString(), "a;b|1");
}

}  // namespace
