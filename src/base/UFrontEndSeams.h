#pragma once

#include <functional>
#include <string>

// What the layers below the front end may ask of it. The front end fills these at
// start-up and they are handed down to whoever needs one; a build or a test without a
// front end leaves them unset, and every caller does without an unset seam.
struct TFrontEndSeams {
  // Runs the main window until it closes; the outcome for the exit code.
  std::function<int()> RunInteractive;
  // The error-report window.
  std::function<void(const std::string& text)> ShowErrorReport;
  // A question the user answers Yes (true) or No.
  std::function<bool(const std::string& text)> AskQuestion;
  // A file the user picks; empty when the choice is cancelled.
  std::function<std::string(const std::string& title, const std::string& filter, const std::string& fileName)> PickFile;
};
