#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/USettingsStore.h"
#include "support/QtTestMain.h"
#include "ui/UAccessibility.h"
#include "ui/ULogonForms.h"
#include "ui/UMainForm.h"
#include "ui/UiFixtures.h"

class MainFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TSettingsStore> Store;
  QStringList Messages;
  std::filesystem::path Folder;

  std::unique_ptr<TMainForm> NewMain(TTestSides& sides) {
    auto main = std::make_unique<TMainForm>(sides.Source.get(), sides.Dest.get(), Store.get());
    main->ShowMessage = [this](const QString& text) { Messages << text; };
    main->ShowLogonDialog = [] { return true; };
    return main;
  }

  // Three windows of the tests' own, captioned A, B and C, C active.
  std::vector<TTestChild*> AddThree(TMainForm& main, std::vector<std::string>* closed = nullptr) {
    std::vector<TTestChild*> children;
    for (const char* caption : {"A", "B", "C"}) {
      auto* child = new TTestChild(std::string(caption) + ".uld", closed);
      main.AddForm(child, caption);
      children.push_back(child);
    }
    return children;
  }

  static QStringList Tabs(TMainForm& main) {
    QStringList tabs;
    for (int i = 0; i < main.pgcChild->count(); ++i) tabs << main.pgcChild->tabText(i);
    return tabs;
  }

  // Every action of the table but Logon and Exit, with the tool buttons and the session menu.
  static std::vector<QObject*> StateObjects(TMainForm& m) {
    return {m.actLogoff,
            m.actExportTable,
            m.actExportAllTable,
            m.actExportQuery,
            m.actQuery,
            m.actOpenSql,
            m.actOpenTableSession,
            m.actOpenQuerySession,
            m.actOpenAllTableSession,
            m.actOpenWorkspace,
            m.actSaveWorkspace,
            m.actWizardTable,
            m.actWizardQuery,
            m.actWizardAllTables,
            m.actCreateBatchFile,
            m.btnExport,
            m.btnWizard,
            m.btnSession,
            m.btnTaskList,
            m.mniOpenSession};
  }
  static bool Enabled(QObject* o) {
    if (auto* a = qobject_cast<QAction*>(o)) return a->isEnabled();
    if (auto* m = qobject_cast<QMenu*>(o)) return m->isEnabled();
    return qobject_cast<QWidget*>(o)->isEnabled();
  }
  static void CheckLoggedOff(TMainForm& m) {
    QVERIFY(m.actLogon->isEnabled());
    QVERIFY(m.actExit->isEnabled());
    for (QObject* o : StateObjects(m)) QVERIFY2(!Enabled(o), qPrintable(o->objectName() + " is enabled"));
  }

 private slots:
  void init() {
    std::filesystem::path file = TestEnv("FERROVAN_SETTINGS_FILE");
    Folder = file.parent_path();
    std::filesystem::create_directories(Folder);
    std::filesystem::remove(file);
    Store = std::make_unique<TSettingsStore>(file.string());
    Messages.clear();
  }

  void startsLoggedOffWithTheCaptionsOfTheTable() {
    TTestSides sides;
    auto main = NewMain(sides);
    QCOMPARE(main->windowTitle(), QString("Ferrovan"));
    CheckLoggedOff(*main);
    QVERIFY(main->pgcChild->isHidden());
    const std::pair<QAction*, const char*> captions[] = {
        {main->actLogon, "Logon"},
        {main->actLogoff, "Logoff"},
        {main->actExportTable, "Import From Table"},
        {main->actExportAllTable, "Import All Tables"},
        {main->actExportQuery, "Import From Query"},
        {main->actQuery, "Sql Query"},
        {main->actOpenSql, "Open Sql File"},
        {main->actOpenTableSession, "Import From Table Session"},
        {main->actOpenQuerySession, "Import From Query Session"},
        {main->actOpenAllTableSession, "Import All Tables Session"},
        {main->actOpenWorkspace, "Open Workspace"},
        {main->actSaveWorkspace, "Save Workspace"},
        {main->actWizardTable, "Import From Table Wizard"},
        {main->actWizardQuery, "Import From Query Wizard"},
        {main->actWizardAllTables, "Import All Tables Wizard"},
        {main->actCreateBatchFile, "Create Batch File"},
        {main->actExit, "Exit"},
    };
    for (auto [action, caption] : captions) QCOMPARE(action->text(), QString(caption));
    QCOMPARE(main->btnExport->toolTip(), QString("Import"));
    QCOMPARE(main->btnSession->toolTip(), QString("Open Session File"));
  }

  void logonEnablesAllAndLogoffWithoutWindowsDisablesAllButLogonAndExit() {
    TTestSides sides;
    auto main = NewMain(sides);
    // A logon window closed without both sides connected changes nothing.
    sides.ConnectSource();
    main->Logon();
    CheckLoggedOff(*main);

    sides.ConnectDest();
    main->Logon();
    QVERIFY(!main->actLogon->isEnabled());
    for (QObject* o : StateObjects(*main)) QVERIFY2(Enabled(o), qPrintable(o->objectName() + " is disabled"));
    QCOMPARE(main->windowTitle().toStdString(), "Ferrovan -- Sqlite: " + ChinookFile() +
                                                    " DB2: " + TestEnv("FERROVAN_TEST_DB2_USER") + "@" +
                                                    TestEnv("FERROVAN_TEST_DB2_DATABASE"));

    main->Logoff();
    CheckLoggedOff(*main);
    QCOMPARE(main->windowTitle(), QString("Ferrovan -- Not Logged On"));
    QVERIFY(!sides.Source->Connection()->Connected());
    QVERIFY(!sides.Dest->Connection()->Connected());
  }

  void aRunningWindowRefusesCloseLogoffAndQuit() {
    TTestSides sides;
    auto main = NewMain(sides);
    sides.ConnectSource();
    sides.ConnectDest();
    main->Logon();
    std::vector<TTestChild*> children = AddThree(*main);
    children[1]->Running = true;

    QVERIFY(!main->ClosePage(1));
    QVERIFY(!main->CloseAll());
    QCOMPARE(Tabs(*main), QStringList{"B"});  // the idle ones close, the running one stays
    main->Logoff();
    QVERIFY(sides.Source->Connection()->Connected());
    QVERIFY(sides.Dest->Connection()->Connected());
    QVERIFY(main->LoggedOn());
    QVERIFY(!main->close());
    QCOMPARE(main->GetPageCount(), 1);
    QCOMPARE(Messages.size(), 4);

    children[1]->Running = false;
    main->Logoff();
    QVERIFY(!main->LoggedOn());
    QCOMPARE(main->GetPageCount(), 0);
  }

  void closingATabActivatesTheOneBefore_data() {
    QTest::addColumn<int>("close");
    QTest::addColumn<QString>("active");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("first activates the new last") << 0 << "C" << QStringList{"B", "C"};
    QTest::newRow("middle activates the first") << 1 << "A" << QStringList{"A", "C"};
    QTest::newRow("last activates the middle") << 2 << "B" << QStringList{"A", "B"};
  }
  void closingATabActivatesTheOneBefore() {
    QFETCH(int, close);
    QFETCH(QString, active);
    QFETCH(QStringList, left);
    TTestSides sides;
    auto main = NewMain(sides);
    AddThree(*main);
    main->SetActivePageIndex(close);
    QVERIFY(main->ClosePage(close));
    QCOMPARE(Tabs(*main), left);
    QCOMPARE(main->pgcChild->tabText(main->pgcChild->currentIndex()), active);
    QCOMPARE(main->pgcChild->currentWidget()->windowTitle(), active);
  }

  void aWindowThatRefusesKeepsItsTabAndTheStripHidesWhenEmpty() {
    TTestSides sides;
    auto main = NewMain(sides);
    std::vector<std::string> closed;
    std::vector<TTestChild*> children = AddThree(*main, &closed);
    QVERIFY(!main->pgcChild->isHidden());
    children[0]->AllowClose = false;
    QVERIFY(!main->CloseAll());
    QCOMPARE(closed, (std::vector<std::string>{"C", "B"}));  // from the last to the first
    QCOMPARE(Tabs(*main), QStringList{"A"});
    children[0]->AllowClose = true;
    QVERIFY(main->CloseAll());
    QCOMPARE(main->GetPageCount(), 0);
    QVERIFY(main->pgcChild->isHidden());
  }

  void renameKeepsBlanksButNotABlankName_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("caption");
    QTest::newRow("blanks change nothing") << "   "
                                           << "B";
    QTest::newRow("empty changes nothing") << ""
                                           << "B";
    QTest::newRow("surrounding blanks kept") << " x "
                                             << " x ";
  }
  void renameKeepsBlanksButNotABlankName() {
    QFETCH(QString, typed);
    QFETCH(QString, caption);
    TTestSides sides;
    auto main = NewMain(sides);
    std::vector<TTestChild*> children = AddThree(*main);
    main->RenamePage(1, typed);
    QCOMPARE(main->pgcChild->tabText(1), caption);
    QCOMPARE(children[1]->windowTitle(), caption);
    TTabRenameDlg dialog("B");
    QCOMPARE(dialog.windowTitle(), QString("Rename Tab Name"));
    QCOMPARE(dialog.lblCurrentName->text(), QString("B"));
    QCOMPARE(dialog.edtNewName->text(), QString("B"));
  }

  void workspaceLinesOpenByTheirExactExtension() {
    TTestSides sides;
    auto main = NewMain(sides);
    std::vector<std::pair<TChildKind, std::string>> opened;
    main->CreateChildWindow = [&opened](TChildKind kind, const std::string& file) -> QWidget* {
      opened.emplace_back(kind, file);
      return new TTestChild(file);
    };
    std::string workspace = (Folder / "lines.adw").string();
    {
      std::ofstream out(workspace, std::ios::binary);
      out << "/s/table.uld\r\n/s/TABLE.ULD\r\n/s/query.ulq\r\n/s/all.ula\r\n/s/run.sql\r\n/s/notes.txt\r\n";
    }
    main->LoadWorkspace(workspace);
    const std::vector<std::pair<TChildKind, std::string>> expected = {{TChildKind::Table, "/s/table.uld"},
                                                                      {TChildKind::Query, "/s/query.ulq"},
                                                                      {TChildKind::Batch, "/s/all.ula"},
                                                                      {TChildKind::Sql, "/s/run.sql"}};
    QVERIFY(opened == expected);
    QCOMPARE(Tabs(*main), (QStringList{"Import From Table", "Import From Query", "Import All Tables", "run.sql"}));

    // Saving writes the windows' files in tab order; the window without one is left out.
    main->AddForm(new TTestChild(""), "unsaved");
    std::string saved = (Folder / "saved.adw").string();
    main->SaveWorkspace(saved);
    std::ifstream in(saved, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    QCOMPARE(text.str(), std::string("/s/table.uld\r\n/s/query.ulq\r\n/s/all.ula\r\n/s/run.sql\r\n"));
  }

  void anEmptyWorkspaceSavesAnEmptyFile() {
    TTestSides sides;
    auto main = NewMain(sides);
    std::string saved = (Folder / "empty.adw").string();
    {
      std::ofstream old(saved);
      old << "stale\n";
    }
    main->SaveWorkspace(saved);
    QVERIFY(std::filesystem::exists(saved));
    QCOMPARE(std::filesystem::file_size(saved), std::uintmax_t(0));
  }

  void windowsOfLaterVersionsSaySoAndOpenNoTab() {
    TTestSides sides;
    auto main = NewMain(sides);
    sides.ConnectSource();
    sides.ConnectDest();
    main->Logon();
    for (QAction* a : {main->actExportTable, main->actExportQuery, main->actExportAllTable, main->actQuery,
                       main->actWizardTable, main->actCreateBatchFile}) {
      Messages.clear();
      a->trigger();
      QCOMPARE(Messages.size(), 1);
      QVERIFY2(Messages.front().contains("not available"), qPrintable(Messages.front()));
    }
    QCOMPARE(main->GetPageCount(), 0);

    main->CreateChildWindow = [](TChildKind, const std::string&) -> QWidget* { throw std::runtime_error("boom"); };
    Messages.clear();
    main->actExportTable->trigger();
    QCOMPARE(Messages.size(), 1);
    QVERIFY(Messages.front().startsWith("Form create error, please send mail to "));
    QCOMPARE(main->GetPageCount(), 0);
  }

  void startWindowWritesNotShowLaunchOnEveryClick() {
    TTestSides sides;
    auto main = NewMain(sides);
    TStartTaskDlg dialog(main.get(), Store.get());
    QCOMPARE(dialog.windowTitle(), QString("Start a task - Ferrovan"));
    QCOMPARE(dialog.chkNotShow->text(), QString("Do not show this again"));
    dialog.chkNotShow->click();
    QCOMPARE(Store->ReadString("Software\\Quillmark\\Ferrovan", "NotShowLaunch"), std::string("-1"));
    dialog.chkNotShow->click();
    QCOMPARE(Store->ReadString("Software\\Quillmark\\Ferrovan", "NotShowLaunch"), std::string("0"));
  }

  // A screen reader, and the outside-in tests, find controls by their labels and captions.
  void theWindowsControlsCanBeNamedByAScreenReader() {
    TTestSides sides;
    auto main = NewMain(sides);
    TStartTaskDlg start(main.get(), Store.get());
    TTabRenameDlg rename("Query");
    for (QWidget* window : std::initializer_list<QWidget*>{main.get(), &start, &rename}) {
      QCOMPARE(UnnamedInputControls(window), std::vector<std::string>{});
      QStringList uncaptioned;
      for (const auto& name : UncaptionedButtonsAndPages(window)) uncaptioned << QString::fromStdString(name);
      QVERIFY2(uncaptioned.isEmpty(), qPrintable(uncaptioned.join(", ")));
    }
  }

  void recentSessionsFillTheArrowMenus() {
    TTestSides sides;
    auto main = NewMain(sides);
    WriteRecentFiles(*Store, "Software\\Quillmark\\Ferrovan\\QuerySessions", {"/s/one.ulq", "/s/two.ulq"});
    TStartTaskDlg dialog(main.get(), Store.get());
    auto* table = dialog.findChild<QToolButton*>("btnTableSessions");
    auto* query = dialog.findChild<QToolButton*>("btnQuerySessions");
    QVERIFY(table && query);
    QVERIFY(!table->isEnabled());
    QStringList items;
    for (QAction* a : query->menu()->actions()) items << a->text();
    QCOMPARE(items, (QStringList{"/s/one.ulq", "/s/two.ulq"}));
  }

  void firstShowLogsOnThenShowsTheStartWindowOnce() {
    TTestSides sides;
    auto main = NewMain(sides);
    int logons = 0, starts = 0;
    main->ShowLogonDialog = [&] {
      ++logons;
      sides.ConnectSource();
      sides.ConnectDest();
      return true;
    };
    main->ShowStartDialog = [&] { ++starts; };
    main->ShowLaunch = true;
    main->show();
    QTRY_COMPARE(starts, 1);
    QCOMPARE(logons, 1);
    QVERIFY(main->LoggedOn());
    QVERIFY(!main->ShowLaunch);
    main->hide();
    main->show();
    QCoreApplication::processEvents();
    QCOMPARE(starts, 1);
  }
};

FERROVAN_QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
