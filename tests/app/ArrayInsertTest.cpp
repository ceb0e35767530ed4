// The same sessions run with parameter arrays and row by row (FERROVAN_ROW_BY_ROW)
// against the DB2 test server must leave the same rows, the same log and the same exit
// code: failing rows inside an array are found again one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

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

// Rows 1..count of src(id, v, n) in SQLite; v is "v<id>" except in the rows listed,
// which get a text longer than the destination takes; n is id * 10, or "x"
// (no integer) in the rows of badNumbers.
std::string Numbered(int count, const std::string& longRows, const std::string& badNumbers = "0") {
  return "create table src (id integer, v text, n text);"
         "with recursive s(i) as (select 1 union all select i + 1 from s where i < " +
         std::to_string(count) + ") insert into src select i, case when i in (" + longRows +
         ") then 'TOOLONGVALUE' else 'v' || (i % 1000) end,"
         " case when i in (" +
         badNumbers + ") then 'x' else i * 10 end from s;";
}

// The check is tested after the trigger has counted the row: a rejected row counts too.
const char* const NumberedDest =
    "create table \"AI_T\" (\"ID\" integer, \"V\" varchar(20) check (length(\"V\") <= 5), \"N\" integer)";
const char* const NumberedFields = "ID;INTEGER;;|V;VARCHAR;;|N;INTEGER;;";

struct TRunResult {
  int ExitCode = -1;
  std::vector<std::string> Log;
  std::vector<std::string> Rows;
  std::string Attempts;  // rows written the table's trigger saw, rolled back ones included
};

class ArrayInsert : public ::testing::Test {
 protected:
  void SetUp() override {
    Db2Server::Get().Configure(Dest);
    Dest.Connect();
  }
  void TearDown() override { unsetenv("FERROVAN_ROW_BY_ROW"); }

  void SourceSql(const std::string& file, const std::string& script) {
    std::ofstream(file) << "";  // each case starts from an empty source
    RunSqliteScript(file, script);
  }
  void DestSql(const std::string& script) { RunScript(Dest, script); }
  std::vector<std::string> DestRows(const std::string& sql) { return QueryRows(Dest, sql); }
  std::string LogonKeys(const std::string& source) const { return Db2Server::Get().LogonKeys(source); }

  // A destination table made afresh, with a trigger that counts every row written it sees
  // in a sequence, which a rollback does not take back.
  void MakeDest(const std::string& ddl, const std::string& rows) {
    DestSql(
        "drop table if exists \"AI_T\"; drop sequence if exists ai_attempts; create sequence ai_attempts;"
        "create or replace function ai_count() returns trigger language plpgsql as"
        " 'begin perform nextval(''ai_attempts''); return new; end';" +
        ddl + "; create trigger ai_count before insert or update on \"AI_T\" for each row execute function ai_count()" +
        (rows.empty() ? std::string() : ";" + rows));
  }

  TRunResult Run(bool rowByRow, const std::string& source, const std::vector<std::string>& session) {
    std::string sessionFile = Dir.Path() + "/ai.uld";
    {
      std::ofstream out(sessionFile, std::ios::binary);
      out << "[Load]\r\n";
      for (const auto& l : session) out << l << "\r\n";
    }
    std::string log = Dir.Path() + "/ai.log";
    std::remove(log.c_str());
    if (rowByRow)
      setenv("FERROVAN_ROW_BY_ROW", "1", 1);
    else
      unsetenv("FERROVAN_ROW_BY_ROW");
    TProcessResult p = RunFerrovan(Dir, LogonKeys(source) + " \"session=" + sessionFile + "\" \"logfile=" + log + "\"");
    unsetenv("FERROVAN_ROW_BY_ROW");
    TRunResult r;
    r.ExitCode = p.ExitCode;
    r.Log = LogTexts(log);
    for (auto& t : r.Log) {
      auto at = t.find("    Elapsed: ");
      if (at != std::string::npos) t.replace(at + 13, 8, "hh:mm:ss");
    }
    r.Rows = DestRows("select * from \"AI_T\" order by 1, 2");
    auto seq = DestRows("select case when is_called then last_value else 0 end from ai_attempts");
    r.Attempts = seq.empty() ? "" : seq[0];
    return r;
  }

  TempDir Dir;
  TUniConnection Dest;
};

