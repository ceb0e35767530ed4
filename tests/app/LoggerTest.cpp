#include <gtest/gtest.h>

#include <regex>

#include "app/ULogger.h"
#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/UTextFile.h"
#include "support/TempDir.h"


TEST(FileLoggerTest, EmptyFileNameWritesNothing) {
  TempDir dir;
  TFileLogger logger("");
  logger.Log("lost");
  WriteLogLine("", "lost too");
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(FileLoggerTest, CreatesAppendsAndSharesAFileInCallOrder) {
  TempDir dir;
  std::string file = dir.Path() + "/run.log";
  WriteFileBytes(file, "[2000-01-01 00:00:00:000] kept\r\n");  // never truncated
  TFileLogger a(file), b(file);
  a.Log("first");
  b.Log("second");
  a.Log("multi\r\nline");
  std::string start = ReadFileBytes(file);
  EXPECT_EQ(start.rfind("[2000-01-01 00:00:00:000] kept\r\n[", 0), 0u) << start;
  std::string bytes = ReadFileBytes(file);
  EXPECT_NE(bytes.find("] first\r\n["), std::string::npos);
  EXPECT_NE(bytes.find("] second\r\n["), std::string::npos);
  // A text with line breaks is written as is: only its first line is stamped.
  EXPECT_TRUE(bytes.ends_with("] multi\r\nline\r\n")) << bytes;
}

TEST(FileLoggerTest, UnopenableFileRaisesNamingTheFile) {
  TempDir dir;
  std::string file = dir.Path() + "/no such folder/run.log";
  TFileLogger logger(file);
  try {
    logger.Log("x");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_NE(e.Message.find(file), std::string::npos) << e.Message;
  }
  TFileLogger again(file);  // the lock was released: a second attempt fails the same way
  EXPECT_THROW(again.Log("y"), EInOutError);
}

TEST(MemoryLoggerTest, EntriesAreTimeTabText) {
  TMemoryLogger logger;
  EXPECT_EQ(logger.GetText(), "");
  logger.Log("Start ferrovan");
  logger.Log("select 1");
  ASSERT_EQ(logger.Lines.Count(), 2);
  EXPECT_TRUE(std::regex_match(logger.Lines[0], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d:\d{3}\tStart ferrovan)")))
      << logger.Lines[0];
  EXPECT_EQ(logger.GetText().substr(logger.GetText().size() - 10), "select 1\r\n");
  logger.Clear();
  EXPECT_EQ(logger.GetText(), "");
}
