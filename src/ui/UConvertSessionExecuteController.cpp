#include "ui/UConvertSessionExecuteController.h"

#include <QCoreApplication>

#include "session/UConvertSession.h"
#include "session/USessionExecutor.h"
#include "ui/UUIPackage.h"

TConvertSessionExecuteController::TConvertSessionExecuteController()
    : FOutputer(std::make_unique<TProgressConvertOutputer>()), FExecutor(std::make_unique<TConvertSessionExecutor>()) {
  FExecutor->SetOutputer(FOutputer.get());
  FExecutor->Converter().ProcessEvents = [this] { HandleEvents(); };
}

TConvertSessionExecuteController::~TConvertSessionExecuteController() = default;

void TConvertSessionExecuteController::Stop() {
  if (Running) FExecutor->Stop();
}

void TConvertSessionExecuteController::SetSession(TConvertSession* session) {
  Session = session;
  FExecutor->SetSession(session);
}

void TConvertSessionExecuteController::SetLogSink(TLogSink* sink) { FExecutor->SetLogSink(sink); }

void TConvertSessionExecuteController::Run(void*) {
  if (Running) return;
  FLastRunSucceeded = false;
  Execute();
}

void TConvertSessionExecuteController::Cancel(void*) { Stop(); }

void TConvertSessionExecuteController::InitUI() {
  auto& package = CastPackage<TConvertExecuteUIPackage>(UIPackage);
  TOutputUIPackage& output = *package.OutputUIPackage;
  FOutputer->Bind(output.pbConvert, output.lblMessage, output.lblNotify, output.lblPercent, output.memOutput);
}

void TConvertSessionExecuteController::HandleEvents() {
  auto now = std::chrono::steady_clock::now();
  if (now - LastEvents < EventInterval) return;
  LastEvents = now;
  if (ProcessEventsNow)
    ProcessEventsNow();
  else
    QCoreApplication::processEvents();
}

bool TConvertSessionExecuteController::RunSession() {
  struct TRunning {
    bool& Flag;
    explicit TRunning(bool& flag) : Flag(flag) { Flag = true; }
    ~TRunning() { Flag = false; }
  } running(Running);
  FOutputer->Reset();
  FOutputer->SetLogFile(Session && Session->ConvertOptions ? Session->ConvertOptions->LogFile : "");
  LastEvents = std::chrono::steady_clock::now();
  bool result = FExecutor->Execute();
  // Code 3 is a run that failed, was stopped or went past its error limit; rows
  // refused within the limit still make a complete run.
  FLastRunSucceeded = result && FExecutor->ResultCode != 3;
  // The last rows' progress and whatever the user did meanwhile are shown now.
  LastEvents = {};
  HandleEvents();
  return result;
}
