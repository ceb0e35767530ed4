// The import-window shell on a small window of the tests' own: a table session from one
// SQLite file into another, run, stopped, validated, saved and closed.
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <fstream>

#include "TestConvertWindow.h"
#include "session/USessionManager.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"
#include "ui/UAccessibility.h"
#include "ui/UProgressConvertOutputer.h"

namespace {

// A window on a fresh pair of files, loaded from the session file and shown.
struct TWindowFixture {
  TempDir Dir;
  TSqlitePair Pair;
  TSessionManager Manager{nullptr};
  TTestConvertForm Form{Pair};
  std::vector<std::string> Messages;

  explicit TWindowFixture(int rows) : Pair(Dir.Path(), rows) {
    UiDialogs().ShowMessage = [this](const std::string& text) { Messages.push_back(text); };
    Form.SessionManager = &Manager;
    Form.InitForm();
    Form.LoadSession(Pair.SessionFile);
    Form.chkReady->setChecked(true);
    Form.show();
  }

  std::string Memo() const { return Form.memOutput->toPlainText().toStdString(); }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

class ConvertFormTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { UiDialogs() = {}; }

  void TheStepFollowsTheTotal_data() {
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("step");
    QTest::newRow("none") << qint64(0) << 1;
    QTest::newRow("99") << qint64(99) << 1;
    QTest::newRow("100") << qint64(100) << 1;
    QTest::newRow("250") << qint64(250) << 3;
    QTest::newRow("10000") << qint64(10000) << 100;
    QTest::newRow("10001") << qint64(10001) << 100;
    QTest::newRow("1000000") << qint64(1000000) << 100;
  }
  void TheStepFollowsTheTotal() {
    QFETCH(qint64, total);
    QFETCH(int, step);
    QCOMPARE(ProgressStep(total), step);
  }

  void TheMonitorUpdatesOnMultiplesOfTheStep() {
    QProgressBar bar;
    QLabel message, notify, percent;
    TGUIProgressMonitor monitor;
    monitor.Bind(&bar, &message, &notify, &percent);
    monitor.StartTime = TConvertStatus::NowTicks();
    monitor.SetMax(250);
    monitor.SetStep(ProgressStep(250));
    monitor.Progress(4);
    QCOMPARE(bar.value(), 0);
    QCOMPARE(message.text(), QString());
    monitor.Progress(125);
    QCOMPARE(bar.value(), 0);
    monitor.Progress(126);
    QCOMPARE(bar.value(), 126);
    QCOMPARE(percent.text(), QString("50 %"));
    QVERIFY2(message.text().startsWith("126 records / 250 records    Elapsed: 00:00:0"), qPrintable(message.text()));
    QVERIFY(message.text().contains("    Remaining: "));
    monitor.SetPosition(250);
    QCOMPARE(bar.value(), 250);
    QCOMPARE(percent.text(), QString("100 %"));
  }

  void ConvertRunsTheSessionAndRestoresTheWindow() {
    TWindowFixture f(250);
    auto& execute = f.Form.Execute();
    execute.EventInterval = std::chrono::milliseconds(0);
    int events = 0;
    bool convertOffDuringRun = false, stopOnDuringRun = false, closeRefused = false;
    std::string titleDuringRun;
    execute.ProcessEventsNow = [&] {
      if (++events != 1) return;
      convertOffDuringRun = !f.Form.btnConvert->isEnabled() && !f.Form.btnSaveSql->isEnabled();
      stopOnDuringRun = f.Form.btnStop->isEnabled();
      titleDuringRun = UiApplicationTitle();
      closeRefused = !f.Form.close() && f.Form.isVisible();
      f.Form.Convert();  // a second run from the same window is not started
    };
    // What the loaded session holds is shown.
    QCOMPARE(f.Form.edtErrorsToAllow->value(), 5);
    QCOMPARE(f.Form.cbbConvertRows->currentText(), QString("All"));
    QVERIFY(f.Form.btnConvert->isEnabled());
    QVERIFY(!f.Form.btnStop->isEnabled());
    f.Form.btnConvert->click();

    QCOMPARE(f.Pair.DestRows(), 250);
    QVERIFY(events > 1);
    QVERIFY(convertOffDuringRun);
    QVERIFY(stopOnDuringRun);
    QCOMPARE(titleDuringRun, std::string("Ferrovan - Converting"));
    QVERIFY(closeRefused);
    QCOMPARE(f.Messages, std::vector<std::string>{TConvertForm::RunningCloseText});
    QVERIFY(f.Form.btnConvert->isEnabled());
    QVERIFY(f.Form.btnSaveSql->isEnabled());
    QVERIFY(!f.Form.btnStop->isEnabled());
    QVERIFY(!f.Form.IsRunning());
    QCOMPARE(UiApplicationTitle(), std::string("Ferrovan - Convert Complete"));
    QCOMPARE(f.Form.pgcConvert->currentWidget(), f.Form.tsConvert);
    QCOMPARE(f.Form.pbConvert->maximum(), 250);
    QCOMPARE(f.Form.pbConvert->value(), 250);
    QCOMPARE(f.Form.lblPercent->text(), QString("100 %"));
    QVERIFY2(f.Form.lblMessage->text().startsWith("250 records,    Elapsed: 00:00:"),
             qPrintable(f.Form.lblMessage->text()));
    std::string memo = f.Memo();
    QVERIFY2(Contains(memo, "Start Convert\n"), memo.c_str());
    QVERIFY2(Contains(memo, "\n250 records,    Elapsed: "), memo.c_str());
    QVERIFY2(Contains(memo, "Total Convert Records: 250\nEnd Convert"), memo.c_str());

    if (const char* shots = std::getenv("FERROVAN_UI_SCREENSHOTS"))
      QVERIFY(f.Form.grab().save(QString(shots) + "/test-import-window.png"));
  }

