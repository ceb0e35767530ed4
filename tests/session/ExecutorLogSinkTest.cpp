// Where a run's errors and its session dump go: to the log sink handed to the executor
// and the session, nowhere else. SQLite on both sides, so no server is needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "dac/UDataAccess.h"
#include "session/USessionExecutor.h"
#include "session/UTransveySession.h"
#include "sqlite/USqliteConvertObjectFactory.h"
#include "sqlite/USqliteDBObjectFactory.h"
#include "support/RecordingLogSink.h"
#include "support/TempDir.h"

namespace {

class TQuietOutputer : public TLogConvertOutputer {
 public:
  void Log(const std::string&) override {}
};

class ExecutorLogSink : public ::testing::Test {
 protected:
  void SetUp() override {
    Open(Source, "source.db", "create table Src (Num integer); insert into Src values (1), (2), (3), (4);");
    // Rows 3 and 4 fail at the destination.
    Open(Dest, "dest.db", "create table Dst (NUM integer check (NUM < 3));");
    SourceConvert.SetConnection(Source.Connection());
    DestConvert.SetConnection(Dest.Connection());
    std::ofstream(Dir.Path() + "/t.uld", std::ios::binary)
        << "[Load]\r\nSourceTable=Src\r\nDestTable=Dst\r\nLoadType=Append\r\nFields=NUM;INTEGER;;\r\n"
           "ErrorsToAllow=10\r\n";
  }
  void Open(TSqliteDBObjectFactory& factory, const std::string& name, const std::string& sql) {
    std::ofstream(Dir.Path() + "/" + name).close();
    factory.Initialize();
    factory.Connection()->Database = Dir.Path() + "/" + name;
    factory.Connection()->Connect();
    TUniScript script(factory.Connection());
    script.SQL = sql;
    script.Execute();
  }
  // Runs the session file with sink handed to the session and the executor.
  void Run(TLogSink* sink) {
    TTransveyTableLoadSession session(&Source, &Dest, &SourceConvert, &DestConvert);
    session.LoadFromFile(Dir.Path() + "/t.uld");
    session.LogSink = sink;
    TConvertSessionExecutor exec;
    exec.SetSession(&session);
    exec.SetOutputer(&Out);
    exec.SetLogSink(sink);
    EXPECT_TRUE(exec.Execute());
    EXPECT_EQ(exec.ResultCode, 4);
  }

  TempDir Dir;
  ScopedEnv Data{"XDG_DATA_HOME", Dir.Path() + "/data"};
  TSqliteDBObjectFactory Source, Dest;
  TSqliteConvertObjectFactory SourceConvert, DestConvert;
  TQuietOutputer Out;
};

}  // namespace

TEST_F(ExecutorLogSink, RowErrorsTheEndOfTheRunAndTheDumpReachTheSink) {
  for (bool gui : {true, false}) {
    SCOPED_TRACE(gui ? "GUI mode" : "no GUI mode");
    TRecordingLogSink sink;
    sink.GUIMode = gui;
    Run(&sink);
    // Each failed row: its message, then its stack trace; the sink decides who hears.
    ASSERT_EQ(sink.Errors.size(), 4u);
    EXPECT_NE(sink.Errors[0].find("CHECK constraint failed"), std::string::npos) << sink.Errors[0];
    EXPECT_NE(sink.Errors[2].find("CHECK constraint failed"), std::string::npos) << sink.Errors[2];
    EXPECT_EQ(sink.Shown, std::vector<std::string>{"Convert Has Exception."});
    // The session goes to the memory log in GUI mode only.
    const bool dumped = std::find(sink.Memory.begin(), sink.Memory.end(), "Session Desc: " + Dir.Path() + "/t.uld") !=
                        sink.Memory.end();
    EXPECT_EQ(dumped, gui) << ::testing::PrintToString(sink.Memory);
  }
}

TEST_F(ExecutorLogSink, WithoutASinkTheRunReportsNothingAndStillEnds) {
  Run(nullptr);
  TUniQuery q(Dest.Connection());
  q.SQL = "select count(*) from Dst";
  q.Open();
  EXPECT_EQ(q.Fields(0).AsInteger(), 2);
}
