#pragma once

// A small import window of the tests' own, built only from the framework's packages
// and controllers, on a table session from one SQLite file into another.

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <climits>
#include <fstream>
#include <string>

#include "dac/UDataAccess.h"
#include "session/UTransveySession.h"
#include "sqlite/USqliteConvertObjectFactory.h"
#include "sqlite/USqliteDBObjectFactory.h"
#include "ui/UConvertControllers.h"
#include "ui/UConvertForm.h"
#include "ui/UConvertSessionExecuteController.h"
#include "ui/UConvertSessionViewConfiguration.h"
#include "ui/UFileNameEdit.h"
#include "ui/UUIPackage.h"
#include "ui/UUiDialogs.h"

// The destination side of the test window: one check box the run needs ticked.
class TReadyUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override { chkReady = FindRequired<QCheckBox>(form, "chkReady"); }
  QCheckBox* chkReady = nullptr;
};

class TReadyView : public TDataConvertView {
 public:
  explicit TReadyView(TReadyUIPackage& package) : chkReady(package.chkReady) {}
  bool Validate() override {
    if (chkReady->isChecked()) return true;
    UiShowMessage("Tick Ready first.");
    chkReady->setFocus();
    return false;
  }
  QCheckBox* chkReady;
};

class TReadyController : public TDataConvertController {
 public:
  void InitUI() override { View = std::make_unique<TReadyView>(CastPackage<TReadyUIPackage>(UIPackage)); }
};

class TTestExecuteController : public TConvertSessionExecuteController {
 public:
  void Execute() override {
    if (!Failure.empty()) throw Exception(Failure);
    RunSession();
  }
  std::string Failure;  // raised instead of running when set
};

class TTestUIPackage : public TConvertUIPackage {
 protected:
  std::unique_ptr<TSourceUIPackage> CreateSourceUIPackage() override { return std::make_unique<TSourceUIPackage>(); }
  std::unique_ptr<TPartUIPackage> CreateDestUIPackage() override { return std::make_unique<TReadyUIPackage>(); }
  std::unique_ptr<TConvertExecuteUIPackage> CreateConvertExecuteUIPackage() override {
    return std::make_unique<TLoadExecuteUIPackage>();
  }
};

class TTestViewConfiguration : public TConvertSessionViewConfiguration {
 protected:
  void ConnectEvents() override {}
  std::unique_ptr<TDataConvertController> CreateSourceController() override {
    return std::make_unique<TSourceController>();
  }
  std::unique_ptr<TDataConvertController> CreateDestController() override {
    return std::make_unique<TReadyController>();
  }
  std::unique_ptr<TConvertSessionExecuteController> CreateExecuteController() override {
    return std::make_unique<TTestExecuteController>();
  }
};

// Two SQLite files: "src" holds Rows rows of one integer column, "dst" the same table
// empty.
struct TSqlitePair {
  TSqliteDBObjectFactory Source, Dest;
  TSqliteConvertObjectFactory SourceConvert, DestConvert;
  std::string SessionFile;

  TSqlitePair(const std::string& dir, int rows) {
    auto open = [&](TSqliteDBObjectFactory& factory, const std::string& name, const std::string& script) {
      std::string file = dir + "/" + name;
      std::ofstream(file) << "";
      factory.Initialize();
      factory.Connection()->Database = file;
      factory.Connection()->Connect();
      TUniScript s(factory.Connection());
      s.SQL = script;
      s.Execute();
    };
    open(Source, "src.db",
         "create table src (id integer);"
         "with recursive c(x) as (select 1 union all select x + 1 from c where x < " +
             std::to_string(rows) + ") insert into src select x from c;");
    open(Dest, "dst.db", "create table dst (id integer)");
    SourceConvert.SetConnection(Source.Connection());
    DestConvert.SetConnection(Dest.Connection());
    SessionFile = dir + "/copy.uld";
    std::ofstream(SessionFile, std::ios::binary)
        << "[Load]\r\nSourceTable=src\r\nDestSchema=\r\nDestTable=dst\r\nLoadType=0\r\n"
           "Fields=id;INTEGER;;\r\nErrorsToAllow=5\r\nLoadRowsType=All\r\n";
  }

  int DestRows() {
    TUniQuery q(Dest.Connection());
    q.SQL = "select count(*) from dst";
    q.Open();
    return q.Fields(0).AsInteger();
  }
};