  // Events are handled between rows only every so often, and once at the end, so a
  // big table does not spend its time in the event loop.
  void EventsAreHandledAtMostEveryIntervalAndAtTheEnd() {
    TWindowFixture f(20000);
    auto& execute = f.Form.Execute();
    execute.EventInterval = std::chrono::milliseconds(40);
    std::vector<std::chrono::steady_clock::time_point> calls;
    int rowsAtLastCall = -1;
    execute.ProcessEventsNow = [&] {
      calls.push_back(std::chrono::steady_clock::now());
      rowsAtLastCall = f.Form.pbConvert->value();
    };
    auto start = std::chrono::steady_clock::now();
    f.Form.Convert();
    auto elapsed = std::chrono::steady_clock::now() - start;
    QCOMPARE(f.Pair.DestRows(), 20000);
    QVERIFY(!calls.empty());
    QCOMPARE(rowsAtLastCall, 20000);  // the last call comes after the last row
    // Every call but the last waited its interval after the one before.
    auto most = elapsed / std::chrono::milliseconds(40) + 2;
    QVERIFY2(static_cast<long long>(calls.size()) <= most,
             qPrintable(QString("%1 calls in %2 ms").arg(calls.size()).arg(elapsed / std::chrono::milliseconds(1))));
  }

  void StopEndsTheRunAndTheNextRunIsWhole() {
    TWindowFixture f(200000);
    f.Form.Execute().EventInterval = std::chrono::milliseconds(5);
    // Clicked from the event loop the run hands control to between rows.
    QTimer::singleShot(0, f.Form.btnStop, [&] { f.Form.btnStop->click(); });
    f.Form.btnConvert->click();
    int stoppedAt = f.Pair.DestRows();
    QVERIFY2(stoppedAt < 200000, qPrintable(QString::number(stoppedAt)));
    QVERIFY(Contains(f.Memo(), "Stopped"));
    QVERIFY(f.Form.btnConvert->isEnabled());
    QVERIFY(!f.Form.btnStop->isEnabled());

    // A Stop while idle is not kept for the next run.
    f.Form.Stop();
    f.Form.btnConvert->click();
    QCOMPARE(f.Pair.DestRows(), stoppedAt + 200000);
    QVERIFY(!Contains(f.Memo(), "Stopped"));
  }

