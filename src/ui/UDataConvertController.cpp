#include "ui/UDataConvertController.h"

#include "base/UExceptions.h"
#include "session/UConvertOptions.h"
#include "ui/UUIPackage.h"

TDataConvertController::~TDataConvertController() {
  // The model outlives the window's controllers: it must not call a freed one.
  if (Model) Model->OnChange = nullptr;
}

void TDataConvertController::InitUIForSubControllers() {
  if (!FSubControllers.empty()) throw Exception("Should inherited InitUIForSubControllers for " + ClassNameOf(*this));
}

void TDataConvertController::SetModel(TDataConvertModel* model) {
  if (Model && Model != model) Model->OnChange = nullptr;
  Model = model;
  if (Model) Model->OnChange = [this](TDataConvertModel* sender) { HandleModelChange(sender); };
}

void TDataConvertController::InitData() {
  for (auto& sub : FSubControllers) sub->InitData();
}

void TDataConvertController::InitByUIPackage(TPartUIPackage* package) {
  UIPackage = package;
  InitUI();
  if (View) View->OnChange = [this](TDataConvertView* sender) { HandleViewChange(sender); };
  InitUIForSubControllers();
}

void TDataConvertController::HandleViewChange(void* sender) {
  ViewToModel();
  ViewChanged(sender);
}

void TDataConvertController::HandleModelChange(void* sender) {
  ModelChanged(sender);
  ModelToView();
  DoChange(sender);
}
