#pragma once

#include <QDialog>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QToolButton;
class TDBObjectFactory;
class TSettingsStore;
class TTransveyLogonForm;

// One side's database as the main window sees it.
class TDBFacade {
 public:
  explicit TDBFacade(TDBObjectFactory* factory) : Factory(factory) {}
  bool IsConnected() const;
  // True when the connection is closed afterwards.
  bool Logoff();
  std::string GetDescription() const;
  TDBObjectFactory* Factory;
};

// The kinds of window the main window opens in its tabs.
enum class TChildKind { Table, Query, Batch, Sql };

// The tab rename dialog.
class TTabRenameDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TTabRenameDlg(const QString& current, QWidget* parent = nullptr);
  QLabel* lblCurrentName;
  QLineEdit* edtNewName;
};

// The window offering the common tasks after logon.
class TStartTaskDlg : public QDialog {
  Q_OBJECT
 public:
  TStartTaskDlg(class TMainForm* main, TSettingsStore* settings);
  QCheckBox* chkNotShow;
};

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  TMainForm(TDBObjectFactory* source, TDBObjectFactory* dest, TSettingsStore* settings, QWidget* parent = nullptr);
  ~TMainForm() override;

  // What the main window cannot do itself. Unset ones fall back to message boxes and
  // dialogs; tests set them.
  // Creates the window of a kind, loaded from the file when one is given; nullptr
  // when that kind of window is not available.
  std::function<QWidget*(TChildKind kind, const std::string& fileName)> CreateChildWindow;
  std::function<void(const QString& text)> ShowMessage;
  std::function<bool()> ShowLogonDialog;
  std::function<void()> ShowStartDialog;
  std::function<void(const std::exception& e)> HandleError;
  // Whether the start window is still due in this run.
  bool ShowLaunch = false;

  // Logon and logoff as the actions do them.
  void Logon();
  void Logoff();
  void SetLoggedOn(bool on);
  bool LoggedOn() const { return FLoggedOn; }

  // Child windows in tabs.
  QWidget* AddForm(QWidget* window, const QString& caption);
  void OpenChild(TChildKind kind, const std::string& fileName = "");
  void OpenFile(const std::string& fileName);
  // Closes the window of that tab after its close check; false when it stays.
  bool ClosePage(int index);
  bool CloseAll();
  void RenamePage(int index, const QString& newName);
  int GetPageCount() const;
  void SetActivePageIndex(int index);
  bool AnyChildRunning() const;

  void LoadWorkspace(const std::string& fileName);
  void SaveWorkspace(const std::string& fileName);

  void RunStartWindow();

  QTabWidget* pgcChild;
  QAction *actLogon, *actLogoff, *actExportTable, *actExportAllTable, *actExportQuery, *actQuery, *actOpenSql,
      *actOpenTableSession, *actOpenQuerySession, *actOpenAllTableSession, *actOpenWorkspace, *actSaveWorkspace,
      *actWizardTable, *actWizardQuery, *actWizardAllTables, *actCreateBatchFile, *actExit;
  QMenu *mniOpenSession, *mniWindow;
  QAction* mniSaveSession;
  QToolButton *btnExport, *btnWizard, *btnSession, *btnTaskList;
  std::vector<QAction*> WindowActions;
  TTransveyLogonForm* LogonForm;
  TDBFacade Source, Dest;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Message(const QString& text);
  void NotAvailable(const QString& what);
  // Runs a handler, sending what it raises to the application's error handling.
  void Guarded(const std::function<void()>& handler);
  void OpenSessionDialog(TChildKind kind);
  void UpdateWindowActions();
  void ShowTabMenu(const QPoint& pos);
  bool FLoggedOn = false;
  bool FFirstShown = false;
  TSettingsStore* FSettings;
};
