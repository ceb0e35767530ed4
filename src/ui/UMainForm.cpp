#include "ui/UMainForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCommandLinkButton>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/USettingsStore.h"
#include "base/UStrings.h"
#include "dac/UDataAccess.h"
#include "db2/UDB2DBLogon.h"
#include "dialect/UDBObjectFactory.h"
#include "session/UBatchOptions.h"
#include "sqlite/USqliteDBLogon.h"
#include "ui/UChildWindow.h"
#include "ui/ULogonForms.h"

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

const char* const SupportAddress = "support@quillmark.example";
const char* const HomePage = "https://quillmark.example/ferrovan";
const char* const ProductKey = "Software\\Quillmark\\Ferrovan";

QString KindCaption(TChildKind kind) {
  switch (kind) {
    case TChildKind::Table:
      return "Import From Table";
    case TChildKind::Query:
      return "Import From Query";
    case TChildKind::Batch:
      return "Import All Tables";
    case TChildKind::Sql:
      return "Query";
  }
  return {};
}
}  // namespace

bool TDBFacade::IsConnected() const { return Factory->Connection()->Connected(); }

bool TDBFacade::Logoff() {
  Factory->Logon()->Logoff();
  return !IsConnected();
}

std::string TDBFacade::GetDescription() const {
  auto option = Factory->Logon()->CreateLogonOption();
  option->LoadFromConnection(*Factory->Connection());
  if (auto* sqlite = dynamic_cast<TSqliteDBLogonOption*>(option.get())) return sqlite->Database;
  if (auto* db2 = dynamic_cast<TDB2DBLogonOption*>(option.get())) return db2->Username + "@" + db2->Server;
  return "";
}

// ---------------------------------------------------------------------------

