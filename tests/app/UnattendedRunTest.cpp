// What a scheduled job of a service account meets: several jobs of one user at once, a
// console that cron mails, keys it does not know, no DB2 driver, a password kept out
// of the command line, a home folder it cannot write.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/UPaths.h"
#include "base/USettingsStore.h"
#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "dac/UDataAccess.h"
#include "db2/UDB2DBLogon.h"
#include "db2/UDB2DBObjectFactory.h"
#include "sqlite/USqliteDBObjectFactory.h"
#include "session/UBatchOptions.h"
#include "support/Db2Server.h"
#include "support/DbRows.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  TStringList list;
  list.SetText(text);
  return list.Strings();
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

// A SQLite file with a table of numbers, some of them not numbers, and a DB2 table of
// the same shape; sessions copy one into the other.
class UnattendedDb2 : public ::testing::Test {
 protected:
  void SetUp() override {
    Source = Dir.Path() + "/source.db";
    std::ofstream(Source) << "";
    Log = Dir.Path() + "/run.log";
    Db2Server::Get().Configure(Dest);
    Dest.Connect();
  }

  std::string WriteSession(const std::string& name, const std::string& sourceTable, const std::string& destTable,
                           const std::string& errorsToAllow = "50") {
    std::string path = Dir.Path() + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out << "[Load]\r\nLoadRowsType=All\r\nLoadRows=0\r\nSkipRows=0\r\nColumns=\r\nSourceSchema=\r\nShowViews=0\r\n"
        << "SourceTable=" << sourceTable << "\r\nDestSchema=DB2INST1\r\nDestTable=" << destTable
        << "\r\nLoadType=0\r\nFields=ID;INTEGER;;|V;INTEGER;;\r\nErrorsToAllow=" << errorsToAllow << "\r\nLogFile=\r\n";
    return path;
  }
  void NumbersTable(const std::string& destTable, const std::vector<std::string>& values) {
    std::string rows = "create table nums (id integer, v text);";
    for (size_t i = 0; i < values.size(); ++i)
      rows += "insert into nums values (" + std::to_string(i + 1) + ", '" + values[i] + "');";
    RunSqliteScript(Source, rows);
    DestTable(destTable);
  }
  void DestTable(const std::string& name) {
    RunScript(Dest,
              "drop table if exists \"" + name + "\"; create table \"" + name + "\" (\"ID\" integer, \"V\" integer)");
  }
  std::vector<std::string> DestRows(const std::string& sql) { return QueryRows(Dest, sql); }
  std::string LogonKeys() const { return Db2Server::Get().LogonKeys(Source); }
  // The logon keys without the password.
  std::string LogonKeysWithoutPassword() const {
    const Db2Server& s = Db2Server::Get();
    return "\"sqlite_database=" + Source + "\" db2_username=" + s.User + " db2_server=" + s.Database +
           " db2_protocol=TCPIP db2_hostname=" + s.Host + " db2_port=" + s.Port;
  }

  TempDir Dir;
  std::string Source, Log;
  TUniConnection Dest;
};

// Several jobs of one user starting together share the settings file: each must run,
// and the file must still parse afterwards with every job's session in its list.
TEST_F(UnattendedDb2, SimultaneousRunsOfOneUserAllSucceed) {
  constexpr int Runs = 6;
  NumbersTable("UR_SAME", {"10", "20"});
  std::string go = Dir.Path() + "/go";
  std::vector<pid_t> pids;
  std::vector<std::string> sessions;
  for (int i = 0; i < Runs; ++i) {
    sessions.push_back(WriteSession("job" + std::to_string(i) + ".uld", "nums", "UR_SAME"));
    std::string prefix = Dir.Path() + "/job" + std::to_string(i);
    // Every job waits for the same file, so they all start at once.
    std::string command =
        "while [ ! -e '" + go + "' ]; do sleep 0.01; done; exec " +
        FerrovanCommand(Dir, LogonKeys() + " \"session=" + sessions.back() + "\" \"logfile=" + prefix + ".log\"") +
        " >'" + prefix + ".out' 2>'" + prefix + ".err'";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    pids.push_back(pid);
  }
  std::ofstream(go) << "";
  for (int i = 0; i < Runs; ++i) {
    int status = 0;
    ASSERT_EQ(waitpid(pids[static_cast<size_t>(i)], &status, 0), pids[static_cast<size_t>(i)]);
    std::string prefix = Dir.Path() + "/job" + std::to_string(i);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "job " << i << " status " << status << "\n"
        << ReadFileBytes(prefix + ".err") << Joined(LogTexts(prefix + ".log"));
    EXPECT_EQ(ReadFileBytes(prefix + ".err"), "") << "job " << i;
  }
  EXPECT_EQ(DestRows("select count(*) from \"UR_SAME\""), std::vector<std::string>{std::to_string(2 * Runs)});

  TSettingsStore store(Dir.Path() + "/settings.reg");
  std::vector<std::string> recent = ReadRecentFiles(store, "Software\\Quillmark\\Ferrovan\\TableSessions");
  EXPECT_TRUE(store.TakeWarnings().empty());  // the file parses
  std::sort(recent.begin(), recent.end());
  std::sort(sessions.begin(), sessions.end());
  EXPECT_EQ(recent, sessions);
  EXPECT_FALSE(FileExists(Dir.Path() + "/settings.reg.damaged"));
}

