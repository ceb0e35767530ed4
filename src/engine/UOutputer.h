#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The live record of one item's run, reused for every item of a run. Outputers
// subscribe to its events; an event without a handler is skipped.
class TConvertStatus {
 public:
  using TEvent = std::function<void(TConvertStatus* sender)>;
  TEvent OnStart, OnEnd, OnError, OnMessage, OnProgress;

  int64_t TotalRows = 0;
  int64_t ConvertedRows = 0;
  int64_t ErrorRows = 0;
  double StartTime = 0;  // milliseconds of a steady clock
  double EndTime = 0;
  std::string Message;
  std::string ErrorMessage;
  std::string SourceDescription;
  std::string DestDescription;

  void Start();
  void Finish();
  void FireError();
  void FireMessage();
  void FireProgress();
  // Milliseconds since Start, whether or not the item has finished.
  double GetElapsed() const;

  static double NowTicks();

 private:
  void Fire(const TEvent& event);
};

// Observer of a session run.
class TOutputer {
 public:
  virtual ~TOutputer() = default;
  virtual void Initialize() = 0;
  virtual void Reset() {}
  // One time-stamped line in the log file; nothing without one. File errors propagate.
  virtual void Log(const std::string& text);
  // A failure: handed to OnFailure first (an unattended run's console), then logged.
  void LogFailure(const std::string& text);
  std::function<void(const std::string& text)> OnFailure;

  void SetLogFile(const std::string& fileName) { LogFile = fileName; }
  const std::string& GetLogFile() const { return LogFile; }

 private:
  std::string LogFile;
};

class TConvertOutputer : public TOutputer {
 public:
  // Binds the status's five events to the handlers below.
  void Initialize() override;
  virtual void OnErrorEvent(TConvertStatus* sender) = 0;
  virtual void OnMessageEvent(TConvertStatus* sender) = 0;
  virtual void OnStartEvent(TConvertStatus* sender) = 0;
  virtual void OnEndEvent(TConvertStatus* sender) = 0;
  virtual void OnProgressEvent(TConvertStatus* sender) = 0;

  void SetStatus(TConvertStatus* status) { Status = status; }

 protected:
  TConvertStatus* Status = nullptr;
};

// The outputer of unattended runs: messages, errors and each item's result line go to
// the run's log file.
class TLogConvertOutputer : public TConvertOutputer {
 public:
  void OnErrorEvent(TConvertStatus* sender) override;
  void OnMessageEvent(TConvertStatus* sender) override;
  void OnStartEvent(TConvertStatus*) override {}
  void OnEndEvent(TConvertStatus* sender) override;
  void OnProgressEvent(TConvertStatus*) override {}
};

// Receives one result line per table of an all-tables run.
class TBatchOutputer {
 public:
  virtual ~TBatchOutputer() = default;
  virtual void SelectItem(const std::string& sourceName) = 0;
  virtual void SetResult(bool succeeded) = 0;
  virtual void SetRowCount(int64_t rows) = 0;
  virtual void SetDestName(const std::string& destName) = 0;
  virtual void Clear() = 0;
  virtual void SetItemCount(int count) = 0;
};

// The progress display a window outputer drives.
class TProgressMonitor {
 public:
  virtual ~TProgressMonitor() = default;
  virtual void SetMax(int64_t count) = 0;
  virtual void Progress(int64_t done) = 0;
  virtual void SetPosition(int64_t done) = 0;
  virtual void Reset() = 0;
  virtual void SetMessage(const std::string& text) = 0;
  virtual void SetStatusText(const std::string& text) = 0;

  double StartTime = 0;
  void SetStep(int step) { Step = step < 1 ? 1 : step; }
  int GetStep() const { return Step; }
  std::string UnitWord;

 private:
  int Step = 1;
};

// "hh:mm:ss"; the seconds are rounded, halves to even, and a rounded 60 is carried
// into the minutes so the text never shows ":60".
std::string FormatElapsed(double milliseconds);
// The milliseconds still to go at the pace so far; 0 when nothing is done or expected.
double EstimateRemaining(double elapsed, double done, double total);
// The result line of one item: "<n> records    Elapsed: hh:mm:ss[.  <e> rows can not convert.]"
std::string ConvertResultText(const TConvertStatus& status);
