#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "ui/UDataConvertController.h"
#include "ui/UProgressConvertOutputer.h"

class TConvertSession;
class TConvertSessionExecutor;
class TLogSink;

// Runs the window's session with its own executor and shows the run through its own
// progress outputer.
class TConvertSessionExecuteController : public TDataConvertController {
 public:
  TConvertSessionExecuteController();
  ~TConvertSessionExecuteController() override;

  virtual void Execute() = 0;
  // Asks a running executor to stop; without a run there is nothing to stop, and a
  // request kept for later would end the next run before its first row.
  virtual void Stop();
  virtual void SetSession(TConvertSession* session);
  // Execute, unless a run is going on already.
  void Run(void* sender);
  void Cancel(void* sender);
  // Binds the output controls of the run package to the outputer.
  void InitUI() override;

  bool IsRunning() const { return Running; }
  // Whether the last run went through; false after a run that failed, was stopped or
  // raised, so the window never reports such a run as complete.
  bool LastRunSucceeded() const { return FLastRunSucceeded; }
  void SetLogSink(TLogSink* sink);
  TProgressConvertOutputer& Outputer() { return *FOutputer; }
  TConvertSessionExecutor& Executor() { return *FExecutor; }

  // Between rows the window handles its events at most this often (and once after
  // the run): often enough for Stop and the progress display, rarely enough that a
  // big table does not spend its time there.
  std::chrono::milliseconds EventInterval{30};
  // What handles the events; the application's event processing unless replaced.
  std::function<void()> ProcessEventsNow;

 protected:
  // The run a concrete controller's Execute makes: outputer reset, the session's log
  // file, the executor's run with throttled event handling. The executor's result.
  bool RunSession();

  TConvertSession* Session = nullptr;

 private:
  void HandleEvents();

  std::unique_ptr<TProgressConvertOutputer> FOutputer;
  std::unique_ptr<TConvertSessionExecutor> FExecutor;
  bool Running = false;
  bool FLastRunSucceeded = false;
  std::chrono::steady_clock::time_point LastEvents;
};
