#include "ui/UUiDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {
std::string& CurrentTitle() {
  static std::string title;
  return title;
}
}  // namespace

TUiDialogs& UiDialogs() {
  static TUiDialogs dialogs;
  return dialogs;
}

void UiShowMessage(const std::string& text) {
  if (UiDialogs().ShowMessage) return UiDialogs().ShowMessage(text);
  QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(), QString::fromStdString(text));
}

bool UiAskYesNo(const std::string& text) {
  if (UiDialogs().AskYesNo) return UiDialogs().AskYesNo(text);
  return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(),
                               QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::string UiPickSaveFile(const std::string& title, const std::string& filter, const std::string& fileName) {
  if (UiDialogs().PickSaveFile) return UiDialogs().PickSaveFile(title, filter, fileName);
  // No overwrite question: a log file is appended to, never replaced.
  return QFileDialog::getSaveFileName(QApplication::activeWindow(), QString::fromStdString(title),
                                      QString::fromStdString(fileName), QString::fromStdString(filter), nullptr,
                                      QFileDialog::DontConfirmOverwrite)
      .toStdString();
}

void UiSetApplicationTitle(const std::string& title) {
  CurrentTitle() = title;
  if (UiDialogs().SetApplicationTitle) UiDialogs().SetApplicationTitle(title);
}

std::string UiApplicationTitle() { return CurrentTitle(); }
