#include "ui/UProgressConvertOutputer.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <climits>
#include <cstdio>

int ProgressStep(int64_t total) {
  if (total < 100) return 1;
  if (total <= 10000) return static_cast<int>((total + 99) / 100);
  return 100;
}

namespace {
// A bar counts in int: larger runs are shown in proportion.
int BarUnits(int64_t value, int64_t max) {
  if (max <= INT_MAX) return static_cast<int>(value < 0 ? 0 : value > INT_MAX ? INT_MAX : value);
  return static_cast<int>(static_cast<double>(value) / static_cast<double>(max) * INT_MAX);
}
}  // namespace

void TGUIProgressMonitor::Bind(QProgressBar* bar, QLabel* message, QLabel* notify, QLabel* percent) {
  Bar = bar;
  MessageLabel = message;
  NotifyLabel = notify;
  PercentLabel = percent;
  if (NotifyLabel) NotifyLabel->setStyleSheet("color: blue");
  UnitWord = "records";
  Reset();
}

void TGUIProgressMonitor::Reset() {
  if (Bar) {
    Bar->setValue(0);
    Bar->repaint();
  }
  for (QLabel* label : {MessageLabel, PercentLabel, NotifyLabel}) {
    if (!label) continue;
    label->clear();
    label->repaint();
  }
}

void TGUIProgressMonitor::SetMax(int64_t count) {
  Max = count;
  if (Bar) Bar->setMaximum(BarUnits(count, count));
}

void TGUIProgressMonitor::ShowPosition(int64_t done) {
  if (Bar) {
    Bar->setValue(BarUnits(done, Max));
    Bar->repaint();
  }
  if (Max > 0 && PercentLabel) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f %%", static_cast<double>(done) * 100 / static_cast<double>(Max));
    PercentLabel->setText(text);
    PercentLabel->repaint();
  }
}

void TGUIProgressMonitor::Progress(int64_t done) {
  if (done % GetStep() != 0) return;
  ShowPosition(done);
  double elapsed = TConvertStatus::NowTicks() - StartTime;
  double remaining = EstimateRemaining(elapsed, static_cast<double>(done), static_cast<double>(Max));
  SetStatusText(std::to_string(done) + " " + UnitWord + " / " + std::to_string(Max) + " " + UnitWord +
                "    Elapsed: " + FormatElapsed(elapsed) + "    Remaining: " + FormatElapsed(remaining));
}

void TGUIProgressMonitor::SetPosition(int64_t done) { ShowPosition(done); }

void TGUIProgressMonitor::SetMessage(const std::string& text) {
  if (!NotifyLabel) return;
  NotifyLabel->setText(QString::fromStdString(text));
  NotifyLabel->repaint();
}

void TGUIProgressMonitor::SetStatusText(const std::string& text) {
  if (!MessageLabel) return;
  MessageLabel->setText(QString::fromStdString(text));
  MessageLabel->repaint();
}

void TProgressConvertOutputer::Bind(QProgressBar* bar, QLabel* message, QLabel* notify, QLabel* percent,
                                    QPlainTextEdit* memo) {
  Memo = memo;
  Monitor.Bind(bar, message, notify, percent);
}

void TProgressConvertOutputer::Reset() {
  if (Memo) Memo->clear();
  Monitor.Reset();
}

void TProgressConvertOutputer::Log(const std::string& text) {
  if (Memo) Memo->appendPlainText(QString::fromStdString(text));
  TConvertOutputer::Log(text);
}

void TProgressConvertOutputer::OnErrorEvent(TConvertStatus* sender) {
  Monitor.SetMessage("Error, please see log.");
  Log(sender->ErrorMessage);
}

void TProgressConvertOutputer::OnMessageEvent(TConvertStatus* sender) { Monitor.SetMessage(sender->Message); }

void TProgressConvertOutputer::OnStartEvent(TConvertStatus* sender) {
  Monitor.StartTime = TConvertStatus::NowTicks();
  Monitor.SetMax(sender->TotalRows);
  Monitor.SetStep(ProgressStep(sender->TotalRows));
  Monitor.Progress(0);
}

void TProgressConvertOutputer::OnProgressEvent(TConvertStatus* sender) { Monitor.Progress(sender->ConvertedRows); }

void TProgressConvertOutputer::OnEndEvent(TConvertStatus* sender) {
  Monitor.SetPosition(sender->ConvertedRows);
  std::string text =
      std::to_string(sender->ConvertedRows) + " records" + ",    Elapsed: " + FormatElapsed(sender->GetElapsed());
  if (!sender->SourceDescription.empty() && !sender->DestDescription.empty())
    text += ".    " + sender->SourceDescription + ",    " + sender->DestDescription;
  text += ".    ";
  if (sender->ErrorRows > 0) text += std::to_string(sender->ErrorRows) + " rows can not convert.";
  Monitor.SetStatusText(text);
  Log(text);
}