TTabRenameDlg::TTabRenameDlg(const QString& current, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Rename Tab Name");
  lblCurrentName = new QLabel(current, this);
  lblCurrentName->setObjectName("lblCurrentName");
  edtNewName = new QLineEdit(current, this);
  edtNewName->setObjectName("edtNewName");
  auto* currentLabel = new QLabel("Current Tab name: ", this);
  currentLabel->setBuddy(lblCurrentName);
  auto* newLabel = new QLabel("New Tab name: ", this);
  newLabel->setBuddy(edtNewName);
  edtNewName->setAccessibleName("New Tab name: ");
  auto* form = new QFormLayout;
  form->addRow(currentLabel, lblCurrentName);
  form->addRow(newLabel, edtNewName);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

// ---------------------------------------------------------------------------

TStartTaskDlg::TStartTaskDlg(TMainForm* main, TSettingsStore* settings) : QDialog(main) {
  setWindowTitle("Start a task - Ferrovan");
  auto* layout = new QVBoxLayout(this);
  auto section = [&](const char* title) {
    auto* box = new QGroupBox(title, this);
    auto* grid = new QGridLayout(box);
    layout->addWidget(box);
    return grid;
  };
  auto link = [this](QGridLayout* grid, int row, const char* text, const std::function<void()>& run) {
    auto* button = new QCommandLinkButton(text, this);
    grid->addWidget(button, row, 0);
    connect(button, &QCommandLinkButton::clicked, this, [this, run] {
      run();
      accept();
    });
  };
  QGridLayout* direct = section("Direct Import");
  link(direct, 0, "Form - Import From Table", [main] { main->actExportTable->trigger(); });
  link(direct, 1, "Form - Import From Query", [main] { main->actExportQuery->trigger(); });
  link(direct, 2, "Form - Import All Tables", [main] { main->actExportAllTable->trigger(); });

  QGridLayout* saved = section("Open Saved Session");
  struct Recent {
    const char* text;
    const char* button;
    const char* key;
    QAction* action;
    TChildKind kind;
  };
  const Recent recents[] = {
      {"Session - Import From Table", "btnTableSessions", "Software\\Quillmark\\Ferrovan\\TableSessions",
       main->actOpenTableSession, TChildKind::Table},
      {"Session - Import From Query", "btnQuerySessions", "Software\\Quillmark\\Ferrovan\\QuerySessions",
       main->actOpenQuerySession, TChildKind::Query},
      {"Session - Import All Tables", "btnAllSessions", "Software\\Quillmark\\Ferrovan\\AllSessions",
       main->actOpenAllTableSession, TChildKind::Batch},
  };
  int row = 0;
  for (const Recent& r : recents) {
    QAction* action = r.action;
    link(saved, row, r.text, [action] { action->trigger(); });
    auto* arrow = new QToolButton(this);
    arrow->setObjectName(r.button);
    arrow->setArrowType(Qt::DownArrow);
    arrow->setAccessibleName(QString("Recent ") + r.text);
    arrow->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(arrow);
    std::vector<std::string> files;
    try {
      if (settings) files = ReadRecentFiles(*settings, r.key);
    } catch (const std::exception&) {
      // An unreadable store only leaves the menu empty.
    }
    for (const auto& file : files) {
      TChildKind kind = r.kind;
      menu->addAction(Q(file), this, [this, main, kind, file] {
        main->OpenChild(kind, file);
        accept();
      });
    }
    arrow->setMenu(menu);
    arrow->setEnabled(!files.empty());
    saved->addWidget(arrow, row, 1);
    ++row;
  }

  QGridLayout* wizard = section("Wizard");
  link(wizard, 0, "Wizard - Import From Table", [main] { main->actWizardTable->trigger(); });
  link(wizard, 1, "Wizard - Import From Query", [main] { main->actWizardQuery->trigger(); });
  link(wizard, 2, "Wizard - Import All Tables", [main] { main->actWizardAllTables->trigger(); });

  chkNotShow = new QCheckBox("Do not show this again", this);
  chkNotShow->setObjectName("chkNotShow");
  connect(chkNotShow, &QCheckBox::clicked, this, [settings](bool checked) {
    if (settings) settings->WriteString(ProductKey, "NotShowLaunch", checked ? "-1" : "0");
  });
  auto* close = new QPushButton("Close", this);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(chkNotShow, 1);
  bottom->addWidget(close);
  layout->addLayout(bottom);
  setFixedSize(sizeHint());
}

// ---------------------------------------------------------------------------

TMainForm::TMainForm(TDBObjectFactory* source, TDBObjectFactory* dest, TSettingsStore* settings, QWidget* parent)
    : QMainWindow(parent), Source(source), Dest(dest), FSettings(settings) {
  LogonForm = new TTransveyLogonForm(source->Connection(), dest->Connection(), settings, this);

  auto action = [this](const char* name, const char* caption, auto handler) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, [this, handler] { Guarded(handler); });
    return a;
  };
  actLogon = action("actLogon", "Logon", [this] { Logon(); });
  actLogoff = action("actLogoff", "Logoff", [this] { Logoff(); });
  actExportTable = action("actExportTable", "Import From Table", [this] { OpenChild(TChildKind::Table); });
  actExportAllTable = action("actExportAllTable", "Import All Tables", [this] { OpenChild(TChildKind::Batch); });
  actExportQuery = action("actExportQuery", "Import From Query", [this] { OpenChild(TChildKind::Query); });
  actQuery = action("actQuery", "Sql Query", [this] { OpenChild(TChildKind::Sql); });
  actOpenSql = action("actOpenSql", "Open Sql File", [this] { OpenSessionDialog(TChildKind::Sql); });
  actOpenTableSession =
      action("actOpenTableSession", "Import From Table Session", [this] { OpenSessionDialog(TChildKind::Table); });
  actOpenQuerySession =
      action("actOpenQuerySession", "Import From Query Session", [this] { OpenSessionDialog(TChildKind::Query); });
  actOpenAllTableSession =
      action("actOpenAllTableSession", "Import All Tables Session", [this] { OpenSessionDialog(TChildKind::Batch); });
  actOpenWorkspace = action("actOpenWorkspace", "Open Workspace", [this] {
    QString file = QFileDialog::getOpenFileName(this, "Open Workspace", {}, "Workspace File (*.adw)");
    if (!file.isEmpty()) LoadWorkspace(file.toStdString());
  });
  actSaveWorkspace = action("actSaveWorkspace", "Save Workspace", [this] {
    QFileDialog dialog(this, "Save Workspace", {}, "Workspace File (*.adw)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("adw");
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      SaveWorkspace(dialog.selectedFiles().first().toStdString());
  });
  actWizardTable =
      action("actWizardTable", "Import From Table Wizard", [this] { NotAvailable("Import From Table Wizard"); });
  actWizardQuery =
      action("actWizardQuery", "Import From Query Wizard", [this] { NotAvailable("Import From Query Wizard"); });
  actWizardAllTables =
      action("actWizardAllTables", "Import All Tables Wizard", [this] { NotAvailable("Import All Tables Wizard"); });
  actCreateBatchFile = action("actCreateBatchFile", "Create Batch File", [this] { NotAvailable("Create Batch File"); });
  actExit = action("actExit", "Exit", [this] { close(); });

  QMenu* file = menuBar()->addMenu("File");
  file->addActions({actExportTable, actExportAllTable, actExportQuery, actQuery, actOpenSql});
  mniOpenSession = file->addMenu("Open Session");
  mniOpenSession->setObjectName("mniOpenSession");
  mniOpenSession->addActions({actOpenTableSession, actOpenAllTableSession, actOpenQuerySession});
  mniSaveSession = file->addAction("Save Session");
  mniSaveSession->setObjectName("mniSaveSession");
  file->addSeparator();
  file->addActions({actOpenWorkspace, actSaveWorkspace});
  file->addSeparator();
  file->addAction(actExit);
  QMenu* wizard = menuBar()->addMenu("Wizard");
  wizard->addActions({actWizardTable, actWizardQuery, actWizardAllTables});
  QMenu* database = menuBar()->addMenu("Database");
  database->addActions({actLogon, actLogoff});
  QMenu* tools = menuBar()->addMenu("Tools");
  tools->addAction(actCreateBatchFile);
  // The windows are pages of one tab strip: closing and moving between them is what applies.
  mniWindow = menuBar()->addMenu("Window");
  WindowActions.push_back(
      mniWindow->addAction("Close", this, [this] { Guarded([this] { ClosePage(pgcChild->currentIndex()); }); }));
  WindowActions.push_back(mniWindow->addAction("Close All", this, [this] { Guarded([this] { CloseAll(); }); }));
  WindowActions.push_back(mniWindow->addAction("Next", this, [this] {
    if (GetPageCount()) SetActivePageIndex((pgcChild->currentIndex() + 1) % GetPageCount());
  }));
  WindowActions.push_back(mniWindow->addAction("Previous", this, [this] {
    if (GetPageCount()) SetActivePageIndex((pgcChild->currentIndex() + GetPageCount() - 1) % GetPageCount());
  }));
  QMenu* help = menuBar()->addMenu("Help");
  help->addAction("Content", this, [this] { Message("The help is not installed in this version."); });
  help->addAction("Open Exception File", this, [this] {
    Guarded([] {
      std::string folder = GetAppDataDir("Ferrovan");
      ForceDirectories(folder);
      QDesktopServices::openUrl(QUrl::fromLocalFile(Q(folder + "exception.log")));
    });
  });
  help->addAction("Homepage", this, [] { QDesktopServices::openUrl(QUrl(HomePage)); });
  help->addAction("Support Email", this, [] { QDesktopServices::openUrl(QUrl(QString("mailto:") + SupportAddress)); });
  help->addAction("Check Update", this, [this] { NotAvailable("Check Update"); });
  QAction* about = help->addAction("About", this, [this] {
    QMessageBox::about(this, "About Ferrovan",
                       "<b>Ferrovan</b> " FERROVAN_VERSION "<p>Copies data from SQLite database files into DB2.</p>");
  });
  about->setText("About Ferrovan");

  auto* tlbMain = addToolBar("Main");
  tlbMain->setObjectName("tlbMain");
  tlbMain->setToolButtonStyle(Qt::ToolButtonTextOnly);
  tlbMain->addAction(actLogon);
  tlbMain->addAction(actLogoff);
  tlbMain->addSeparator();
  auto dropDown = [&](const char* name, const char* hint, const QList<QAction*>& actions) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(hint);
    button->setToolTip(hint);
    button->setPopupMode(QToolButton::InstantPopup);
    if (!actions.isEmpty()) {
      auto* menu = new QMenu(button);
      menu->addActions(actions);
      button->setMenu(menu);
    }
    tlbMain->addWidget(button);
    return button;
  };
  btnExport = dropDown("btnExport", "Import", {actExportTable, actExportAllTable, actExportQuery});
  tlbMain->addAction(actQuery);
  btnWizard = dropDown("btnWizard", "Wizard", {actWizardTable, actWizardQuery, actWizardAllTables});
  btnSession =
      dropDown("btnSession", "Open Session File", {actOpenTableSession, actOpenQuerySession, actOpenAllTableSession});
  btnTaskList = dropDown("btnTaskList", "Select Task", {});
  btnTaskList->setPopupMode(QToolButton::DelayedPopup);
  connect(btnTaskList, &QToolButton::clicked, this, [this] { Guarded([this] { RunStartWindow(); }); });

  pgcChild = new QTabWidget;
  pgcChild->setObjectName("pgcChild");
  pgcChild->setDocumentMode(true);
  pgcChild->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pgcChild->tabBar(), &QWidget::customContextMenuRequested, this, &TMainForm::ShowTabMenu);
  auto* centre = new QWidget;
  auto* centreLayout = new QVBoxLayout(centre);
  centreLayout->setContentsMargins(0, 0, 0, 0);
  centreLayout->addWidget(pgcChild);
  setCentralWidget(centre);
  pgcChild->hide();

  setWindowTitle("Ferrovan");
  resize(900, 640);
  SetLoggedOn(false);
  setWindowTitle("Ferrovan");
}