// Cron mails what a job prints: every failure is one line there, with the log file
// or without, and the same text as in the log.
TEST_F(UnattendedDb2, EveryFailureIsOneConsoleLineWithOrWithoutALog) {
  NumbersTable("UR_NUMS", {"10", "x", "30", "y", "z", "60"});
  std::string session = WriteSession("nums.uld", "nums", "UR_NUMS", "2");
  auto withLog = RunFerrovan(Dir, LogonKeys() + " \"session=" + session + "\" \"logfile=" + Log + "\"");
  DestTable("UR_NUMS");
  auto withoutLog = RunFerrovan(Dir, LogonKeys() + " \"session=" + session + "\"");
  EXPECT_EQ(withLog.ExitCode, 3);
  EXPECT_EQ(withoutLog.ExitCode, 3);
  EXPECT_EQ(withLog.Err, withoutLog.Err);

  std::vector<std::string> console = Lines(withLog.Err);
  const std::string prefix = "ferrovan: " + session + ": ";
  ASSERT_EQ(console.size(), 4u) << withLog.Err;
  for (int i = 0; i < 3; ++i) {
    const std::string row = std::to_string(i == 0 ? 2 : i + 3);
    EXPECT_EQ(console[static_cast<size_t>(i)].rfind(prefix + "Set Value Error, at  Row " + row + ", Col: 1 [v]", 0), 0u)
        << console[static_cast<size_t>(i)];
  }
  EXPECT_EQ(console[3], prefix + "Maxinum error count (2) exceeded. ");
  // The log holds the same texts, a row's error over several physical lines.
  std::string log = ReadFileBytes(Log);
  for (const auto& line : console) {
    std::string text = line.substr(prefix.size());
    bool found = false;
    for (const auto& entry : LogTexts(Log))
      if (text.rfind(entry, 0) == 0) found = true;
    EXPECT_TRUE(found) << text << "\n" << log;
  }
}

TEST_F(UnattendedDb2, UnknownKeysAreNamedAndARunWithoutActionFails) {
  struct Case {
    std::string args;
    int exitCode;
    std::vector<std::string> console;
  } cases[] = {
      {"", 0, {}},  // a logon test
      {"dest_db_type=\"DB2\" source_db_type=\"Sqlite\"", 0, {}},
      {"sesion=/data/x.uld",
       3,
       {"ferrovan: Unknown key \"sesion\" on the command line, ignored.",
        "ferrovan: No action ran: no workspace, session, source_sql, dest_sql or sql key was given, and \"sesion\" "
        "was ignored as unknown."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    auto r = RunFerrovan(Dir, LogonKeys() + " " + c.args);
    EXPECT_EQ(r.ExitCode, c.exitCode);
    EXPECT_EQ(Lines(r.Err), c.console);
  }
}

// An error that ends the run early (here a session file whose field list cannot be
// parsed) is on the console and in the log alike.
TEST_F(UnattendedDb2, AnErrorThatEndsTheRunIsAlsoLogged) {
  std::string session = Dir.Path() + "/bad.uld";
  WriteFileBytes(session, "[Load]\r\nSourceTable=nums\r\nDestTable=UR_BAD\r\nFields=ID;INTEGER\r\n");
  auto r = RunFerrovan(Dir, LogonKeys() + " \"session=" + session + "\" \"logfile=" + Log + "\"");
  EXPECT_NE(r.ExitCode, 0);
  const std::string message = "TTableDestOptions.LoadFromFile, Parse Fields Error.";
  EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
  auto texts = LogTexts(Log);
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(message) == 0; }))
      << Joined(texts);
}

// The password stays out of the process list: the environment gives it.
TEST_F(UnattendedDb2, PasswordFromTheEnvironment) {
  NumbersTable("UR_ENV", {"1"});
  std::string session = WriteSession("env.uld", "nums", "UR_ENV");
  const std::string password = Db2Server::Get().Password;
  struct Case {
    std::string keys, environment;
    int exitCode;
  } cases[] = {
      {LogonKeysWithoutPassword(), "FERROVAN_DB2_PASSWORD='" + password + "'", 0},
      {LogonKeysWithoutPassword(), "FERROVAN_DB2_PASSWORD=wrong", 2},
      {LogonKeysWithoutPassword(), "", 2},
      {LogonKeys(), "FERROVAN_DB2_PASSWORD=wrong", 0},  // the key wins
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.environment);
    auto r = RunFerrovan(Dir, c.keys + " \"session=" + session + "\"", c.environment);
    EXPECT_EQ(r.ExitCode, c.exitCode) << r.Err;
  }
  EXPECT_EQ(DestRows("select count(*) from \"UR_ENV\""), std::vector<std::string>{"2"});
}

