#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/UDataConvertView.h"

class TDataConvertModel;
class TPartUIPackage;

// Binds one options object (its model) to one view: copies values both ways,
// validates, and raises its own change event. Sub-controllers mirror the options'
// sub-objects and are owned.
class TDataConvertController {
 public:
  using TChangeEvent = std::function<void(void* sender)>;

  TDataConvertController() = default;
  virtual ~TDataConvertController();
  TDataConvertController(const TDataConvertController&) = delete;
  TDataConvertController& operator=(const TDataConvertController&) = delete;

  virtual void ModelChanged(void*) {}
  virtual void ViewChanged(void*) {}
  virtual void ViewToModel() {}
  virtual void ModelToView() {}
  // Whether the model may be shown; ModelValid holds the answer.
  virtual void CheckModel() { ModelValid = true; }
  virtual void AfterModelToView() {}
  // Creates the view from the package.
  virtual void InitUI() {}
  // Hands the sub-packages to the sub-controllers: a controller with any must say how.
  virtual void InitUIForSubControllers();
  virtual bool Validate() { return true; }
  // Keeps model and hears its changes.
  virtual void SetModel(TDataConvertModel* model);
  // Fills lists once the whole window is bound; the base passes it on.
  virtual void InitData();

  // Keeps package, InitUI, hears the view (if one was made), InitUIForSubControllers.
  void InitByUIPackage(TPartUIPackage* package);
  // ViewToModel, then ViewChanged.
  void HandleViewChange(void* sender);
  // ModelChanged, ModelToView, then OnChange.
  void HandleModelChange(void* sender);

  TDataConvertView* GetView() const { return View.get(); }
  TDataConvertModel* GetModel() const { return Model; }
  TPartUIPackage* GetUIPackage() const { return UIPackage; }
  const std::vector<std::unique_ptr<TDataConvertController>>& SubControllers() const { return FSubControllers; }

  TChangeEvent OnChange;
  bool ModelValid = false;

 protected:
  void DoChange(void* sender) {
    if (OnChange) OnChange(sender);
  }
  template <class T>
  T* AddSubController(std::unique_ptr<T> controller) {
    T* raw = controller.get();
    FSubControllers.push_back(std::move(controller));
    return raw;
  }

  TPartUIPackage* UIPackage = nullptr;
  TDataConvertModel* Model = nullptr;
  std::unique_ptr<TDataConvertView> View;

 private:
  std::vector<std::unique_ptr<TDataConvertController>> FSubControllers;
};
