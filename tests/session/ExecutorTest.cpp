// The executor over a real all-tables session: SQLite tables into the DB2 test server.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "dac/UDataAccess.h"
#include "dac/UUniMetaData.h"
#include "db2/UDB2ConvertObjectFactory.h"
#include "db2/UDB2DBObjectFactory.h"
#include "session/USessionExecutor.h"
#include "session/UTransveySession.h"
#include "sqlite/USqliteConvertObjectFactory.h"
#include "sqlite/USqliteDBObjectFactory.h"
#include "sqlite/USqliteReader.h"
#include "support/Db2Server.h"
#include "support/TempDir.h"

namespace {

// Records what a batch window would show.
class TRecordingBatchOutputer : public TBatchOutputer {
 public:
  void SelectItem(const std::string& sourceName) override { Lines.push_back("select " + sourceName); }
  void SetResult(bool succeeded) override { Lines.push_back(succeeded ? "ok" : "failed"); }
  void SetRowCount(int64_t rows) override { Lines.push_back("rows " + std::to_string(rows)); }
  void SetDestName(const std::string& destName) override { Lines.push_back("dest " + destName); }
  void Clear() override { Lines.push_back("clear"); }
  void SetItemCount(int count) override { Lines.push_back("items " + std::to_string(count)); }
  std::vector<std::string> Lines;
};

// Keeps the log lines in memory.
class TListOutputer : public TLogConvertOutputer {
 public:
  void Log(const std::string& text) override { Lines.push_back(text); }
  std::vector<std::string> Lines;
};

class Executor : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string file = Dir.Path() + "/src.db";
    std::ofstream(file) << "";
    Source.Initialize();
    Source.Connection()->Database = file;
    Source.Connection()->Connect();
    TUniScript s(Source.Connection());
    s.SQL =
        "create table One_T (Num integer); create table Two_T (Num integer);"
        "with recursive c(x) as (select 1 union all select x + 1 from c where x < 50)"
        " insert into One_T select x from c; insert into Two_T values (1);";
    s.Execute();
    Dest.Initialize();
    Db2Server::Get().Configure(*Dest.Connection());
    Dest.Connection()->Connect();
    TUniScript d(Dest.Connection());
    d.SQL = "drop table if exists \"One_T\"; drop table if exists \"Two_T\"";
    d.Execute();
    SourceConvert.SetConnection(Source.Connection());
    DestConvert.SetConnection(Dest.Connection());
    Session = std::make_unique<TTransveyBatchLoadSession>(&Source, &Dest, &SourceConvert, &DestConvert);
    std::string ula = Dir.Path() + "/two.ula";
    std::ofstream(ula, std::ios::binary)
        << "[Load]\r\nDestSchema=DB2INST1\r\nLoadType=Append\r\n"
           "TableMaps=-1;One_T;To Be Created|-1;Two_T;To Be Created\r\nErrorsToAllow=0\r\n";
    Session->LoadFromFile(ula);
    Exec.SetSession(Session.get());
    Exec.SetOutputer(&Out);
    Exec.SetBatchOutputer(&Batch);
  }

  TempDir Dir;
  TSqliteDBObjectFactory Source;
  TDB2DBObjectFactory Dest;
  TSqliteConvertObjectFactory SourceConvert;
  TDB2ConvertObjectFactory DestConvert;
  std::unique_ptr<TTransveyBatchLoadSession> Session;
  TConvertSessionExecutor Exec;
  TListOutputer Out;
  TRecordingBatchOutputer Batch;
};

TEST_F(Executor, BatchOutputerHearsOfEveryTable) {
  EXPECT_TRUE(Exec.Execute());
  EXPECT_EQ(Exec.ResultCode, 0);
  EXPECT_EQ(Batch.Lines, (std::vector<std::string>{"clear", "items 2", "select One_T", "ok", "rows 50", "dest One_T",
                                                   "select Two_T", "ok", "rows 1", "dest Two_T"}));
  EXPECT_EQ(Out.Lines.back(), "End Convert");
  EXPECT_EQ(Out.Lines[Out.Lines.size() - 2], "Total Convert Records: 51");
}

TEST_F(Executor, StopEndsTheCurrentTableAfterItsRowAndStartsNoOther) {
  int rows = 0;
  Exec.Converter().ProcessEvents = [&] {
    if (++rows == 10) Exec.Stop();
  };
  EXPECT_TRUE(Exec.Execute());
  EXPECT_EQ(Exec.ResultCode, 3);  // a stopped run did not do everything asked
  std::vector<std::string> tail(Out.Lines.end() - 5, Out.Lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"From Table: One_T", "To Table: \"DB2INST1\".\"One_T\"", tail[2],
                                            "Total Convert Records: 10", "End Convert"}));
  EXPECT_EQ(tail[2].rfind("10 records    Elapsed: ", 0), 0u) << tail[2];
  EXPECT_NE(std::find(Out.Lines.begin(), Out.Lines.end(), "Stopped"), Out.Lines.end());
  TUniQuery q(Dest.Connection());
  q.SQL = "select count(*) from \"One_T\"";
  q.Open();
  EXPECT_EQ(q.Fields(0).AsInteger(), 10);
  TUniMetaData md(Dest.Connection());
  md.MetaDataKind = "Tables";
  md.Restrictions.SetValue("TABLE_NAME", "Two_T");
  md.Open();
  EXPECT_EQ(md.RecordCount(), 0);  // the second table was never created
}

