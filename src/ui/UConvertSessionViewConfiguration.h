#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/UDataConvertController.h"

class TConvertSession;
class TConvertUIPackage;
class TConvertSessionExecuteController;
class TConvertMiscController;
class TSessionManager;
class TLogSink;

// The validation walk over one controller and its sub-controllers: false at the first
// view or controller that refuses.
bool ValidateControllerTree(TDataConvertController& controller);

// The walks over a window's top-level controllers, in the order they were registered.
class TConvertSessionFormMapper {
 public:
  void Register(TDataConvertController* controller) { Controllers.push_back(controller); }

  // After a load: each controller whose model passes CheckModel shows it, then its
  // sub-controllers do the same; one that fails is skipped with all below it.
  void ModelToViewAll();
  // Before every run and save: sub-controllers first, then the controller itself.
  void ViewToModelAll();
  // False at the first view or controller that refuses (it has told the user).
  bool ValidateAll();
  void InitDataAll();

  const std::vector<TDataConvertController*>& GetControllers() const { return Controllers; }

 private:
  std::vector<TDataConvertController*> Controllers;
};

// The window's close check, save and load.
class TConvertSessionSaveLoadAgent {
 public:
  TConvertSessionSaveLoadAgent(TConvertSessionFormMapper& mapper) : Mapper(mapper) {}

  // True when the window may close. A changed session is offered for saving; when the
  // user wants it saved, the window stays open unless the save went through, so a
  // failed or cancelled save never loses the edits.
  bool CloseQuery();
  // Validates, copies the controls into the session and saves it through the session
  // manager; true when saved. Errors of the save pass to the caller.
  bool SaveSession();
  // The session's values from fileName, then shown; errors pass to the caller.
  void LoadSession(const std::string& fileName);

  TConvertSession* Session = nullptr;
  TSessionManager* SessionManager = nullptr;

 private:
  TConvertSessionFormMapper& Mapper;
};

// Creates a window's controllers, binds them to its session and its package, and
// gives the window the few operations it needs.
class TConvertSessionViewConfiguration {
 public:
  TConvertSessionViewConfiguration();
  virtual ~TConvertSessionViewConfiguration();
  TConvertSessionViewConfiguration(const TConvertSessionViewConfiguration&) = delete;
  TConvertSessionViewConfiguration& operator=(const TConvertSessionViewConfiguration&) = delete;

  // Creates the controllers through the factories and wires them; once, after
  // construction (a constructor cannot reach the overrides).
  void Build();

  virtual void SetSession(TConvertSession* session);
  virtual void InitUI(TConvertUIPackage* package);

  bool ValidateAll() { return Mapper.ValidateAll(); }
  void ViewToModelAll() { Mapper.ViewToModelAll(); }
  bool CloseQuery() { return Agent.CloseQuery(); }
  bool SaveSession() { return Agent.SaveSession(); }
  void LoadSession(const std::string& fileName) { Agent.LoadSession(fileName); }
  void Execute();
  void Stop(void* sender);
  bool IsRunning() const;

  void SetSessionManager(TSessionManager* manager) { Agent.SessionManager = manager; }
  void SetLogSink(TLogSink* sink);

  TConvertSessionFormMapper& FormMapper() { return Mapper; }
  TDataConvertController* SourceController = nullptr;
  TDataConvertController* DestController = nullptr;
  TConvertSessionExecuteController* ExecuteController = nullptr;
  TConvertMiscController* MiscController = nullptr;

 protected:
  virtual void ConnectEvents() = 0;
  virtual std::unique_ptr<TDataConvertController> CreateSourceController() = 0;
  virtual std::unique_ptr<TDataConvertController> CreateDestController() = 0;
  virtual std::unique_ptr<TConvertSessionExecuteController> CreateExecuteController() = 0;
  virtual void CreateExtraControllers() {}
  // The destination controller's model; a descendant whose destination side needs
  // the source names as well hands them over here.
  virtual void SetDestModel(TConvertSession& session);
  // For CreateExtraControllers: the configuration owns controller and walks it last.
  template <class T>
  T* AddController(std::unique_ptr<T> controller) {
    T* raw = controller.get();
    Controllers.push_back(std::move(controller));
    return raw;
  }

  TConvertSession* Session = nullptr;
  TConvertUIPackage* UIPackage = nullptr;

 private:
  std::vector<std::unique_ptr<TDataConvertController>> Controllers;
  TConvertSessionFormMapper Mapper;
  TConvertSessionSaveLoadAgent Agent{Mapper};
};