class TTestConvertForm : public TConvertForm {
 public:
  explicit TTestConvertForm(TSqlitePair& pair) : Pair(pair) {
    setObjectName("frmTestConvert");
    setWindowTitle("Test Import");
    auto* layout = new QVBoxLayout(this);
    pgcConvert = new QTabWidget(this);
    pgcConvert->setObjectName("pgcConvert");
    layout->addWidget(pgcConvert);

    auto* options = new QWidget;
    options->setObjectName("tsOptions");
    auto* form = new QFormLayout(options);
    cbbConvertRows = Named(new QComboBox, "cbbConvertRows");
    cbbConvertRows->addItems({"All", "Part"});
    form->addRow(Buddy("Rows:", cbbConvertRows), cbbConvertRows);
    edtConvertRows = Named(new QSpinBox, "edtConvertRows");
    edtConvertRows->setRange(0, INT_MAX);
    edtConvertRows->setAccessibleName("Row count");
    edtSkipRows = Named(new QSpinBox, "edtSkipRows");
    edtSkipRows->setRange(0, INT_MAX);
    lblSkipRows = Buddy("Skip rows:", edtSkipRows);
    lblSkipRows->setObjectName("lblSkipRows");
    form->addRow(edtConvertRows);
    form->addRow(lblSkipRows, edtSkipRows);
    chkReady = Named(new QCheckBox("Ready"), "chkReady");
    form->addRow(chkReady);
    edtErrorsToAllow = Named(new QSpinBox, "edtErrorsToAllow");
    edtErrorsToAllow->setRange(0, INT_MAX);
    form->addRow(Buddy("Errors to allow:", edtErrorsToAllow), edtErrorsToAllow);
    edtLogFile = Named(new TFileNameEdit, "edtLogFile");
    form->addRow(Buddy("Log file:", edtLogFile), edtLogFile);
    pgcConvert->addTab(options, "Options");

    tsConvert = new QWidget;
    tsConvert->setObjectName("tsConvert");
    auto* progress = new QVBoxLayout(tsConvert);
    pbConvert = Named(new QProgressBar, "pbConvert");
    lblMessage = Named(new QLabel, "lblMessage");
    lblNotify = Named(new QLabel, "lblNotify");
    lblPercent = Named(new QLabel, "lblPercent");
    memOutput = Named(new QPlainTextEdit, "memOutput");
    memOutput->setReadOnly(true);
    auto* outputLabel = Buddy("Output:", memOutput);
    for (QWidget* w :
         std::initializer_list<QWidget*>{pbConvert, lblPercent, lblMessage, lblNotify, outputLabel, memOutput})
      progress->addWidget(w);
    pgcConvert->addTab(tsConvert, "Progress");

    auto* buttons = new QHBoxLayout;
    btnConvert = Named(new QPushButton("Import"), "btnConvert");
    btnStop = Named(new QPushButton("Stop"), "btnStop");
    btnSaveSql = Named(new QPushButton("Save to Sql"), "btnSaveSql");
    for (QWidget* w : std::initializer_list<QWidget*>{btnConvert, btnStop, btnSaveSql}) buttons->addWidget(w);
    layout->addLayout(buttons);
    resize(560, 380);
  }

  TTestExecuteController& Execute() {
    return static_cast<TTestExecuteController&>(*ViewConfiguration()->ExecuteController);
  }

  QTabWidget* pgcConvert;
  QWidget* tsConvert;
  QComboBox* cbbConvertRows;
  QSpinBox *edtConvertRows, *edtSkipRows, *edtErrorsToAllow;
  QLabel *lblSkipRows, *lblMessage, *lblNotify, *lblPercent;
  QCheckBox* chkReady;
  TFileNameEdit* edtLogFile;
  QProgressBar* pbConvert;
  QPlainTextEdit* memOutput;
  QPushButton *btnConvert, *btnStop, *btnSaveSql;

 protected:
  std::unique_ptr<TConvertSession> CreateSession() override {
    return std::make_unique<TTransveyTableLoadSession>(&Pair.Source, &Pair.Dest, &Pair.SourceConvert,
                                                       &Pair.DestConvert);
  }
  std::unique_ptr<TConvertUIPackage> CreateUIPackage() override { return std::make_unique<TTestUIPackage>(); }
  std::unique_ptr<TConvertSessionViewConfiguration> CreateViewConfiguration() override {
    return std::make_unique<TTestViewConfiguration>();
  }

 private:
  template <class T>
  static T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
  }
  static QLabel* Buddy(const char* text, QWidget* control) {
    auto* label = new QLabel(text);
    label->setBuddy(control);
    return label;
  }

  TSqlitePair& Pair;
};
