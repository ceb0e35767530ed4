// The wizard shell: a session's controls spread over two dialogs, validated page by page
// and run from the last dialog.
#include <QtTest>

#include "TestConvertWindow.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"
#include "ui/UConvertWizard.h"

namespace {

class TTestWizard : public TConvertWizard {
 public:
  explicit TTestWizard(TSqlitePair& pair) : Pair(pair) {}

  QCheckBox* chkReady = nullptr;
  QPlainTextEdit* memOutput = nullptr;

 protected:
  std::vector<std::unique_ptr<TWizardDlg>> CreateDialogs() override {
    auto first = std::make_unique<TWizardDlg>();
    first->setObjectName("dlgOptions");
    auto* rows = new QComboBox;
    rows->setObjectName("cbbConvertRows");
    rows->addItems({"All", "Part"});
    auto add = [&](QWidget* widget, const char* name) {
      widget->setObjectName(name);
      first->Body->addWidget(widget);
    };
    add(rows, "cbbConvertRows");
    add(new QSpinBox, "edtConvertRows");
    add(new QSpinBox, "edtSkipRows");
    add(new QLabel("Skip rows:"), "lblSkipRows");
    chkReady = new QCheckBox("Ready");
    add(chkReady, "chkReady");
    add(new QSpinBox, "edtErrorsToAllow");
    add(new TFileNameEdit, "edtLogFile");

    auto last = std::make_unique<TConvertDlg>();
    last->setObjectName("dlgOutput");
    auto* pages = new QTabWidget;
    pages->setObjectName("pgcConvert");
    auto* page = new QWidget;
    page->setObjectName("tsConvert");
    auto* layout = new QVBoxLayout(page);
    for (auto [widget, name] :
         std::initializer_list<std::pair<QWidget*, const char*>>{{new QProgressBar, "pbConvert"},
                                                                 {new QLabel, "lblMessage"},
                                                                 {new QLabel, "lblNotify"},
                                                                 {new QLabel, "lblPercent"},
                                                                 {memOutput = new QPlainTextEdit, "memOutput"}}) {
      widget->setObjectName(name);
      layout->addWidget(widget);
    }
    pages->addTab(page, "Progress");
    last->Body->addWidget(pages);
    // The run starts from the page before; the run package still wants its buttons.
    for (const char* name : {"btnConvert", "btnSaveSql"}) {
      auto* button = new QPushButton(name, last.get());
      button->setObjectName(name);
      button->hide();
    }

    std::vector<std::unique_ptr<TWizardDlg>> dialogs;
    dialogs.push_back(std::move(first));
    dialogs.push_back(std::move(last));
    return dialogs;
  }
  std::unique_ptr<TConvertUIPackage> CreateUIPackage() override { return std::make_unique<TTestUIPackage>(); }
  void InitPackage(TConvertUIPackage& package) override {
    package.SourceUIPackage->InitByForm(Dialog(0));
    package.DestUIPackage->InitByForm(Dialog(0));
    package.MiscUIPackage->InitByForm(Dialog(0));
    package.ConvertExecuteUIPackage->InitByForm(Dialog(1));
  }
  std::unique_ptr<TConvertSession> CreateSession() override {
    return std::make_unique<TTransveyTableLoadSession>(&Pair.Source, &Pair.Dest, &Pair.SourceConvert,
                                                       &Pair.DestConvert);
  }
  std::unique_ptr<TConvertSessionViewConfiguration> CreateViewConfiguration() override {
    return std::make_unique<TTestViewConfiguration>();
  }
  std::unique_ptr<TConvertSessionExecuteController> CreateExecuteController() override {
    return std::make_unique<TTestExecuteController>();
  }
  std::vector<std::string> StepNames() const override { return {"Options", "Import"}; }
  std::vector<TDataConvertController*> PageControllers(int page) override {
    if (page != 0) return {};
    auto* config = ViewConfiguration();
    return {config->SourceController, config->DestController, config->MiscController};
  }

 private:
  TSqlitePair& Pair;
};

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { UiDialogs() = {}; }

  void NextValidatesThePageThenRunsFromTheLastDialog() {
    TempDir dir;
    TSqlitePair pair(dir.Path(), 300);
    std::vector<std::string> messages;
    UiDialogs().ShowMessage = [&](const std::string& text) { messages.push_back(text); };
    TTestWizard wizard(pair);
    wizard.Build();
    wizard.ViewConfiguration()->LoadSession(pair.SessionFile);
    QVERIFY(wizard.Dialog(0)->StepImage->text().startsWith("<b>Options</b><br>Import"));
    QVERIFY(wizard.Dialog(1)->StepImage->text().contains("<b>Import</b>"));
    wizard.Dialog(0)->show();

    wizard.Dialog(0)->btnNext->click();
    QCOMPARE(messages, std::vector<std::string>{"Tick Ready first."});
    QVERIFY(wizard.Dialog(0)->isVisible());
    QVERIFY(!wizard.Dialog(1)->isVisible());
    QCOMPARE(pair.DestRows(), 0);

    TConvertDlg* last = wizard.LastDialog();
    bool closeRefused = false, stopOn = false;
    wizard.ExecuteController()->EventInterval = std::chrono::milliseconds(0);
    wizard.ExecuteController()->ProcessEventsNow = [&] {
      if (stopOn) return;
      stopOn = last->btnStop->isEnabled() && !last->btnClose->isEnabled() && !last->btnBack->isEnabled();
      closeRefused = !last->close() && last->isVisible();
    };
    wizard.chkReady->setChecked(true);
    wizard.Dialog(0)->btnNext->click();
    QVERIFY(!wizard.Dialog(0)->isVisible());
    QVERIFY(last->isVisible());
    QCOMPARE(pair.DestRows(), 300);
    QVERIFY(stopOn);
    QVERIFY(closeRefused);
    QVERIFY(wizard.memOutput->toPlainText().contains("End Convert"));
    QVERIFY(last->btnClose->isEnabled());
    QVERIFY(!last->btnStop->isEnabled());

    // Closing one dialog closes the wizard.
    wizard.Dialog(0)->show();
    last->btnClose->click();
    QVERIFY(!last->isVisible());
    QVERIFY(!wizard.Dialog(0)->isVisible());
  }
};

FERROVAN_QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
