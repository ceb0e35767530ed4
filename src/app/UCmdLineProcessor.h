#pragma once

#include <memory>
#include <string>

#include "app/UApp.h"
#include "base/UStrings.h"

class TFileLogger;
class TSessionExecutorFactory;
class TDBObjectFactory;
class TConvertObjectFactory;

// The usage text of --help: every key and the exit codes.
std::string CommandLineUsage();

// An unattended run: logs on with the parameters, then runs one action.
class TCmdLineProcessor {
public:
  TCmdLineProcessor();
  virtual ~TCmdLineProcessor();

  void SetExecutorFactory(TSessionExecutorFactory* factory) { ExecutorFactory = factory; }
  // False when there are no parameters or the logons failed: the front end may start.
  bool Execute(const TStringList& params);
  virtual bool Process() { return false; }

  // The trimmed value of a key; the first occurrence counts.
  std::string ParamValue(const std::string& key) const { return Trim(Params.Values(key)); }

  TStringList Params;
  std::string LogFileName;
  std::unique_ptr<TFileLogger> Logger;
  TSessionExecutorFactory* ExecutorFactory = nullptr;
  // The outcome for the process exit code; only ever made worse.
  int ExitCode = ecSuccess;
  void ReportOutcome(int code) { ExitCode = WorseExitCode(ExitCode, code); }
};

class TDBConvertCmdLineProcessor : public TCmdLineProcessor {
public:
  bool Process() override;
  bool Logon();
  void RunWorkspace();
  void RunSession();
  void ExecuteSqlFile();

  std::string WorkspaceFile;
  std::string SessionFile;
  std::string SqlFile;
  std::string SqlTarget;  // "source", "dest" or "check"
  TDBObjectFactory* SourceDBObjectFactory = nullptr;
  TDBObjectFactory* DestDBObjectFactory = nullptr;
  TConvertObjectFactory* SourceConvertObjectFactory = nullptr;
  TConvertObjectFactory* DestConvertObjectFactory = nullptr;
};

// Runs one session file and reports to the run's log file.
class TConvertSessionCmdHandler {
public:
  explicit TConvertSessionCmdHandler(TSessionExecutorFactory* factory) : ExecutorFactory(factory) {}
  // Returns the run's outcome as an exit code.
  int Execute(const std::string& sessionFile, const std::string& logFile);

private:
  TSessionExecutorFactory* ExecutorFactory;
};
