// verify=1: after each item the destination's own count is held against the rows
// converted. Runs the real program against the DB2 test server; the triggers and views
// that make the table disagree are the test server's own SQL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/UStrings.h"
#include "dac/UDataAccess.h"
#include "support/Db2Server.h"
#include "support/DbRows.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

// src(id, v): rows 1..30; the rows listed get a text too long for the destination's
// VARCHAR(5), so they are rejected and the converted count is below the source's.
std::string Source(const std::string& tooLong) {
  return "create table src (id integer, v text);"
         "with recursive s(i) as (select 1 union all select i + 1 from s where i < 30)"
         " insert into src select i, case when i in (" +
         tooLong + ") then 'TOOLONGVALUE' else 'v' || i end from s;";
}

// Rows 1..n of the destination, as the source would give them.
std::string DestRows(const std::string& table, int n) {
  return "insert into \"" + table + "\" select i, 'old' || i from generate_series(1, " + std::to_string(n) + ") i";
}

// A trigger function and its trigger on VT.
std::string Trigger(const std::string& timing, const std::string& body) {
  return "create or replace function vt_trig() returns trigger language plpgsql as '" + body +
         "'; create trigger vt_trig " + timing + " on \"VT\" for each row execute function vt_trig()";
}

const char* const DropsTenth = "begin if new.\"ID\" % 10 = 0 then return null; end if; return new; end";
const char* const DuplicatesFifth =
    "begin if new.\"ID\" = 5 then insert into \"VT\" values (-5, ''dup''); end if; return null; end";

const char* const DeletesOldRows = "begin delete from \"VT\" where \"ID\" > 1000; return null; end";

// A view over VT_BASE that takes inserts but cannot be counted once it holds a row.
const char* const UncountableView =
    "create table \"VT_BASE\" (\"ID\" integer, \"V\" varchar(5));"
    "create or replace function vt_refuse(i integer) returns boolean language plpgsql as"
    " 'begin raise exception ''rows of VT_BASE cannot be read''; end';"
    "create view \"VV\" as select \"ID\", \"V\" from \"VT_BASE\" where vt_refuse(\"ID\")";

class Db2VerifyCount : public ::testing::Test {
 protected:
  void SetUp() override {
    Db2Server::Get().Configure(Dest);
    Dest.Connect();
    SourceFile = Dir.Path() + "/source.db";
    Log = Dir.Path() + "/verify.log";
  }

  void Reset(const std::string& table) {
    RunScript(Dest,
              "drop view if exists \"VV\"; drop table if exists \"VT\"; drop table if exists \"VT_BASE\";"
              "drop table if exists \"" +
                  ReplaceAll(table, "\"", "\"\"") + "\"; drop function if exists vt_trig() cascade;");
  }

  std::string WriteSession(const std::string& table, const std::string& loadType, bool verifyInFile) {
    std::string path = Dir.Path() + "/verify.uld";
    std::ofstream out(path, std::ios::binary);
    out << "[Load]\r\nLoadRowsType=All\r\nLoadRows=0\r\nSkipRows=0\r\nColumns=\r\nSourceSchema=\r\nShowViews=0\r\n"
           "SourceTable=src\r\nDestSchema=DB2INST1\r\nDestTable="
        << table << "\r\nLoadType=" << loadType << "\r\n"
        << (loadType == "2" ? "UpdateKey=ID\r\n" : "") << "Fields=ID;INTEGER;;|V;VARCHAR;;\r\nErrorsToAllow=5\r\n"
        << "LogFile=\r\n"
        << (verifyInFile ? "Verify=1\r\n" : "");
    return path;
  }

  TProcessResult Run(const std::string& session, const std::string& extraKeys) {
    std::remove(Log.c_str());
    return RunFerrovan(Dir, Db2Server::Get().LogonKeys(SourceFile) + " \"session=" + session + "\" \"logfile=" + Log +
                                "\" " + extraKeys);
  }

  long Count(const std::string& sql) { return std::stol(QueryRows(Dest, sql).at(0)); }

  TempDir Dir;
  std::string SourceFile, Log;
  TUniConnection Dest;
};

