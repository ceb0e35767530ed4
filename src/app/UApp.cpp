#include "app/UApp.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <iostream>
#include <utility>

#include "app/UCmdLineProcessor.h"
#include "app/UConvertSettings.h"
#include "app/ULogger.h"
#include "app/USessionExecutorFactory.h"
#include "app/UUserSettings.h"
#include "base/UPaths.h"
#include "dac/UDataAccess.h"
#include "dialect/UDBObjectFactory.h"
#include "engine/UConvertObjectFactory.h"
#include "session/USessionManager.h"

namespace {

// The one process-wide application slot.
TApp* InstanceSlot = nullptr;

int Severity(int code) {
  switch (code) {
    case ecSuccess: return 0;
    case ecRowsRejected: return 1;
    case ecFailed: return 2;
    case ecNotStarted: return 3;
    default: return 4;
  }
}

}  // namespace

int WorseExitCode(int a, int b) { return Severity(b) > Severity(a) ? b : a; }

std::string ExecutableAppName() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string name = n > 0 ? ExtractFileName(std::string(buffer, static_cast<size_t>(n))) : "ferrovan";
  auto pos = name.find(".exe");
  if (pos != std::string::npos) name.erase(pos, 4);
  return name;
}

TApp::TApp() : UserSettings(UserSettingsStore()) {
  if (InstanceSlot) throw EAbort();
  InstanceSlot = this;
}

TApp::~TApp() {
  if (InstanceSlot == this) InstanceSlot = nullptr;
}

void TApp::InitializeApp() {
  AppName = ExecutableAppName();
  // A service account's home may not be writable: the job still runs, without an
  // exception log.
  std::string exceptionLog;
  try {
    exceptionLog = GetAppDataDir(AppName) + "exception.log";
  } catch (const std::exception& e) {
    StartupWarnings.push_back(ExceptionMessage(e) + ": no exception log is kept.");
  }
  ExceptionLogger = std::make_unique<TFileLogger>(exceptionLog);
  AppSettings = std::make_unique<TAppSettings>();
  for (auto& w : AppSettings->Warnings) StartupWarnings.push_back(std::move(w));
  AppSettings->Warnings.clear();
  MemoryLogger = std::make_unique<TMemoryLogger>();
}

TApp& TApp::GetInstance() {
  if (!InstanceSlot) throw Exception("TApp not create.");
  return *InstanceSlot;
}

bool TApp::HasInstance() { return InstanceSlot != nullptr; }

