#pragma once

#include <string>

#include "base/UStrings.h"

// Appends one line "[yyyy-mm-dd hh:mm:ss:zzz] text" CR LF to a file, creating it when
// missing. The file is opened and closed for every line, under one process-wide lock,
// so several loggers may share a file and it can be read or moved between lines.
// Raises EInOutError naming the file when it cannot be opened.
void WriteLogLine(const std::string& fileName, const std::string& text);

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
