// A destination that fails for good in the middle of a run, or cannot take rows from
// the start: the item ends once, exit 3, and the log's count of converted rows is what
// the table holds. Runs the real program against the DB2 test server.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "base/UStrings.h"
#include "dac/UDataAccess.h"
#include "support/Db2Server.h"
#include "support/DbRows.h"
#include "support/OwnDb2Server.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

int Count(const std::vector<std::string>& lines, const std::string& text) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

// Lines that report one failed row.
int RowErrors(const std::vector<std::string>& lines) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l.rfind("Write Data Error", 0) == 0 || l.rfind("Set Value Error", 0) == 0 ||
           l.rfind("Read Data Error", 0) == 0;
  }));
}

// The number after "Total Convert Records: ", -1 without that line.
long TotalConverted(const std::vector<std::string>& lines) {
  const std::string prefix = "Total Convert Records: ";
  for (const auto& l : lines)
    if (l.rfind(prefix, 0) == 0) return std::stol(l.substr(prefix.size()));
  return -1;
}

// Rows 1..count of src(id, v).
std::string NumberedSource(int count) {
  return "create table src (id integer, v text);"
         "with recursive s(i) as (select 1 union all select i + 1 from s where i < " +
         std::to_string(count) + ") insert into src select i, 'v' || i from s;";
}

std::string WriteSession(const std::string& path, const std::string& destTable, const std::string& loadType,
                         const std::string& fields, const std::string& extra = "") {
  std::ofstream out(path, std::ios::binary);
  out << "[Load]\r\nLoadRowsType=All\r\nLoadRows=0\r\nSkipRows=0\r\nColumns=\r\nSourceSchema=\r\nShowViews=0\r\n"
         "SourceTable=src\r\nDestSchema=DB2INST1\r\nDestTable="
      << destTable << "\r\nLoadType=" << loadType << "\r\n"
      << (extra.empty() ? "" : extra + "\r\n") << "Fields=" << fields << "\r\nErrorsToAllow=0\r\nLogFile=\r\n";
  return path;
}

// The program running in the background while the test breaks its destination.
class TBackgroundRun {
 public:
  TBackgroundRun(const TempDir& dir, const std::string& args)
      : Thread([this, &dir, args] {
          Result = RunFerrovan(dir, args);
          Done = true;
        }) {}
  ~TBackgroundRun() {
    if (Thread.joinable()) Thread.join();
  }
  TProcessResult Wait() {
    Thread.join();
    return Result;
  }
  std::atomic<bool> Done{false};

 private:
  TProcessResult Result;
  std::thread Thread;
};

// Polls until condition holds or the run ends (a bounded wait, not a fixed sleep).
bool WaitFor(const std::function<bool()>& condition, const TBackgroundRun& run) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    if (run.Done) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// Rows in table, seen from a connection of its own; -1 while the table cannot be read.
long RowsIn(const Db2Server& server, const std::string& table) {
  try {
    TUniConnection c;
    server.Configure(c);
    c.Connect();
    return std::stol(QueryRows(c, "select count(*) from \"" + table + "\"").at(0));
  } catch (const std::exception&) {
    return -1;
  }
}

// ---------------------------------------------------------------------------
// The server goes away in the middle of a run.

class Db2ServerLostMidRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Own.Running()) << Own.Output();
    Source = Dir.Path() + "/source.db";
    RunSqliteScript(Source, NumberedSource(200000));
  }
  void TearDown() override { unsetenv("FERROVAN_ROW_BY_ROW"); }

  OwnDb2Server Own;
  TempDir Dir;
  std::string Source;
};

