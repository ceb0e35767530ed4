#include <gtest/gtest.h>

#include "app/UApp.h"
#include "app/UConvertSettings.h"
#include "app/ULogger.h"
#include "app/UUserSettings.h"
#include "AppTestSupport.h"
#include "base/UPaths.h"
#include "base/USettingsStore.h"
#include "base/UTextFile.h"
#include "session/USessionManager.h"
#include "support/TempDir.h"

namespace {

// The application chain with test factories on both sides.
class TTestApp : public TTransvey {
public:
  static TTestApp* Create(bool withFactories = true) {
    auto* app = new TTestApp(withFactories);
    app->Initialize();
    return app;
  }
  std::unique_ptr<TConvertObjectFactory> CreateSourceConvertObjectFactory() override {
    return WithFactories ? std::make_unique<TTestConvertObjectFactory>() : nullptr;
  }
  std::unique_ptr<TConvertObjectFactory> CreateDestConvertObjectFactory() override {
    return WithFactories ? std::make_unique<TTestConvertObjectFactory>() : nullptr;
  }
  std::unique_ptr<TDBObjectFactory> CreateSourceDBObjectFactory() override {
    return WithFactories ? MakeFactory<TTestDBObjectFactory>() : nullptr;
  }
  std::unique_ptr<TDBObjectFactory> CreateDestDBObjectFactory() override {
    return WithFactories ? MakeFactory<TTestDBObjectFactory>() : nullptr;
  }

  TTestApp(bool withFactories) : WithFactories(withFactories) {}
  bool WithFactories;
};

class AppObjectTest : public ::testing::Test {
protected:
  TempDir Dir;
  ScopedEnv Data{"XDG_DATA_HOME", Dir.Path() + "/data"};
  ScopedEnv Settings{"FERROVAN_SETTINGS_FILE", Dir.Path() + "/settings.reg"};
};

}  // namespace

TEST_F(AppObjectTest, AccessorsFailWithoutAnInstance) {
  ASSERT_FALSE(TApp::HasInstance());
  try {
    TApp::GetInstance();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "TApp not create.");
  }
  try {
    ConvertApp();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "TDBConvertApp not create.");
  }
}

TEST_F(AppObjectTest, BuildsFactoriesSharesConnectionsAndHasOneInstance) {
  std::unique_ptr<TTestApp> app(TTestApp::Create());
  EXPECT_EQ(&ConvertApp(), app.get());
  EXPECT_EQ(&TApp::GetInstance(), app.get());
  ASSERT_NE(app->SourceDBObjectFactory(), nullptr);
  EXPECT_EQ(app->SourceConvertObjectFactory()->Connection(), app->SourceDBObjectFactory()->Connection());
  EXPECT_EQ(app->DestConvertObjectFactory()->Connection(), app->DestDBObjectFactory()->Connection());
  EXPECT_EQ(app->SourceDBObjectFactory()->Logon()->GetConnection(), app->SourceDBObjectFactory()->Connection());
  EXPECT_EQ(app->SourceDBObjectFactory()->Dictionary()->GetConnection(), app->SourceDBObjectFactory()->Connection());
  EXPECT_NE(app->SessionManager(), nullptr);
  EXPECT_NE(app->BatchFileCreator(), nullptr);
  EXPECT_NE(app->Settings(), nullptr);
  EXPECT_EQ(app->AppName, "test_app");
  EXPECT_EQ(app->ExceptionLogger->FileName, Dir.Path() + "/data/test_app/exception.log");

  // A second application object aborts silently; the first stays.
  EXPECT_THROW(TTestApp::Create(), EAbort);
  EXPECT_EQ(&TApp::GetInstance(), app.get());

  app.reset();
  EXPECT_FALSE(TApp::HasInstance());
}

TEST_F(AppObjectTest, EveryReaderFetchesFiftyRows) {
  std::unique_ptr<TTestApp> app(TTestApp::Create());
  EXPECT_EQ(app->SourceConvertObjectFactory()->CreateDataReader()->GetFetchRows(), 50);
}

TEST_F(AppObjectTest, StartWindowFlagIsCreatedEmptyOnFirstStart) {
  const std::string key = "Software\\Quillmark\\Ferrovan";
  TSettingsStore store = UserSettingsStore();
  struct Case {
    const char* stored;  // nullptr: not there yet
    bool showLaunch;
  } cases[] = {{nullptr, true}, {"", true}, {"junk", true}, {"-1", false}, {"0", true}, {"True", false}};
  for (const auto& c : cases) {
    if (c.stored)
      store.WriteString(key, "NotShowLaunch", c.stored);
    else
      store.DeleteValue(key, "NotShowLaunch");
    TAppSettings settings;
    EXPECT_EQ(settings.ShowLaunch, c.showLaunch) << (c.stored ? c.stored : "(missing)");
    EXPECT_TRUE(store.ValueExists(key, "NotShowLaunch"));
  }
}

TEST_F(AppObjectTest, UserSettingsLiveWhereTheEnvironmentSaysUnderTheProductsHeader) {
  UserSettingsStore().WriteString("Software\\Quillmark\\Ferrovan", "NotShowLaunch", "");
  EXPECT_EQ(ReadFileBytes(Dir.Path() + "/settings.reg").rfind("; Ferrovan per-user settings\n[", 0), 0u);
  {
    ScopedEnv file("FERROVAN_SETTINGS_FILE", "/x/y.reg");
    EXPECT_EQ(UserSettingsFileName(), "/x/y.reg");
  }
  ScopedEnv file("FERROVAN_SETTINGS_FILE", "");
  ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
  EXPECT_EQ(UserSettingsFileName(), "/cfg/quillmark/settings.reg");
}