TMainForm::~TMainForm() = default;

void TMainForm::Message(const QString& text) {
  if (ShowMessage)
    ShowMessage(text);
  else
    QMessageBox::information(this, "Ferrovan", text);
}

void TMainForm::NotAvailable(const QString& what) {
  Message("\"" + what + "\" is not available in this version of Ferrovan.");
}

void TMainForm::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    if (HandleError)
      HandleError(e);
    else
      QMessageBox::critical(this, "Ferrovan", Q(ExceptionMessage(e)));
  }
}

void TMainForm::SetLoggedOn(bool on) {
  FLoggedOn = on;
  actLogon->setEnabled(!on);
  actLogoff->setEnabled(on);
  for (QAction* a : {actExportTable, actExportAllTable, actExportQuery, actQuery, actOpenSql, actOpenTableSession,
                     actOpenQuerySession, actOpenAllTableSession, actOpenWorkspace, actSaveWorkspace, actWizardTable,
                     actWizardQuery, actWizardAllTables, actCreateBatchFile})
    a->setEnabled(on);
  for (QToolButton* b : {btnExport, btnWizard, btnSession, btnTaskList}) b->setEnabled(on);
  mniOpenSession->setEnabled(on);
  mniSaveSession->setEnabled(false);
  actExit->setEnabled(true);
  if (on)
    setWindowTitle(Q("Ferrovan -- Sqlite: " + Source.GetDescription() + " DB2: " + Dest.GetDescription()));
  else
    setWindowTitle("Ferrovan -- Not Logged On");
  UpdateWindowActions();
}

