#include "ui/UAccessibility.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QTabWidget>
#include <QTextEdit>

#include "ui/UFileNameEdit.h"

namespace {
std::string NameOf(const QWidget* widget) {
  return widget->objectName().isEmpty() ? widget->metaObject()->className() : widget->objectName().toStdString();
}

bool IsInput(const QWidget* widget) {
  return qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget) ||
         qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
         qobject_cast<const QTextEdit*>(widget);
}
}  // namespace

std::vector<std::string> UnnamedInputControls(QWidget* window) {
  QSet<const QWidget*> buddies;
  for (QLabel* label : window->findChildren<QLabel*>())
    if (label->buddy() && !label->text().isEmpty()) {
      buddies.insert(label->buddy());
      // A label for a composite control names the part that takes the focus too.
      if (label->buddy()->focusProxy()) buddies.insert(label->buddy()->focusProxy());
    }
  std::vector<std::string> unnamed;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!IsInput(widget)) continue;
    // The line edit inside a spin box or an editable combo is named through its owner.
    if (qobject_cast<QAbstractSpinBox*>(widget->parentWidget()) || qobject_cast<QComboBox*>(widget->parentWidget()))
      continue;
    if (buddies.contains(widget) || !widget->accessibleName().isEmpty()) continue;
    if (auto* owner = qobject_cast<TFileNameEdit*>(widget->parentWidget()); owner && buddies.contains(owner)) continue;
    unnamed.push_back(NameOf(widget));
  }
  return unnamed;
}

std::vector<std::string> UncaptionedButtonsAndPages(QWidget* window) {
  std::vector<std::string> uncaptioned;
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    // Qt's own helpers (the overflow buttons of menu and tool bars) name themselves.
    if (button->objectName().startsWith("qt_")) continue;
    if (button->text().isEmpty() && button->accessibleName().isEmpty()) uncaptioned.push_back(NameOf(button));
  }
  for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->tabText(i).isEmpty()) uncaptioned.push_back(NameOf(tabs->widget(i)));
  return uncaptioned;
}