TEST_F(AppObjectTest, ItsSessionsAndExecutorsReportToItAndKeepItsRecentLists) {
  std::unique_ptr<TTestApp> app(TTestApp::Create());
  std::vector<std::string> shown;
  app->FrontEnd.ShowErrorReport = [&](const std::string& t) { shown.push_back(t); };
  app->GUIMode = true;
  const std::string file = Dir.Path() + "/t.uld";
  WriteFileBytes(file, "[Load]\r\n");
  auto factory = app->CreateSessionExecutorFactory();
  auto session = factory->CreateSession(file);
  EXPECT_EQ(session->LogSink, app.get());
  EXPECT_EQ(ReadRecentFiles(UserSettingsStore(), "Software\\Quillmark\\Ferrovan\\TableSessions"),
            std::vector<std::string>{file});

  // A run that cannot start reaches the application's logs and its error report.
  auto executor = factory->CreateExecutor(file);
  executor->SetSession(session.get());
  EXPECT_FALSE(executor->Execute());
  EXPECT_NE(app->MemoryLogger->GetText().find(
                "\tIn TConvertSessionExecutor.Execute, The outputer of a conversion must be a convert outputer\r\n"),
            std::string::npos)
      << app->MemoryLogger->GetText();
  EXPECT_EQ(shown, std::vector<std::string>{"Convert Has Exception."});
}

TEST_F(AppObjectTest, ErrorsReachTheLogsOnlyInGuiMode) {
  std::unique_ptr<TTestApp> app(TTestApp::Create());
  std::vector<std::string> shown;
  app->FrontEnd.ShowErrorReport = [&](const std::string& t) { shown.push_back(t); };
  AppLogError("quiet");
  AppShowError("quiet");
  EXPECT_FALSE(FileExists(app->ExceptionLogger->FileName));
  EXPECT_TRUE(shown.empty());

  app->GUIMode = true;
  AppShowError("nothing pending");
  EXPECT_TRUE(shown.empty());
  AppLogError("boom");
  EXPECT_TRUE(app->ErrorPending);
  AppShowError("boom");
  EXPECT_FALSE(app->ErrorPending);
  EXPECT_EQ(shown, std::vector<std::string>{"boom"});
  EXPECT_NE(app->MemoryLogger->GetText().find("\tboom\r\n"), std::string::npos);

  app->HandleException(Exception("handled"));
  std::string log = ReadFileBytes(app->ExceptionLogger->FileName);
  EXPECT_NE(log.find("] boom\r\n"), std::string::npos);
  EXPECT_NE(log.find("] handled\r\n"), std::string::npos);
  EXPECT_NE(log.find("AppObjectTest_ErrorsReachTheLogsOnlyInGuiMode"), std::string::npos);  // the stack trace
  EXPECT_EQ(shown.back(), "handled");
}

TEST_F(AppObjectTest, VersionInfoAddsOnlyOpenConnections) {
  std::unique_ptr<TTestApp> app(TTestApp::Create());
  std::string info = app->GetVersionInfo();
  EXPECT_EQ(info.find("\r\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Linux"), std::string::npos);
}

TEST_F(AppObjectTest, WithoutParametersAndFrontEndTheRunEndsNotStarted) {
  ScopedEnv display("DISPLAY", "");
  TTestApp* app = TTestApp::Create();
  EXPECT_EQ(app->Run(), ecNotStarted);  // frees the application object
  EXPECT_FALSE(TApp::HasInstance());
}

TEST_F(AppObjectTest, FrontEndStartsWhenTheLogonFailsAndADisplayIsThere) {
  ScopedEnv display("DISPLAY", ":99");
  TTestApp* app = TTestApp::Create();
  static_cast<TTestDBObjectFactory*>(app->DestDBObjectFactory())->TestLogon().Error = "wrong password";
  bool started = false;
  app->FrontEnd.RunInteractive = [&] {
    started = true;
    EXPECT_TRUE(TApp::GetInstance().GUIMode);
    EXPECT_NE(TApp::GetInstance().MemoryLogger->GetText().find("\tStart test_app\r\n"), std::string::npos);
    return 0;
  };
  app->SetParameters(TStringList{"logfile=" + Dir.Path() + "/run.log", "db2_password=x"});
  EXPECT_EQ(app->Run(), ecSuccess);
  EXPECT_TRUE(started);
  EXPECT_NE(ReadFileBytes(Dir.Path() + "/run.log").find("] wrong password\r\n"), std::string::npos);
}

TEST(SessionExecutorFactoryTest, SessionFilesByExactLowerCaseExtension) {
  TTransveySessionExecutorFactory factory(nullptr, nullptr, nullptr, nullptr);
  struct Case {
    const char* name;
    bool isSession;
  } cases[] = {{"a.uld", true}, {"/x y/b.ulq", true}, {"c.ula", true}, {"c.ULA", false},
               {"c.Uld", false}, {"c.uld.bak", false}, {"uld", false},   {"dir.uld/file", false}};
  for (const auto& c : cases) EXPECT_EQ(factory.IsSessionFile(c.name), c.isSession) << c.name;

  auto outputer = factory.CreateOutputer("a.uld", "/tmp/run.log");
  auto* logOutputer = dynamic_cast<TLogConvertOutputer*>(outputer.get());
  ASSERT_NE(logOutputer, nullptr);
  EXPECT_EQ(logOutputer->GetLogFile(), "/tmp/run.log");
  EXPECT_NE(dynamic_cast<TConvertSessionExecutor*>(factory.CreateExecutor("a.uld").get()), nullptr);
}
