#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <typeinfo>

#include "base/UExceptions.h"

class QComboBox;
class QSpinBox;
class QLabel;
class QProgressBar;
class QPlainTextEdit;
class QTabWidget;
class QPushButton;
class TFileNameEdit;

// The class name of an object as the framework's error texts show it.
std::string ClassNameOf(const std::type_info& type);
template <class T>
std::string ClassNameOf(const T& object) {
  return ClassNameOf(typeid(object));
}

// The name a window is known by in the lookup errors: its object name, else its class.
std::string WindowName(const QWidget* form);

// The control named name in form, of kind T. Absent: "Can not find ..."; present but of
// another kind: an invalid-cast error naming both kinds.
template <class T>
T* FindRequired(QWidget* form, const char* name);
// The same, but an absent control is nullptr (a control of another kind still fails).
template <class T>
T* FindOptional(QWidget* form, const char* name);

// Finds a window's controls by their object names and keeps typed references to them.
class TUIPackage {
 public:
  TUIPackage() = default;
  virtual ~TUIPackage() = default;
  TUIPackage(const TUIPackage&) = delete;
  TUIPackage& operator=(const TUIPackage&) = delete;

  // Binds the package to the controls of one window or dialog (a wizard binds its
  // sub-packages to different dialogs).
  virtual void InitByForm(QWidget*) {}
};

// The base of every package a controller is initialised with.
class TPartUIPackage : public TUIPackage {};

// A package handed to a controller as TPartUIPackage, as the class the controller needs.
template <class T>
T& CastPackage(TPartUIPackage* package) {
  if (auto* typed = dynamic_cast<T*>(package)) return *typed;
  throw Exception("Cast Error: TPartUIPackage to " + ClassNameOf(typeid(T)) +
                  ", Real type: " + (package ? ClassNameOf(*package) : std::string("nil")));
}

class TConvertRowsSelectUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QComboBox* cbbConvertRows = nullptr;
  QSpinBox* edtConvertRows = nullptr;
  QSpinBox* edtSkipRows = nullptr;
  QLabel* lblSkipRows = nullptr;
};

class TConvertMiscUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QSpinBox* edtErrorsToAllow = nullptr;
  TFileNameEdit* edtLogFile = nullptr;
};

class TOutputUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QProgressBar* pbConvert = nullptr;
  QLabel* lblMessage = nullptr;
  QLabel* lblNotify = nullptr;
  QLabel* lblPercent = nullptr;
  QPlainTextEdit* memOutput = nullptr;
};

// The run controls: while a run goes, Convert is off and Stop on.
class TConvertExecuteUIPackage : public TPartUIPackage {
 public:
  TConvertExecuteUIPackage();
  void InitByForm(QWidget* form) override;
  // Shows the output page, disables Convert and enables Stop.
  virtual void BeginConvert();
  virtual void EndConvert();

  std::unique_ptr<TOutputUIPackage> OutputUIPackage;
  QTabWidget* pgcConvert = nullptr;
  QWidget* tsConvert = nullptr;
  QPushButton* btnConvert = nullptr;
  QPushButton* btnStop = nullptr;
};

class TLoadExecuteUIPackage : public TConvertExecuteUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  void BeginConvert() override;
  void EndConvert() override;
  QPushButton* btnSaveSql = nullptr;
};

// The base of the source packages: the row selection of every source.
class TSourceUIPackage : public TPartUIPackage {
 public:
  TSourceUIPackage();
  void InitByForm(QWidget* form) override;
  std::unique_ptr<TConvertRowsSelectUIPackage> ConvertRowsSelectUIPackage;
};

// The package of a whole window: source, destination, run options and run controls.
class TConvertUIPackage : public TUIPackage {
 public:
  TConvertUIPackage();
  // Creates the children through the factories; call once after construction (a
  // constructor cannot reach the overrides).
  void CreateChildren();
  void InitByForm(QWidget* form) override;
  void BeginConvert();
  void EndConvert();

  std::unique_ptr<TSourceUIPackage> SourceUIPackage;
  std::unique_ptr<TPartUIPackage> DestUIPackage;
  std::unique_ptr<TConvertMiscUIPackage> MiscUIPackage;
  std::unique_ptr<TConvertExecuteUIPackage> ConvertExecuteUIPackage;

 protected:
  virtual std::unique_ptr<TSourceUIPackage> CreateSourceUIPackage() = 0;
  virtual std::unique_ptr<TPartUIPackage> CreateDestUIPackage() = 0;
  virtual std::unique_ptr<TConvertExecuteUIPackage> CreateConvertExecuteUIPackage() = 0;
};

// ---------------------------------------------------------------------------

std::string LookupErrorText(const char* name, const QWidget* form);
std::string KindErrorText(const char* name, const QWidget* form, const QObject* found, const char* expected);

template <class T>
T* FindOptional(QWidget* form, const char* name) {
  QObject* found = form ? form->findChild<QObject*>(QString::fromUtf8(name)) : nullptr;
  if (!found) return nullptr;
  T* typed = qobject_cast<T*>(found);
  if (!typed) throw Exception(KindErrorText(name, form, found, T::staticMetaObject.className()));
  return typed;
}

template <class T>
T* FindRequired(QWidget* form, const char* name) {
  T* typed = FindOptional<T>(form, name);
  if (!typed) throw Exception(LookupErrorText(name, form));
  return typed;
}
