#include "ui/UConvertControllers.h"

#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "session/UConvertOptions.h"
#include "ui/UFileNameEdit.h"
#include "ui/UUIPackage.h"
#include "ui/UUiDialogs.h"

namespace {
int ClampToSpin(int64_t value, const QSpinBox* spin) {
  int64_t low = spin->minimum(), high = spin->maximum();
  return static_cast<int>(value < low ? low : value > high ? high : value);
}
}  // namespace

TConvertRowsSelectView::TConvertRowsSelectView(TConvertRowsSelectUIPackage& package)
    : cbbConvertRows(package.cbbConvertRows),
      edtConvertRows(package.edtConvertRows),
      edtSkipRows(package.edtSkipRows),
      lblSkipRows(package.lblSkipRows) {
  RegisterEvent(cbbConvertRows, "OnChange");
  RegisterEvent(edtConvertRows, "OnChange");
  // The skip count too: a load writes it after the others, and its change must not
  // copy a half-written view back into the options.
  RegisterEvent(edtSkipRows, "OnChange");
  QObject::connect(cbbConvertRows, &QComboBox::currentIndexChanged, &Receiver, [this](int index) {
    ShowPartControls(index != 0);
    DoChange();
  });
  QObject::connect(edtConvertRows, &QSpinBox::valueChanged, &Receiver, [this] { DoChange(); });
  QObject::connect(edtSkipRows, &QSpinBox::valueChanged, &Receiver, [this] { DoChange(); });
  Reset();
}

TConvertRowsSelectView::~TConvertRowsSelectView() = default;

void TConvertRowsSelectView::Reset() {
  TViewEventsSilencer silence(this);
  cbbConvertRows->setCurrentIndex(0);
  ShowPartControls(false);
}

void TConvertRowsSelectView::ShowPartControls(bool show) {
  edtConvertRows->setVisible(show);
  edtSkipRows->setVisible(show);
  lblSkipRows->setVisible(show);
}

TConvertRowsSelectOptions* TConvertRowsSelectController::Options() const {
  return static_cast<TConvertRowsSelectOptions*>(Model);
}

void TConvertRowsSelectController::InitUI() {
  View = std::make_unique<TConvertRowsSelectView>(CastPackage<TConvertRowsSelectUIPackage>(UIPackage));
}

void TConvertRowsSelectController::ViewToModel() {
  auto* options = Options();
  auto* view = RowsView();
  if (!options || !view) return;
  options->LoadRowsType = view->cbbConvertRows->currentText().toStdString();
  options->LoadRows = options->LoadRowsType == "All" ? 0 : view->edtConvertRows->value();
  options->SkipRows = view->edtSkipRows->value();
}

void TConvertRowsSelectController::ModelToView() {
  auto* options = Options();
  auto* view = RowsView();
  if (!options || !view) return;
  TViewEventsSilencer silence(view);
  view->cbbConvertRows->setCurrentIndex(view->cbbConvertRows->findText(QString::fromStdString(options->LoadRowsType)));
  if (options->IsPartRows()) view->ShowPartControls(true);
  view->edtConvertRows->setValue(ClampToSpin(options->LoadRows, view->edtConvertRows));
  view->edtSkipRows->setValue(ClampToSpin(options->SkipRows, view->edtSkipRows));
}

TSourceController::TSourceController()
    : RowsSelectController(AddSubController(std::make_unique<TConvertRowsSelectController>())) {}

TSourceOptions* TSourceController::SourceOptions() const { return static_cast<TSourceOptions*>(Model); }

void TSourceController::SetModel(TDataConvertModel* model) {
  TDataConvertController::SetModel(model);
  auto* source = dynamic_cast<TSourceOptions*>(model);
  RowsSelectController->SetModel(source ? &source->RowsSelect : nullptr);
}

void TSourceController::InitUIForSubControllers() {
  auto& package = CastPackage<TSourceUIPackage>(UIPackage);
  RowsSelectController->InitByUIPackage(package.ConvertRowsSelectUIPackage.get());
}

std::string CheckLogFileWritable(const std::string& fileName) {
  errno = 0;
  std::FILE* file = std::fopen(fileName.c_str(), "ab");
  if (!file) return std::strerror(errno ? errno : EIO);
  std::fclose(file);
  return "";
}

TConvertMiscView::TConvertMiscView(TConvertMiscUIPackage& package)
    : edtErrorsToAllow(package.edtErrorsToAllow), edtLogFile(package.edtLogFile) {
  edtLogFile->SetTypingAllowed(false);
  RegisterEvent(edtErrorsToAllow, "OnChange");
  RegisterEvent(edtLogFile, "OnChange");
  QObject::connect(edtErrorsToAllow, &QSpinBox::valueChanged, &Receiver, [this] { DoChange(); });
  QObject::connect(edtLogFile, &TFileNameEdit::fileNameChanged, &Receiver, [this] { LogFileChanged(); });
  Reset();
}

TConvertMiscView::~TConvertMiscView() = default;

void TConvertMiscView::LogFileChanged() {
  std::string name = edtLogFile->FileName();
  if (!name.empty()) {
    std::string reason = CheckLogFileWritable(name);
    if (!reason.empty()) {
      UiShowMessage("Can not create log file \"" + name + "\": " + reason + ", please select another file.");
      TViewEventsSilencer silence(this);
      edtLogFile->SetFileName("");
    }
  }
  DoChange();
}

TConvertOptions* TConvertMiscController::Options() const { return static_cast<TConvertOptions*>(Model); }

void TConvertMiscController::InitUI() {
  View = std::make_unique<TConvertMiscView>(CastPackage<TConvertMiscUIPackage>(UIPackage));
}

void TConvertMiscController::ViewToModel() {
  auto* options = Options();
  auto* view = MiscView();
  if (!options || !view) return;
  options->ErrorsToAllow = view->edtErrorsToAllow->value();
  options->LogFile = view->edtLogFile->FileName();
}

void TConvertMiscController::ModelToView() {
  auto* options = Options();
  auto* view = MiscView();
  if (!options || !view) return;
  TViewEventsSilencer silence(view);
  view->edtErrorsToAllow->setValue(ClampToSpin(options->ErrorsToAllow, view->edtErrorsToAllow));
  view->edtLogFile->SetFileName(options->LogFile);
}