// Verify=1 of an all-tables session: tables created on the spot are counted too, and a
// row another job adds during the run fails that item alone.
TEST_F(Executor, VerifyOfAnAllTablesSessionFailsTheItemAnotherJobChanged) {
  std::string ula = Dir.Path() + "/verify.ula";
  std::ofstream(ula, std::ios::binary) << "[Load]\r\nDestSchema=DB2INST1\r\nLoadType=Append\r\n"
                                          "TableMaps=-1;One_T;To Be Created|-1;Two_T;To Be Created\r\n"
                                          "ErrorsToAllow=0\r\nVerify=1\r\n";
  Session->LoadFromFile(ula);
  ASSERT_TRUE(Session->ConvertOptions->Verify);
  TUniConnection other;
  Db2Server::Get().Configure(other);
  other.Connect();
  int rows = 0;
  Exec.Converter().ProcessEvents = [&] {
    if (++rows != 10) return;
    TUniScript insert(&other);
    insert.SQL = "insert into \"One_T\" values (-1)";
    insert.Execute();
  };
  EXPECT_TRUE(Exec.Execute());
  EXPECT_EQ(Exec.ResultCode, 3);
  auto has = [&](const std::string& line) {
    return std::find(Out.Lines.begin(), Out.Lines.end(), line) != Out.Lines.end();
  };
  EXPECT_TRUE(
      has("Verify failed: 50 rows were converted into the table \"DB2INST1\".\"One_T\", but its row count "
          "went from 0 to 51, 51 rows more."))
      << ::testing::PrintToString(Out.Lines);
  EXPECT_TRUE(
      has("Verified: the table \"DB2INST1\".\"Two_T\" counts 1 rows more than before, as many as were "
          "converted."))
      << ::testing::PrintToString(Out.Lines);
  EXPECT_EQ(Batch.Lines, (std::vector<std::string>{"clear", "items 2", "select One_T", "failed", "dest One_T",
                                                   "select Two_T", "ok", "rows 1", "dest Two_T"}));
}

// A source whose cursor breaks after a number of rows, as a file on a failing disk would.
class TBreakingReader : public TSqliteReader {
 public:
  explicit TBreakingReader(int breakAfter) : BreakAfter(breakAfter) {}
  void Next() override {
    if (GetRowNumber() >= BreakAfter) throw EDatabaseError("disk I/O error");
    TSqliteReader::Next();
  }
  int BreakAfter;
};

TEST_F(Executor, AFailureAfterWritingBeganCommitsWhatWasWrittenAndSaysSo) {
  TUniScript d(Dest.Connection());
  d.SQL = "create table \"One_T\" (\"NUM\" integer)";
  d.Execute();
  TTransveyTableLoadSession table(&Source, &Dest, &SourceConvert, &DestConvert);
  std::string uld = Dir.Path() + "/one.uld";
  std::ofstream(uld, std::ios::binary) << "[Load]\r\nSourceTable=One_T\r\nDestSchema=DB2INST1\r\nDestTable=One_T\r\n"
                                          "LoadType=0\r\nFields=NUM;INTEGER;;\r\nErrorsToAllow=0\r\n";
  table.LoadFromFile(uld);
  auto reader = std::make_unique<TBreakingReader>(1500);
  reader->SetConnection(Source.Connection());
  table.SourceOptions->Reader = std::move(reader);
  TUniScript more(Source.Connection());
  more.SQL =
      "with recursive c(x) as (select 51 union all select x + 1 from c where x < 2000) insert into One_T select x from "
      "c";
  more.Execute();

  TConvertSessionExecutor exec;
  exec.SetSession(&table);
  exec.SetOutputer(&Out);
  EXPECT_TRUE(exec.Execute());
  EXPECT_EQ(exec.ResultCode, 3);
  auto has = [&](const std::string& line) {
    return std::find(Out.Lines.begin(), Out.Lines.end(), line) != Out.Lines.end();
  };
  EXPECT_TRUE(has("1500 rows reached the table before the failure.")) << ::testing::PrintToString(Out.Lines);
  EXPECT_TRUE(has("Convert Failed"));
  EXPECT_TRUE(has("disk I/O error"));
  EXPECT_TRUE(has("Total Convert Records: 1500"));
  // What the log says is what another connection sees: nothing stayed uncommitted.
  TUniConnection other;
  Db2Server::Get().Configure(other);
  other.Connect();
  TUniQuery q(&other);
  q.SQL = "select count(*) from \"One_T\"";
  q.Open();
  EXPECT_EQ(q.Fields(0).AsInteger(), 1500);
  EXPECT_FALSE(Dest.Connection()->InTransaction());
}

// A source that notes whether it was opened.
class TWatchedReader : public TSqliteReader {
 public:
  void Open() override {
    Opened = true;
    TSqliteReader::Open();
  }
  bool Opened = false;
};

