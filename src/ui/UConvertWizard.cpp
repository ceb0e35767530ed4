#include "ui/UConvertWizard.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "session/UConvertSession.h"
#include "ui/UConvertSessionExecuteController.h"
#include "ui/UConvertSessionViewConfiguration.h"
#include "ui/UUIPackage.h"
#include "ui/UUiDialogs.h"

TWizardDlg::TWizardDlg(QWidget* parent)
    : QDialog(parent),
      Body(new QVBoxLayout),
      StepImage(new QLabel(this)),
      btnBack(new QPushButton("< Back", this)),
      btnNext(new QPushButton("Next >", this)),
      btnCancel(new QPushButton("Cancel", this)),
      ButtonRow(new QVBoxLayout) {
  StepImage->setObjectName("imgSteps");
  StepImage->setTextFormat(Qt::RichText);
  btnBack->setObjectName("btnBack");
  btnNext->setObjectName("btnNext");
  btnCancel->setObjectName("btnCancel");
  auto* outer = new QVBoxLayout(this);
  auto* middle = new QHBoxLayout;
  middle->addWidget(StepImage);
  middle->addLayout(Body, 1);
  outer->addLayout(middle, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {btnBack, btnNext, btnCancel}) buttons->addWidget(button);
  outer->addLayout(buttons);
  outer->addLayout(ButtonRow);
  connect(btnBack, &QPushButton::clicked, this, [this] {
    if (OnBack) OnBack(this);
  });
  connect(btnNext, &QPushButton::clicked, this, [this] {
    if (OnNext) OnNext(this);
  });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::close);
}

void TWizardDlg::SetSteps(const std::vector<std::string>& names, int current) {
  QString text;
  for (size_t i = 0; i < names.size(); ++i) {
    QString name = QString::fromStdString(names[i]).toHtmlEscaped();
    text += static_cast<int>(i) == current ? "<b>" + name + "</b>" : name;
    text += "<br>";
  }
  StepImage->setText(text);
}

void TWizardDlg::closeEvent(QCloseEvent* event) {
  bool allow = true;
  if (OnCloseDialog) OnCloseDialog(this, allow);
  if (!allow) return event->ignore();
  QDialog::closeEvent(event);
}

TConvertDlg::TConvertDlg(QWidget* parent)
    : TWizardDlg(parent),
      btnStop(new QPushButton("Stop", this)),
      btnSaveSession(new QPushButton("Save Session", this)),
      btnClose(new QPushButton("Close", this)) {
  btnStop->setObjectName("btnStop");
  btnSaveSession->setObjectName("btnSaveSession");
  btnClose->setObjectName("btnClose");
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (QPushButton* button : {btnSaveSession, btnStop, btnClose}) row->addWidget(button);
  ButtonRow->addLayout(row);
  btnNext->hide();
  btnCancel->hide();
  btnStop->setEnabled(false);
  connect(btnStop, &QPushButton::clicked, this, [this] { StopClicked(); });
  connect(btnClose, &QPushButton::clicked, this, [this] { CloseClicked(); });
  connect(btnSaveSession, &QPushButton::clicked, this, [this] {
    if (OnSaveSession) OnSaveSession();
  });
}

void TConvertDlg::BeginConvert() {
  btnBack->setEnabled(false);
  btnClose->setEnabled(false);
  btnSaveSession->setEnabled(false);
  btnStop->setEnabled(true);
}

void TConvertDlg::EndConvert() {
  btnBack->setEnabled(true);
  btnClose->setEnabled(true);
  btnSaveSession->setEnabled(true);
  btnStop->setEnabled(false);
}

void TConvertDlg::StopClicked() {
  if (OnStop) OnStop();
  if (auto* memo = findChild<QPlainTextEdit*>("memOutput")) memo->appendPlainText("Stopped");
  btnClose->setEnabled(true);
}

void TConvertDlg::CloseClicked() {
  if (!OnCloseQuery || OnCloseQuery()) close();
}

TConvertWizard::TConvertWizard() = default;

