#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "base/UCommandLine.h"
#include "base/UPaths.h"
#include "base/UTextFile.h"
#include "dac/UDataAccess.h"
#include "db2/UDB2DBLogon.h"
#include "db2/UDB2DBObjectFactory.h"
#include "session/UBatchOptions.h"
#include "sqlite/USqliteDBObjectFactory.h"
#include "support/TempDir.h"

namespace {

struct Factories {
  Factories() {
    Source.Initialize();
    Dest.Initialize();
    Source.Connection()->Database = "/data/my files/chinook.db";
    Dest.Connection()->Username = "db2inst1";
    Dest.Connection()->Password = "Passw0rd!";
    Dest.Connection()->Server = BuildDB2ServerText("IBM DB2 ODBC DRIVER", "SAMPLE", "TCPIP", "db.example", "50000");
  }
  TSqliteDBObjectFactory Source;
  TDB2DBObjectFactory Dest;
};

TEST(DBBatchOptions, TheLineByteForByte) {
  Factories f;
  TDBBatchOptions options;
  options.ExecutablePath = "/opt/ferrovan/bin/ferrovan";
  options.SetSource(&f.Source);
  options.SetDest(&f.Dest);
  options.SessionFile = "/home/me/orders.uld";
  options.LogFile = "/home/me/orders.log";
  EXPECT_EQ(options.GetSourceDBType(), "Sqlite");
  EXPECT_EQ(options.GetDestDBType(), "DB2");
  EXPECT_EQ(options.BatchLine(),
            "\"/opt/ferrovan/bin/ferrovan\"  source_db_type=\"Sqlite\"  sqlite_database=\"/data/my files/chinook.db\""
            " dest_db_type=\"DB2\"  db2_username=db2inst1 db2_password=Passw0rd! db2_server=SAMPLE"
            " db2_protocol=TCPIP db2_hostname=db.example db2_port=50000"
            " session=\"/home/me/orders.uld\" logfile=\"/home/me/orders.log\"");

  // Without logons: the program, one blank, the session and log keys.
  TDBBatchOptions bare;
  bare.ExecutablePath = "/x/ferrovan";
  bare.SessionFile = "s.uld";
  bare.LogFile = "s.log";
  EXPECT_EQ(bare.BatchLine(), "\"/x/ferrovan\"  session=\"s.uld\" logfile=\"s.log\"");
  // The destination is not taken twice when both sides are the same factory.
  bare.SetSource(&f.Source);
  bare.SetDest(&f.Source);
  EXPECT_EQ(bare.GetDestDBType(), "");
}

// The password can stay out of the file; the run then takes it from the environment.
// Set before or after the logons are taken, the choice holds for both sides.
TEST(DBBatchOptions, PasswordLeftOutForTheEnvironment) {
  Factories f;
  const std::string withoutPassword =
      "\"/x/ferrovan\"  source_db_type=\"Sqlite\"  sqlite_database=\"/data/my files/chinook.db\""
      " dest_db_type=\"DB2\"  db2_username=db2inst1 db2_server=SAMPLE db2_protocol=TCPIP db2_hostname=db.example"
      " db2_port=50000 session=\"s.uld\" logfile=\"s.log\"";
  for (bool before : {true, false}) {
    TDBBatchOptions options;
    options.ExecutablePath = "/x/ferrovan";
    options.SessionFile = "s.uld";
    options.LogFile = "s.log";
    EXPECT_FALSE(options.GetPasswordFromEnvironment());
    if (before) options.SetPasswordFromEnvironment(true);
    options.SetSource(&f.Source);
    options.SetDest(&f.Dest);
    if (!before) options.SetPasswordFromEnvironment(true);
    EXPECT_EQ(options.BatchLine(), withoutPassword) << before;
    EXPECT_EQ(options.GetDestCmdLine().find("Passw0rd!"), std::string::npos);
    options.SetPasswordFromEnvironment(false);
    EXPECT_NE(options.BatchLine().find(" db2_password=Passw0rd! "), std::string::npos);
  }
}

TEST(DBBatchOptions, ValidateChecksLogonsThenFiles) {
  TempDir dir;
  Factories f;
  f.Source.Connection()->Database = dir.Path() + "/there.db";
  std::ofstream(f.Source.Connection()->Database) << "";
  struct Case {
    std::string session, log, batch, password, message;
  } cases[] = {
      {"s", "l", "b", "", "Please enter Password."},
      {"", "l", "b", "p", "Please enter sessoin file name."},
      {"s", "", "b", "p", "Please enter log file name."},
      {"s", "l", "", "p", "Please enter batch file name."},
      {"s", "l", "b", "p", ""},
  };
  for (const auto& c : cases) {
    f.Dest.Connection()->Password = c.password;
    TDBBatchOptions options;
    options.SetSource(&f.Source);
    options.SetDest(&f.Dest);
    options.SessionFile = c.session;
    options.LogFile = c.log;
    options.BatchFile = c.batch;
    EXPECT_EQ(options.Validate(), c.message.empty()) << c.message;
    EXPECT_EQ(options.ErrorMessage, c.message);
  }
}

TEST(DBBatchOptions, FileIsPrivateExecutableAndReadsBack) {
  TempDir dir;
  Factories f;
  TDBBatchOptions options;
  options.SetSource(&f.Source);
  options.SetDest(&f.Dest);
  options.SessionFile = dir.Path() + "/a b.uld";
  options.LogFile = dir.Path() + "/a b.log";
  options.BatchFile = dir.Path() + "/a b.bat";
  std::ofstream(options.BatchFile) << "old content that is longer than nothing";
  chmod(options.BatchFile.c_str(), 0644);
  options.CreateBatchFile();
  struct stat st {};
  ASSERT_EQ(stat(options.BatchFile.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  std::string bytes = ReadFileBytes(options.BatchFile);
  EXPECT_EQ(bytes, options.BatchLine() + "\r\n");
  EXPECT_EQ(options.BatchLine().rfind("\"" + RunningExecutablePath() + "\" ", 0), 0u);

  auto words = SplitCommandLine(bytes);
  std::vector<std::string> tail(words.end() - 2, words.end());
  EXPECT_EQ(tail,
            (std::vector<std::string>{"session=" + dir.Path() + "/a b.uld", "logfile=" + dir.Path() + "/a b.log"}));
}

TEST(SessionFileName, SaveDialogRules) {
  TempDir dir;
  std::string docs = dir.Path() + "/Documents";
  setenv("XDG_DOCUMENTS_DIR", docs.c_str(), 1);
  std::string name, message;
  EXPECT_FALSE(ResolveSessionFileName("   ", "uld", name, message));
  EXPECT_EQ(message, "Please choose/enter Sessoin file.");

  ASSERT_TRUE(ResolveSessionFileName("my orders", "uld", name, message)) << message;
  EXPECT_EQ(name, docs + "/Ferrovan/my_orders.uld");
  EXPECT_TRUE(DirectoryExists(docs + "/Ferrovan"));
  EXPECT_FALSE(FileExists(name));  // the test leaves nothing behind

  std::string existing = dir.Path() + "/kept.ulq";
  std::ofstream(existing) << "[Load]\r\nSql=select 1\r\n";
  ASSERT_TRUE(ResolveSessionFileName(existing, "ulq", name, message));
  EXPECT_EQ(name, existing);
  EXPECT_EQ(ReadFileBytes(existing), "[Load]\r\nSql=select 1\r\n");

  ASSERT_TRUE(ResolveSessionFileName(dir.Path() + "/x", "ula", name, message));
  EXPECT_EQ(name, dir.Path() + "/x.ula");

  std::string bad = dir.Path() + "/no such folder/s.uld";
  EXPECT_FALSE(ResolveSessionFileName(bad, "uld", name, message));
  EXPECT_EQ(message,
            "Can not create Session file \"" + bad + "\": No such file or directory, please select another file.");
  unsetenv("XDG_DOCUMENTS_DIR");
}

TEST(WorkspaceFile, OneNamePerLine) {
  TempDir dir;
  std::string ws = dir.Path() + "/w.fws";
  WriteWorkspaceFile(ws, {"/a.uld", "", "/b c.ula"});
  EXPECT_EQ(ReadFileBytes(ws), "/a.uld\r\n/b c.ula\r\n");
  EXPECT_EQ(ReadWorkspaceFile(ws), (std::vector<std::string>{"/a.uld", "/b c.ula"}));
}

}  // namespace
