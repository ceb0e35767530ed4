// Session files run from the command line, as a scheduled job runs them: a SQLite file
// into the DB2 test server, every row accounted for in the log and the exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "base/UStrings.h"
#include "dac/UDataAccess.h"
#include "db2/UDB2DBLogon.h"
#include "db2/UDB2DBObjectFactory.h"
#include "session/UBatchOptions.h"
#include "sqlite/USqliteDBObjectFactory.h"
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

class SessionRun : public ::testing::Test {
 protected:
  void SetUp() override {
    Source = Dir.Path() + "/source.db";
    std::ofstream(Source) << "";
    Log = Dir.Path() + "/run.log";
    Db2Server::Get().Configure(Dest);
    Dest.Connect();
  }

  void SourceSql(const std::string& script) { RunSqliteScript(Source, script); }
  void DestSql(const std::string& script) { RunScript(Dest, script); }
  std::vector<std::string> DestRows(const std::string& sql) { return QueryRows(Dest, sql); }
  std::string WriteSession(const std::string& name, const std::vector<std::string>& lines) {
    std::string path = Dir.Path() + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out << "[Load]\r\n";
    for (const auto& l : lines) out << l << "\r\n";
    return path;
  }
  std::string LogonKeys() const { return Db2Server::Get().LogonKeys(Source); }
  TProcessResult Run(const std::string& sessionFile) {
    return RunFerrovan(Dir, LogonKeys() + " \"session=" + sessionFile + "\" \"logfile=" + Log + "\"");
  }
  // The log without the lines that name the session file and the elapsed time.
  std::vector<std::string> Texts() {
    std::vector<std::string> texts = LogTexts(Log);
    for (auto& t : texts) {
      auto at = t.find("    Elapsed: ");
      if (at != std::string::npos) t.replace(at + 13, 8, "hh:mm:ss");
    }
    return texts;
  }

  TempDir Dir;
  std::string Source, Log;
  TUniConnection Dest;
};

std::vector<std::string> TableSession(const std::string& sourceTable, const std::string& destTable,
                                      const std::string& loadType, const std::string& fields,
                                      const std::string& errorsToAllow, const std::string& extra = "") {
  std::vector<std::string> lines = {"LoadRowsType=All",
                                    "LoadRows=0",
                                    "SkipRows=0",
                                    "Columns=",
                                    "SourceSchema=",
                                    "ShowViews=0",
                                    "SourceTable=" + sourceTable,
                                    "DestSchema=DB2INST1",
                                    "DestTable=" + destTable,
                                    "LoadType=" + loadType};
  if (!extra.empty()) lines.push_back(extra);
  lines.push_back("Fields=" + fields);
  lines.push_back("ErrorsToAllow=" + errorsToAllow);
  lines.push_back("LogFile=");
  return lines;
}

TEST_F(SessionRun, TableSessionAppendsEveryValueAsItWas) {
  SourceSql(
      "create table items (id integer, name varchar(20), price numeric(10,2), born date, note text);"
      "insert into items values (1, 'Grüße', 12.34, '2024-02-29', null);"
      "insert into items values (2, '', 0.10, null, 'NULL');"
      "insert into items values (3, '日本', 99999999.99, '1999-12-31', 'x');");
  DestSql(
      "drop table if exists \"SR_ITEMS\";"
      "create table \"SR_ITEMS\" (\"ID\" integer, \"NAME\" varchar(20), \"PRICE\" decimal(10,2), \"BORN\" date,"
      " \"NOTE\" varchar(10))");
  std::string session = WriteSession(
      "items.uld", TableSession("items", "SR_ITEMS", "0",
                                "ID;INTEGER;;|NAME;VARCHAR;;|PRICE;DECIMAL;;|BORN;DATE;;|NOTE;VARCHAR;;", "50"));
  auto r = Run(session);
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(Texts(), (std::vector<std::string>{session, "Start Convert", "From Table: items",
                                               "To Table: \"DB2INST1\".\"SR_ITEMS\"", "3 records    Elapsed: hh:mm:ss",
                                               "Total Convert Records: 3", "End Convert"}));
  EXPECT_EQ(DestRows("select * from \"SR_ITEMS\" order by 1"),
            (std::vector<std::string>{"1|Grüße|12.34|2024-02-29|<null>", "2||0.10|<null>|<null>",
                                      "3|日本|99999999.99|1999-12-31|x"}));
}

