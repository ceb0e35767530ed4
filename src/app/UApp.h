#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/UExceptions.h"
#include "base/UFrontEndSeams.h"
#include "base/ULogSink.h"
#include "base/USettingsStore.h"
#include "base/UStrings.h"

class TFileLogger;
class TMemoryLogger;
class TAppSettings;
class TCmdLineProcessor;
class TSessionExecutorFactory;
class TDBObjectFactory;
class TConvertObjectFactory;
class TSessionManager;
class TConvertBatchFileCreator;
class TConvertSettings;

// Raised when a second application object is created: nobody reports it.
class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
};

// Exit codes of a command-line run.
enum TExitCode : int {
  ecSuccess = 0,
  ecException = 1,     // an error escaped the run
  ecNotStarted = 2,    // bad command line, or a logon failed and no front end can open
  ecFailed = 3,        // finished with failures
  ecRowsRejected = 4,  // finished, some rows rejected within the tolerated errors
};

// Of two outcomes, the one a scheduler must hear about.
int WorseExitCode(int a, int b);

// The one application object of the process. It is the log sink of the layers below,
// which it hands down with the factories.
class TApp : public TLogSink {
public:
  virtual ~TApp();
  TApp(const TApp&) = delete;
  TApp& operator=(const TApp&) = delete;

  // The application object, or Exception "TApp not create." when there is none.
  static TApp& GetInstance();
  static bool HasInstance();

  // Runs the program; returns the process exit code.
  virtual int Run();
  virtual bool ProcessCommandLine() { return false; }
  virtual void RunGUI() = 0;
  virtual std::string GetVersionInfo();

  void LogError(const std::string& text);
  void ShowError(const std::string& text);
  void LogToMemory(const std::string& text) override;
  void HandleException(const std::exception& e);

  // What AppGUIMode, AppLogError and AppShowError mean, for whoever is handed the
  // application object as its log sink.
  bool AppGUIMode() const override { return GUIMode; }
  void AppLogError(const std::string& text) override;
  void AppShowError(const std::string& text) override;

  // The command-line parameters, program name excluded, quotes already removed.
  void SetParameters(const TStringList& params) { Parameters = params; }

  // True when the interactive front end is built in and a display is there to show it.
  bool CanRunGUI() const;

  bool GUIMode = false;
  bool ErrorPending = false;
  std::unique_ptr<TFileLogger> ExceptionLogger;
  std::unique_ptr<TMemoryLogger> MemoryLogger;
  std::string AppName;
  std::unique_ptr<TAppSettings> AppSettings;
  TFrontEndSeams FrontEnd;
  // The per-user settings store, handed to whatever keeps recent lists or logons.
  TSettingsStore UserSettings;

protected:
  TApp();  // takes the instance slot, or raises EAbort when it is taken
  // The part of construction that needs the executable's name and the user's folders.
  void InitializeApp();
  int ExitCode = ecSuccess;
  TStringList Parameters;
  // What went wrong at start-up without stopping it (folders, settings), for the run
  // to report once it knows its log file.
  std::vector<std::string> StartupWarnings;
};

// The file name of the running executable without folder, first ".exe" removed.
std::string ExecutableAppName();

// The application object's log sink for code above the layers it is handed to: only
// an interactive run hears of these; without an application object they do nothing.
void AppLogError(const std::string& text);
void AppShowError(const std::string& text);
bool AppGUIMode();

class TDBApp : public TApp {
public:
  bool ProcessCommandLine() override;
  virtual std::unique_ptr<TCmdLineProcessor> CreateCmdLineProcessor() = 0;
  virtual std::unique_ptr<TSessionExecutorFactory> CreateSessionExecutorFactory() = 0;
};

class TDBConvertApp : public TDBApp {
public:
  ~TDBConvertApp() override;

  int Run() override;
  std::string GetVersionInfo() override;
  std::unique_ptr<TCmdLineProcessor> CreateCmdLineProcessor() override;

  void FreeSourceDBObjectFactory();
  void FreeDestDBObjectFactory();
  virtual std::unique_ptr<TConvertObjectFactory> CreateSourceConvertObjectFactory() = 0;
  virtual std::unique_ptr<TConvertObjectFactory> CreateDestConvertObjectFactory() = 0;
  virtual std::unique_ptr<TDBObjectFactory> CreateSourceDBObjectFactory() = 0;
  virtual std::unique_ptr<TDBObjectFactory> CreateDestDBObjectFactory() = 0;
  virtual void CreateSettings();

  TDBObjectFactory* SourceDBObjectFactory() const { return FSourceDBObjectFactory.get(); }
  TDBObjectFactory* DestDBObjectFactory() const { return FDestDBObjectFactory.get(); }
  TConvertObjectFactory* SourceConvertObjectFactory() const { return FSourceConvertObjectFactory.get(); }
  TConvertObjectFactory* DestConvertObjectFactory() const { return FDestConvertObjectFactory.get(); }
  TSessionManager* SessionManager() const { return FSessionManager.get(); }
  TConvertBatchFileCreator* BatchFileCreator() const { return FBatchFileCreator.get(); }
  TConvertSettings* Settings() const { return FSettings.get(); }

protected:
  TDBConvertApp();
  // Builds the factories, the session manager, the settings and then the loggers, in
  // this order; called right after construction since it relies on virtual operations.
  void Initialize();

private:
  std::unique_ptr<TDBObjectFactory> FSourceDBObjectFactory;
  std::unique_ptr<TDBObjectFactory> FDestDBObjectFactory;
  std::unique_ptr<TConvertObjectFactory> FSourceConvertObjectFactory;
  std::unique_ptr<TConvertObjectFactory> FDestConvertObjectFactory;
  std::unique_ptr<TSessionManager> FSessionManager;
  std::unique_ptr<TConvertBatchFileCreator> FBatchFileCreator;
  std::unique_ptr<TConvertSettings> FSettings;
};

// The application object as a TDBConvertApp, or Exception "TDBConvertApp not create.".
TDBConvertApp& ConvertApp();

// The database-to-database family: the interactive main window and its session files.
class TTransvey : public TDBConvertApp {
public:
  void RunGUI() override;
  std::unique_ptr<TSessionExecutorFactory> CreateSessionExecutorFactory() override;

protected:
  TTransvey() = default;
};
