#include "base/ULogFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "base/UDateUtils.h"
#include "base/UExceptions.h"

namespace {
// One lock for every log file of the process: lines of concurrent writers never interleave.
std::mutex LogLock;
}  // namespace

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
