#pragma once

#include "ui/UUIPackage.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QTableView;
class QToolButton;

// The packages of the import windows' source, destination, mapping and batch parts.

class TSourceSchemaUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QLabel* lblSourceSchema = nullptr;
  QComboBox* cbbSourceSchema = nullptr;
  QCheckBox* chkShowViews = nullptr;
  QTableView* grdTables = nullptr;  // optional
};

class TSourceTableUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QLabel* lblSourceTable = nullptr;
  QComboBox* cbbSourceTable = nullptr;
  QAbstractButton* btnShowSourceTableData = nullptr;  // optional
};

class TSourceQueryUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QPlainTextEdit* edtSql = nullptr;
};

class TLoadQueryOperateUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QAbstractButton* btnGetFields = nullptr;
  QToolButton* btnRun = nullptr;  // optional
};

class TTableSourceUIPackage : public TSourceUIPackage {
 public:
  TTableSourceUIPackage();
  void InitByForm(QWidget* form) override;
  std::unique_ptr<TSourceSchemaUIPackage> SourceSchemaUIPackage;
  std::unique_ptr<TSourceTableUIPackage> SourceTableUIPackage;
};

class TQuerySourceUIPackage : public TSourceUIPackage {
 public:
  TQuerySourceUIPackage();
  void InitByForm(QWidget* form) override;
  std::unique_ptr<TSourceQueryUIPackage> SourceQueryUIPackage;
};

class TLoadQuerySourceUIPackage : public TQuerySourceUIPackage {
 public:
  TLoadQuerySourceUIPackage();
  void InitByForm(QWidget* form) override;
  std::unique_ptr<TLoadQueryOperateUIPackage> LoadQueryOperateUIPackage;
};

class TBatchDBSourceUIPackage : public TSourceUIPackage {
 public:
  TBatchDBSourceUIPackage();
  void InitByForm(QWidget* form) override;
  std::unique_ptr<TSourceSchemaUIPackage> SourceSchemaUIPackage;
};

class TDestTableUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QLabel* lblDestSchema = nullptr;
  QComboBox* cbbDestSchema = nullptr;
  QComboBox* cbbDestTable = nullptr;
  QAbstractButton* btnNewTable = nullptr;
  QAbstractButton* btnRefreshTables = nullptr;
  QComboBox* cbbLoadType = nullptr;
  QLabel* lblUpdateKey = nullptr;
  QComboBox* cbbUpdateKey = nullptr;
  QAbstractButton* btnShowTableData = nullptr;   // optional
  QAbstractButton* btnShowTableCount = nullptr;  // optional
};

class TDestSchemaUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QLabel* lblDestSchema = nullptr;
  QComboBox* cbbDestSchema = nullptr;
  QGroupBox* rgConvertType = nullptr;
  QTableView* grdTables = nullptr;  // optional
};

class TMapUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QTableView* grdFields = nullptr;
  QAbstractButton* btnSelectAll = nullptr;
  QAbstractButton* btnSelectNone = nullptr;
};

class TPreviewUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QTableView* grdPreview = nullptr;
};

class TTableMapUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QTableView* grdTables = nullptr;
  QAbstractButton* btnSelectAll = nullptr;
  QAbstractButton* btnSelectNone = nullptr;
};

class TGridBatchOutputUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QTableView* grdTables = nullptr;
};

class TProgressBatchOutputUIPackage : public TPartUIPackage {
 public:
  void InitByForm(QWidget* form) override;
  QProgressBar* pbBatch = nullptr;
  QLabel* lblBatchMessage = nullptr;
  QLabel* lblBatchNotify = nullptr;
  QLabel* lblBatchPercent = nullptr;
};

class TBatchConvertExecuteUIPackage : public TConvertExecuteUIPackage {
 public:
  TBatchConvertExecuteUIPackage();
  void InitByForm(QWidget* form) override;
  std::unique_ptr<TGridBatchOutputUIPackage> GridBatchOutputUIPackage;
};

// Its progress package sits on the batch wizard's last dialog, which binds it itself.
class TBatchLoadExecuteUIPackage : public TBatchConvertExecuteUIPackage {
 public:
  TBatchLoadExecuteUIPackage();
  std::unique_ptr<TProgressBatchOutputUIPackage> ProgressBatchOutputUIPackage;
};

// The composite packages of the windows.

class TLoadUIPackage : public TConvertUIPackage {
 public:
  TLoadUIPackage();
  void InitByForm(QWidget* form) override;
  std::unique_ptr<TMapUIPackage> MapUIPackage;
  std::unique_ptr<TPreviewUIPackage> PreviewUIPackage;

 protected:
  std::unique_ptr<TPartUIPackage> CreateDestUIPackage() override { return std::make_unique<TDestTableUIPackage>(); }
};

class TTransveyTableUIPackage : public TLoadUIPackage {
 public:
  // The table wizard's grid of source rows; none in the window.
  QTableView* SourceDataGrid = nullptr;

 protected:
  std::unique_ptr<TSourceUIPackage> CreateSourceUIPackage() override {
    return std::make_unique<TTableSourceUIPackage>();
  }
  std::unique_ptr<TConvertExecuteUIPackage> CreateConvertExecuteUIPackage() override {
    return std::make_unique<TLoadExecuteUIPackage>();
  }
};

class TTransveyQueryUIPackage : public TLoadUIPackage {
 protected:
  std::unique_ptr<TSourceUIPackage> CreateSourceUIPackage() override {
    return std::make_unique<TLoadQuerySourceUIPackage>();
  }
  std::unique_ptr<TConvertExecuteUIPackage> CreateConvertExecuteUIPackage() override {
    return std::make_unique<TLoadExecuteUIPackage>();
  }
};

class TBatchConvertUIPackage : public TConvertUIPackage {
 public:
  TBatchConvertUIPackage();
  void InitByForm(QWidget* form) override;
  std::unique_ptr<TTableMapUIPackage> TableMapUIPackage;

 protected:
  std::unique_ptr<TConvertExecuteUIPackage> CreateConvertExecuteUIPackage() override {
    return std::make_unique<TBatchConvertExecuteUIPackage>();
  }
};

class TBatchLoadUIPackage : public TBatchConvertUIPackage {
 protected:
  std::unique_ptr<TPartUIPackage> CreateDestUIPackage() override { return std::make_unique<TDestSchemaUIPackage>(); }
  std::unique_ptr<TConvertExecuteUIPackage> CreateConvertExecuteUIPackage() override {
    return std::make_unique<TBatchLoadExecuteUIPackage>();
  }
};

class TTransveyBatchUIPackage : public TBatchLoadUIPackage {
 protected:
  std::unique_ptr<TSourceUIPackage> CreateSourceUIPackage() override {
    return std::make_unique<TBatchDBSourceUIPackage>();
  }
};
