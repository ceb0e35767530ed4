#include "ui/UDataConvertView.h"

#include <QObject>

void TDataConvertView::RegisterEvent(QObject* control, const std::string& eventName) {
  if (!control) return;
  Events.push_back({control->objectName().toStdString() + "." + eventName, control, control->signalsBlocked()});
}

void TDataConvertView::DisableEvents() {
  if (Disabled) return;
  Disabled = true;
  for (auto& event : Events)
    if (event.Control) event.WasBlocked = event.Control->signalsBlocked();
  for (auto& event : Events)
    if (event.Control) event.Control->blockSignals(true);
}

void TDataConvertView::EnableEvents() {
  if (!Disabled) return;
  Disabled = false;
  // In reverse, so a control registered under several events ends with the state its
  // first entry saved, the one from before any of them blocked it.
  for (auto it = Events.rbegin(); it != Events.rend(); ++it)
    if (it->Control) it->Control->blockSignals(it->WasBlocked);
}

std::vector<std::string> TDataConvertView::EventKeys() const {
  std::vector<std::string> keys;
  for (const auto& event : Events) keys.push_back(event.Key);
  return keys;
}
