#include <gtest/gtest.h>

#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "engine/UOutputer.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

namespace {

TEST(FormatElapsed, RoundsSecondsHalvesToEven) {
  struct Case {
    double ms;
    const char* text;
  } cases[] = {
      {0, "00:00:00"},     {500, "00:00:00"},   {1500, "00:00:02"},    {2500, "00:00:02"}, {3723000, "01:02:03"},
      {65000, "00:01:05"}, {59600, "00:01:00"}, {3599500, "01:00:00"}, {-5, "00:00:00"},   {360000000, "100:00:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatElapsed(c.ms), c.text) << c.ms;
}

TEST(EstimateRemaining, PaceSoFar) {
  EXPECT_DOUBLE_EQ(EstimateRemaining(10000, 25, 100), 30000);
  EXPECT_DOUBLE_EQ(EstimateRemaining(10000, 0, 100), 0);
  EXPECT_DOUBLE_EQ(EstimateRemaining(10000, 5, 0), 0);
}

TEST(LogConvertOutputer, ResultLinesOfAnItem) {
  TempDir dir;
  std::string log = dir.Path() + "/run.log";
  TConvertStatus status;
  TLogConvertOutputer outputer;
  outputer.SetLogFile(log);
  outputer.SetStatus(&status);
  outputer.Initialize();

  status.ConvertedRows = 99;
  status.ErrorRows = 9;
  status.Start();  // a reused status starts at zero
  EXPECT_EQ(status.ConvertedRows, 0);
  EXPECT_EQ(status.ErrorRows, 0);
  status.ErrorMessage = "Write Data Error, at: 7";
  status.FireError();
  status.Message = "Start Convert";
  status.FireMessage();
  status.FireProgress();  // nothing in the log
  status.ConvertedRows = 1200;
  status.ErrorRows = 3;
  status.SourceDescription = "From Table: a";
  status.DestDescription = "To Table: B";
  status.StartTime = TConvertStatus::NowTicks() - 65000;
  status.Finish();

  // Without both descriptions there are no description lines; without errors no tail.
  status.Start();
  status.ConvertedRows = 5;
  status.DestDescription = "";
  status.Finish();

  auto texts = LogTexts(log);
  EXPECT_EQ(texts, (std::vector<std::string>{"Write Data Error, at: 7", "Start Convert", "From Table: a", "To Table: B",
                                             "1200 records    Elapsed: 00:01:05.  3 rows can not convert.",
                                             "5 records    Elapsed: 00:00:00"}));
}

TEST(ConvertResultText, CountsPastTwoToTheThirtyOne) {
  TConvertStatus status;
  status.Start();
  status.ConvertedRows = 3000000000;
  status.ErrorRows = 2147483648;
  EXPECT_EQ(ConvertResultText(status).substr(0, 18), "3000000000 records");
  EXPECT_NE(ConvertResultText(status).find(".  2147483648 rows can not convert."), std::string::npos);
}

TEST(LogConvertOutputer, NoLogFileWritesNothing) {
  TConvertStatus status;
  TLogConvertOutputer outputer;
  outputer.SetStatus(&status);
  outputer.Initialize();
  status.Message = "x";
  EXPECT_NO_THROW(status.FireMessage());
}

}  // namespace
