#pragma once

#include <cstdint>
#include <string>

#include "engine/UOutputer.h"

class QProgressBar;
class QLabel;
class QPlainTextEdit;

// Rows between two updates of the display for a run of total rows: every row below
// 100, about a hundred updates up to 10000, every 100 rows above.
int ProgressStep(int64_t total);

// The progress display of a window: a bar and three labels.
class TGUIProgressMonitor : public TProgressMonitor {
 public:
  // Keeps the controls, makes the notify text blue, counts in "records", then Reset.
  void Bind(QProgressBar* bar, QLabel* message, QLabel* notify, QLabel* percent);

  void SetMax(int64_t count) override;
  void Progress(int64_t done) override;
  void SetPosition(int64_t done) override;
  void Reset() override;
  void SetMessage(const std::string& text) override;
  void SetStatusText(const std::string& text) override;

  int64_t GetMax() const { return Max; }

 private:
  void ShowPosition(int64_t done);

  QProgressBar* Bar = nullptr;
  QLabel* MessageLabel = nullptr;
  QLabel* NotifyLabel = nullptr;
  QLabel* PercentLabel = nullptr;
  int64_t Max = 0;
};

// Turns a run's events into the window's progress display and log memo.
class TProgressConvertOutputer : public TConvertOutputer {
 public:
  void Bind(QProgressBar* bar, QLabel* message, QLabel* notify, QLabel* percent, QPlainTextEdit* memo);

  void Reset() override;
  // A line of the memo, then of the log file when there is one.
  void Log(const std::string& text) override;

  void OnErrorEvent(TConvertStatus* sender) override;
  void OnMessageEvent(TConvertStatus* sender) override;
  void OnStartEvent(TConvertStatus* sender) override;
  void OnEndEvent(TConvertStatus* sender) override;
  void OnProgressEvent(TConvertStatus* sender) override;

  TGUIProgressMonitor Monitor;

 private:
  QPlainTextEdit* Memo = nullptr;
};
