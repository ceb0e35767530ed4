#include "app/ULogger.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "base/UDateUtils.h"
#include "base/UExceptions.h"

namespace {
std::mutex LogLock;
}

void WriteLogLine(const std::string& fileName, const std::string& text) {
  if (fileName.empty()) return;
  std::string line = "[" + NowLogTime() + "] " + text + "\r\n";
  std::lock_guard<std::mutex> guard(LogLock);
  FILE* f = std::fopen(fileName.c_str(), "ab");
  if (!f) throw EInOutError("Cannot open log file \"" + fileName + "\": " + std::strerror(errno));
  size_t written = std::fwrite(line.data(), 1, line.size(), f);
  int closed = std::fclose(f);
  if (written != line.size() || closed != 0)
    throw EInOutError("Cannot write log file \"" + fileName + "\": " + std::strerror(errno));
}

void TFileLogger::Log(const std::string& text) {
  if (!FileName.empty()) WriteLogLine(FileName, text);
}

void TMemoryLogger::Log(const std::string& text) { Lines.Add(NowLogTime() + "\t" + text); }
