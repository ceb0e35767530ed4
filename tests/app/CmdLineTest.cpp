#include <gtest/gtest.h>

#include "app/UCmdLineProcessor.h"
#include "AppTestSupport.h"
#include "base/UCommandLine.h"
#include "base/UPaths.h"
#include "base/UTextFile.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

namespace {


// One processor over two recording logons and a recording session factory.
struct Harness {
  Harness() {
    Processor.SourceDBObjectFactory = Source.get();
    Processor.DestDBObjectFactory = Dest.get();
    Processor.SetExecutorFactory(&Sessions);
    Processor.Console = [this](const std::string& line) { Console.push_back(line); };
  }

  std::string File(const std::string& name, const std::string& content = "[Load]\r\n") {
    std::string path = Dir.Path() + "/" + name;
    WriteFileBytes(path, content);
    return path;
  }

  bool RunWith(TStringList params) {
    params.Insert(0, "logfile=" + Log);
    return Processor.Execute(params);
  }

  std::vector<std::string> SessionsRun() const {
    std::vector<std::string> names;
    for (const auto& r : Sessions.Runs) names.push_back(ExtractFileName(r.SessionFile));
    return names;
  }

  TempDir Dir;
  std::string Log = Dir.Path() + "/run.log";
  std::unique_ptr<TTestDBObjectFactory> Source = MakeFactory<TTestDBObjectFactory>();
  std::unique_ptr<TTestDBObjectFactory> Dest = MakeFactory<TTestDBObjectFactory>();
  TRecordingExecutorFactory Sessions;
  TDBConvertCmdLineProcessor Processor;
  std::vector<std::string> Console;  // the lines for standard error
};

class CmdLineTest : public ::testing::Test, public Harness {};

}  // namespace

