// The "Import From Table" window against a small SQLite file and the DB2 test server,
// through the real ODBC path: field mapping, the messages that stop a run, an import
// read back, and a saved session run by the command line.
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <fstream>

#include "UiFixtures.h"
#include "db2/UDB2ConvertObjectFactory.h"
#include "session/UConvertSession.h"
#include "session/UDBConvertOptions.h"
#include "session/USessionManager.h"
#include "sqlite/USqliteConvertObjectFactory.h"
#include "support/DbRows.h"
#include "support/QtTestMain.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"
#include "ui/UAccessibility.h"
#include "ui/UDBTableLoadForm.h"
#include "ui/UUiDialogs.h"

using ferrovan_test::RunFerrovan;
using ferrovan_test::TProcessResult;

namespace {

// Quoted upper case: a DB2 catalogue keeps names in capitals.
const char* DestTableName = "TW_PEOPLE";
std::string Quoted() { return std::string("\"") + DestTableName + "\""; }

// A window on a three-row SQLite table "people" and an empty DB2 table of the same
// columns, the source table chosen.
struct TWindow {
  TempDir Dir;
  std::string SourceFile = Dir.Path() + "/people.db";
  TTestSides Sides;
  TSqliteConvertObjectFactory SourceConvert;
  TDB2ConvertObjectFactory DestConvert;
  TSessionManager Manager{nullptr};
  std::vector<std::string> Messages;
  std::unique_ptr<TDBTableLoadForm> Form;

  TWindow() {
    RunSqliteScript(SourceFile,
                    "create table people (id integer, name text, born text);"
                    "insert into people values (1, 'Ann', '2001-02-03'), (2, 'Bo', '1999-12-31'),"
                    " (3, 'Cy', '2010-07-04');");
    Sides.Source->Connection()->Database = SourceFile;
    Sides.Source->Connection()->Connect();
    Sides.ConnectDest();
    RunScript(*Sides.Dest->Connection(), "drop table if exists " + Quoted() + "; create table " + Quoted() +
                                             " (\"ID\" integer, \"NAME\" varchar(20), \"BORN\" date)");
    SourceConvert.SetConnection(Sides.Source->Connection());
    DestConvert.SetConnection(Sides.Dest->Connection());
    UiDialogs().ShowMessage = [this](const std::string& text) { Messages.push_back(text); };
    Form.reset(
        CreateTableLoadForm(Sides.Source.get(), Sides.Dest.get(), &SourceConvert, &DestConvert, &Manager, nullptr, ""));
    Form->show();
    Combo("cbbSourceTable")->setCurrentText("people");
  }

  template <class T = QWidget>
  T* Find(const char* name) const {
    return Form->findChild<T*>(name);
  }
  QComboBox* Combo(const char* name) const { return Find<QComboBox>(name); }
  void Click(const char* name) const { Find<QAbstractButton>(name)->click(); }
  TMapController& Map() const { return *Form->TableConfiguration()->MapController; }
  TTableDestOptions& Dest() const { return static_cast<TTableDestOptions&>(*Form->Session()->DestOptions); }

  void ChooseDestTable() { Combo("cbbDestTable")->setCurrentText(DestTableName); }
  std::vector<std::string> DestRows() {
    return QueryRows(*Sides.Dest->Connection(), "select \"ID\", \"NAME\", \"BORN\" from " + Quoted() + " order by 1");
  }
  std::vector<std::string> MappedNames() const {
    std::vector<std::string> names;
    for (int r = 0; r < Map().RowCount(); ++r) {
      int d = Map().RowDest(r);
      names.push_back(d < 0 ? "" : Dest().DestColumnNames[d]);
    }
    return names;
  }
};

std::vector<std::string> Split(const QString& text) {
  std::vector<std::string> parts;
  if (text.isEmpty()) return parts;
  for (const QString& part : text.split(',')) parts.push_back(part.toStdString());
  return parts;
}

// Joined, so a failed comparison shows the values.
QString J(const std::vector<std::string>& items) {
  QStringList list;
  for (const auto& item : items) list << QString::fromStdString(item);
  return list.join(" / ");
}

const std::vector<std::string> ImportedRows = {"1|Ann|2001-02-03", "2|Bo|1999-12-31", "3|Cy|2010-07-04"};

}  // namespace

class TableLoadFormTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { UiDialogs() = {}; }

  void TheSourceTableFillsTheFieldGrid() {
    TWindow w;
    QCOMPARE(w.Map().RowCount(), 3);
    QCOMPARE(w.Find<QTableWidget>("grdFields")->item(1, TMapController::colSource)->text(), QString("name"));
    QCOMPARE(J(UnnamedInputControls(w.Form.get())), QString());
    QCOMPARE(J(UncaptionedButtonsAndPages(w.Form.get())), QString());
  }

  void SourceFieldsAreMappedByNameElseByPosition_data() {
    QTest::addColumn<QString>("destColumns");
    QTest::addColumn<QString>("mapped");
    QTest::newRow("same names, another order, other case") << "BORN,ID,NAME"
                                                           << "ID,NAME,BORN";
    QTest::newRow("other names, as many") << "A,B,C"
                                          << "A,B,C";
    QTest::newRow("one name, the rest by position") << "X,NAME,Y"
                                                    << "X,NAME,Y";
    QTest::newRow("other names, more of them") << "A,B,C,D"
                                               << ",,";
    QTest::newRow("one name among more") << "A,ID,C,D"
                                         << "ID,,";
  }
  void SourceFieldsAreMappedByNameElseByPosition() {
    QFETCH(QString, destColumns);
    QFETCH(QString, mapped);
    TWindow w;
    TTableDestOptions& dest = w.Dest();
    dest.DestColumns.Clear();
    dest.DestColumnNames.Clear();
    dest.DateColumns.Clear();
    for (const auto& name : Split(destColumns)) {
      dest.DestColumnNames.Add(name);
      dest.DestColumns.Add(name + "=VARCHAR");
    }
    w.Map().RefreshDest();
    std::vector<std::string> expected = Split(mapped);
    if (expected.empty()) expected = {"", "", ""};
    QCOMPARE(J(w.MappedNames()), J(expected));
  }

  void ChoosingTheDestinationMapsItsColumnsWithADateFormat() {
    TWindow w;
    w.ChooseDestTable();
    QCOMPARE(J(w.MappedNames()), J((std::vector<std::string>{"ID", "NAME", "BORN"})));
    QVERIFY(!w.Map().RowDateFormat(2).empty());
    QCOMPARE(w.Map().RowDateFormat(0), std::string());
  }

  void ThePreviewShowsTheIncludedSampleValuesUnderTheirDestination() {
    TWindow w;
    // Destination columns in another order than the source's: the header follows the map.
    RunScript(*w.Sides.Dest->Connection(), "drop table " + Quoted() + "; create table " + Quoted() +
                                               " (\"BORN\" date, \"ID\" integer, \"NAME\" varchar(20))");
    w.ChooseDestTable();
    auto* preview = w.Find<QTableWidget>("grdPreview");
    auto header = [preview] {
      QStringList names;
      for (int c = 1; c < preview->columnCount(); ++c) names << preview->horizontalHeaderItem(c)->text();
      return names.join(",");
    };
    QCOMPARE(header(), QString("ID,NAME,BORN"));
    QCOMPARE(preview->rowCount(), 3);
    QCOMPARE(preview->item(1, 2)->text(), QString("Bo"));

    w.Find<QTableWidget>("grdFields")->item(1, TMapController::colInclude)->setCheckState(Qt::Unchecked);
    QCOMPARE(header(), QString("ID,BORN"));
    QCOMPARE(preview->item(1, 2)->text(), QString("1999-12-31"));
  }

  void AnImportIsRefusedWithTheReason_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("no destination table") << "no table"
                                          << "select table name";
    QTest::newRow("update without a key") << "update no key"
                                          << "select update key";
    QTest::newRow("no field ticked") << "none ticked"
                                     << "please select table fields.";
    QTest::newRow("a ticked field without destination") << "row 2 unmapped"
                                                        << "please config field #2";
    QTest::newRow("update key not mapped") << "key unmapped"
                                           << "Please check Update Key: NAME";
  }
  void AnImportIsRefusedWithTheReason() {
    QFETCH(QString, change);
    QFETCH(QString, message);
    TWindow w;
    if (change != "no table") w.ChooseDestTable();
    if (change == "update no key") {
      w.Combo("cbbLoadType")->setCurrentText("Update");
      w.Combo("cbbUpdateKey")->setCurrentIndex(-1);
    } else if (change == "none ticked") {
      w.Click("btnSelectNone");
    } else if (change == "row 2 unmapped") {
      w.Map().SetRowDest(1, -1);
    } else if (change == "key unmapped") {
      w.Combo("cbbLoadType")->setCurrentText("Update");
      w.Combo("cbbUpdateKey")->setCurrentText("NAME");
      w.Map().SetRowDest(1, -1);
      w.Find<QTableWidget>("grdFields")->item(1, TMapController::colInclude)->setCheckState(Qt::Unchecked);
    }
    w.Click("btnConvert");
    QCOMPARE(J(w.Messages), J(std::vector<std::string>{message.toStdString()}));
    QVERIFY(w.Find<QAbstractButton>("btnConvert")->isEnabled());
    QCOMPARE(J(w.DestRows()), J(std::vector<std::string>{}));
  }

  void ImportWritesTheRowsAndASavedSessionRunsTheSameFromTheCommandLine() {
    TWindow w;
    w.ChooseDestTable();
    w.Click("btnConvert");
    QCOMPARE(J(w.Messages), J(std::vector<std::string>{}));
    QCOMPARE(J(w.DestRows()), J(ImportedRows));
    QCOMPARE(UiApplicationTitle(), std::string("Ferrovan - Convert Complete"));

    std::string sessionFile = w.Dir.Path() + "/people.uld";
    w.Manager.SaveDialog = [&](const std::string&, const std::string&, const std::string&, const std::string&) {
      TSessionSaveDialogResult result;
      result.Saved = true;
      result.FileName = sessionFile;
      return result;
    };
    w.Click("btnSaveSession");
    QCOMPARE(J(w.Messages), J(std::vector<std::string>{}));
    QCOMPARE(w.Form->GetSessionFileName(), sessionFile);

    // Opened again, as the main window opens a table session, the window shows it.
    std::unique_ptr<TDBTableLoadForm> reopened(CreateTableLoadForm(
        w.Sides.Source.get(), w.Sides.Dest.get(), &w.SourceConvert, &w.DestConvert, &w.Manager, nullptr, sessionFile));
    QCOMPARE(J(w.Messages), QString());
    QCOMPARE(reopened->findChild<QComboBox*>("cbbSourceTable")->currentText(), QString("people"));
    QCOMPARE(reopened->findChild<QComboBox*>("cbbDestTable")->currentText(), QString(DestTableName));
    QCOMPARE(reopened->TableConfiguration()->MapController->GetMapString(), w.Map().GetMapString());
    QCOMPARE(reopened->GetSessionFileName(), sessionFile);

    RunScript(*w.Sides.Dest->Connection(), "delete from " + Quoted());
    std::string logon = "\"sqlite_database=" + w.SourceFile + "\" db2_username=" + TestEnv("FERROVAN_TEST_DB2_USER") +
                        " \"db2_password=" + TestEnv("FERROVAN_TEST_DB2_PASSWORD") +
                        "\" db2_server=" + TestEnv("FERROVAN_TEST_DB2_DATABASE") +
                        " db2_protocol=TCPIP db2_hostname=" + TestEnv("FERROVAN_TEST_DB2_HOST") +
                        " db2_port=" + TestEnv("FERROVAN_TEST_DB2_PORT");
    TProcessResult run = RunFerrovan(w.Dir, logon + " \"session=" + sessionFile + "\"");
    QVERIFY2(run.ExitCode == 0, (run.Out + run.Err).c_str());
    QCOMPARE(J(w.DestRows()), J(ImportedRows));
  }

  void AFailedImportIsNotReportedComplete() {
    TWindow w;
    w.ChooseDestTable();
    RunScript(*w.Sides.Dest->Connection(), "drop table " + Quoted());
    w.Click("btnConvert");
    QCOMPARE(UiApplicationTitle(), std::string("Ferrovan - Convert Failed"));
  }

  void ASessionThatCannotBeReadLeavesNoFileName() {
    TWindow w;
    std::string bad = w.Dir.Path() + "/bad.uld";
    std::ofstream(bad) << "[Load]\nSourceTable=people\nDestTable=TW_PEOPLE\nLoadType=9\n";
    QVERIFY_THROWS_EXCEPTION(std::exception, w.Form->LoadSession(bad));
    QCOMPARE(w.Form->GetSessionFileName(), std::string());
  }
};

FERROVAN_QTEST_MAIN(TableLoadFormTest)
#include "TableLoadFormTest.moc"
