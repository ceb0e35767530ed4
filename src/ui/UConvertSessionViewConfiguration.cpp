#include "ui/UConvertSessionViewConfiguration.h"

#include "session/UConvertSession.h"
#include "session/USessionManager.h"
#include "ui/UConvertControllers.h"
#include "ui/UConvertSessionExecuteController.h"
#include "ui/UUIPackage.h"
#include "ui/UUiDialogs.h"

namespace {

void ModelToViewOf(TDataConvertController& controller) {
  controller.CheckModel();
  if (!controller.ModelValid) return;
  controller.ModelToView();
  controller.AfterModelToView();
  for (auto& sub : controller.SubControllers()) ModelToViewOf(*sub);
}

void ViewToModelOf(TDataConvertController& controller) {
  for (auto& sub : controller.SubControllers()) ViewToModelOf(*sub);
  controller.ViewToModel();
}

}  // namespace

bool ValidateControllerTree(TDataConvertController& controller) {
  if (controller.GetView() && !controller.GetView()->Validate()) return false;
  if (!controller.Validate()) return false;
  for (auto& sub : controller.SubControllers())
    if (!ValidateControllerTree(*sub)) return false;
  return true;
}

void TConvertSessionFormMapper::ModelToViewAll() {
  for (auto* controller : Controllers) ModelToViewOf(*controller);
}

void TConvertSessionFormMapper::ViewToModelAll() {
  for (auto* controller : Controllers) ViewToModelOf(*controller);
}

bool TConvertSessionFormMapper::ValidateAll() {
  for (auto* controller : Controllers)
    if (!ValidateControllerTree(*controller)) return false;
  return true;
}

void TConvertSessionFormMapper::InitDataAll() {
  for (auto* controller : Controllers) controller->InitData();
}

bool TConvertSessionSaveLoadAgent::CloseQuery() {
  bool wantsSave = false;
  try {
    Mapper.ViewToModelAll();
    wantsSave = Session && TSessionSaver::AskSave(*Session, [](const std::string& text) { return UiAskYesNo(text); });
  } catch (const std::exception&) {
    // Nothing was asked: the window closes as it would without changes.
    return true;
  }
  if (!wantsSave) return true;
  if (!Mapper.ValidateAll()) return false;
  try {
    if (!SessionManager || !SessionManager->SaveSession(*Session)) return false;
    // A cancelled save of a session that had a file still finds that file.
    return !Session->IsChanged();
  } catch (const std::exception& e) {
    UiShowMessage(ExceptionMessage(e));
    return false;
  }
}

bool TConvertSessionSaveLoadAgent::SaveSession() {
  if (!Mapper.ValidateAll()) return false;
  Mapper.ViewToModelAll();
  return Session && SessionManager && SessionManager->SaveSession(*Session);
}

void TConvertSessionSaveLoadAgent::LoadSession(const std::string& fileName) {
  // A session that could not be read must not take the file's name: a later save
  // would overwrite the file with what the window holds.
  std::string previous = Session->FileName;
  try {
    Session->LoadFromFile(fileName);
  } catch (...) {
    Session->FileName = previous;
    throw;
  }
  Mapper.ModelToViewAll();
}

TConvertSessionViewConfiguration::TConvertSessionViewConfiguration() = default;
TConvertSessionViewConfiguration::~TConvertSessionViewConfiguration() = default;

void TConvertSessionViewConfiguration::Build() {
  if (!Controllers.empty()) return;
  auto source = CreateSourceController();
  auto dest = CreateDestController();
  auto execute = CreateExecuteController();
  auto misc = std::make_unique<TConvertMiscController>();
  SourceController = AddController(std::move(source));
  DestController = AddController(std::move(dest));
  ExecuteController = AddController(std::move(execute));
  MiscController = AddController(std::move(misc));
  CreateExtraControllers();
  for (auto& controller : Controllers) Mapper.Register(controller.get());
  ConnectEvents();
}

void TConvertSessionViewConfiguration::SetSession(TConvertSession* session) {
  Session = session;
  Agent.Session = session;
  ExecuteController->SetSession(session);
  SourceController->SetModel(session->SourceOptions.get());
  SetDestModel(*session);
  MiscController->SetModel(session->ConvertOptions.get());
}

void TConvertSessionViewConfiguration::SetDestModel(TConvertSession& session) {
  DestController->SetModel(session.DestOptions.get());
}

void TConvertSessionViewConfiguration::InitUI(TConvertUIPackage* package) {
  UIPackage = package;
  SourceController->InitByUIPackage(package->SourceUIPackage.get());
  DestController->InitByUIPackage(package->DestUIPackage.get());
  ExecuteController->InitByUIPackage(package->ConvertExecuteUIPackage.get());
  MiscController->InitByUIPackage(package->MiscUIPackage.get());
  Mapper.InitDataAll();
}

void TConvertSessionViewConfiguration::Execute() { ExecuteController->Run(this); }

void TConvertSessionViewConfiguration::Stop(void* sender) { ExecuteController->Cancel(sender); }

bool TConvertSessionViewConfiguration::IsRunning() const { return ExecuteController && ExecuteController->IsRunning(); }

void TConvertSessionViewConfiguration::SetLogSink(TLogSink* sink) {
  if (ExecuteController) ExecuteController->SetLogSink(sink);
}
