#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "ui/UChildWindow.h"

class TConvertSession;
class TConvertUIPackage;
class TConvertSessionViewConfiguration;
class TSessionManager;
class TLogSink;

// The shell of every import window: built from its package, session and view
// configuration; Convert, Stop, Save and Load Session, and the close check.
class TConvertForm : public QWidget, public TChildWindow {
  Q_OBJECT
 public:
  explicit TConvertForm(QWidget* parent = nullptr);
  ~TConvertForm() override;

  // Builds the window's framework over the controls it has made; call once the
  // controls exist (a constructor cannot reach the factories).
  void InitForm();
  void DoneForm();

  // Validates, copies the controls into the session and runs it; the buttons and the
  // title are restored afterwards whatever happened. Refused while a run is going on.
  void Convert();
  void Stop();
  bool SaveSession();
  void LoadSession(const std::string& fileName);
  std::string GetSessionFileName() const;
  // True while the window's session runs: the window may be neither closed nor freed,
  // nor run again, until the run ends.
  bool IsRunning() const override;
  // The close check: refused while running (the user is told why), otherwise the
  // view configuration's answer.
  bool CloseQuery() override;
  // Save Session, then the session's file name (empty when it was never saved).
  std::string GetActiveFileName() override;

  std::unique_ptr<TConvertUIPackage> ConvertUIPackage;
  TConvertSession* Session() const { return FSession.get(); }
  TConvertSessionViewConfiguration* ViewConfiguration() const { return FViewConfiguration.get(); }

  // Handed in before InitForm by whoever opens the window (not owned).
  TSessionManager* SessionManager = nullptr;
  TLogSink* LogSink = nullptr;

  static constexpr const char* RunningCloseText = "The import is still running: stop it before closing the window.";

 protected:
  virtual std::unique_ptr<TConvertSession> CreateSession() = 0;
  virtual std::unique_ptr<TConvertUIPackage> CreateUIPackage() = 0;
  virtual std::unique_ptr<TConvertSessionViewConfiguration> CreateViewConfiguration() = 0;
  virtual void BeforeConvert();
  virtual void AfterConvert();

  void closeEvent(QCloseEvent* event) override;
  // A deferred delete that arrives while the session runs waits for the run's end.
  bool event(QEvent* event) override;

  bool Closing = false;

 private:
  // Runs an action of a button; an error is shown to the user rather than escaping
  // into the event loop.
  void RunAction(const std::function<void()>& action);
  // Frees the window once a run that a deferred delete waited for has ended.
  void FinishPendingDelete();

  std::unique_ptr<TConvertSession> FSession;
  std::unique_ptr<TConvertSessionViewConfiguration> FViewConfiguration;
  bool DeletePending = false;
};