TEST_F(Db2ServerLostMidRun, ItemFailsOnceAndTheTableHoldsExactlyTheRowsReportedConverted) {
  struct TCase {
    const char* Name;
    bool RowByRow;
    bool Kill;  // killed outright, or shut down by its operator
  } cases[] = {
      {"arrays, server killed", false, true},
      {"row by row, server killed", true, true},
      {"arrays, server shut down", false, false},
      {"row by row, server shut down", true, false},
  };
  const Db2Server& server = Own.Server();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    {
      TUniConnection dest;
      server.Configure(dest);
      dest.Connect();
      RunScript(dest, "drop table if exists \"LOST_T\"; create table \"LOST_T\" (\"ID\" integer, \"V\" varchar(20))");
    }
    std::string log = Dir.Path() + "/lost.log";
    std::remove(log.c_str());
    std::string session = WriteSession(Dir.Path() + "/lost.uld", "LOST_T", "0", "ID;INTEGER;;|V;VARCHAR;;");
    if (c.RowByRow)
      setenv("FERROVAN_ROW_BY_ROW", "1", 1);
    else
      unsetenv("FERROVAN_ROW_BY_ROW");
    long rowsSeen = 0;
    {
      TBackgroundRun run(Dir, server.LogonKeys(Source) + " \"session=" + session + "\" \"logfile=" + log + "\"");
      // The server goes once the first rows are committed.
      bool arriving = WaitFor([&] { return (rowsSeen = RowsIn(server, "LOST_T")) > 0; }, run);
      ASSERT_TRUE(arriving && !run.Done) << "no rows arrived while the run went on\n" << Joined(LogTexts(log));
      ASSERT_TRUE(c.Kill ? Own.Kill() : Own.Stop()) << Own.Output();
      TProcessResult r = run.Wait();
      EXPECT_EQ(r.ExitCode, 3) << r.Err;
    }
    ASSERT_TRUE(Own.Resume()) << Own.Output();

    auto texts = LogTexts(log);
    EXPECT_EQ(Count(texts, "Convert Failed"), 1) << Joined(texts);
    EXPECT_LE(RowErrors(texts), 1) << Joined(texts);
    long reported = TotalConverted(texts);
    EXPECT_GE(reported, rowsSeen) << Joined(texts);
    EXPECT_LT(reported, 200000) << Joined(texts);
    EXPECT_EQ(Count(texts, std::to_string(reported) + " rows reached the table before the failure."), 1)
        << Joined(texts);
    // A commit cut off by the kill may have reached the server or not; the log says so
    // and how many rows it held.
    long inDoubt = 0;
    for (const auto& t : texts)
      if (t.rfind("The connection was lost while committing ", 0) == 0) inDoubt = std::stol(t.substr(41));
    long inTable = RowsIn(server, "LOST_T");
    if (inDoubt == 0) {
      EXPECT_EQ(inTable, reported) << Joined(texts);
    } else {
      EXPECT_TRUE(inTable == reported || inTable == reported + inDoubt) << inTable << "\n" << Joined(texts);
    }
  }
}

// ---------------------------------------------------------------------------
// The destination table goes away while the server stays.

class Db2DestinationGone : public ::testing::Test {
 protected:
  void SetUp() override {
    Db2Server::Get().Configure(Dest);
    Dest.Connect();
    Source = Dir.Path() + "/source.db";
    Log = Dir.Path() + "/run.log";
  }
  void TearDown() override { unsetenv("FERROVAN_ROW_BY_ROW"); }
  TProcessResult Run(const std::string& session) {
    return RunFerrovan(Dir,
                       Db2Server::Get().LogonKeys(Source) + " \"session=" + session + "\" \"logfile=" + Log + "\"");
  }

  TempDir Dir;
  std::string Source, Log;
  TUniConnection Dest;
};

