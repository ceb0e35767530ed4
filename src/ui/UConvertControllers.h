#pragma once

#include <QObject>
#include <string>

#include "ui/UDataConvertController.h"

class QComboBox;
class QSpinBox;
class QLabel;
class TFileNameEdit;
class TConvertRowsSelectOptions;
class TConvertRowsSelectUIPackage;
class TConvertMiscUIPackage;
class TConvertOptions;
class TSourceOptions;

// "All" or "Part" rows: the count and skip controls show only for "Part".
class TConvertRowsSelectView : public TDataConvertView {
 public:
  explicit TConvertRowsSelectView(TConvertRowsSelectUIPackage& package);
  ~TConvertRowsSelectView() override;
  void Reset() override;
  // Shows or hides the count and skip controls for the combo's choice.
  void ShowPartControls(bool show);

  QComboBox* cbbConvertRows;
  QSpinBox* edtConvertRows;
  QSpinBox* edtSkipRows;
  QLabel* lblSkipRows;

 private:
  QObject Receiver;  // owns the connections, so they end with the view
};

class TConvertRowsSelectController : public TDataConvertController {
 public:
  void InitUI() override;
  void ViewToModel() override;
  void ModelToView() override;
  void ViewChanged(void* sender) override { DoChange(sender); }

  TConvertRowsSelectOptions* Options() const;
  TConvertRowsSelectView* RowsView() const { return static_cast<TConvertRowsSelectView*>(View.get()); }
};

// Base of the source controllers: the row selection belongs to every source.
class TSourceController : public TDataConvertController {
 public:
  TSourceController();
  void SetModel(TDataConvertModel* model) override;
  void InitUIForSubControllers() override;

  TSourceOptions* SourceOptions() const;
  TConvertRowsSelectController* RowsSelectController;
};

class TConvertMiscView : public TDataConvertView {
 public:
  explicit TConvertMiscView(TConvertMiscUIPackage& package);
  ~TConvertMiscView() override;

  QSpinBox* edtErrorsToAllow;
  TFileNameEdit* edtLogFile;

 private:
  // A newly picked log file must be writable; it is opened for appending, so a file
  // that exists keeps what it holds. Otherwise the user is told why and the name goes.
  void LogFileChanged();
  QObject Receiver;
};

// The error limit and the log file of a run.
class TConvertMiscController : public TDataConvertController {
 public:
  void InitUI() override;
  void ViewToModel() override;
  void ModelToView() override;
  void ViewChanged(void* sender) override { DoChange(sender); }

  TConvertOptions* Options() const;
  TConvertMiscView* MiscView() const { return static_cast<TConvertMiscView*>(View.get()); }
};

// Why fileName cannot be appended to, or empty when it can (the file is created when
// missing, and left as it is otherwise).
std::string CheckLogFileWritable(const std::string& fileName);
