#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <filesystem>
#include <fstream>

#include "base/USettingsStore.h"
#include "db2/UDB2DBLogon.h"
#include "sqlite/USqliteDBLogon.h"
#include "support/QtTestMain.h"
#include "ui/ULogonForms.h"
#include "ui/UiFixtures.h"

class LogonFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TSettingsStore> Store;
  QStringList Messages;
  std::vector<std::string> Reports;

  TLogonUiSeams Seams() {
    TLogonUiSeams seams;
    seams.ShowMessage = [this](const QString& text) { Messages << text; };
    seams.ShowExceptionReport = [this](const std::string& text) { Reports.push_back(text); };
    return seams;
  }

 private slots:
  void init() {
    std::filesystem::path file = TestEnv("FERROVAN_SETTINGS_FILE");
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::remove(file);
    Store = std::make_unique<TSettingsStore>(file.string());
    Messages.clear();
    Reports.clear();
  }

  void okNamesTheFirstSideNotConnected_data() {
    QTest::addColumn<bool>("source");
    QTest::addColumn<bool>("dest");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("page");
    QTest::newRow("none") << false << false << "Please log on to Sqlite" << 0;
    QTest::newRow("only destination") << false << true << "Please log on to Sqlite" << 0;
    QTest::newRow("only source") << true << false << "Please log on to DB2" << 1;
    QTest::newRow("both") << true << true << "" << -1;
  }
  void okNamesTheFirstSideNotConnected() {
    QFETCH(bool, source);
    QFETCH(bool, dest);
    QFETCH(QString, message);
    QFETCH(int, page);
    TTestSides sides;
    if (source) sides.ConnectSource();
    if (dest) sides.ConnectDest();
    TTransveyLogonForm form(sides.Source->Connection(), sides.Dest->Connection(), Store.get());
    form.SetSeams(Seams());
    QCOMPARE(form.windowTitle(), QString("Ferrovan Logon"));
    QCOMPARE(form.pgcDB->tabText(0), QString("Sqlite"));
    QCOMPARE(form.pgcDB->tabText(1), QString("DB2"));
    // Start on the other page, so activating the named one shows.
    form.pgcDB->setCurrentIndex(page == 0 ? 1 : 0);
    form.OkClick();
    if (page < 0) {
      QVERIFY(Messages.isEmpty());
      QCOMPARE(form.result(), int(QDialog::Accepted));
    } else {
      QCOMPARE(Messages, QStringList{message});
      QCOMPARE(form.pgcDB->currentIndex(), page);
      QCOMPARE(form.result(), int(QDialog::Rejected));
    }
  }

  void deletedRecentFilesLeaveTheList() {
    std::string gone = (std::filesystem::temp_directory_path() / "ferrovan-gone.sqlite").string();
    std::filesystem::remove(gone);
    WriteRecentFiles(*Store, SqliteFileListKey, {gone, ChinookFile(), gone + "2"});
    TTestSides sides;
    TTransveyLogonForm form(sides.Source->Connection(), sides.Dest->Connection(), Store.get());
    QCOMPARE(form.SourceForm->edtSqliteFile->count(), 1);
    QCOMPARE(form.SourceForm->edtSqliteFile->currentText().toStdString(), ChinookFile());
    QCOMPARE(ReadRecentFiles(*Store, SqliteFileListKey), std::vector<std::string>{ChinookFile()});
  }

  void sqliteConnectShowsTheStateAndRemembersTheFile() {
    TTestSides sides;
    TTransveyLogonForm form(sides.Source->Connection(), sides.Dest->Connection(), Store.get());
    form.SetSeams(Seams());
    TSqliteLogonForm& page = *form.SourceForm;
    page.ShowConnectionState();
    QCOMPARE(page.StatusText(), QString("Not Connected."));

    page.edtSqliteFile->setEditText("");
    page.ConnectClick();
    QCOMPARE(Messages, QStringList{"Please input Sqlite file name."});

    // A missing source file must not be created empty by connecting to it.
    std::string missing = (std::filesystem::temp_directory_path() / "ferrovan-missing.sqlite").string();
    std::filesystem::remove(missing);
    page.edtSqliteFile->setEditText(QString::fromStdString(missing));
    page.ConnectClick();
    QCOMPARE(page.StatusText(), QString("Cannot Connect."));
    QCOMPARE(Reports.size(), size_t(1));
    QVERIFY(!std::filesystem::exists(missing));

    page.edtSqliteFile->setEditText(QString::fromStdString(ChinookFile()));
    page.ConnectClick();
    QCOMPARE(page.StatusText(), QString("Connected."));
    QVERIFY(sides.Source->Connection()->Connected());
    QCOMPARE(ReadRecentFiles(*Store, SqliteFileListKey), std::vector<std::string>{ChinookFile()});
  }

  void db2ProtocolRuleAndChecks() {
    TTestSides sides;
    TTransveyLogonForm form(sides.Source->Connection(), sides.Dest->Connection(), Store.get());
    form.SetSeams(Seams());
    TDB2LogonForm& page = *form.DestForm;
    QVERIFY(page.rbTcpip->isChecked());
    QCOMPARE(page.edtPort->value(), 50000);
    QVERIFY(!page.edtHostname->isHidden());
    QVERIFY(!page.lblPort->isHidden());
    page.ConnectClick();
    QCOMPARE(Messages, QStringList{"Please input Hostname."});

    page.rbStandard->setChecked(true);
    QVERIFY(page.edtHostname->isHidden());
    QVERIFY(page.lblHostname->isHidden());
    QVERIFY(page.edtPort->isHidden());
    QVERIFY(page.lblPort->isHidden());
    Messages.clear();
    page.ConnectClick();
    QCOMPARE(Messages, QStringList{"Please input Database."});
  }

  void db2ConnectWithoutHostStoresTheLogon() {
    TTestSides sides;
    {
      TTransveyLogonForm form(sides.Source->Connection(), sides.Dest->Connection(), Store.get());
      form.SetSeams(Seams());
      TDB2LogonForm& page = *form.DestForm;
      page.rbStandard->setChecked(true);
      page.edtUsername->setText(QString::fromStdString(TestEnv("FERROVAN_TEST_DB2_USER")));
      page.edtPassword->setText(QString::fromStdString(TestEnv("FERROVAN_TEST_DB2_PASSWORD")));
      page.edtServer->setEditText(QString::fromStdString(TestEnv("FERROVAN_TEST_DB2_DATABASE")));
      page.chkSavePassword->setChecked(false);
      page.ConnectClick();
      QVERIFY2(Reports.empty(), Reports.empty() ? "" : Reports.front().c_str());
      QCOMPARE(page.StatusText(), QString("Connected."));
      QVERIFY(sides.Dest->Connection()->Connected());
    }
    sides.Dest->Connection()->Disconnect();
    // The next logon window offers the stored logon, without the password.
    TTransveyLogonForm again(sides.Source->Connection(), sides.Dest->Connection(), Store.get());
    TDB2LogonForm& page = *again.DestForm;
    QCOMPARE(page.edtServer->currentText().toStdString(), TestEnv("FERROVAN_TEST_DB2_DATABASE"));
    QCOMPARE(page.edtUsername->text().toStdString(), TestEnv("FERROVAN_TEST_DB2_USER"));
    QVERIFY(page.edtPassword->text().isEmpty());
    QVERIFY(page.rbStandard->isChecked());
    QVERIFY(page.edtHostname->isHidden());
  }

  void wrongDb2PasswordCannotConnect() {
    TTestSides sides;
    TTransveyLogonForm form(sides.Source->Connection(), sides.Dest->Connection(), Store.get());
    form.SetSeams(Seams());
    TDB2LogonForm& page = *form.DestForm;
    page.rbStandard->setChecked(true);
    page.edtUsername->setText(QString::fromStdString(TestEnv("FERROVAN_TEST_DB2_USER")));
    page.edtPassword->setText("not the password");
    page.edtServer->setEditText(QString::fromStdString(TestEnv("FERROVAN_TEST_DB2_DATABASE")));
    page.ConnectClick();
    QCOMPARE(page.StatusText(), QString("Cannot Connect."));
    QCOMPARE(Reports.size(), size_t(1));
    QVERIFY(ListStoredDB2Logons(*Store).empty());
  }

  void everyInputHasALabel() {
    TTestSides sides;
    TTransveyLogonForm form(sides.Source->Connection(), sides.Dest->Connection(), Store.get());
    for (QWidget* input : form.findChildren<QWidget*>()) {
      if (!qobject_cast<QLineEdit*>(input) && !qobject_cast<QComboBox*>(input) && !qobject_cast<QSpinBox*>(input))
        continue;
      if (qobject_cast<QLineEdit*>(input) && qobject_cast<QComboBox*>(input->parentWidget())) continue;
      if (qobject_cast<QLineEdit*>(input) && qobject_cast<QSpinBox*>(input->parentWidget())) continue;
      bool buddy = false;
      for (QLabel* label : form.findChildren<QLabel*>())
        if (label->buddy() == input && label->text() == input->accessibleName()) buddy = true;
      QVERIFY2(buddy, qPrintable(input->objectName() + " has no buddy label"));
    }
  }
};

FERROVAN_QTEST_MAIN(LogonFormTest)
#include "LogonFormTest.moc"
