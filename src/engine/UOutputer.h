#pragma once

#include <string>

// Observer of a session run: progress, result lines, errors.
class TOutputer {
public:
  virtual ~TOutputer() = default;
};

// The outputer of unattended runs: every line goes to the run's log file.
class TLogConvertOutputer : public TOutputer {
public:
  void SetLogFile(const std::string& fileName) { LogFile = fileName; }
  const std::string& GetLogFile() const { return LogFile; }

private:
  std::string LogFile;
};
