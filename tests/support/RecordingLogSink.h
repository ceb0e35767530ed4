#pragma once

#include <string>
#include <vector>

#include "base/ULogSink.h"

// What the application object would hear as a log sink, kept in lists.
class TRecordingLogSink : public TLogSink {
 public:
  bool AppGUIMode() const override { return GUIMode; }
  void AppLogError(const std::string& text) override { Errors.push_back(text); }
  void AppShowError(const std::string& text) override { Shown.push_back(text); }
  void LogToMemory(const std::string& text) override { Memory.push_back(text); }

  bool GUIMode = true;
  std::vector<std::string> Errors, Shown, Memory;
};
