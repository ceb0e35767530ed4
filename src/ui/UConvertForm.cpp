#include "ui/UConvertForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>

#include "session/UConvertSession.h"
#include "ui/UConvertSessionExecuteController.h"
#include "ui/UConvertSessionViewConfiguration.h"
#include "ui/UUIPackage.h"
#include "ui/UUiDialogs.h"

TConvertForm::TConvertForm(QWidget* parent) : QWidget(parent) {}

TConvertForm::~TConvertForm() { DoneForm(); }

void TConvertForm::InitForm() {
  ConvertUIPackage = CreateUIPackage();
  ConvertUIPackage->CreateChildren();
  ConvertUIPackage->InitByForm(this);
  FSession = CreateSession();
  FViewConfiguration = CreateViewConfiguration();
  FViewConfiguration->Build();
  FViewConfiguration->SetSessionManager(SessionManager);
  FViewConfiguration->SetLogSink(LogSink);
  FViewConfiguration->SetSession(FSession.get());
  FViewConfiguration->InitUI(ConvertUIPackage.get());

  TConvertExecuteUIPackage& execute = *ConvertUIPackage->ConvertExecuteUIPackage;
  connect(execute.btnConvert, &QPushButton::clicked, this, [this] { RunAction([this] { Convert(); }); });
  connect(execute.btnStop, &QPushButton::clicked, this, [this] { RunAction([this] { Stop(); }); });
  execute.EndConvert();
}

void TConvertForm::DoneForm() {
  // The configuration's controllers refer to the session and the package: they go first.
  FViewConfiguration.reset();
  FSession.reset();
  ConvertUIPackage.reset();
}

void TConvertForm::RunAction(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    UiShowMessage(ExceptionMessage(e));
  }
}

bool TConvertForm::IsRunning() const { return FViewConfiguration && FViewConfiguration->IsRunning(); }

void TConvertForm::Convert() {
  if (!FViewConfiguration || IsRunning()) return;
  if (!FViewConfiguration->ValidateAll()) return;
  FViewConfiguration->ViewToModelAll();
  BeforeConvert();
  try {
    FViewConfiguration->Execute();
  } catch (...) {
    AfterConvert();
    FinishPendingDelete();
    throw;
  }
  AfterConvert();
  FinishPendingDelete();
}

void TConvertForm::FinishPendingDelete() {
  if (!DeletePending) return;
  // Not deleteLater again: the framework drops a second request for the same object
  // once one was made. The event loop frees the window, off this call's stack.
  QMetaObject::invokeMethod(
      this, [this] { delete this; }, Qt::QueuedConnection);
}

void TConvertForm::BeforeConvert() {
  ConvertUIPackage->BeginConvert();
  UiSetApplicationTitle("Ferrovan - Converting");
}

void TConvertForm::AfterConvert() {
  if (Closing) return;
  ConvertUIPackage->EndConvert();
  bool succeeded = FViewConfiguration && FViewConfiguration->ExecuteController &&
                   FViewConfiguration->ExecuteController->LastRunSucceeded();
  UiSetApplicationTitle(succeeded ? "Ferrovan - Convert Complete" : "Ferrovan - Convert Failed");
  repaint();
  QApplication::alert(window());
}

void TConvertForm::Stop() {
  if (!FViewConfiguration) return;
  FViewConfiguration->Stop(this);
  UiSetApplicationTitle("FerrovanConvert Stop");
}

bool TConvertForm::SaveSession() { return FViewConfiguration && FViewConfiguration->SaveSession(); }

void TConvertForm::LoadSession(const std::string& fileName) { FViewConfiguration->LoadSession(fileName); }

std::string TConvertForm::GetSessionFileName() const { return FSession ? FSession->FileName : ""; }

std::string TConvertForm::GetActiveFileName() {
  // Copying the controls into a session that is running would change it under the run.
  if (!IsRunning()) SaveSession();
  return GetSessionFileName();
}

bool TConvertForm::CloseQuery() {
  if (IsRunning()) {
    UiShowMessage(RunningCloseText);
    return false;
  }
  return !FViewConfiguration || FViewConfiguration->CloseQuery();
}

void TConvertForm::closeEvent(QCloseEvent* event) {
  Closing = CloseQuery();
  if (Closing)
    event->accept();
  else
    event->ignore();
}

bool TConvertForm::event(QEvent* event) {
  if (event->type() == QEvent::DeferredDelete && IsRunning()) {
    DeletePending = true;
    Stop();
    return true;
  }
  return QWidget::event(event);
}
