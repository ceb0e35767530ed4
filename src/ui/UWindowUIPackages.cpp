#include "ui/UWindowUIPackages.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableView>
#include <QToolButton>

void TSourceSchemaUIPackage::InitByForm(QWidget* form) {
  lblSourceSchema = FindRequired<QLabel>(form, "lblSourceSchema");
  cbbSourceSchema = FindRequired<QComboBox>(form, "cbbSourceSchema");
  chkShowViews = FindRequired<QCheckBox>(form, "chkShowViews");
  grdTables = FindOptional<QTableView>(form, "grdTables");
}

void TSourceTableUIPackage::InitByForm(QWidget* form) {
  lblSourceTable = FindRequired<QLabel>(form, "lblSourceTable");
  cbbSourceTable = FindRequired<QComboBox>(form, "cbbSourceTable");
  btnShowSourceTableData = FindOptional<QAbstractButton>(form, "btnShowSourceTableData");
}

void TSourceQueryUIPackage::InitByForm(QWidget* form) { edtSql = FindRequired<QPlainTextEdit>(form, "edtSql"); }

void TLoadQueryOperateUIPackage::InitByForm(QWidget* form) {
  btnGetFields = FindRequired<QAbstractButton>(form, "btnGetFields");
  btnRun = FindOptional<QToolButton>(form, "btnRun");
}

TTableSourceUIPackage::TTableSourceUIPackage()
    : SourceSchemaUIPackage(std::make_unique<TSourceSchemaUIPackage>()),
      SourceTableUIPackage(std::make_unique<TSourceTableUIPackage>()) {}

void TTableSourceUIPackage::InitByForm(QWidget* form) {
  TSourceUIPackage::InitByForm(form);
  SourceSchemaUIPackage->InitByForm(form);
  SourceTableUIPackage->InitByForm(form);
}

TQuerySourceUIPackage::TQuerySourceUIPackage() : SourceQueryUIPackage(std::make_unique<TSourceQueryUIPackage>()) {}

void TQuerySourceUIPackage::InitByForm(QWidget* form) {
  TSourceUIPackage::InitByForm(form);
  SourceQueryUIPackage->InitByForm(form);
}

TLoadQuerySourceUIPackage::TLoadQuerySourceUIPackage()
    : LoadQueryOperateUIPackage(std::make_unique<TLoadQueryOperateUIPackage>()) {}

void TLoadQuerySourceUIPackage::InitByForm(QWidget* form) {
  TQuerySourceUIPackage::InitByForm(form);
  LoadQueryOperateUIPackage->InitByForm(form);
}

TBatchDBSourceUIPackage::TBatchDBSourceUIPackage()
    : SourceSchemaUIPackage(std::make_unique<TSourceSchemaUIPackage>()) {}

void TBatchDBSourceUIPackage::InitByForm(QWidget* form) {
  TSourceUIPackage::InitByForm(form);
  SourceSchemaUIPackage->InitByForm(form);
}

void TDestTableUIPackage::InitByForm(QWidget* form) {
  lblDestSchema = FindRequired<QLabel>(form, "lblDestSchema");
  cbbDestSchema = FindRequired<QComboBox>(form, "cbbDestSchema");
  cbbDestTable = FindRequired<QComboBox>(form, "cbbDestTable");
  btnNewTable = FindRequired<QAbstractButton>(form, "btnNewTable");
  btnRefreshTables = FindRequired<QAbstractButton>(form, "btnRefreshTables");
  cbbLoadType = FindRequired<QComboBox>(form, "cbbLoadType");
  lblUpdateKey = FindRequired<QLabel>(form, "lblUpdateKey");
  cbbUpdateKey = FindRequired<QComboBox>(form, "cbbUpdateKey");
  btnShowTableData = FindOptional<QAbstractButton>(form, "btnShowTableData");
  btnShowTableCount = FindOptional<QAbstractButton>(form, "btnShowTableCount");
}

void TDestSchemaUIPackage::InitByForm(QWidget* form) {
  lblDestSchema = FindRequired<QLabel>(form, "lblDestSchema");
  cbbDestSchema = FindRequired<QComboBox>(form, "cbbDestSchema");
  rgConvertType = FindRequired<QGroupBox>(form, "rgConvertType");
  grdTables = FindOptional<QTableView>(form, "grdTables");
}

void TMapUIPackage::InitByForm(QWidget* form) {
  grdFields = FindRequired<QTableView>(form, "grdFields");
  btnSelectAll = FindRequired<QAbstractButton>(form, "btnSelectAll");
  btnSelectNone = FindRequired<QAbstractButton>(form, "btnSelectNone");
}

void TPreviewUIPackage::InitByForm(QWidget* form) { grdPreview = FindRequired<QTableView>(form, "grdPreview"); }

void TTableMapUIPackage::InitByForm(QWidget* form) {
  grdTables = FindRequired<QTableView>(form, "grdTables");
  btnSelectAll = FindRequired<QAbstractButton>(form, "btnSelectAll");
  btnSelectNone = FindRequired<QAbstractButton>(form, "btnSelectNone");
}

void TGridBatchOutputUIPackage::InitByForm(QWidget* form) { grdTables = FindRequired<QTableView>(form, "grdTables"); }

void TProgressBatchOutputUIPackage::InitByForm(QWidget* form) {
  pbBatch = FindRequired<QProgressBar>(form, "pbBatch");
  lblBatchMessage = FindRequired<QLabel>(form, "lblBatchMessage");
  lblBatchNotify = FindRequired<QLabel>(form, "lblBatchNotify");
  lblBatchPercent = FindRequired<QLabel>(form, "lblBatchPercent");
}

TBatchConvertExecuteUIPackage::TBatchConvertExecuteUIPackage()
    : GridBatchOutputUIPackage(std::make_unique<TGridBatchOutputUIPackage>()) {}

void TBatchConvertExecuteUIPackage::InitByForm(QWidget* form) {
  TConvertExecuteUIPackage::InitByForm(form);
  GridBatchOutputUIPackage->InitByForm(form);
}

TBatchLoadExecuteUIPackage::TBatchLoadExecuteUIPackage()
    : ProgressBatchOutputUIPackage(std::make_unique<TProgressBatchOutputUIPackage>()) {}

TLoadUIPackage::TLoadUIPackage()
    : MapUIPackage(std::make_unique<TMapUIPackage>()), PreviewUIPackage(std::make_unique<TPreviewUIPackage>()) {}

void TLoadUIPackage::InitByForm(QWidget* form) {
  TConvertUIPackage::InitByForm(form);
  MapUIPackage->InitByForm(form);
  PreviewUIPackage->InitByForm(form);
}

TBatchConvertUIPackage::TBatchConvertUIPackage() : TableMapUIPackage(std::make_unique<TTableMapUIPackage>()) {}

void TBatchConvertUIPackage::InitByForm(QWidget* form) {
  TConvertUIPackage::InitByForm(form);
  TableMapUIPackage->InitByForm(form);
}
