#include "ui/UUIPackage.h"

#include <cxxabi.h>

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <cstdlib>

#include "ui/UFileNameEdit.h"

std::string ClassNameOf(const std::type_info& type) {
  int status = 0;
  char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : type.name();
  std::free(demangled);
  return name;
}

std::string WindowName(const QWidget* form) {
  if (!form) return "nil";
  if (!form->objectName().isEmpty()) return form->objectName().toStdString();
  return form->metaObject()->className();
}

std::string LookupErrorText(const char* name, const QWidget* form) {
  return "Can not find '" + std::string(name) + "' in '" + WindowName(form) + "'";
}

std::string KindErrorText(const char* name, const QWidget* form, const QObject* found, const char* expected) {
  return "Invalid cast: '" + std::string(name) + "' in '" + WindowName(form) + "' is a " +
         found->metaObject()->className() + ", not a " + expected;
}

void TConvertRowsSelectUIPackage::InitByForm(QWidget* form) {
  cbbConvertRows = FindRequired<QComboBox>(form, "cbbConvertRows");
  edtConvertRows = FindRequired<QSpinBox>(form, "edtConvertRows");
  edtSkipRows = FindRequired<QSpinBox>(form, "edtSkipRows");
  lblSkipRows = FindRequired<QLabel>(form, "lblSkipRows");
}

void TConvertMiscUIPackage::InitByForm(QWidget* form) {
  edtErrorsToAllow = FindRequired<QSpinBox>(form, "edtErrorsToAllow");
  edtLogFile = FindRequired<TFileNameEdit>(form, "edtLogFile");
}

void TOutputUIPackage::InitByForm(QWidget* form) {
  pbConvert = FindRequired<QProgressBar>(form, "pbConvert");
  lblMessage = FindRequired<QLabel>(form, "lblMessage");
  lblNotify = FindRequired<QLabel>(form, "lblNotify");
  lblPercent = FindRequired<QLabel>(form, "lblPercent");
  memOutput = FindRequired<QPlainTextEdit>(form, "memOutput");
}

TConvertExecuteUIPackage::TConvertExecuteUIPackage() : OutputUIPackage(std::make_unique<TOutputUIPackage>()) {}

void TConvertExecuteUIPackage::InitByForm(QWidget* form) {
  OutputUIPackage->InitByForm(form);
  pgcConvert = FindRequired<QTabWidget>(form, "pgcConvert");
  tsConvert = FindRequired<QWidget>(form, "tsConvert");
  btnConvert = FindRequired<QPushButton>(form, "btnConvert");
  btnStop = FindRequired<QPushButton>(form, "btnStop");
}

void TConvertExecuteUIPackage::BeginConvert() {
  if (pgcConvert && tsConvert) pgcConvert->setCurrentWidget(tsConvert);
  if (btnConvert) btnConvert->setEnabled(false);
  if (btnStop) btnStop->setEnabled(true);
}

void TConvertExecuteUIPackage::EndConvert() {
  if (btnConvert) btnConvert->setEnabled(true);
  if (btnStop) btnStop->setEnabled(false);
}

void TLoadExecuteUIPackage::InitByForm(QWidget* form) {
  TConvertExecuteUIPackage::InitByForm(form);
  btnSaveSql = FindRequired<QPushButton>(form, "btnSaveSql");
}

void TLoadExecuteUIPackage::BeginConvert() {
  TConvertExecuteUIPackage::BeginConvert();
  if (btnSaveSql) btnSaveSql->setEnabled(false);
}

void TLoadExecuteUIPackage::EndConvert() {
  TConvertExecuteUIPackage::EndConvert();
  if (btnSaveSql) btnSaveSql->setEnabled(true);
}

TSourceUIPackage::TSourceUIPackage() : ConvertRowsSelectUIPackage(std::make_unique<TConvertRowsSelectUIPackage>()) {}

void TSourceUIPackage::InitByForm(QWidget* form) { ConvertRowsSelectUIPackage->InitByForm(form); }

TConvertUIPackage::TConvertUIPackage() : MiscUIPackage(std::make_unique<TConvertMiscUIPackage>()) {}

void TConvertUIPackage::CreateChildren() {
  if (SourceUIPackage || DestUIPackage || ConvertExecuteUIPackage) return;
  SourceUIPackage = CreateSourceUIPackage();
  DestUIPackage = CreateDestUIPackage();
  ConvertExecuteUIPackage = CreateConvertExecuteUIPackage();
}

void TConvertUIPackage::InitByForm(QWidget* form) {
  if (!SourceUIPackage) throw Exception("TConvertUIPackage.InitByForm, SourceUIPackage=nil");
  SourceUIPackage->InitByForm(form);
  if (!DestUIPackage) throw Exception("TConvertUIPackage.InitByForm, DestUIPackage=nil");
  DestUIPackage->InitByForm(form);
  MiscUIPackage->InitByForm(form);
  if (!ConvertExecuteUIPackage) throw Exception("TConvertUIPackage.InitByForm, ConvertExecuteUIPackage=nil");
  ConvertExecuteUIPackage->InitByForm(form);
}

void TConvertUIPackage::BeginConvert() {
  if (ConvertExecuteUIPackage) ConvertExecuteUIPackage->BeginConvert();
}

void TConvertUIPackage::EndConvert() {
  if (ConvertExecuteUIPackage) ConvertExecuteUIPackage->EndConvert();
}