TEST_F(Db2VerifyCount, CountsThatAgreeWithTheConvertedRowsPass) {
  struct TCase {
    const char* Name;
    const char* Table;
    const char* LoadType;
    const char* TooLong;  // source rows rejected within ErrorsToAllow
    int RowsBefore;       // rows the table holds before the run
    bool VerifyInFile;    // Verify=1 in the session file instead of verify=1 on the command line
    int ExitCode;
    const char* Verified;  // the log's line
    long RowsAfter;
  } cases[] = {
      {"append", "VT", "0", "0", 4, false, 0,
       "Verified: the table \"DB2INST1\".\"VT\" counts 30 rows more than before, as many as were converted.", 34},
      {"append, rows rejected", "VT", "0", "7,13", 4, false, 4,
       "Verified: the table \"DB2INST1\".\"VT\" counts 28 rows more than before, as many as were converted.", 32},
      {"replace, rows rejected, key in the file", "VT", "1", "7,13", 40, true, 4,
       "Verified: the table \"DB2INST1\".\"VT\" counts 28 rows, as many as were converted.", 28},
      {"update, rows rejected", "VT", "2", "7,13", 30, false, 4,
       "Verified: the database reported 28 rows of the table \"DB2INST1\".\"VT\" updated, as many as were converted.",
       30},
      {"a name that needs its quotes doubled", "V\"T x", "0", "0", 0, false, 0,
       "Verified: the table \"DB2INST1\".\"V\"\"T x\" counts 30 rows more than before, as many as were converted.", 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::ofstream(SourceFile, std::ios::trunc).flush();
    RunSqliteScript(SourceFile, Source(c.TooLong));
    Reset(c.Table);
    std::string quoted = "\"" + ReplaceAll(c.Table, "\"", "\"\"") + "\"";
    RunScript(Dest, "create table " + quoted + " (\"ID\" integer, \"V\" varchar(5))");
    if (c.RowsBefore > 0) RunScript(Dest, DestRows(ReplaceAll(c.Table, "\"", "\"\""), c.RowsBefore));
    auto r = Run(WriteSession(c.Table, c.LoadType, c.VerifyInFile), c.VerifyInFile ? "" : "verify=1");
    auto texts = LogTexts(Log);
    EXPECT_EQ(r.ExitCode, c.ExitCode) << r.Err << Joined(texts);
    EXPECT_TRUE(HasLine(texts, c.Verified)) << Joined(texts);
    EXPECT_EQ(r.Err.find("Verify failed"), std::string::npos) << r.Err;
    EXPECT_EQ(Count("select count(*) from " + quoted), c.RowsAfter);
  }
}

TEST_F(Db2VerifyCount, CountsThatDisagreeFailTheItem) {
  struct TCase {
    const char* Name;
    const char* LoadType;
    std::string Setup;  // after VT(ID, V) exists; a view case makes VV instead
    const char* Table;
    const char* Failure;     // the log's and the console's sentence
    const char* CountAfter;  // how many rows the table holds then, "" when it cannot be counted
  } cases[] = {
      {"append, a trigger drops rows", "0", Trigger("before insert", DropsTenth), "VT",
       "Verify failed: 30 rows were converted into the table \"DB2INST1\".\"VT\", but its row count went from 0 to "
       "27, 27 rows more.",
       "select count(*) from \"VT\""},
      {"append, a trigger adds a row", "0", Trigger("after insert", DuplicatesFifth), "VT",
       "Verify failed: 30 rows were converted into the table \"DB2INST1\".\"VT\", but its row count went from 0 to "
       "31, 31 rows more.",
       "select count(*) from \"VT\""},
      {"append, a trigger deletes rows that were there", "0",
       "insert into \"VT\" select 1000 + i, 'old' from generate_series(1, 40) i;" +
           Trigger("after insert", DeletesOldRows),
       "VT",
       "Verify failed: 30 rows were converted into the table \"DB2INST1\".\"VT\", but its row count went from 40 to "
       "30, 10 rows fewer.",
       "select count(*) from \"VT\""},
      {"replace, a trigger drops rows", "1", DestRows("VT", 5) + ";" + Trigger("before insert", DropsTenth), "VT",
       "Verify failed: 30 rows were converted into the table \"DB2INST1\".\"VT\", but the table counts 27 rows.",
       "select count(*) from \"VT\""},
      {"update, a trigger skips rows", "2", DestRows("VT", 30) + ";" + Trigger("before update", DropsTenth), "VT",
       "Verify failed: 30 rows were converted into the table \"DB2INST1\".\"VT\", but the database reported 27 rows "
       "updated.",
       "select count(*) from \"VT\" where \"V\" like 'v%'"},
      {"update, keys missing from the table", "2", DestRows("VT", 20), "VT",
       "Verify failed: 30 rows were converted into the table \"DB2INST1\".\"VT\", but the database reported 20 rows "
       "updated.",
       "select count(*) from \"VT\" where \"V\" like 'v%'"},
      {"append, the count cannot be read after the run", "0", UncountableView, "VV",
       "Verify failed: the row count of the table \"DB2INST1\".\"VV\" could not be read: ",
       "select count(*) from \"VT_BASE\""},
  };
  const long rowsAfter[] = {27, 31, 30, 27, 27, 20, 30};
  std::ofstream(SourceFile, std::ios::trunc).flush();
  RunSqliteScript(SourceFile, Source("0"));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.Name);
    Reset("VT");
    if (std::string(c.Table) == "VT") RunScript(Dest, "create table \"VT\" (\"ID\" integer, \"V\" varchar(5))");
    RunScript(Dest, c.Setup);
    auto r = Run(WriteSession(c.Table, c.LoadType, false), "verify=1");
    auto texts = LogTexts(Log);
    EXPECT_EQ(r.ExitCode, 3) << r.Err << Joined(texts);
    bool logged =
        std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(c.Failure, 0) == 0; });
    EXPECT_TRUE(logged) << Joined(texts);
    EXPECT_TRUE(HasLine(texts, "Convert Failed")) << Joined(texts);
    EXPECT_NE(r.Err.find(c.Failure), std::string::npos) << r.Err;
    EXPECT_EQ(Count(c.CountAfter), rowsAfter[i]);
  }
  Reset("VT");
}