// The item fails with the destination's error before the source is opened, once, with
// its type and stack trace kept from where the database refused.
TEST_F(Executor, AMissingDestinationFailsTheItemBeforeTheSourceIsOpened) {
  std::string uld = Dir.Path() + "/none.uld";
  std::ofstream(uld, std::ios::binary) << "[Load]\r\nSourceTable=One_T\r\nDestSchema=DB2INST1\r\nDestTable=One_T\r\n"
                                          "LoadType=0\r\nFields=NUM;INTEGER;;\r\nErrorsToAllow=0\r\n";
  auto session = [&](TWatchedReader*& watched) {
    auto table = std::make_unique<TTransveyTableLoadSession>(&Source, &Dest, &SourceConvert, &DestConvert);
    table->LoadFromFile(uld);
    auto reader = std::make_unique<TWatchedReader>();
    watched = reader.get();
    reader->SetConnection(Source.Connection());
    table->SourceOptions->Reader = std::move(reader);
    return table;
  };

  TWatchedReader* watched = nullptr;
  auto table = session(watched);
  TConvertSessionExecutor exec;
  exec.SetSession(table.get());
  exec.SetOutputer(&Out);
  EXPECT_TRUE(exec.Execute());
  EXPECT_EQ(exec.ResultCode, 3);
  EXPECT_FALSE(watched->Opened);
  EXPECT_EQ(std::count(Out.Lines.begin(), Out.Lines.end(), "Convert Failed"), 1) << ::testing::PrintToString(Out.Lines);
  EXPECT_EQ(Out.Lines.back(), "End Convert");

  // The same failure met directly: the converter raises what the database raised.
  auto again = session(watched);
  TDataConverter converter;
  converter.ConvertSession = again.get();
  try {
    converter.Execute();
    FAIL() << "the item ran";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Fault, TDatabaseFault::StatementCannotRun) << e.Message;
    EXPECT_EQ(e.Message.rfind("select \"NUM\" from \"DB2INST1\".\"One_T\" where 1=0\r\n", 0), 0u) << e.Message;
    EXPECT_NE(e.StackTrace.find("TUniQuery::Open"), std::string::npos) << e.StackTrace;
  }
  EXPECT_FALSE(watched->Opened);
}

// A table session from one SQLite file into another: text keeps the bytes after a NUL on
// the way out and in, a VARBINARY column takes bytes even from a text column, a wide memo
// takes text.
TEST(SqliteToSqlite, ValuesArriveWholeWithTheirStorageClass) {
  TempDir dir;
  auto open = [&](TSqliteDBObjectFactory& factory, const std::string& name, const std::string& script) {
    std::string file = dir.Path() + "/" + name;
    std::ofstream(file) << "";
    factory.Initialize();
    factory.Connection()->Database = file;
    factory.Connection()->Connect();
    TUniScript s(factory.Connection());
    s.SQL = script;
    s.Execute();
  };
  TSqliteDBObjectFactory source, dest;
  open(source, "src.db",
       "create table src (id integer, v text, b blob, w text, t text);"
       "insert into src values (1, 'ab' || char(0) || 'cd', x'00ff00', 'Grü' || char(0) || 'ße', 'xyz');"
       "insert into src values (2, char(0), 'xyz', 'w', '');");
  open(dest, "dest.db", "create table dst (id integer, v varchar(20), b varbinary(10), w nclob, t varbinary(10))");
  TSqliteConvertObjectFactory sourceConvert, destConvert;
  sourceConvert.SetConnection(source.Connection());
  destConvert.SetConnection(dest.Connection());
  TTransveyTableLoadSession table(&source, &dest, &sourceConvert, &destConvert);
  std::string uld = dir.Path() + "/s.uld";
  std::ofstream(uld, std::ios::binary) << "[Load]\r\nSourceTable=src\r\nDestSchema=\r\nDestTable=dst\r\nLoadType=0\r\n"
                                          "Fields=id;INTEGER;;|v;VARCHAR;;|b;VARBINARY;;|w;NCLOB;;|t;VARBINARY;;\r\n"
                                          "ErrorsToAllow=0\r\n";
  table.LoadFromFile(uld);
  TListOutputer out;
  TConvertSessionExecutor exec;
  exec.SetSession(&table);
  exec.SetOutputer(&out);
  EXPECT_TRUE(exec.Execute());
  EXPECT_EQ(exec.ResultCode, 0) << ::testing::PrintToString(out.Lines);
  TUniQuery q(dest.Connection());
  q.SQL = "select id, hex(v), typeof(v), hex(b), typeof(b), hex(w), typeof(w), hex(t), typeof(t) from dst order by id";
  q.Open();
  std::vector<std::string> rows;
  for (; !q.Eof(); q.Next()) {
    std::string row;
    for (int i = 0; i < q.FieldCount(); ++i) row += (i ? "|" : "") + q.Fields(i).AsString();
    rows.push_back(row);
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"1|6162006364|text|00FF00|blob|4772C3BC00C39F65|text|78797A|blob",
                                            "2|00|text|78797A|blob|77|text||blob"}));
}

}  // namespace
