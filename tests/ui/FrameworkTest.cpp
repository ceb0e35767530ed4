// The window framework: lookups by name, silenced control events, the form mapper's
// walks and the row-selection and run-option controllers.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "session/UConvertOptions.h"
#include "support/QtTestMain.h"
#include "support/TempDir.h"
#include "ui/UConvertControllers.h"
#include "ui/UConvertSessionViewConfiguration.h"
#include "ui/UDataConvertView.h"
#include "ui/UFileNameEdit.h"
#include "ui/UUIPackage.h"
#include "ui/UUiDialogs.h"
#include "ui/UWindowUIPackages.h"

namespace {

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "<no error>";
}

// The row-selection controls, named as the packages look for them.
struct TRowsWindow {
  QWidget Form;
  QComboBox* Combo = new QComboBox(&Form);
  QSpinBox* Rows = new QSpinBox(&Form);
  QSpinBox* Skip = new QSpinBox(&Form);
  QLabel* SkipLabel = new QLabel("Skip rows:", &Form);
  TConvertRowsSelectUIPackage Package;
  TConvertRowsSelectOptions Options;
  TConvertRowsSelectController Controller;
  int Changes = 0;

  TRowsWindow() {
    Form.setObjectName("frmRows");
    Combo->setObjectName("cbbConvertRows");
    Combo->addItems({"All", "Part"});
    Rows->setObjectName("edtConvertRows");
    Rows->setRange(0, 1000000);
    Skip->setObjectName("edtSkipRows");
    Skip->setRange(0, 1000000);
    SkipLabel->setObjectName("lblSkipRows");
    Package.InitByForm(&Form);
    Controller.SetModel(&Options);
    Controller.InitByUIPackage(&Package);
    Controller.OnChange = [this](void*) { ++Changes; };
    Form.show();
  }
  bool PartShown() const { return Rows->isVisible() && Skip->isVisible() && SkipLabel->isVisible(); }
  bool PartHidden() const { return Rows->isHidden() && Skip->isHidden() && SkipLabel->isHidden(); }
};

// Notes every step of the walks in one shared log.
class TRecordingController : public TDataConvertController {
 public:
  TRecordingController(std::string name, std::vector<std::string>& log) : Name(std::move(name)), Log(log) {}
  TRecordingController* Add(const std::string& name) {
    return AddSubController(std::make_unique<TRecordingController>(name, Log));
  }
  void CheckModel() override {
    Log.push_back(Name + ".CheckModel");
    ModelValid = Valid;
  }
  void ModelToView() override { Log.push_back(Name + ".ModelToView"); }
  void AfterModelToView() override { Log.push_back(Name + ".AfterModelToView"); }
  void ViewToModel() override { Log.push_back(Name + ".ViewToModel"); }
  bool Validate() override {
    Log.push_back(Name + ".Validate");
    return Passes;
  }
  void InitData() override {
    Log.push_back(Name + ".InitData");
    TDataConvertController::InitData();
  }
  void InitUIForSubControllers() override {}

  std::string Name;
  std::vector<std::string>& Log;
  bool Valid = true;
  bool Passes = true;
};

// A controller with a sub-controller that forgot to hand it its package.
class TForgetfulController : public TDataConvertController {
 public:
  TForgetfulController() { AddSubController(std::make_unique<TDataConvertController>()); }
};

class TMissingDestUIPackage : public TConvertUIPackage {
 protected:
  std::unique_ptr<TSourceUIPackage> CreateSourceUIPackage() override { return std::make_unique<TSourceUIPackage>(); }
  std::unique_ptr<TPartUIPackage> CreateDestUIPackage() override { return nullptr; }
  std::unique_ptr<TConvertExecuteUIPackage> CreateConvertExecuteUIPackage() override {
    return std::make_unique<TConvertExecuteUIPackage>();
  }
};

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : " ") + item;
  return text;
}

}  // namespace

class FrameworkTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { UiDialogs() = {}; }

  void LookupsNameTheControlAndTheWindow() {
    QWidget form;
    form.setObjectName("frmImport");
    auto* wrongKind = new QLineEdit(&form);
    wrongKind->setObjectName("cbbConvertRows");
    TConvertRowsSelectUIPackage rows;
    QVERIFY(
        QString::fromStdString(ErrorOf([&] { rows.InitByForm(&form); })).startsWith("Invalid cast: 'cbbConvertRows'"));
    delete wrongKind;
    QCOMPARE(ErrorOf([&] { rows.InitByForm(&form); }), std::string("Can not find 'cbbConvertRows' in 'frmImport'"));
    QCOMPARE(FindOptional<QComboBox>(&form, "cbbConvertRows"), nullptr);
    auto* combo = new QComboBox(&form);
    combo->setObjectName("cbbConvertRows");
    QCOMPARE(FindOptional<QComboBox>(&form, "cbbConvertRows"), combo);
    QCOMPARE(ErrorOf([&] { rows.InitByForm(&form); }), std::string("Can not find 'edtConvertRows' in 'frmImport'"));
  }

  void APackageOfTheWrongClassIsACastError() {
    TConvertMiscUIPackage misc;
    QCOMPARE(
        ErrorOf([&] { CastPackage<TConvertRowsSelectUIPackage>(&misc); }),
        std::string("Cast Error: TPartUIPackage to TConvertRowsSelectUIPackage, Real type: TConvertMiscUIPackage"));
    TConvertRowsSelectController controller;
    QCOMPARE(
        ErrorOf([&] { controller.InitByUIPackage(&misc); }),
        std::string("Cast Error: TPartUIPackage to TConvertRowsSelectUIPackage, Real type: TConvertMiscUIPackage"));
  }

  void AMissingChildPackageOrSubControllerStepIsNamed() {
    QWidget form;
    TMissingDestUIPackage package;
    package.CreateChildren();
    package.SourceUIPackage = nullptr;
    QCOMPARE(ErrorOf([&] { package.InitByForm(&form); }),
             std::string("TConvertUIPackage.InitByForm, SourceUIPackage=nil"));
    // The source is checked and bound first: a window with its controls gets past it.
    TMissingDestUIPackage other;
    other.CreateChildren();
    TRowsWindow window;
    QCOMPARE(ErrorOf([&] { other.InitByForm(&window.Form); }),
             std::string("TConvertUIPackage.InitByForm, DestUIPackage=nil"));

    TForgetfulController forgetful;
    TConvertMiscUIPackage misc;
    QCOMPARE(ErrorOf([&] { forgetful.InitByUIPackage(&misc); }),
             std::string("Should inherited InitUIForSubControllers for (anonymous namespace)::TForgetfulController"));
  }

  // The table window's package binds every part of the window, the optional controls
  // as nothing when absent.
  void TheTableWindowPackageBindsItsParts() {
    QWidget form;
    form.setObjectName("frmTable");
    auto add = [&](QWidget* widget, const char* name) { widget->setParent(&form), widget->setObjectName(name); };
    for (const char* name : {"cbbConvertRows", "cbbSourceSchema", "cbbSourceTable", "cbbDestSchema", "cbbDestTable",
                             "cbbLoadType", "cbbUpdateKey"})
      add(new QComboBox, name);
    for (const char* name : {"edtConvertRows", "edtSkipRows", "edtErrorsToAllow"}) add(new QSpinBox, name);
    for (const char* name : {"lblSkipRows", "lblSourceSchema", "lblSourceTable", "lblDestSchema", "lblUpdateKey",
                             "lblMessage", "lblNotify", "lblPercent"})
      add(new QLabel, name);
    for (const char* name :
         {"btnNewTable", "btnRefreshTables", "btnSelectAll", "btnSelectNone", "btnConvert", "btnStop", "btnSaveSql"})
      add(new QPushButton, name);
    add(new QCheckBox, "chkShowViews");
    add(new TFileNameEdit, "edtLogFile");
    add(new QProgressBar, "pbConvert");
    add(new QPlainTextEdit, "memOutput");
    auto* pages = new QTabWidget;
    add(pages, "pgcConvert");
    auto* page = new QWidget;
    page->setObjectName("tsConvert");
    pages->addTab(page, "Progress");
    add(new QTableView, "grdFields");

    TTransveyTableUIPackage package;
    package.CreateChildren();
    QCOMPARE(ErrorOf([&] { package.InitByForm(&form); }), std::string("Can not find 'grdPreview' in 'frmTable'"));
    add(new QTableView, "grdPreview");
    QCOMPARE(ErrorOf([&] { package.InitByForm(&form); }), std::string("<no error>"));
    auto& source = CastPackage<TTableSourceUIPackage>(package.SourceUIPackage.get());
    QCOMPARE(source.SourceTableUIPackage->cbbSourceTable, form.findChild<QComboBox*>("cbbSourceTable"));
    QCOMPARE(source.SourceTableUIPackage->btnShowSourceTableData, nullptr);
    QCOMPARE(source.SourceSchemaUIPackage->grdTables, nullptr);
    auto& dest = CastPackage<TDestTableUIPackage>(package.DestUIPackage.get());
    QCOMPARE(dest.btnShowTableData, nullptr);
    QVERIFY(dest.cbbUpdateKey);
    QCOMPARE(CastPackage<TLoadExecuteUIPackage>(package.ConvertExecuteUIPackage.get()).btnSaveSql,
             form.findChild<QPushButton*>("btnSaveSql"));
  }

  void DisabledEventsSilenceRegisteredControlsAndNestingRestoresTheFirstState() {
    QWidget form;
    auto* spin = new QSpinBox(&form);
    spin->setObjectName("edtOne");
    auto* blocked = new QSpinBox(&form);
    blocked->setObjectName("edtTwo");
    blocked->blockSignals(true);  // silenced by its owner before the view was made
    TDataConvertView view;
    view.RegisterEvent(spin, "OnChange");
    view.RegisterEvent(blocked, "OnChange");
    QCOMPARE(Joined(view.EventKeys()), std::string("edtOne.OnChange edtTwo.OnChange"));
    QSignalSpy changes(spin, &QSpinBox::valueChanged);

    view.DisableEvents();
    spin->setValue(5);
    QCOMPARE(changes.count(), 0);
    view.DisableEvents();
    view.EnableEvents();
    spin->setValue(6);
    QCOMPARE(changes.count(), 1);
    QVERIFY(blocked->signalsBlocked());

    {
      TViewEventsSilencer outer(&view);
      { TViewEventsSilencer inner(&view); }
      spin->setValue(7);  // the inner scope's end leaves the outer one silenced
      QCOMPARE(changes.count(), 1);
    }
    spin->setValue(8);
    QCOMPARE(changes.count(), 2);
  }

  void TheWalksVisitControllersInTheirOrder() {
    std::vector<std::string> log;
    TRecordingController a("a", log), b("b", log);
    TRecordingController* a1 = a.Add("a1");
    a1->Add("a1x");
    a.Add("a2");
    b.Add("b1");
    TConvertSessionFormMapper mapper;
    mapper.Register(&a);
    mapper.Register(&b);

    mapper.ViewToModelAll();
    QCOMPARE(Joined(log), std::string("a1x.ViewToModel a1.ViewToModel a2.ViewToModel a.ViewToModel b1.ViewToModel "
                                      "b.ViewToModel"));
    log.clear();
    a1->Valid = false;
    mapper.ModelToViewAll();
    QCOMPARE(Joined(log), std::string("a.CheckModel a.ModelToView a.AfterModelToView a1.CheckModel a2.CheckModel "
                                      "a2.ModelToView a2.AfterModelToView b.CheckModel b.ModelToView "
                                      "b.AfterModelToView b1.CheckModel b1.ModelToView b1.AfterModelToView"));
    log.clear();
    QVERIFY(mapper.ValidateAll());
    QCOMPARE(Joined(log), std::string("a.Validate a1.Validate a1x.Validate a2.Validate b.Validate b1.Validate"));
    log.clear();
    a1->Passes = false;
    QVERIFY(!mapper.ValidateAll());
    QCOMPARE(Joined(log), std::string("a.Validate a1.Validate"));
    log.clear();
    mapper.InitDataAll();
    QCOMPARE(Joined(log), std::string("a.InitData a1.InitData a1x.InitData a2.InitData b.InitData b1.InitData"));
  }

  void AllRowsStoresNoCountAndHidesTheRowControls() {
    TRowsWindow window;
    QVERIFY(window.PartHidden());
    QCOMPARE(window.Combo->currentText(), QString("All"));
    window.Rows->setValue(500);
    window.Skip->setValue(7);
    QCOMPARE(window.Options.LoadRowsType, std::string("All"));
    QCOMPARE(window.Options.LoadRows, int64_t(0));
    QCOMPARE(window.Options.SkipRows, int64_t(7));  // hidden, but still stored
    QVERIFY(window.PartHidden());

    window.Combo->setCurrentIndex(1);  // as a user picks "Part"
    QVERIFY(window.PartShown());
    QCOMPARE(window.Options.LoadRowsType, std::string("Part"));
    QCOMPARE(window.Options.LoadRows, int64_t(500));
    QVERIFY(window.Changes > 0);
  }

  void PartInAnyCaseShowsTheRowControlsSilently() {
    for (const char* type : {"Part", "part", "PART", "pArT"}) {
      TRowsWindow window;
      window.Options.LoadRowsType = type;
      window.Options.LoadRows = 40;
      window.Options.SkipRows = 3;
      window.Controller.ModelToView();
      QVERIFY2(window.PartShown(), type);
      QCOMPARE(window.Rows->value(), 40);
      QCOMPARE(window.Skip->value(), 3);
      // Programmatic writes reach no handler: the options keep the stored spelling.
      QCOMPARE(window.Options.LoadRowsType, std::string(type));
      QCOMPARE(window.Changes, 0);
    }
  }

  void PickingALogFileKeepsWhatItHolds() {
    TempDir dir;
    std::string existing = dir.Path() + "/run.log";
    std::ofstream(existing) << "earlier run\n";
    QWidget form;
    auto* errors = new QSpinBox(&form);
    errors->setObjectName("edtErrorsToAllow");
    auto* logFile = new TFileNameEdit(&form);
    logFile->setObjectName("edtLogFile");
    TConvertMiscUIPackage package;
    package.InitByForm(&form);
    TConvertOptions options;
    TConvertMiscController controller;
    controller.SetModel(&options);
    controller.InitByUIPackage(&package);
    QVERIFY(logFile->Edit()->isReadOnly());

    std::vector<std::string> messages;
    UiDialogs().ShowMessage = [&](const std::string& text) { messages.push_back(text); };
    UiDialogs().PickSaveFile = [&](const std::string&, const std::string&, const std::string&) { return existing; };
    logFile->BrowseButton()->click();
    QCOMPARE(options.LogFile, existing);
    std::stringstream held;
    held << std::ifstream(existing).rdbuf();
    QCOMPARE(held.str(), std::string("earlier run\n"));
    QVERIFY(messages.empty());

    std::string fresh = dir.Path() + "/new.log";
    UiDialogs().PickSaveFile = [&](const std::string&, const std::string&, const std::string&) { return fresh; };
    logFile->BrowseButton()->click();
    QVERIFY(std::ifstream(fresh).good());  // created, so the run can append to it

    std::string unwritable = dir.Path() + "/missing/run.log";
    UiDialogs().PickSaveFile = [&](const std::string&, const std::string&, const std::string&) { return unwritable; };
    logFile->BrowseButton()->click();
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(messages[0],
             "Can not create log file \"" + unwritable + "\": No such file or directory, please select another file.");
    QCOMPARE(logFile->FileName(), std::string());
    QCOMPARE(options.LogFile, std::string());
  }
};

FERROVAN_QTEST_MAIN(FrameworkTest)
#include "FrameworkTest.moc"
