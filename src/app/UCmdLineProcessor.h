#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/UApp.h"
#include "base/UStrings.h"

class TFileLogger;
class TSessionExecutorFactory;
class TDBObjectFactory;
class TConvertObjectFactory;

// The usage text of --help: every key and the exit codes.
std::string CommandLineUsage();

// A text as one console line: its line breaks become blanks.
std::string ConsoleLineText(const std::string& text);
// Writes "ferrovan: " and the text as one line to standard error.
void WriteConsoleLine(const std::string& text);

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

  // A failure, or something the user must hear of though the run goes on: one line
  // on the console and the same text in the log. The console line is written first,
  // so it is there even when the log file cannot be written. context (a session
  // file) goes before the text on the console, where nothing else tells which file
  // the line is about.
  void Report(const std::string& text, const std::string& context = "");

  TStringList Params;
  std::string LogFileName;
  std::unique_ptr<TFileLogger> Logger;
  TSessionExecutorFactory* ExecutorFactory = nullptr;
  // The outcome for the process exit code; only ever made worse.
  int ExitCode = ecSuccess;
  void ReportOutcome(int code) { ExitCode = WorseExitCode(ExitCode, code); }
  // Where console lines go: standard error, "ferrovan: " and the text on one line.
  std::function<void(const std::string& line)> Console = WriteConsoleLine;
  // Reported once the log file is known: what went wrong before it was (settings,
  // folders at start-up).
  std::vector<std::string> PendingWarnings;
};

class TDBConvertCmdLineProcessor : public TCmdLineProcessor {
public:
  bool Process() override;
  // Names on the console every parameter that is not a known key; returns them.
  std::vector<std::string> CheckKeys();
  bool Logon();
  void RunWorkspace();
  void RunSession();
  void ExecuteSqlFile();

  std::string WorkspaceFile;
  std::string SessionFile;
  std::string SqlFile;
  std::string SqlTarget;  // "source", "dest" or "check"
  // The verify key: -1 not given (each session file's own setting), 0 off, 1 on.
  int Verify = -1;
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

  // The run's failures (also in the log) and what went wrong beside it (to be logged
  // and shown), when set.
  std::function<void(const std::string& text)> OnFailure;
  std::function<void(const std::string& text)> OnWarning;
  // The count check for every item: -1 as the session file says, 0 off, 1 on.
  int Verify = -1;

 private:
  TSessionExecutorFactory* ExecutorFactory;
};
