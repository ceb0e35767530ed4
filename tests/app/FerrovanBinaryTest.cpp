#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "base/UPaths.h"
#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

TEST(FerrovanBinaryTest, HelpAndVersionTouchNothing) {
  TempDir dir;
  for (const char* flag : {"--help", "-h"}) {
    auto r = RunFerrovan(dir, flag);
    EXPECT_EQ(r.ExitCode, 0);
    for (const char* key :
         {"logfile=", "workspace=", "session=", "source_sql=", "dest_sql=", "sql=", "sqlite_database=", "db2_username=",
          "db2_password=", "db2_server=", "db2_protocol=", "db2_hostname=", "db2_port=", "Exit codes:", "  4  ",
          "FERROVAN_DB2_PASSWORD", "standard error"})
      EXPECT_NE(r.Out.find(key), std::string::npos) << key;
  }
  auto v = RunFerrovan(dir, "--version");
  EXPECT_EQ(v.ExitCode, 0);
  EXPECT_EQ(v.Out.rfind("ferrovan ", 0), 0u) << v.Out;
  EXPECT_FALSE(DirectoryExists(dir.Path() + "/data"));
}

// No display, and a display that is named but does not answer (a job that inherited a
// stale DISPLAY): the program keeps to the command line instead of aborting in Qt.
const char* const NoDisplays[] = {"", "DISPLAY=':59999'"};

TEST(FerrovanBinaryTest, NoParametersAndNoFrontEndPrintsUsage) {
  for (const char* environment : NoDisplays) {
    SCOPED_TRACE(environment);
    TempDir dir;
    auto r = RunFerrovan(dir, "", environment);
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_NE(r.Err.find("Usage: ferrovan"), std::string::npos) << r.Err;
    EXPECT_EQ(r.Err.find("The display \":59999\" does not answer: no window can open.") != std::string::npos,
              *environment != 0)
        << r.Err;
  }
}

TEST(FerrovanBinaryTest, UnwritableLogFileEndsWithItsName) {
  TempDir dir;
  std::string log = dir.Path() + "/missing folder/run.log";
  auto r = RunFerrovan(dir, "\"logfile=" + log + "\" sqlite_database=/nonexistent.db");
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_NE(r.Err.find(log), std::string::npos) << r.Err;
}

TEST(FerrovanBinaryTest, FailedLogonWithoutFrontEndEndsNotStarted) {
  for (const char* environment : NoDisplays) {
    SCOPED_TRACE(environment);
    TempDir dir;
    std::string log = dir.Path() + "/run.log";
    auto r = RunFerrovan(dir,
                         "logfile=\"" + log + "\" sqlite_database=" + dir.Path() +
                             "/none.db db2_server=NONE db2_username=u db2_password=p session=x.uld",
                         environment);
    EXPECT_EQ(r.ExitCode, 2);
    auto texts = LogTexts(log);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "Logon failed and no front end can open: the run ends.");
  }
}
