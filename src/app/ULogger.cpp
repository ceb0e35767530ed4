#include "app/ULogger.h"

#include "base/UDateUtils.h"

void TFileLogger::Log(const std::string& text) {
  if (!FileName.empty()) WriteLogLine(FileName, text);
}

void TMemoryLogger::Log(const std::string& text) { Lines.Add(NowLogTime() + "\t" + text); }