TEST_F(SessionRun, ErrorLimitStopsAfterTheRowThatExceedsIt) {
  std::string rows;
  for (int i = 1; i <= 20; ++i) {
    bool bad = i == 3 || i == 5 || i == 6 || i == 9;
    rows += "insert into nums values (" + std::to_string(i) + ", '" + (bad ? "x" : std::to_string(i * 10)) + "');";
  }
  SourceSql("create table nums (id integer, v text);" + rows);
  struct Case {
    std::string errorsToAllow;
    int exitCode;
    std::string endLine;
    size_t rowsInTable;
  } cases[] = {
      {"2", 3, "3 records    Elapsed: hh:mm:ss.  3 rows can not convert.", 3},
      {"0", 4, "16 records    Elapsed: hh:mm:ss.  4 rows can not convert.", 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.errorsToAllow);
    DestSql("drop table if exists \"SR_NUMS\"; create table \"SR_NUMS\" (\"ID\" integer, \"V\" integer)");
    std::remove(Log.c_str());
    std::string session =
        WriteSession("nums.uld", TableSession("nums", "SR_NUMS", "0", "ID;INTEGER;;|V;INTEGER;;", c.errorsToAllow));
    auto r = Run(session);
    EXPECT_EQ(r.ExitCode, c.exitCode) << r.Err;
    auto texts = Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), c.endLine), texts.end()) << Joined(texts);
    bool limitLine = std::find(texts.begin(), texts.end(), "Maxinum error count (2) exceeded. ") != texts.end();
    EXPECT_EQ(limitLine, c.errorsToAllow == "2");
    EXPECT_EQ(DestRows("select \"ID\" from \"SR_NUMS\"").size(), c.rowsInTable);
    // Each failed row names its row and column.
    EXPECT_NE(std::find_if(texts.begin(), texts.end(),
                           [](const std::string& t) {
                             return t.rfind("Set Value Error, at  Row 3, Col: 1 [v], Value: x", 0) == 0;
                           }),
              texts.end());
  }
}

TEST_F(SessionRun, ReplaceAndUpdateReallyApply) {
  SourceSql(
      "create table src (k integer, v varchar(10));"
      "insert into src values (1, 'one'), (2, 'two');");
  DestSql(
      "drop table if exists \"SR_KV\"; create table \"SR_KV\" (\"K\" integer, \"V\" varchar(10));"
      "insert into \"SR_KV\" values (1, 'old'), (3, 'three')");
  auto r =
      Run(WriteSession("upd.uld", TableSession("src", "SR_KV", "2", "K;INTEGER;;|V;VARCHAR;;", "50", "UpdateKey=K")));
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(DestRows("select * from \"SR_KV\" order by 1"), (std::vector<std::string>{"1|one", "3|three"}));

  r = Run(WriteSession("rep.uld", TableSession("src", "SR_KV", "1", "K;INTEGER;;|V;VARCHAR;;", "50")));
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(DestRows("select * from \"SR_KV\" order by 1"), (std::vector<std::string>{"1|one", "2|two"}));
}

TEST_F(SessionRun, QuerySessionCopiesTheResult) {
  SourceSql("create table q (a integer, b text); insert into q values (1, 'a'), (2, 'b'), (3, 'c');");
  DestSql("drop table if exists \"SR_Q\"; create table \"SR_Q\" (\"A\" integer, \"B\" varchar(5))");
  auto r = Run(WriteSession("q.ulq", {"LoadRowsType=All", "LoadRows=0", "SkipRows=0", "Columns=",
                                      "Sql=select a, b from q where a > 1; ", "DestSchema=DB2INST1", "DestTable=SR_Q",
                                      "LoadType=0", "Fields=A;INTEGER;;|B;VARCHAR;;", "ErrorsToAllow=50", "LogFile="}));
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  auto texts = Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "From Query: select a, b from q where a > 1"), texts.end())
      << Joined(texts);
  EXPECT_EQ(DestRows("select * from \"SR_Q\" order by 1"), (std::vector<std::string>{"2|b", "3|c"}));
}

// Tables and columns have mixed-case names: the test server shows an all-lower-case
// name in upper case, as DB2 does for unquoted names, so a created lower-case table
// would not be found again there (a real DB2 keeps quoted names as written).
TEST_F(SessionRun, BatchSessionGoesOnAfterAFailedTable) {
  SourceSql(
      "create table First_T (Num integer, Txt text); insert into First_T values (1, 'a'), (2, null);"
      "create table Third_T (Num integer); insert into Third_T values (3), (4), (5);");
  DestSql("drop table if exists \"First_T\"; drop table if exists \"Third_T\"");
  auto r = Run(
      WriteSession("b.ula", {"LoadRowsType=All", "LoadRows=0", "SkipRows=0", "Columns=", "SourceSchema=", "ShowViews=0",
                             "DestSchema=DB2INST1", "LoadType=Append",
                             "TableMaps=-1;First_T;To Be Created|-1;Missing_T;To Be Created|-1;Third_T;to be created",
                             "FieldsMaps=", "ErrorsToAllow=50", "LogFile="}));
  EXPECT_EQ(r.ExitCode, 3) << r.Err;
  auto texts = Texts();
  ASSERT_GE(texts.size(), 2u);
  auto failed = std::find(texts.begin(), texts.end(), "Convert Failed");
  ASSERT_NE(failed, texts.end()) << Joined(texts);
  ASSERT_LT(failed + 2, texts.end());
  EXPECT_EQ(*(failed + 1), "ConvertSessionExecutor.Convert ConfigOne Exception");
  EXPECT_EQ(*(failed + 2), "no such table: Missing_T");
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Convert Failed"), 1) << Joined(texts);
  EXPECT_EQ(texts[texts.size() - 2], "Total Convert Records: 5") << Joined(texts);
  EXPECT_EQ(texts.back(), "End Convert");
  EXPECT_EQ(DestRows("select * from \"First_T\" order by 1"), (std::vector<std::string>{"1|a", "2|<null>"}));
  EXPECT_EQ(DestRows("select count(*) from \"Third_T\""), std::vector<std::string>{"3"});
}