TEST_F(UnattendedDb2, BatchFileWithoutPasswordRunsWithTheEnvironment) {
  NumbersTable("UR_BAT", {"7", "8"});
  std::string session = WriteSession("bat.uld", "nums", "UR_BAT");
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
  options.SetPasswordFromEnvironment(true);
  options.SetSource(&source);
  options.SetDest(&dest);
  options.SessionFile = session;
  options.LogFile = Log;
  options.BatchFile = Dir.Path() + "/bat.bat";
  ASSERT_TRUE(options.Validate()) << options.ErrorMessage;
  options.CreateBatchFile();
  std::string line = ReadFileBytes(options.BatchFile);
  EXPECT_EQ(line.find("db2_password"), std::string::npos) << line;
  EXPECT_EQ(line.find(server.Password), std::string::npos) << line;

  std::string command = "cd '" + Dir.Path() + "' && env -u DISPLAY XDG_DATA_HOME='" + Dir.Path() +
                        "/data' FERROVAN_SETTINGS_FILE='" + Dir.Path() + "/settings.reg' FERROVAN_DB2_PASSWORD='" +
                        server.Password + "' sh ./bat.bat >/dev/null 2>&1";
  int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << Joined(LogTexts(Log));
  EXPECT_EQ(DestRows("select \"V\" from \"UR_BAT\" order by 1"), (std::vector<std::string>{"7", "8"}));
}

// A service account whose home cannot hold the settings and data folders (here the
// home is a file) still runs its job; what it cannot keep is said, on the console
// and in the log.
TEST_F(UnattendedDb2, HomeThatCannotHoldFoldersStillRunsTheJob) {
  NumbersTable("UR_HOME", {"1", "2"});
  std::string session = WriteSession("home.uld", "nums", "UR_HOME");
  std::string home = Dir.Path() + "/home-is-a-file";
  WriteFileBytes(home, "");
  auto r = RunFerrovan(Dir, LogonKeys() + " \"session=" + session + "\" \"logfile=" + Log + "\"",
                       "HOME='" + home + "' XDG_DATA_HOME= XDG_CONFIG_HOME= FERROVAN_SETTINGS_FILE=");
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  EXPECT_EQ(DestRows("select count(*) from \"UR_HOME\""), std::vector<std::string>{"2"});
  const std::string config = "Cannot create \"" + home + "/.config/quillmark/\"";
  std::vector<std::string> warnings = {
      "Cannot create \"" + home + "/.local/share/ferrovan\": no exception log is kept.",
      "The settings of the start window are not kept: " + config,
      "The list of recent sessions was not updated: " + config,
  };
  EXPECT_EQ(Lines(r.Err), (std::vector<std::string>{"ferrovan: " + warnings[0], "ferrovan: " + warnings[1],
                                                    "ferrovan: " + session + ": " + warnings[2]}));
  auto texts = LogTexts(Log);
  for (const auto& w : warnings) EXPECT_NE(std::find(texts.begin(), texts.end(), w), texts.end()) << w;
  EXPECT_EQ(texts.back(), "End Convert");
}

// Without any DB2 driver registered the driver manager used to abort the process
// (exit 134) on the empty driver name.
TEST(UnattendedNoDriver, NoDb2DriverRegisteredIsSaidAndEndsNotStarted) {
  TempDir dir;
  std::ofstream(dir.Path() + "/odbcinst.ini") << "";
  std::string source = dir.Path() + "/s.db";
  std::ofstream(source) << "";
  for (std::string protocol : {"TCPIP", "Standard"}) {
    SCOPED_TRACE(protocol);
    std::string log = dir.Path() + "/" + protocol + ".log";
    auto r = RunFerrovan(dir,
                         "sqlite_database=" + source + " db2_username=u db2_password=p db2_server=S db2_protocol=" +
                             protocol + " db2_hostname=h db2_port=1 session=/x.uld logfile=" + log,
                         "ODBCSYSINI='" + dir.Path() + "'");
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_EQ(Lines(r.Err),
              (std::vector<std::string>{std::string("ferrovan: ") + NoDB2DriverMessage,
                                        "ferrovan: Logon failed and no front end can open: the run ends."}));
    EXPECT_EQ(LogTexts(log),
              (std::vector<std::string>{NoDB2DriverMessage, "Logon failed and no front end can open: the run ends."}));
  }
}

}  // namespace
