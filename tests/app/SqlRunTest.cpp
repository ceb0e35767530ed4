// SQL files run from the command line against a real SQLite file and the DB2 test
// server, as a scheduled job would run them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "dac/UDataAccess.h"
#include "support/Db2Server.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

namespace {

class SqlRun : public ::testing::Test {
 protected:
  void SetUp() override {
    Database = Dir.Path() + "/source data.db";
    std::ofstream(Database) << "";  // SQLite takes an empty file as an empty database
    Log = Dir.Path() + "/run.log";
  }
  std::string WriteSql(const std::string& name, const std::string& text) {
    std::string path = Dir.Path() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string SqliteKeys() const { return "\"sqlite_database=" + Database + "\""; }
  std::string Db2Keys(const std::string& protocol, const std::string& password = "") const {
    const Db2Server& s = Db2Server::Get();
    return "db2_username=" + s.User + " \"db2_password=" + (password.empty() ? s.Password : password) +
           "\" db2_server=" + s.Database + " db2_protocol=" + protocol + " db2_hostname=" + s.Host +
           " db2_port=" + s.Port;
  }
  TProcessResult Run(const std::string& args) { return RunFerrovan(Dir, "\"logfile=" + Log + "\" " + args); }
  std::vector<std::string> Query(TUniConnection& c, const std::string& sql) {
    if (!c.Connected()) c.Connect();
    TUniQuery q(&c);
    q.SQL = sql;
    q.Open();
    std::vector<std::string> rows;
    for (; !q.Eof(); q.Next()) rows.push_back(q.Fields(0).AsString());
    return rows;
  }
  std::vector<std::string> SqliteRows(const std::string& sql) {
    TUniConnection c;
    c.ProviderName = "Sqlite";
    c.Database = Database;
    return Query(c, sql);
  }
  std::vector<std::string> Db2Rows(const std::string& sql) {
    TUniConnection c;
    Db2Server::Get().Configure(c);
    return Query(c, sql);
  }
  bool Logged(const std::string& text) {
    auto texts = LogTexts(Log);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  TempDir Dir;
  std::string Database, Log;
};

TEST_F(SqlRun, SourceAndSqlKeysRunAgainstTheSqliteFile) {
  std::string sql = WriteSql("make.sql", "create table t (s text);\r\ninsert into t values ('a;b');\r\n");
  auto r = Run(SqliteKeys() + " " + Db2Keys("TCPIP") + " \"source_sql=" + sql + "\"");
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  auto texts = LogTexts(Log);
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts.front(), "start execute sql.");
  EXPECT_EQ(texts.back(), "end execute sql.");
  EXPECT_EQ(SqliteRows("select s from t"), std::vector<std::string>{"a;b"});

  // "sql" goes to the source side too.
  sql = WriteSql("more.sql", "insert into t values ('c')");
  r = Run(SqliteKeys() + " " + Db2Keys("TCPIP") + " \"sql=" + sql + "\"");
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(SqliteRows("select s from t order by s"), (std::vector<std::string>{"a;b", "c"}));
}

TEST_F(SqlRun, FailingStatementStopsTheScriptAndFailsTheRun) {
  std::string sql = WriteSql("three.sql",
                             "create table t3 (i integer);\ninsert into missing_table values (1);\n"
                             "insert into t3 values (3);\n");
  auto r = Run(SqliteKeys() + " " + Db2Keys("TCPIP") + " source_sql=" + sql);
  EXPECT_EQ(r.ExitCode, 3) << r.Err;
  auto texts = LogTexts(Log);
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts.back(), "end execute sql.");
  EXPECT_EQ(texts[texts.size() - 2], "exception: no such table: missing_table");
  EXPECT_EQ(SqliteRows("select count(*) from t3"), std::vector<std::string>{"0"});
}

TEST_F(SqlRun, DestSqlRunsOnDb2InBothConnectionForms) {
  for (std::string protocol : {"TCPIP", "Standard"}) {
    SCOPED_TRACE(protocol);
    std::string table = "sqlrun_" + protocol;
    std::string sql =
        WriteSql("dest.sql", "drop table if exists " + table + ";\ncreate table " + table +
                                 " (s varchar(20));\ninsert into " + table + " values ('x;y'), ('it''s');\n");
    auto r = Run(SqliteKeys() + " " + Db2Keys(protocol) + " dest_sql=" + sql);
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_TRUE(Logged("end execute sql."));
    EXPECT_EQ(Db2Rows("select s from " + table + " order by s"), (std::vector<std::string>{"it's", "x;y"}));
  }
}

TEST_F(SqlRun, Db2FailureInTheMiddleIsLoggedWithTheServersText) {
  std::string sql = WriteSql("bad.sql",
                             "drop table if exists sqlrun_bad;\ncreate table sqlrun_bad (i integer);\n"
                             "insert into sqlrun_bad values ('not a number');\ninsert into sqlrun_bad values (2);\n");
  auto r = Run(SqliteKeys() + " " + Db2Keys("TCPIP") + " dest_sql=" + sql);
  EXPECT_EQ(r.ExitCode, 3);
  auto texts = LogTexts(Log);
  auto exception =
      std::find_if(texts.begin(), texts.end(), [](const std::string& t) { return t.rfind("exception: ", 0) == 0; });
  ASSERT_NE(exception, texts.end());
  EXPECT_EQ(exception->rfind("exception: [22P02]", 0), 0u) << *exception;
  EXPECT_EQ(texts.back(), "end execute sql.");
  EXPECT_EQ(Db2Rows("select count(*) from sqlrun_bad"), std::vector<std::string>{"0"});
}

TEST_F(SqlRun, WrongDb2PasswordEndsTheRunBeforeAnySql) {
  std::string sql = WriteSql("never.sql", "create table never_run (i integer);");
  auto r = Run(SqliteKeys() + " " + Db2Keys("TCPIP", "Wrong Pass") + " dest_sql=" + sql);
  EXPECT_EQ(r.ExitCode, 2);
  auto texts = LogTexts(Log);
  ASSERT_FALSE(texts.empty());
  EXPECT_NE(texts.front().find("password authentication failed"), std::string::npos) << texts.front();
  EXPECT_EQ(texts.back(), "Logon failed and no front end can open: the run ends.");
  for (const auto& t : texts) EXPECT_EQ(t.find("Wrong Pass"), std::string::npos) << t;
  EXPECT_FALSE(Logged("start execute sql."));
}

}  // namespace