// Dropping waits for the writer's open transaction; the statement after that commit finds
// the table gone. A renamed table is gone the same way for the writer, and keeps its rows
// for counting.
TEST_F(Db2DestinationGone, TableDroppedOrRenamedMidRunEndsTheItemOnce) {
  RunSqliteScript(Source, NumberedSource(200000));
  struct TCase {
    const char* Name;
    bool RowByRow;
    const char* Removal;
    const char* CountedTable;  // where the rows are still there to count, or ""
  } cases[] = {
      {"arrays, dropped", false, "drop table \"GONE_T\"", ""},
      {"row by row, dropped", true, "drop table \"GONE_T\"", ""},
      {"arrays, renamed", false, "alter table \"GONE_T\" rename to \"GONE_T2\"", "GONE_T2"},
      {"row by row, renamed", true, "alter table \"GONE_T\" rename to \"GONE_T2\"", "GONE_T2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    RunScript(Dest,
              "drop table if exists \"GONE_T\"; drop table if exists \"GONE_T2\";"
              "create table \"GONE_T\" (\"ID\" integer, \"V\" varchar(20))");
    std::remove(Log.c_str());
    std::string session = WriteSession(Dir.Path() + "/gone.uld", "GONE_T", "0", "ID;INTEGER;;|V;VARCHAR;;");
    if (c.RowByRow)
      setenv("FERROVAN_ROW_BY_ROW", "1", 1);
    else
      unsetenv("FERROVAN_ROW_BY_ROW");
    {
      TBackgroundRun run(Dir,
                         Db2Server::Get().LogonKeys(Source) + " \"session=" + session + "\" \"logfile=" + Log + "\"");
      bool arriving = WaitFor([&] { return RowsIn(Db2Server::Get(), "GONE_T") > 0; }, run);
      ASSERT_TRUE(arriving && !run.Done) << "no rows arrived while the run went on\n" << Joined(LogTexts(Log));
      RunScript(Dest, c.Removal);
      TProcessResult r = run.Wait();
      EXPECT_EQ(r.ExitCode, 3) << r.Err;
    }
    auto texts = LogTexts(Log);
    EXPECT_EQ(Count(texts, "Convert Failed"), 1) << Joined(texts);
    EXPECT_EQ(RowErrors(texts), 0) << Joined(texts);
    long reported = TotalConverted(texts);
    EXPECT_GT(reported, 0) << Joined(texts);
    EXPECT_LT(reported, 200000) << Joined(texts);
    if (*c.CountedTable) {
      EXPECT_EQ(RowsIn(Db2Server::Get(), c.CountedTable), reported) << Joined(texts);
    }
  }
}

// One failure before the first row, not one "Set Value Error" per row.
TEST_F(Db2DestinationGone, DestinationThatCannotTakeRowsFailsOnceBeforeAnyRow) {
  RunSqliteScript(Source, NumberedSource(50));
  struct TCase {
    const char* Name;
    const char* LoadType;
    const char* Fields;
    const char* Extra;
    const char* NamedInMessage;
  } cases[] = {
      {"no such table", "0", "ID;INTEGER;;|V;VARCHAR;;", "", "NOWHERE_T"},
      {"no such column", "0", "ID;INTEGER;;|NOPE;VARCHAR;;", "", "NOPE"},
      {"no such update key", "2", "NOKEY;INTEGER;;|V;VARCHAR;;", "UpdateKey=NOKEY", "NOKEY"},
  };
  RunScript(Dest,
            "drop table if exists \"NOWHERE_T\"; drop table if exists \"HALF_T\";"
            "create table \"HALF_T\" (\"ID\" integer, \"V\" varchar(20))");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::remove(Log.c_str());
    std::string table = std::string(c.Name) == "no such table" ? "NOWHERE_T" : "HALF_T";
    auto r = Run(WriteSession(Dir.Path() + "/half.uld", table, c.LoadType, c.Fields, c.Extra));
    EXPECT_EQ(r.ExitCode, 3) << r.Err;
    auto texts = LogTexts(Log);
    EXPECT_EQ(Count(texts, "Convert Failed"), 1) << Joined(texts);
    EXPECT_EQ(Count(texts, "ConvertSessionExecutor.Convert DataConverter.Execute Exception"), 1) << Joined(texts);
    EXPECT_EQ(RowErrors(texts), 0) << Joined(texts);
    EXPECT_NE(Joined(texts).find(c.NamedInMessage), std::string::npos) << Joined(texts);
    EXPECT_EQ(Count(texts, "Total Convert Records: 0"), 1) << Joined(texts);
  }
  EXPECT_EQ(QueryRows(Dest, "select count(*) from \"HALF_T\""), std::vector<std::string>{"0"});
}

}  // namespace
