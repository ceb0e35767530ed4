#pragma once

#include <string>

// Where the layers below the application report what only a watching user hears of:
// errors for the exception log and the error report, and the memory log the report
// carries. The application object implements it and hands itself down; whoever is
// handed none reports nothing. Every call does nothing outside GUI mode.
class TLogSink {
 public:
  virtual ~TLogSink() = default;

  // True while a user watches the run: the interactive program.
  virtual bool AppGUIMode() const = 0;
  // The text goes to the exception log and the memory log and waits to be shown.
  virtual void AppLogError(const std::string& text) = 0;
  // Shows the text in the error report when an error waits to be shown.
  virtual void AppShowError(const std::string& text) = 0;
  // One entry of the memory log.
  virtual void LogToMemory(const std::string& text) = 0;
};
