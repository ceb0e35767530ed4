#pragma once

#include <string>

#include "base/ULogFile.h"
#include "base/UStrings.h"

class TLogger {
 public:
  virtual ~TLogger() = default;
  virtual void Log(const std::string& text) = 0;
};

// Writes to one file; with an empty file name it writes nothing.
class TFileLogger : public TLogger {
 public:
  explicit TFileLogger(std::string fileName) : FileName(std::move(fileName)) {}
  void Log(const std::string& text) override;
  const std::string FileName;
};

// The in-memory log of an interactive session: each entry is the time, a tab, the text.
class TMemoryLogger : public TLogger {
 public:
  void Log(const std::string& text) override;
  std::string GetText() const { return Lines.Text(); }
  void Clear() { Lines.Clear(); }
  TStringList Lines;
};