  // A window asked to go while its session runs stops the run and goes afterwards,
  // never under the running loop.
  void AWindowFreedDuringARunGoesAfterIt() {
    TempDir dir;
    TSqlitePair pair(dir.Path(), 50000);
    QPointer<TTestConvertForm> form = new TTestConvertForm(pair);
    form->InitForm();
    form->LoadSession(pair.SessionFile);
    form->chkReady->setChecked(true);
    form->Execute().EventInterval = std::chrono::milliseconds(0);
    bool asked = false;
    form->Execute().ProcessEventsNow = [&] {
      if (asked) return;
      asked = true;
      form->deleteLater();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    form->Convert();
    QVERIFY(!form.isNull());
    QVERIFY(pair.DestRows() < 50000);
    QTRY_VERIFY(form.isNull());
  }

  void AFailedRunStillRestoresTheWindowAndIsReported() {
    TWindowFixture f(10);
    f.Form.Execute().Failure = "the run broke";
    f.Form.btnConvert->click();
    QCOMPARE(f.Messages, std::vector<std::string>{"the run broke"});
    QVERIFY(f.Form.btnConvert->isEnabled());
    QVERIFY(!f.Form.btnStop->isEnabled());
    QVERIFY(!f.Form.IsRunning());
    QCOMPARE(UiApplicationTitle(), std::string("Ferrovan - Convert Failed"));
  }

  void AFailingValidationChangesNothing() {
    TWindowFixture f(10);
    f.Form.chkReady->setChecked(false);
    // Values only the walk before a run would copy into the session.
    f.Form.edtErrorsToAllow->blockSignals(true);
    f.Form.edtErrorsToAllow->setValue(17);
    f.Form.edtErrorsToAllow->blockSignals(false);
    UiSetApplicationTitle("before");
    TConvertSession& session = *f.Form.Session();
    f.Form.btnConvert->click();
    QCOMPARE(f.Messages, std::vector<std::string>{"Tick Ready first."});
    QCOMPARE(session.ConvertOptions->ErrorsToAllow, int64_t(5));
    QCOMPARE(f.Pair.DestRows(), 0);
    QCOMPARE(UiApplicationTitle(), std::string("before"));
    QVERIFY(f.Form.memOutput->toPlainText().isEmpty());
    QVERIFY(f.Form.btnConvert->isEnabled());
    QVERIFY(!f.Form.btnStop->isEnabled());

    QVERIFY(!f.Form.SaveSession());
    QCOMPARE(f.Messages.size(), size_t(2));
    QCOMPARE(session.ConvertOptions->ErrorsToAllow, int64_t(5));
  }

  void TheCloseCheckKeepsEditsUnlessSavedOrDeclined_data() {
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<QString>("save");  // what the save window does
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("No closes without saving") << false << true << "save" << true << false;
    QTest::newRow("Yes and saved closes") << true << true << "save" << true << true;
    QTest::newRow("Yes but cancelled stays open") << true << true << "cancel" << false << false;
    QTest::newRow("Yes but the save fails stays open") << true << true << "fail" << false << false;
    QTest::newRow("Yes with invalid input stays open") << true << false << "save" << false << false;
  }
  void TheCloseCheckKeepsEditsUnlessSavedOrDeclined() {
    QFETCH(bool, answerYes);
    QFETCH(bool, ready);
    QFETCH(QString, save);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    TWindowFixture f(10);
    std::vector<std::string> questions;
    UiDialogs().AskYesNo = [&](const std::string& text) {
      questions.push_back(text);
      return answerYes;
    };
    std::string target = save == "fail" ? f.Dir.Path() + "/missing/copy.uld" : f.Pair.SessionFile;
    f.Manager.SaveDialog = [&](const std::string&, const std::string&, const std::string&, const std::string&) {
      TSessionSaveDialogResult result;
      result.Saved = save != "cancel";
      result.FileName = target;
      return result;
    };
    f.Form.chkReady->setChecked(ready);
    f.Form.edtErrorsToAllow->setValue(9);

    QCOMPARE(f.Form.close(), closes);
    QCOMPARE(questions.size(), size_t(1));
    QVERIFY(Contains(questions[0], "Save changed session now?"));
    std::ifstream file(f.Pair.SessionFile);
    std::string text((std::istreambuf_iterator<char>(file)), {});
    QCOMPARE(Contains(text, "ErrorsToAllow=9"), saved);
    if (save == "fail") QCOMPARE(f.Messages.size(), size_t(1));
  }

  // A workspace save asks each window for its file: the window saves first, so the
  // workspace names a file that holds what the window shows.
  void AWorkspaceGetsTheFileTheWindowWasJustSavedTo() {
    TWindowFixture f(10);
    const std::string target = f.Dir.Path() + "/for-workspace.uld";
    bool save = true;
    f.Manager.SaveDialog = [&](const std::string&, const std::string&, const std::string&, const std::string&) {
      TSessionSaveDialogResult result;
      result.Saved = save;
      result.FileName = target;
      return result;
    };
    f.Form.edtErrorsToAllow->setValue(9);
    TChildWindow& child = f.Form;
    QCOMPARE(child.GetActiveFileName(), target);
    std::ifstream file(target);
    std::string text((std::istreambuf_iterator<char>(file)), {});
    QVERIFY(Contains(text, "ErrorsToAllow=9"));

    // Cancelled: the file the session already has.
    save = false;
    f.Form.edtErrorsToAllow->setValue(7);
    QCOMPARE(child.GetActiveFileName(), target);
  }

  void TheWindowsControlsCanBeNamedByAScreenReader() {
    TWindowFixture f(1);
    QCOMPARE(UnnamedInputControls(&f.Form), std::vector<std::string>{});
    QCOMPARE(UncaptionedButtonsAndPages(&f.Form), std::vector<std::string>{});
  }
};

FERROVAN_QTEST_MAIN(ConvertFormTest)
#include "ConvertFormTest.moc"