std::vector<std::string> Session(const std::string& loadType, const std::string& fields,
                                 const std::string& errorsToAllow, const std::string& extra = "") {
  std::vector<std::string> lines = {"LoadRowsType=All", "LoadRows=0",          "SkipRows=0",      "Columns=",
                                    "SourceSchema=",    "ShowViews=0",         "SourceTable=src", "DestSchema=DB2INST1",
                                    "DestTable=AI_T",   "LoadType=" + loadType};
  if (!extra.empty()) lines.push_back(extra);
  lines.push_back("Fields=" + fields);
  lines.push_back("ErrorsToAllow=" + errorsToAllow);
  lines.push_back("LogFile=");
  return lines;
}

struct TCase {
  std::string Name;
  std::string Source;    // SQLite script making table src
  std::string DestDdl;   // creates table "AI_T"
  std::string DestRows;  // rows already in the table
  std::vector<std::string> SessionLines;
  int ExitCode;
  size_t RowsInTable;
  std::string EndLine;  // the result line of the log
  bool ArrayReplayed;   // a failing row makes the array run try more inserts
};

TEST_F(ArrayInsert, ArraysAndRowByRowLeaveTheSameRowsLogAndExitCode) {
  const std::string blobSource =
      "create table src (id integer, name text, note text, data blob, d date, amount numeric(12,2), f real);"
      "insert into src values (1, 'Grüße', null, x'00ff10', '2024-02-29', 12.34, 1.5);"
      "insert into src values (2, '日本語', 'NULL', null, null, null, null);"
      "insert into src values (3, '😀 ok', '', x'', '1999-12-31', 0.10, -2.25);"
      "with recursive s(i) as (select 4 union all select i + 1 from s where i < 1500)"
      " insert into src select i, 'n' || i, case when i % 3 = 0 then null else 'note ' || i end,"
      " case when i % 5 = 0 then null else randomblob(i % 300) end, '2020-01-01', i / 100.0, i * 0.5 from s;"
      "update src set name = 'this name is far too long' where id = 1200;";
  const std::string blobDest =
      "create table \"AI_T\" (\"ID\" integer, \"NAME\" varchar(40) check (length(\"NAME\") <= 10), \"NOTE\" "
      "varchar(20), \"DATA\" blob(1000),"
      " \"D\" date, \"AMOUNT\" decimal(12,2), \"F\" double)";
  const std::string blobFields =
      "ID;INTEGER;;|NAME;VARCHAR;;|NOTE;VARCHAR;;|DATA;BLOB;;|D;DATE;;|AMOUNT;DECIMAL;;|F;DOUBLE;;";
  const std::string largeSource =
      "create table src (id integer, name text, data blob);"
      "with recursive s(i) as (select 1 union all select i + 1 from s where i < 400)"
      " insert into src select i, case when i in (50, 300) then 'this name is far too long' else 'n' || i end,"
      " randomblob(100000) from s;";
  const std::string largeDest =
      "create table \"AI_T\" (\"ID\" integer, \"NAME\" varchar(40) check (length(\"NAME\") <= 10),"
      " \"DATA\" blob(200000))";
  const std::string nulSource =
      "create table src (id integer, v text, n text);"
      "with recursive s(i) as (select 1 union all select i + 1 from s where i < 1500)"
      " insert into src select i, case when i in (7, 1200) then 'v' || char(0) || i else 'v' || i % 1000 end,"
      " i * 10 from s;";
  const std::string existing = "insert into \"AI_T\" values (-1, 'old', -10), (-2, 'old', -20)";

  const TCase cases[] = {
      {"no failures", Numbered(2500, "0"), NumberedDest, "", Session("0", NumberedFields, "50"), 0, 2500,
       "2500 records    Elapsed: hh:mm:ss", false},
      {"row 1 fails", Numbered(2500, "1"), NumberedDest, "", Session("0", NumberedFields, "50"), 4, 2499,
       "2499 records    Elapsed: hh:mm:ss.  1 rows can not convert.", true},
      {"row 500 fails", Numbered(2500, "500"), NumberedDest, "", Session("0", NumberedFields, "50"), 4, 2499,
       "2499 records    Elapsed: hh:mm:ss.  1 rows can not convert.", true},
      {"row 1000 fails", Numbered(2500, "1000"), NumberedDest, "", Session("0", NumberedFields, "50"), 4, 2499,
       "2499 records    Elapsed: hh:mm:ss.  1 rows can not convert.", true},
      {"row 1001 fails", Numbered(2500, "1001"), NumberedDest, "", Session("0", NumberedFields, "50"), 4, 2499,
       "2499 records    Elapsed: hh:mm:ss.  1 rows can not convert.", true},
      {"rows 3 5 6 9 rejected, 2 allowed", Numbered(20, "3,5,6,9"), NumberedDest, "", Session("0", NumberedFields, "2"),
       3, 3, "3 records    Elapsed: hh:mm:ss.  3 rows can not convert.", true},
      // Rows 5 and 9 fail while their values are set, 3 and 6 only at the database:
      // the messages keep the order of the rows.
      {"rejected and unset rows mixed, 2 allowed", Numbered(20, "3,6", "5,9"), NumberedDest, "",
       Session("0", NumberedFields, "2"), 3, 3, "3 records    Elapsed: hh:mm:ss.  3 rows can not convert.", true},
      {"rows 5 6 unset, 1500 rejected, 1 allowed", Numbered(1600, "1500", "5,6"), NumberedDest, "",
       Session("0", NumberedFields, "1"), 3, 4, "4 records    Elapsed: hh:mm:ss.  2 rows can not convert.", false},
      {"every row rejected, no limit", Numbered(1500, "i"), NumberedDest, "", Session("0", NumberedFields, "0"), 4, 0,
       "0 records    Elapsed: hh:mm:ss.  1500 rows can not convert.", true},
      {"replace", Numbered(2500, "1200"), NumberedDest, existing, Session("1", NumberedFields, "50"), 4, 2499,
       "2499 records    Elapsed: hh:mm:ss.  1 rows can not convert.", true},
      {"update", Numbered(1200, "7"), NumberedDest,
       "insert into \"AI_T\" select g, 'old', 0 from generate_series(1, 1300, 2) g",
       Session("2", NumberedFields, "50", "UpdateKey=ID"), 4, 650,
       "1199 records    Elapsed: hh:mm:ss.  1 rows can not convert.", true},
      // An array ends early under large values; the rest of its interval goes row by row.
      {"large blobs", largeSource, largeDest, "", Session("0", "ID;INTEGER;;|NAME;VARCHAR;;|DATA;BLOB;;", "50"), 4, 398,
       "398 records    Elapsed: hh:mm:ss.  2 rows can not convert.", true},
      {"nulls unicode blobs", blobSource, blobDest, "", Session("0", blobFields, "50"), 4, 1499,
       "1499 records    Elapsed: hh:mm:ss.  1 rows can not convert.", true},
      // Refused before the array is sent: the rows written again one by one are all it tried.
      {"text holding a NUL", nulSource, NumberedDest, "", Session("0", NumberedFields, "50"), 4, 1498,
       "1498 records    Elapsed: hh:mm:ss.  2 rows can not convert.", false},
  };
  int index = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string source = Dir.Path() + "/source" + std::to_string(index++) + ".db";
    SourceSql(source, c.Source);
    MakeDest(c.DestDdl, c.DestRows);
    TRunResult rows = Run(true, source, c.SessionLines);
    MakeDest(c.DestDdl, c.DestRows);
    TRunResult arrays = Run(false, source, c.SessionLines);

    EXPECT_EQ(rows.ExitCode, c.ExitCode) << Joined(rows.Log);
    EXPECT_EQ(rows.Rows.size(), c.RowsInTable);
    EXPECT_NE(std::find(rows.Log.begin(), rows.Log.end(), c.EndLine), rows.Log.end()) << Joined(rows.Log);

    EXPECT_EQ(arrays.ExitCode, rows.ExitCode);
    EXPECT_EQ(arrays.Log.size(), rows.Log.size());
    for (size_t i = 0; i < std::min(arrays.Log.size(), rows.Log.size()); ++i)
      if (arrays.Log[i] != rows.Log[i]) {
        ADD_FAILURE() << "log line " << i << " differs:\n  arrays:     " << arrays.Log[i]
                      << "\n  row by row: " << rows.Log[i];
        break;
      }
    EXPECT_TRUE(arrays.Rows == rows.Rows)
        << arrays.Rows.size() << " rows with arrays, " << rows.Rows.size() << " row by row";
    if (c.ArrayReplayed)
      EXPECT_GT(std::stoll(arrays.Attempts), std::stoll(rows.Attempts));
    else
      EXPECT_EQ(arrays.Attempts, rows.Attempts);
  }
}

}  // namespace