// A count that cannot be read before anything is written fails the item with the table
// as it was.
TEST_F(Db2VerifyCount, UnreadableCountBeforeTheRunWritesNothing) {
  std::ofstream(SourceFile, std::ios::trunc).flush();
  RunSqliteScript(SourceFile, Source("0"));
  Reset("VT");
  RunScript(Dest, std::string(UncountableView) + "; insert into \"VT_BASE\" values (1, 'a')");
  auto r = Run(WriteSession("VV", "0", false), "verify=1");
  auto texts = LogTexts(Log);
  EXPECT_EQ(r.ExitCode, 3) << r.Err << Joined(texts);
  EXPECT_NE(r.Err.find("Verify failed: the row count of the table \"DB2INST1\".\"VV\" could not be read: "),
            std::string::npos)
      << r.Err;
  EXPECT_NE(r.Err.find("cannot be read"), std::string::npos) << r.Err;
  EXPECT_EQ(Count("select count(*) from \"VT_BASE\""), 1);
  Reset("VT");
}

// Without the key nothing is counted, and verify=0 turns off the session file's Verify=1.
TEST_F(Db2VerifyCount, OffUnlessAskedFor) {
  std::ofstream(SourceFile, std::ios::trunc).flush();
  RunSqliteScript(SourceFile, Source("0"));
  struct TCase {
    const char* Name;
    bool VerifyInFile;
    const char* Keys;
  } cases[] = {{"no key anywhere", false, ""}, {"verify=0 over Verify=1", true, "verify=0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Reset("VT");
    RunScript(Dest, "create table \"VT\" (\"ID\" integer, \"V\" varchar(5));" + Trigger("before insert", DropsTenth));
    auto r = Run(WriteSession("VT", "0", c.VerifyInFile), c.Keys);
    auto texts = LogTexts(Log);
    EXPECT_EQ(r.ExitCode, 0) << r.Err << Joined(texts);
    EXPECT_EQ(Joined(texts).find("Verif"), std::string::npos) << Joined(texts);
  }
  Reset("VT");
}

// A value the key cannot take stops the run before anything is done.
TEST_F(Db2VerifyCount, ValueOtherThanOneOrZeroIsABadCommandLine) {
  std::ofstream(SourceFile, std::ios::trunc).flush();
  RunSqliteScript(SourceFile, Source("0"));
  Reset("VT");
  RunScript(Dest, "create table \"VT\" (\"ID\" integer, \"V\" varchar(5))");
  auto r = Run(WriteSession("VT", "0", false), "verify=yes");
  EXPECT_EQ(r.ExitCode, 2) << r.Err;
  EXPECT_NE(r.Err.find("ferrovan: The value of verify must be 1 or 0, not \"yes\"."), std::string::npos) << r.Err;
  EXPECT_EQ(Count("select count(*) from \"VT\""), 0);
  Reset("VT");
}

}  // namespace