void TMainForm::Logon() {
  bool ok = ShowLogonDialog ? ShowLogonDialog() : LogonForm->Logon();
  if (ok && Source.IsConnected() && Dest.IsConnected()) SetLoggedOn(true);
}

void TMainForm::Logoff() {
  if (AnyChildRunning()) {
    Message("A window is running an import: stop it before logging off.");
    return;
  }
  if (!Source.Logoff()) return;
  if (!Dest.Logoff()) return;
  SetLoggedOn(false);
  CloseAll();
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FFirstShown) return;
  FFirstShown = true;
  // After the window is on screen, so the logon window opens over it.
  QTimer::singleShot(0, this, [this] {
    Guarded([this] {
      if (!Source.IsConnected() || !Dest.IsConnected()) Logon();
      if (ShowLaunch && Source.IsConnected() && Dest.IsConnected()) {
        ShowLaunch = false;
        RunStartWindow();
      }
    });
  });
}

void TMainForm::RunStartWindow() {
  if (ShowStartDialog) return ShowStartDialog();
  TStartTaskDlg dialog(this, FSettings);
  dialog.exec();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (AnyChildRunning()) {
    Message("A window is running an import: stop it before closing Ferrovan.");
    event->ignore();
    return;
  }
  if (!CloseAll()) {
    event->ignore();
    return;
  }
  event->accept();
}

// ---------------------------------------------------------------------------

QWidget* TMainForm::AddForm(QWidget* window, const QString& caption) {
  window->setWindowTitle(caption);
  int index = pgcChild->addTab(window, caption);
  pgcChild->setCurrentIndex(index);
  pgcChild->show();
  UpdateWindowActions();
  return window;
}

void TMainForm::OpenChild(TChildKind kind, const std::string& fileName) {
  QString caption = KindCaption(kind);
  if (kind == TChildKind::Sql && !fileName.empty()) caption = Q(ExtractFileName(fileName));
  if (!CreateChildWindow) return NotAvailable(KindCaption(kind) == "Query" ? "Sql Query" : KindCaption(kind));
  QWidget* window = nullptr;
  try {
    window = CreateChildWindow(kind, fileName);
  } catch (const std::exception&) {
    QMessageBox box(QMessageBox::Critical, "System Error",
                    QString("Form create error, please send mail to ") + SupportAddress + "!", QMessageBox::Ok, this);
    if (ShowMessage)
      ShowMessage(box.text());
    else
      box.exec();
    return;
  }
  if (!window) return NotAvailable(KindCaption(kind) == "Query" ? "Sql Query" : KindCaption(kind));
  AddForm(window, caption);
}

