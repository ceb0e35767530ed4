#include <gtest/gtest.h>

#include "base/UPaths.h"
#include "session/SessionTestSupport.h"
#include "session/UDBConvertOptions.h"
#include "session/USessionManager.h"
#include "session/UTransveySession.h"
#include "support/TempDir.h"

namespace {

class SessionManager : public ::testing::Test {
 protected:
  std::unique_ptr<TTransveyTableLoadSession> NewSession() {
    return std::make_unique<TTransveyTableLoadSession>(nullptr, nullptr, nullptr, &Convert);
  }
  TempDir Dir;
  ScopedEnv Settings{"FERROVAN_SETTINGS_FILE", Dir.Path() + "/settings.reg"};
  TPlainConvertObjectFactory Convert;
};

TEST_F(SessionManager, AskSaveAsksOnlyForAChangedSessionWorthSaving) {
  int asked = 0;
  std::string question;
  auto yes = [&](const std::string& text) {
    ++asked;
    question = text;
    return true;
  };
  auto session = NewSession();
  EXPECT_FALSE(TSessionSaver::AskSave(*session, yes));  // blank: not even asked
  EXPECT_EQ(asked, 0);

  session->TableDestOptions().DestTable = "ORDERS";
  EXPECT_TRUE(TSessionSaver::AskSave(*session, yes));
  EXPECT_EQ(question.rfind("Save changed session now?\r\nFrom : ", 0), 0u) << question;

  std::string file = Dir.Path() + "/s.uld";
  session->SaveToFile(file);
  asked = 0;
  EXPECT_FALSE(TSessionSaver::AskSave(*session, yes));  // just saved: unchanged
  EXPECT_EQ(asked, 0);
  session->SourceOptions->RowsSelect.SkipRows = 3;
  EXPECT_FALSE(TSessionSaver::AskSave(*session, [](const std::string&) { return false; }));
  EXPECT_TRUE(TSessionSaver::AskSave(*session, yes));
}

TEST_F(SessionManager, SaveSessionSavesAndOffersTheBatchFile) {
  TConvertBatchFileCreator creator(nullptr, nullptr);
  std::string batchFor;
  creator.OnShowDialogForSession = [&](const std::string& f) { batchFor = f; };
  TSessionManager manager(&creator);
  auto session = NewSession();
  session->TableDestOptions().DestTable = "ORDERS";

  std::string shownDescription, shownFilter;
  std::string target = Dir.Path() + "/orders.uld";
  manager.SaveDialog = [&](const std::string& fileName, const std::string& filter, const std::string& ext,
                           const std::string& description) {
    EXPECT_EQ(fileName, "");
    EXPECT_EQ(ext, "uld");
    shownFilter = filter;
    shownDescription = description;
    return TSessionSaveDialogResult{true, true, target};
  };
  EXPECT_TRUE(manager.SaveSession(*session));
  EXPECT_TRUE(FileExists(target));
  EXPECT_EQ(batchFor, target);
  EXPECT_EQ(shownFilter, "Import From Table Session(*.uld)|*.uld");
  EXPECT_EQ(shownDescription.rfind("Save Session (From : ", 0), 0u) << shownDescription;
  EXPECT_NE(shownDescription.find(", To : ORDERS)"), std::string::npos) << shownDescription;

  // Cancelled on a new session: no file, no batch window.
  auto other = NewSession();
  batchFor.clear();
  manager.SaveDialog = [](const std::string&, const std::string&, const std::string&, const std::string&) {
    return TSessionSaveDialogResult{false, true, ""};
  };
  EXPECT_FALSE(manager.SaveSession(*other));
  EXPECT_EQ(batchFor, "");
}

}  // namespace
