#pragma once

class TConvertSession;
class TOutputer;

// Runs a session item by item and reports to its outputer.
class TSessionExecutor {
public:
  virtual ~TSessionExecutor() = default;
  void SetSession(TConvertSession* session) { Session = session; }
  void SetOutputer(TOutputer* outputer) { Outputer = outputer; }
  virtual void Execute() = 0;

  // How the run ended, for the exit code: 0 everything done, 3 failures, 4 rows
  // rejected within the tolerated errors.
  int ResultCode = 0;

protected:
  TConvertSession* Session = nullptr;
  TOutputer* Outputer = nullptr;
};

class TConvertSessionExecutor : public TSessionExecutor {
public:
  void Execute() override;
};