void TMainForm::OpenSessionDialog(TChildKind kind) {
  const char* filter = "Sql File (*.sql)";
  const char* suffix = "sql";
  switch (kind) {
    case TChildKind::Table:
      filter = "Import Table Session File (*.uld)";
      suffix = "uld";
      break;
    case TChildKind::Query:
      filter = "Import Qeury Session File (*.ulq)";
      suffix = "ulq";
      break;
    case TChildKind::Batch:
      filter = "Import All Table Session File (*.ula)";
      suffix = "ula";
      break;
    case TChildKind::Sql:
      break;
  }
  QFileDialog dialog(this, {}, {}, filter);
  dialog.setObjectName("dlgOpenForm");
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(suffix);
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    OpenChild(kind, dialog.selectedFiles().first().toStdString());
}

void TMainForm::OpenFile(const std::string& fileName) {
  // Compared exactly as written: a name in capitals is not a session file here.
  std::string ext = ExtractFileExt(fileName);
  if (ext == ".uld")
    OpenChild(TChildKind::Table, fileName);
  else if (ext == ".ulq")
    OpenChild(TChildKind::Query, fileName);
  else if (ext == ".ula")
    OpenChild(TChildKind::Batch, fileName);
  else if (ext == ".sql")
    OpenChild(TChildKind::Sql, fileName);
}

bool TMainForm::ClosePage(int index) {
  QWidget* window = pgcChild->widget(index);
  if (!window) return false;
  if (auto* child = dynamic_cast<TChildWindow*>(window)) {
    // Its rows are being processed from inside the event loop: freeing it now would
    // pull the window from under the running loop.
    if (child->IsRunning()) {
      Message("\"" + pgcChild->tabText(index) + "\" is running an import: stop it before closing the window.");
      return false;
    }
    if (!child->CloseQuery()) return false;
  }
  pgcChild->removeTab(index);
  window->hide();
  window->deleteLater();
  int count = pgcChild->count();
  if (count > 0)
    SetActivePageIndex(index == 0 ? count - 1 : index - 1);
  else
    pgcChild->hide();
  UpdateWindowActions();
  return true;
}

bool TMainForm::CloseAll() {
  bool all = true;
  for (int i = pgcChild->count() - 1; i >= 0; --i)
    if (!ClosePage(i)) all = false;
  return all;
}

void TMainForm::RenamePage(int index, const QString& newName) {
  if (index < 0 || index >= pgcChild->count() || newName.trimmed().isEmpty()) return;
  pgcChild->setTabText(index, newName);
  pgcChild->widget(index)->setWindowTitle(newName);
}

int TMainForm::GetPageCount() const { return pgcChild->count(); }

void TMainForm::SetActivePageIndex(int index) {
  pgcChild->setCurrentIndex(index);
  if (QWidget* w = pgcChild->currentWidget()) w->raise();
}

bool TMainForm::AnyChildRunning() const {
  for (int i = 0; i < pgcChild->count(); ++i)
    if (auto* child = dynamic_cast<TChildWindow*>(pgcChild->widget(i)))
      if (child->IsRunning()) return true;
  return false;
}

void TMainForm::UpdateWindowActions() {
  for (QAction* a : WindowActions) a->setEnabled(pgcChild && pgcChild->count() > 0);
}

void TMainForm::ShowTabMenu(const QPoint& pos) {
  int index = pgcChild->tabBar()->tabAt(pos);
  if (index < 0) return;
  SetActivePageIndex(index);
  QMenu menu(this);
  menu.addAction("Close", this, [this, index] { Guarded([this, index] { ClosePage(index); }); });
  menu.addAction("Rename", this, [this, index] {
    TTabRenameDlg dialog(pgcChild->tabText(index), this);
    if (dialog.exec() == QDialog::Accepted) RenamePage(index, dialog.edtNewName->text());
  });
  menu.exec(pgcChild->tabBar()->mapToGlobal(pos));
}

// ---------------------------------------------------------------------------

void TMainForm::LoadWorkspace(const std::string& fileName) {
  for (const auto& line : ReadWorkspaceFile(fileName)) OpenFile(line);
}

void TMainForm::SaveWorkspace(const std::string& fileName) {
  std::vector<std::string> files;
  for (int i = 0; i < pgcChild->count(); ++i) {
    SetActivePageIndex(i);
    if (auto* child = dynamic_cast<TChildWindow*>(pgcChild->widget(i))) {
      std::string name = child->GetActiveFileName();
      if (!name.empty()) files.push_back(name);
    }
  }
  WriteWorkspaceFile(fileName, files);
}