TEST_F(SessionRun, BatchFieldMapLeavesOutAColumnWithoutShiftingTheOthers) {
  SourceSql(
      "create table Wide_T (Aa integer, Bb text, Cc text); insert into Wide_T values (1, 'skip', 'c1'), (2, 'skip', "
      "'c2');");
  DestSql("drop table if exists \"SR_WIDE\"; create table \"SR_WIDE\" (\"AA\" integer, \"CC\" varchar(5))");
  auto r = Run(
      WriteSession("w.ula", {"LoadRowsType=All", "LoadRows=0", "SkipRows=0", "Columns=", "SourceSchema=", "ShowViews=0",
                             "DestSchema=DB2INST1", "LoadType=Append", "TableMaps=-1;Wide_T;SR_WIDE",
                             "FieldsMaps=Wide_T=-1;Aa;AA;|0;Bb;;|-1;Cc;CC;", "ErrorsToAllow=0", "LogFile="}));
  EXPECT_EQ(r.ExitCode, 0) << Joined(Texts());
  EXPECT_EQ(DestRows("select * from \"SR_WIDE\" order by 1"), (std::vector<std::string>{"1|c1", "2|c2"}));
}

TEST_F(SessionRun, TablesToBeCreatedGoIntoTheSessionsDestinationSchema) {
  SourceSql("create table Other_T (Num integer); insert into Other_T values (1), (2);");
  DestSql("create schema if not exists \"SR_OTHER\"; drop table if exists \"SR_OTHER\".\"Other_T\"");
  auto r =
      Run(WriteSession("o.ula", {"LoadRowsType=All", "LoadRows=0", "SkipRows=0",
                                 "Columns=", "SourceSchema=", "ShowViews=0", "DestSchema=SR_OTHER", "LoadType=Append",
                                 "TableMaps=-1;Other_T;To Be Created", "FieldsMaps=", "ErrorsToAllow=0", "LogFile="}));
  EXPECT_EQ(r.ExitCode, 0) << Joined(Texts());
  EXPECT_EQ(DestRows("select * from \"SR_OTHER\".\"Other_T\" order by 1"), (std::vector<std::string>{"1", "2"}));
}

TEST_F(SessionRun, GeneratedBatchFileRunsTheSession) {
  SourceSql("create table bt (Num integer); insert into bt values (7), (8);");
  DestSql("drop table if exists \"SR_BT\"; create table \"SR_BT\" (\"NUM\" integer)");
  std::string session = WriteSession("batch run.uld", TableSession("bt", "SR_BT", "0", "NUM;INTEGER;;", "50"));

  // The batch options take the logons of the program's current connections.
  const Db2Server& server = Db2Server::Get();
  TSqliteDBObjectFactory source;
  source.Initialize();
  source.Connection()->Database = Source;
  TDB2DBObjectFactory dest;
  dest.Initialize();
  dest.Connection()->Username = server.User;
  dest.Connection()->Password = server.Password;
  dest.Connection()->Server =
      BuildDB2ServerText(FindDB2OdbcDriver(), server.Database, "TCPIP", server.Host, server.Port);
  TDBBatchOptions options;
  options.ExecutablePath = FERROVAN_BINARY;
  options.SetSource(&source);
  options.SetDest(&dest);
  options.SessionFile = session;
  options.LogFile = Log;
  options.BatchFile = Dir.Path() + "/batch run.bat";
  ASSERT_TRUE(options.Validate()) << options.ErrorMessage;
  options.CreateBatchFile();

  std::string command = "cd '" + Dir.Path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY XDG_DATA_HOME='" + Dir.Path() +
                        "/data' FERROVAN_SETTINGS_FILE='" + Dir.Path() +
                        "/settings.reg' sh './batch run.bat' >/dev/null 2>&1";
  int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  auto texts = Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Total Convert Records: 2"), texts.end()) << Joined(texts);
  EXPECT_EQ(DestRows("select \"NUM\" from \"SR_BT\" order by 1"), (std::vector<std::string>{"7", "8"}));
}

