#pragma once

#include <functional>
#include <string>

class QWidget;

// The front end's messages, questions and file choices go through these hooks, so a
// test (or a caller without a user) answers them instead of a modal loop. Unset, they
// show the standard dialogs.
struct TUiDialogs {
  std::function<void(const std::string& text)> ShowMessage;
  std::function<bool(const std::string& text)> AskYesNo;
  // The file to write (a log file, for instance); empty when cancelled.
  std::function<std::string(const std::string& title, const std::string& filter, const std::string& fileName)>
      PickSaveFile;
  // The application's title: running, complete, stopped.
  std::function<void(const std::string& title)> SetApplicationTitle;
};

TUiDialogs& UiDialogs();

void UiShowMessage(const std::string& text);
bool UiAskYesNo(const std::string& text);
std::string UiPickSaveFile(const std::string& title, const std::string& filter, const std::string& fileName);
void UiSetApplicationTitle(const std::string& title);
// The title last set through UiSetApplicationTitle.
std::string UiApplicationTitle();