TConvertWizard::~TConvertWizard() {
  // Controllers refer to the session and the package; the dialogs hold the controls.
  FExecuteController.reset();
  FViewConfiguration.reset();
  FSession.reset();
  UIPackage.reset();
  ClosingAll = true;
  Dialogs.clear();
}

void TConvertWizard::Build() {
  Dialogs = CreateDialogs();
  UIPackage = CreateUIPackage();
  UIPackage->CreateChildren();
  InitPackage(*UIPackage);
  FSession = CreateSession();
  FViewConfiguration = CreateViewConfiguration();
  FViewConfiguration->Build();
  FViewConfiguration->SetSession(FSession.get());
  FViewConfiguration->InitUI(UIPackage.get());
  FExecuteController = CreateExecuteController();
  FExecuteController->SetSession(FSession.get());
  FExecuteController->InitByUIPackage(UIPackage->ConvertExecuteUIPackage.get());
  std::vector<std::string> steps = StepNames();
  for (int i = 0; i < DialogCount(); ++i) Dialog(i)->SetSteps(steps, i);
  for (auto& dialog : Dialogs) {
    dialog->OnNext = [this](TWizardDlg* sender) { Next(IndexOf(sender)); };
    dialog->OnBack = [this](TWizardDlg* sender) { Back(IndexOf(sender)); };
    dialog->OnCloseDialog = [this](TWizardDlg* sender, bool& allow) { DialogClosing(sender, allow); };
  }
  Dialog(0)->btnBack->setEnabled(false);
  TConvertDlg* last = LastDialog();
  last->OnStop = [this] { FExecuteController->Cancel(this); };
  last->OnSaveSession = [this] {
    try {
      FViewConfiguration->SaveSession();
    } catch (const std::exception& e) {
      UiShowMessage(ExceptionMessage(e));
    }
  };
  last->OnCloseQuery = [this] {
    if (IsRunning()) {
      UiShowMessage(RunningCloseText);
      return false;
    }
    return FViewConfiguration->CloseQuery();
  };
}

int TConvertWizard::Show() { return Dialog(0)->exec(); }

TConvertDlg* TConvertWizard::LastDialog() const {
  return Dialogs.empty() ? nullptr : dynamic_cast<TConvertDlg*>(Dialogs.back().get());
}

int TConvertWizard::IndexOf(TWizardDlg* dialog) const {
  for (size_t i = 0; i < Dialogs.size(); ++i)
    if (Dialogs[i].get() == dialog) return static_cast<int>(i);
  return -1;
}

bool TConvertWizard::IsRunning() const { return FExecuteController && FExecuteController->IsRunning(); }

void TConvertWizard::Next(int page) {
  if (page < 0 || page + 1 >= DialogCount() || IsRunning()) return;
  for (TDataConvertController* controller : PageControllers(page))
    if (!ValidateControllerTree(*controller)) return;
  TWizardDlg* next = Dialog(page + 1);
  next->show();
  next->raise();
  next->activateWindow();
  Dialog(page)->hide();
  if (page + 2 == DialogCount()) Run();
}

void TConvertWizard::Back(int page) {
  if (page <= 0 || IsRunning()) return;
  Dialog(page - 1)->show();
  Dialog(page)->hide();
}

void TConvertWizard::Run() {
  TConvertDlg* last = LastDialog();
  FViewConfiguration->ViewToModelAll();
  last->BeginConvert();
  try {
    FExecuteController->Run(this);
  } catch (const std::exception& e) {
    last->EndConvert();
    UiShowMessage(ExceptionMessage(e));
    return;
  }
  last->EndConvert();
}

void TConvertWizard::DialogClosing(TWizardDlg* sender, bool& allow) {
  if (ClosingAll) return;
  if (IsRunning()) {
    UiShowMessage(TConvertWizard::RunningCloseText);
    allow = false;
    return;
  }
  ClosingAll = true;
  for (auto& dialog : Dialogs)
    if (dialog.get() != sender) dialog->close();
  ClosingAll = false;
}
