#pragma once

#include <QPointer>
#include <functional>
#include <string>
#include <vector>

class QObject;

// Attaches to a package's controls, hears their changes and can silence them while the
// program writes into them, so only a user's edits reach the controllers.
class TDataConvertView {
 public:
  using TChangeEvent = std::function<void(TDataConvertView* sender)>;

  virtual ~TDataConvertView() = default;

  // Back to the state of a new window; a view calls it once it has attached.
  virtual void Reset() {}
  // False after telling the user what is wrong and focusing the control at fault.
  virtual bool Validate() { return true; }

  // Key control name + "." + eventName; the control's signals are silenced with the
  // others between DisableEvents and EnableEvents.
  void RegisterEvent(QObject* control, const std::string& eventName);
  // Silences every registered control. Again before EnableEvents: nothing more, so
  // EnableEvents still restores what was in force before the first call.
  void DisableEvents();
  void EnableEvents();
  bool EventsDisabled() const { return Disabled; }
  std::vector<std::string> EventKeys() const;

  TChangeEvent OnChange;

 protected:
  void DoChange() {
    if (OnChange) OnChange(this);
  }

 private:
  struct TRegisteredEvent {
    std::string Key;
    QPointer<QObject> Control;
    bool WasBlocked = false;  // before the first DisableEvents
  };
  std::vector<TRegisteredEvent> Events;
  bool Disabled = false;
};

// Silences a view's controls for one scope.
class TViewEventsSilencer {
 public:
  explicit TViewEventsSilencer(TDataConvertView* view) : View(view), WasDisabled(view && view->EventsDisabled()) {
    if (View) View->DisableEvents();
  }
  ~TViewEventsSilencer() {
    if (View && !WasDisabled) View->EnableEvents();
  }
  TViewEventsSilencer(const TViewEventsSilencer&) = delete;
  TViewEventsSilencer& operator=(const TViewEventsSilencer&) = delete;

 private:
  TDataConvertView* View;
  bool WasDisabled;
};