TEST(CommandLineSplitTest, BlanksOutsideQuotesSeparateAndQuotesGoAway) {
  struct Case {
    const char* line;
    std::vector<std::string> words;
  } cases[] = {
      {"a b  c", {"a", "b", "c"}},
      {"session=\"/my dir/a b.uld\" logfile=x", {"session=/my dir/a b.uld", "logfile=x"}},
      {"\"session=/q r.uld\"", {"session=/q r.uld"}},
      {"db2_password=\"p\"\"w d\"", {"db2_password=p\"w d"}},
      {" \t\r\n", {}},
      {"key=\"\" next", {"key=", "next"}},
      {"x=1\r", {"x=1"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
  EXPECT_EQ(UnquoteArgument("session=\"/a b/c.uld\""), "session=/a b/c.uld");
  EXPECT_EQ(UnquoteArgument("plain value"), "plain value");  // the shell already split it
}

TEST_F(CmdLineTest, NoParametersLeavesItToTheFrontEnd) {
  EXPECT_FALSE(Processor.Execute(TStringList()));
  EXPECT_TRUE(Source->TestLogon().Calls.empty());
}

TEST_F(CmdLineTest, BothLogonsGetEveryParameter) {
  TStringList params{"sqlite_database=a.db", "DB2_USERNAME=u", "stray"};
  EXPECT_TRUE(RunWith(params));
  ASSERT_EQ(Source->TestLogon().Calls.size(), 1u);
  ASSERT_EQ(Dest->TestLogon().Calls.size(), 1u);
  EXPECT_EQ(Dest->TestLogon().Calls[0].Values("db2_username"), "u");
  EXPECT_EQ(Dest->TestLogon().Calls[0].Count(), 4);  // logfile included, "stray" kept
}

// Logon keys alone are a logon test; a key nobody knows is named, and when no action
// ran because of it the run fails. The console and the log get the same lines.
TEST_F(CmdLineTest, UnknownKeysAreNamedAndFailARunWithoutAction) {
  const std::string noAction = "No action ran: no workspace, session, source_sql, dest_sql or sql key was given, and ";
  struct Case {
    std::vector<std::string> params;
    std::vector<std::string> lines;
    int exitCode;
    size_t sessionsRun;
  } cases[] = {
      {{"sqlite_database=a.db", "DB2_USERNAME=u", "db2_password=p", "db2_server=S", "db2_protocol=TCPIP",
        "db2_hostname=h", "db2_port=1"},
       {},
       ecSuccess,
       0},
      // Everything a generated batch file or the short fallbacks carry.
      {{"source_db_type=\"Sqlite\"", "Dest_DB_Type=DB2", "database=a.db", "username=u", "password=p", "server=S",
        "protocol=Standard", "hostname=h", "port=1", "session="},
       {},
       ecSuccess,
       0},
      {{"sqlite_database=a.db", "sesion=/x.uld"},
       {"Unknown key \"sesion\" on the command line, ignored.", noAction + "\"sesion\" was ignored as unknown."},
       ecFailed,
       0},
      // A word without "=" is shown only when it is a key name: others may be secrets.
      {{"session", "/x.uld", "=v"},
       {"The key \"session\" has no \"=\" and no value, ignored.", "Parameter 3 is not of the form key=value, ignored.",
        "Unknown key \"\" on the command line, ignored.",
        noAction + "\"session\", parameter 3, \"\" were ignored as unknown."},
       ecFailed,
       0},
      {{"session=" + File("s.uld"), "colour=red"},
       {"Unknown key \"colour\" on the command line, ignored."},
       ecSuccess,
       1},
      {{"session=" + File("s.uld"), "Verify=1"}, {}, ecSuccess, 1},
      {{"session=" + File("s.uld"), "verify=often"},
       {"The value of verify must be 1 or 0, not \"often\"."},
       ecNotStarted,
       0},
  };
  for (const auto& c : cases) {
    Harness fresh;
    TStringList params;
    for (const auto& p : c.params) params.Add(p);
    EXPECT_TRUE(fresh.RunWith(params));
    EXPECT_EQ(fresh.Console, c.lines) << c.params[0];
    std::vector<std::string> logged = LogTexts(fresh.Log);
    if (c.sessionsRun) logged.erase(logged.begin() + 1);  // the session file's own line
    EXPECT_EQ(logged, c.lines) << c.params[0];
    EXPECT_EQ(fresh.Processor.ExitCode, c.exitCode) << c.params[0];
    EXPECT_EQ(fresh.Sessions.Runs.size(), c.sessionsRun);
  }
}

TEST_F(CmdLineTest, FailedLogonsStopTheRun) {
  struct Case {
    bool sourceResult;
    std::string sourceError, destError;
    std::vector<std::string> log;
    size_t destCalls;
  } cases[] = {
      {false, "", "", {}, 0},  // returned false: nothing logged, destination not tried
      {true, "", "SQL30082N wrong password", {"SQL30082N wrong password"}, 1},
      {true, "file missing", "", {"file missing"}, 0},
  };
  for (const auto& c : cases) {
    Harness fresh;  // a new processor each time
    fresh.Source->TestLogon().Result = c.sourceResult;
    fresh.Source->TestLogon().Error = c.sourceError;
    fresh.Dest->TestLogon().Error = c.destError;
    std::string session = fresh.File("s.uld");
    EXPECT_FALSE(fresh.RunWith(TStringList{"session=" + session}));
    EXPECT_EQ(LogTexts(fresh.Log), c.log);
    EXPECT_EQ(fresh.Console, c.log);
    EXPECT_EQ(fresh.Dest->TestLogon().Calls.size(), c.destCalls);
    EXPECT_TRUE(fresh.Sessions.Runs.empty());
    EXPECT_EQ(fresh.Processor.ExitCode, ecNotStarted);
  }
}

TEST_F(CmdLineTest, OneActionRunsChosenByKeyOrder) {
  std::string s1 = File("one.uld"), s2 = File("two.ulq"), ws = File("ws.txt", s2 + "\r\n");
  std::string sql = File("x.sql", "select 1;");
  // Keys in any case; the first occurrence of a key counts; values are trimmed.
  EXPECT_TRUE(RunWith(TStringList{"SQL=" + sql, "Session= " + s1 + " \r", "session=" + s2}));
  EXPECT_EQ(SessionsRun(), std::vector<std::string>{"one.uld"});
  EXPECT_EQ(Sessions.Runs[0].LogFile, Log);
  EXPECT_EQ(LogTexts(Log), std::vector<std::string>{s1});

  Harness other;
  EXPECT_TRUE(other.RunWith(TStringList{"session=" + s1, "WORKSPACE=" + ws}));
  EXPECT_EQ(other.SessionsRun(), std::vector<std::string>{"two.ulq"});

  Harness empty;  // a key with an empty value counts as absent
  EXPECT_TRUE(empty.RunWith(TStringList{"workspace=", "session=" + s2}));
  EXPECT_EQ(empty.SessionsRun(), std::vector<std::string>{"two.ulq"});
}

TEST_F(CmdLineTest, WorkspaceRunsEveryLineAsWritten) {
  std::string a = File("a.uld"), b = File("b b.ula");
  std::string ws = File("work.space", a + "\r\n" + Dir.Path() + "/gone.uld\r\n\r\n" + b + "\r\n" + File("c.ULD") + "\r\n");
  EXPECT_TRUE(RunWith(TStringList{"workspace=" + ws}));
  EXPECT_EQ(SessionsRun(), (std::vector<std::string>{"a.uld", "b b.ula"}));
  EXPECT_EQ(LogTexts(Log), (std::vector<std::string>{ws, a, "session file: " + Dir.Path() + "/gone.uld not exists.",
                                                     "session file:  not exists.", b, Dir.Path() + "/c.ULD",
                                                     "invalid session file."}));
  // On the console the failures alone, each on its own line; the invalid file is named.
  EXPECT_EQ(Console,
            (std::vector<std::string>{"session file: " + Dir.Path() + "/gone.uld not exists.",
                                      "session file:  not exists.", Dir.Path() + "/c.ULD: invalid session file."}));
  EXPECT_EQ(Processor.ExitCode, ecFailed);
}

TEST_F(CmdLineTest, MissingFilesAreLoggedAndFailTheRun) {
  struct Case {
    std::string key;
    std::string text;
  } cases[] = {
      {"workspace", "workspace file: " + Dir.Path() + "/nope not exists."},
      {"session", "session file: " + Dir.Path() + "/nope not exists."},
  };
  for (const auto& c : cases) {
    Harness fresh;
    EXPECT_TRUE(fresh.RunWith(TStringList{c.key + "=" + Dir.Path() + "/nope"}));
    EXPECT_EQ(LogTexts(fresh.Log), std::vector<std::string>{c.text});
    EXPECT_EQ(fresh.Console, std::vector<std::string>{c.text});
    EXPECT_EQ(fresh.Processor.ExitCode, ecFailed);
  }
}

TEST_F(CmdLineTest, SessionOutcomeBecomesTheExitCode) {
  std::string a = File("a.uld"), b = File("b.uld");
  Sessions.ResultCode = ecRowsRejected;
  EXPECT_TRUE(RunWith(TStringList{"workspace=" + File("w", a + "\r\n" + b)}));
  EXPECT_EQ(Processor.ExitCode, ecRowsRejected);
  Sessions.ResultCode = ecFailed;
  EXPECT_TRUE(RunWith(TStringList{"session=" + a}));
  EXPECT_EQ(Processor.ExitCode, ecFailed);
}

TEST_F(CmdLineTest, SqlFileGoesToTheChosenSideAndFailuresAreLogged) {
  std::string sql = File("q.sql", "select 1;\r\nselect 2;");
  struct Case {
    std::string key;
    bool withSource, withDest;
    std::vector<std::string> log;
  } cases[] = {
      {"source_sql", false, true, {"can not execute sql file, check your parameter sql/source_sql/dest_sql."}},
      {"dest_sql", true, false, {"can not execute sql file, check your parameter sql/source_sql/dest_sql."}},
      // These factories' connections name no database, so the script fails:
      // the failure is logged and the closing line still follows.
      {"sql", true, true,
       {"start execute sql.", "select 1;", "(continued) select 2;", "exception: No database file given",
        "end execute sql."}},
      {"sql", false, true,
       {"start execute sql.", "select 1;", "(continued) select 2;", "exception: No database file given",
        "end execute sql."}},
  };
  for (const auto& c : cases) {
    Harness fresh;
    if (!c.withSource) fresh.Processor.SourceDBObjectFactory = nullptr;
    if (!c.withDest) fresh.Processor.DestDBObjectFactory = nullptr;
    EXPECT_TRUE(fresh.RunWith(TStringList{c.key + "=" + sql}));
    EXPECT_EQ(LogTexts(fresh.Log), c.log) << c.key;
    // The failure, without the lines around it.
    EXPECT_EQ(fresh.Console, std::vector<std::string>{c.log.size() == 1 ? c.log[0] : c.log[3]}) << c.key;
    EXPECT_EQ(fresh.Processor.SqlTarget, c.key == "sql" ? "check" : c.key.substr(0, c.key.find('_')));
    EXPECT_EQ(fresh.Processor.ExitCode, ecFailed);
  }
  Harness unreadable;
  EXPECT_TRUE(unreadable.RunWith(TStringList{"dest_sql=" + Dir.Path() + "/none.sql"}));
  auto log = LogTexts(unreadable.Log);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].rfind("exception: Cannot open file \"" + Dir.Path() + "/none.sql\"", 0), 0u) << log[1];
  EXPECT_EQ(log[2], "end execute sql.");
}