bool TApp::CanRunGUI() const {
  if (!FrontEnd.RunInteractive) return false;
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

int TApp::Run() {
  if (ProcessCommandLine()) return ExitCode;
  // A run with parameters has reported them; without, nobody has yet.
  for (const auto& warning : std::exchange(StartupWarnings, {})) WriteConsoleLine(ConsoleLineText(warning));
  if (!CanRunGUI()) {
    // Without a front end to fall back on (a build without one, or no display as
    // under cron) the run ends here instead of waiting for a window nobody sees.
    if (Parameters.Empty()) std::cerr << CommandLineUsage();
    return ecNotStarted;
  }
  // From here the user sees what happens; the outcome is the front end's.
  ExitCode = ecSuccess;
  GUIMode = true;
  LogToMemory("Start " + AppName);
  RunGUI();
  return ExitCode;
}

std::string TApp::GetVersionInfo() {
  utsname u{};
  if (uname(&u) != 0) return "Linux";
  return std::string(u.sysname) + " " + u.release + " " + u.version + " " + u.machine;
}

void TApp::LogError(const std::string& text) {
  if (ExceptionLogger) ExceptionLogger->Log(text);
  LogToMemory(text);
  ErrorPending = true;
}

void TApp::ShowError(const std::string& text) {
  if (!GUIMode) return;
  if (FrontEnd.ShowErrorReport) FrontEnd.ShowErrorReport(text);
  ErrorPending = false;
}

void TApp::LogToMemory(const std::string& text) {
  if (GUIMode && MemoryLogger) MemoryLogger->Log(text);
}

void TApp::HandleException(const std::exception& e) {
  std::string message = ExceptionMessage(e);
  LogError(message);
  auto* own = dynamic_cast<const Exception*>(&e);
  LogError(own ? own->StackTrace : std::string());
  ShowError(message);
}

void TApp::AppLogError(const std::string& text) {
  if (GUIMode) LogError(text);
}

void TApp::AppShowError(const std::string& text) {
  if (GUIMode && ErrorPending) ShowError(text);
}

void AppLogError(const std::string& text) {
  if (TApp::HasInstance()) TApp::GetInstance().AppLogError(text);
}

bool AppGUIMode() { return TApp::HasInstance() && TApp::GetInstance().AppGUIMode(); }

void AppShowError(const std::string& text) {
  if (TApp::HasInstance()) TApp::GetInstance().AppShowError(text);
}

// ---------------------------------------------------------------------------

bool TDBApp::ProcessCommandLine() {
  auto processor = CreateCmdLineProcessor();
  auto factory = CreateSessionExecutorFactory();
  processor->SetExecutorFactory(factory.get());
  if (!Parameters.Empty()) processor->PendingWarnings = std::exchange(StartupWarnings, {});
  bool result = false;
  try {
    result = processor->Execute(Parameters);
  } catch (const std::exception& e) {
    // The process entry puts the message on the console; the log gets it as well,
    // unless the log itself is what failed.
    try {
      processor->Logger->Log(ExceptionMessage(e));
    } catch (const std::exception&) {
    }
    throw;
  }
  ExitCode = processor->ExitCode;
  if (!result && !Parameters.Empty() && !CanRunGUI())
    processor->Report("Logon failed and no front end can open: the run ends.");
  factory.reset();
  processor.reset();
  return result;
}

// ---------------------------------------------------------------------------

void TDBConvertApp::Initialize() {
  FSourceDBObjectFactory = CreateSourceDBObjectFactory();
  FDestDBObjectFactory = CreateDestDBObjectFactory();
  FSourceConvertObjectFactory = CreateSourceConvertObjectFactory();
  FDestConvertObjectFactory = CreateDestConvertObjectFactory();
  if (FSourceDBObjectFactory && FSourceConvertObjectFactory)
    FSourceConvertObjectFactory->SetConnection(FSourceDBObjectFactory->Connection());
  if (FDestDBObjectFactory && FDestConvertObjectFactory)
    FDestConvertObjectFactory->SetConnection(FDestDBObjectFactory->Connection());
  for (TConvertObjectFactory* factory : {FSourceConvertObjectFactory.get(), FDestConvertObjectFactory.get()})
    if (factory) factory->SetFetchRows(TConvertSettings::FetchRows());
  FBatchFileCreator =
      std::make_unique<TConvertBatchFileCreator>(FSourceDBObjectFactory.get(), FDestDBObjectFactory.get());
  FSessionManager = std::make_unique<TSessionManager>(FBatchFileCreator.get());
  CreateSettings();
  InitializeApp();
}

TDBConvertApp::TDBConvertApp() = default;

TDBConvertApp::~TDBConvertApp() {
  FreeSourceDBObjectFactory();
  FreeDestDBObjectFactory();
  FSourceConvertObjectFactory.reset();
  FDestConvertObjectFactory.reset();
  FSessionManager.reset();
  FBatchFileCreator.reset();
  FSettings.reset();
}

void TDBConvertApp::FreeSourceDBObjectFactory() { FSourceDBObjectFactory.reset(); }

void TDBConvertApp::FreeDestDBObjectFactory() { FDestDBObjectFactory.reset(); }

void TDBConvertApp::CreateSettings() { FSettings = std::make_unique<TConvertSettings>(); }

int TDBConvertApp::Run() {
  int code = TApp::Run();
  delete this;  // the application object ends with its run, factories and connections with it
  return code;
}

std::string TDBConvertApp::GetVersionInfo() {
  std::string text = TApp::GetVersionInfo();
  if (FSourceDBObjectFactory && FSourceDBObjectFactory->Connection() &&
      FSourceDBObjectFactory->Connection()->Connected())
    text += "\r\nSource DB Version: " + FSourceDBObjectFactory->Connection()->ServerVersion();
  if (FDestDBObjectFactory && FDestDBObjectFactory->Connection() && FDestDBObjectFactory->Connection()->Connected())
    text += "\r\nDest DB Version: " + FDestDBObjectFactory->Connection()->ServerVersion();
  return text;
}

std::unique_ptr<TCmdLineProcessor> TDBConvertApp::CreateCmdLineProcessor() {
  auto processor = std::make_unique<TDBConvertCmdLineProcessor>();
  processor->SourceDBObjectFactory = FSourceDBObjectFactory.get();
  processor->DestDBObjectFactory = FDestDBObjectFactory.get();
  processor->SourceConvertObjectFactory = FSourceConvertObjectFactory.get();
  processor->DestConvertObjectFactory = FDestConvertObjectFactory.get();
  return processor;
}

TDBConvertApp& ConvertApp() {
  auto* app = TApp::HasInstance() ? dynamic_cast<TDBConvertApp*>(&TApp::GetInstance()) : nullptr;
  if (!app) throw Exception("TDBConvertApp not create.");
  return *app;
}

// ---------------------------------------------------------------------------

void TTransvey::RunGUI() {
  if (FrontEnd.RunInteractive) ExitCode = WorseExitCode(ExitCode, FrontEnd.RunInteractive());
}

std::unique_ptr<TSessionExecutorFactory> TTransvey::CreateSessionExecutorFactory() {
  auto factory = std::make_unique<TTransveySessionExecutorFactory>(
      SourceDBObjectFactory(), DestDBObjectFactory(), SourceConvertObjectFactory(), DestConvertObjectFactory());
  factory->LogSink = this;
  factory->SettingsStore = &UserSettings;
  return factory;
}
