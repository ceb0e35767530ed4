#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QVBoxLayout;
class TConvertSession;
class TConvertUIPackage;
class TConvertSessionViewConfiguration;
class TConvertSessionExecuteController;
class TDataConvertController;

// One dialog of a wizard: Back, Next (or Import) and Cancel, and the list of the
// wizard's steps with this one marked.
class TWizardDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TWizardDlg(QWidget* parent = nullptr);

  // The step names, the current one in bold.
  void SetSteps(const std::vector<std::string>& names, int current);

  std::function<void(TWizardDlg* sender)> OnBack;
  std::function<void(TWizardDlg* sender)> OnNext;
  // Asked when the dialog is about to close; clearing allow keeps it open.
  std::function<void(TWizardDlg* sender, bool& allow)> OnCloseDialog;

  // Where a page puts its controls.
  QVBoxLayout* Body;
  QLabel* StepImage;
  QPushButton* btnBack;
  QPushButton* btnNext;
  QPushButton* btnCancel;

 protected:
  void closeEvent(QCloseEvent* event) override;
  QVBoxLayout* ButtonRow;
};

// The last dialog of a wizard: the run with Stop, Save Session and Close.
class TConvertDlg : public TWizardDlg {
  Q_OBJECT
 public:
  explicit TConvertDlg(QWidget* parent = nullptr);

  // Back, Close and Save Session off and Stop on while the run goes; the reverse after.
  virtual void BeginConvert();
  virtual void EndConvert();

  std::function<void()> OnStop;
  std::function<void()> OnSaveSession;
  // Whether the wizard may close; without a handler it may.
  std::function<bool()> OnCloseQuery;

  QPushButton* btnStop;
  QPushButton* btnSaveSession;
  QPushButton* btnClose;

 private:
  void StopClicked();
  void CloseClicked();
};

// A session spread over a sequence of dialogs, run from the last one.
class TConvertWizard {
 public:
  static constexpr const char* RunningCloseText = "The import is still running: stop it before closing the window.";

  TConvertWizard();
  virtual ~TConvertWizard();
  TConvertWizard(const TConvertWizard&) = delete;
  TConvertWizard& operator=(const TConvertWizard&) = delete;

  // Everything in the order the dialogs need it; once, after construction.
  void Build();
  // The first dialog, modally.
  int Show();

  // Validates the page's controllers; then the next dialog, or from the page before
  // the last, the last dialog and the run.
  void Next(int page);
  void Back(int page);
  // Copies the dialogs into the session and runs it; the last dialog's buttons are
  // restored whatever happened.
  void Run();
  bool IsRunning() const;

  TWizardDlg* Dialog(int index) const { return Dialogs[static_cast<size_t>(index)].get(); }
  int DialogCount() const { return static_cast<int>(Dialogs.size()); }
  TConvertDlg* LastDialog() const;
  TConvertSession* Session() const { return FSession.get(); }
  TConvertSessionViewConfiguration* ViewConfiguration() const { return FViewConfiguration.get(); }
  TConvertSessionExecuteController* ExecuteController() const { return FExecuteController.get(); }

 protected:
  // The dialogs, the last a TConvertDlg.
  virtual std::vector<std::unique_ptr<TWizardDlg>> CreateDialogs() = 0;
  virtual std::unique_ptr<TConvertUIPackage> CreateUIPackage() = 0;
  // Binds each part of the package to the dialog that holds its controls.
  virtual void InitPackage(TConvertUIPackage& package) = 0;
  virtual std::unique_ptr<TConvertSession> CreateSession() = 0;
  virtual std::unique_ptr<TConvertSessionViewConfiguration> CreateViewConfiguration() = 0;
  virtual std::unique_ptr<TConvertSessionExecuteController> CreateExecuteController() = 0;
  virtual std::vector<std::string> StepNames() const = 0;
  // The controllers whose controls lie on page.
  virtual std::vector<TDataConvertController*> PageControllers(int page) = 0;

  std::unique_ptr<TConvertUIPackage> UIPackage;

 private:
  // Refused while the session runs; otherwise every other dialog closes too.
  void DialogClosing(TWizardDlg* sender, bool& allow);
  int IndexOf(TWizardDlg* dialog) const;

  std::vector<std::unique_ptr<TWizardDlg>> Dialogs;
  std::unique_ptr<TConvertSession> FSession;
  std::unique_ptr<TConvertSessionViewConfiguration> FViewConfiguration;
  std::unique_ptr<TConvertSessionExecuteController> FExecuteController;
  bool ClosingAll = false;
};