TEST_F(SessionRun, WorkspaceRunsEveryLineAndReportsTheEmptyOne) {
  SourceSql("create table ws (Num integer); insert into ws values (1);");
  DestSql("drop table if exists \"SR_WS\"; create table \"SR_WS\" (\"NUM\" integer)");
  std::string a = WriteSession("a.uld", TableSession("ws", "SR_WS", "0", "NUM;INTEGER;;", "50"));
  std::string b = WriteSession("b.uld", TableSession("ws", "SR_WS", "0", "NUM;INTEGER;;", "50"));
  std::string workspace = Dir.Path() + "/nightly.fws";
  std::ofstream(workspace, std::ios::binary) << a << "\r\n" << b << "\r\n\r\n" << a << "\r\n";
  auto r = RunFerrovan(Dir, LogonKeys() + " \"workspace=" + workspace + "\" \"logfile=" + Log + "\"");
  EXPECT_EQ(r.ExitCode, 3);
  auto texts = Texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "session file:  not exists."), 1) << Joined(texts);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "End Convert"), 3) << Joined(texts);
  EXPECT_EQ(DestRows("select count(*) from \"SR_WS\""), std::vector<std::string>{"3"});
}

// A writer that cannot begin (here: no such destination table) fails the item even
// when no row is there to fail at it.
TEST_F(SessionRun, AWriterThatCannotBeginFailsTheRunEvenWithoutRows) {
  SourceSql("create table nothing_t (Num integer);");
  DestSql("drop table if exists \"SR_NOWHERE\"");
  auto r = Run(WriteSession("n.uld", TableSession("nothing_t", "SR_NOWHERE", "0", "NUM;INTEGER;;", "50")));
  EXPECT_EQ(r.ExitCode, 3) << Joined(Texts());
}

// The driver behind the test server ends character data at a NUL byte whatever length is
// bound; a row holding one must fail rather than arrive shortened and count as converted.
// The same with parameter arrays and row by row, in a VARCHAR and in a CLOB, ASCII or not.
TEST_F(SessionRun, TextHoldingANulFailsItsRowInsteadOfArrivingShortened) {
  SourceSql(
      "create table nul_t (id integer, v text, c text);"
      "insert into nul_t values (1, 'ok', 'fine');"
      "insert into nul_t values (2, 'ab' || char(0) || 'cd', 'x');"
      "insert into nul_t values (3, 'y', 'Grü' || char(0) || 'ße');"
      "insert into nul_t values (4, 'z', char(0));");
  std::string session =
      WriteSession("nul.uld", TableSession("nul_t", "SR_NUL", "0", "ID;INTEGER;;|V;VARCHAR;;|C;CLOB;;", "0"));
  for (const char* rowByRow : {"1", ""}) {
    SCOPED_TRACE(*rowByRow ? "row by row" : "arrays");
    DestSql(
        "drop table if exists \"SR_NUL\"; create table \"SR_NUL\" (\"ID\" integer, \"V\" varchar(20), \"C\" "
        "clob(1000))");
    std::remove(Log.c_str());
    setenv("FERROVAN_ROW_BY_ROW", rowByRow, 1);
    auto r = Run(session);
    unsetenv("FERROVAN_ROW_BY_ROW");
    auto texts = Texts();
    EXPECT_EQ(r.ExitCode, 4) << Joined(texts);
    EXPECT_EQ(DestRows("select * from \"SR_NUL\" order by 1"), (std::vector<std::string>{"1|ok|fine"}));
    EXPECT_NE(std::find(texts.begin(), texts.end(), "1 records    Elapsed: hh:mm:ss.  3 rows can not convert."),
              texts.end())
        << Joined(texts);
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.find("holds a NUL character") != std::string::npos; }),
              3)
        << Joined(texts);
  }
}

TEST_F(SessionRun, MalformedFieldsEndTheSessionWithItsMessage) {
  SourceSql("create table m (i integer);");
  std::string session = WriteSession("m.uld", TableSession("m", "SR_M", "0", "I;INTEGER", "50"));
  auto r = Run(session);
  EXPECT_EQ(r.ExitCode, 3);
  EXPECT_NE(r.Err.find("TTableDestOptions.LoadFromFile, Parse Fields Error."), std::string::npos) << r.Err << r.Out;
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{
                session, "TTableDestOptions.LoadFromFile, Parse Fields Error.",
                "Invalid value \"I;INTEGER\" for \"Fields\" in session file \"" + session +
                    "\": an entry is Field;Type;DateFormat;NullIf, and none of them may hold \";\" or \"|\"."}));
}

}  // namespace
