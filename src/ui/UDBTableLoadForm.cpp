#include "ui/UDBTableLoadForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>

#include "base/UExceptions.h"
#include "base/UStrings.h"
#include "engine/UConvertObjectFactory.h"
#include "engine/UDateFormatParser.h"
#include "session/UDBConvertOptions.h"
#include "session/UTransveySession.h"
#include "ui/UFileNameEdit.h"
#include "ui/UUIPackage.h"
#include "ui/UUiDialogs.h"
#include "ui/UWindowUIPackages.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

void FillCombo(QComboBox* combo, const TStringList& items, const std::string& selected) {
  combo->clear();
  for (const auto& item : items.Strings()) combo->addItem(Q(item));
  combo->setCurrentIndex(combo->findText(Q(selected)));
}

int IndexOfIgnoreCase(const TStringList& list, const std::string& name) {
  for (int i = 0; i < list.Count(); ++i)
    if (SameText(list[i], name)) return i;
  return -1;
}

}  // namespace

// --- source

TTableSourceView::TTableSourceView(QWidget* form)
    : lblSourceSchema(FindRequired<QLabel>(form, "lblSourceSchema")),
      cbbSourceSchema(FindRequired<QComboBox>(form, "cbbSourceSchema")),
      chkShowViews(FindRequired<QCheckBox>(form, "chkShowViews")),
      lblSourceTable(FindRequired<QLabel>(form, "lblSourceTable")),
      cbbSourceTable(FindRequired<QComboBox>(form, "cbbSourceTable")) {
  // A SQLite file has no schemas to choose from.
  lblSourceSchema->hide();
  cbbSourceSchema->hide();
  RegisterEvent(cbbSourceSchema, "OnChange");
  RegisterEvent(chkShowViews, "OnClick");
  RegisterEvent(cbbSourceTable, "OnChange");
  auto raise = [this](QObject* sender) {
    LastSender = sender;
    DoChange();
    LastSender = nullptr;
  };
  QObject::connect(cbbSourceSchema, &QComboBox::currentIndexChanged, &Receiver, [=, this] { raise(cbbSourceSchema); });
  QObject::connect(chkShowViews, &QCheckBox::toggled, &Receiver, [=, this] { raise(chkShowViews); });
  QObject::connect(cbbSourceTable, &QComboBox::currentIndexChanged, &Receiver, [=, this] { raise(cbbSourceTable); });
}

TTableSourceView::~TTableSourceView() = default;

bool TTableSourceView::Validate() {
  if (cbbSourceSchema->count() > 0 && cbbSourceSchema->currentText().isEmpty()) {
    UiShowMessage("choice or input schema name");
    cbbSourceSchema->setFocus();
    return false;
  }
  if (cbbSourceTable->currentText().isEmpty()) {
    UiShowMessage("choice or input table name");
    cbbSourceTable->setFocus();
    return false;
  }
  return true;
}

TTableSourceOptions* TTableLoadSourceController::Options() const { return static_cast<TTableSourceOptions*>(Model); }

void TTableLoadSourceController::InitUI() { View = std::make_unique<TTableSourceView>(Form); }

void TTableLoadSourceController::InitData() {
  TSourceController::InitData();
  auto* options = Options();
  options->SchemaOptions->LoadSchemas();
  options->SchemaOptions->LoadTables();
  ModelToView();
}

void TTableLoadSourceController::CheckModel() {
  auto& schema = *Options()->SchemaOptions;
  std::string stored = schema.SourceSchema;
  schema.LoadSchemas();
  if (!stored.empty() && schema.Schemas.IndexOf(stored) < 0) {
    UiShowMessage("Source DB Schema: \"" + stored + "\" not exists.");
    ModelValid = false;
    return;
  }
  schema.LoadTables();
  const std::string& table = Options()->TableOptions->SourceTable;
  if (!table.empty() && schema.Tables.IndexOf(table) < 0) {
    UiShowMessage("Source DB Table: \"" + table + "\" not exists.");
    ModelValid = false;
    return;
  }
  ModelValid = true;
}

void TTableLoadSourceController::ModelToView() {
  auto* options = Options();
  auto* view = SourceView();
  TViewEventsSilencer silence(view);
  FillCombo(view->cbbSourceSchema, options->SchemaOptions->Schemas, options->SchemaOptions->SourceSchema);
  view->chkShowViews->setChecked(options->SchemaOptions->ShowViews);
  FillCombo(view->cbbSourceTable, options->SchemaOptions->Tables, options->TableOptions->SourceTable);
}

void TTableLoadSourceController::AfterModelToView() {
  auto* options = Options();
  options->TableOptions->Schema = options->SchemaOptions->SourceSchema;
  if (!options->TableOptions->SourceTable.empty()) options->LoadPreview();
  options->ItemName = options->TableOptions->SourceTable;
}

void TTableLoadSourceController::ViewToModel() {
  auto* options = Options();
  auto* view = SourceView();
  options->SchemaOptions->SourceSchema = S(view->cbbSourceSchema->currentText());
  options->SchemaOptions->ShowViews = view->chkShowViews->isChecked();
  options->TableOptions->SourceTable = S(view->cbbSourceTable->currentText());
  options->TableOptions->Schema = options->SchemaOptions->SourceSchema;
}

void TTableLoadSourceController::FillTables() {
  auto* options = Options();
  options->SchemaOptions->LoadTables();
  TViewEventsSilencer silence(SourceView());
  FillCombo(SourceView()->cbbSourceTable, options->SchemaOptions->Tables, "");
  options->TableOptions->SourceTable.clear();
}

void TTableLoadSourceController::ViewChanged(void* sender) {
  auto* view = static_cast<TTableSourceView*>(sender);
  auto* options = Options();
  if (view && view->LastSender != view->cbbSourceTable) FillTables();
  // The previous table's column choice means nothing for another table.
  options->Columns.Clear();
  options->ClearFields();
  if (!options->TableOptions->SourceTable.empty()) options->LoadPreview();
  options->ItemName = options->TableOptions->SourceTable;
  DoChange(sender);
}

// --- destination

TTableDestView::TTableDestView(QWidget* form)
    : lblDestSchema(FindRequired<QLabel>(form, "lblDestSchema")),
      cbbDestSchema(FindRequired<QComboBox>(form, "cbbDestSchema")),
      cbbDestTable(FindRequired<QComboBox>(form, "cbbDestTable")),
      btnRefreshTables(FindRequired<QAbstractButton>(form, "btnRefreshTables")),
      cbbLoadType(FindRequired<QComboBox>(form, "cbbLoadType")),
      lblUpdateKey(FindRequired<QLabel>(form, "lblUpdateKey")),
      cbbUpdateKey(FindRequired<QComboBox>(form, "cbbUpdateKey")) {
  auto raise = [this](QObject* sender) {
    LastSender = sender;
    DoChange();
    LastSender = nullptr;
  };
  for (QComboBox* combo : {cbbDestSchema, cbbDestTable, cbbLoadType, cbbUpdateKey}) {
    RegisterEvent(combo, "OnChange");
    QObject::connect(combo, &QComboBox::currentTextChanged, &Receiver, [=, this] { raise(combo); });
  }
  RegisterEvent(btnRefreshTables, "OnClick");
  QObject::connect(btnRefreshTables, &QAbstractButton::clicked, &Receiver, [=, this] { raise(btnRefreshTables); });
  ShowUpdateKey(false);
}

TTableDestView::~TTableDestView() = default;

void TTableDestView::ShowUpdateKey(bool show) {
  lblUpdateKey->setVisible(show);
  cbbUpdateKey->setVisible(show);
}

bool TTableDestView::Validate() {
  if (cbbDestTable->currentText().trimmed().isEmpty()) {
    UiShowMessage("select table name");
    cbbDestTable->setFocus();
    return false;
  }
  if (cbbLoadType->currentText() == "Update" && cbbUpdateKey->currentText().isEmpty()) {
    UiShowMessage("select update key");
    cbbUpdateKey->setFocus();
    return false;
  }
  return true;
}

TTableDestOptions* TTableLoadDestController::Options() const { return static_cast<TTableDestOptions*>(Model); }

void TTableLoadDestController::InitUI() { View = std::make_unique<TTableDestView>(Form); }

void TTableLoadDestController::InitData() {
  auto* options = Options();
  options->LoadSchemas();
  {
    TViewEventsSilencer silence(DestView());
    FillCombo(DestView()->cbbDestSchema, options->Schemas, options->DestSchema);
  }
  FillTables();
}

void TTableLoadDestController::FillTables() {
  auto* options = Options();
  options->LoadTables();
  TViewEventsSilencer silence(DestView());
  FillCombo(DestView()->cbbDestTable, options->Tables, options->DestTable);
}

void TTableLoadDestController::ModelToView() {
  auto* options = Options();
  auto* view = DestView();
  TViewEventsSilencer silence(view);
  int schema = view->cbbDestSchema->findText(Q(options->DestSchema));
  if (schema < 0 && view->cbbDestSchema->count() > 0) schema = 0;
  view->cbbDestSchema->setCurrentIndex(schema);
  options->DestSchema = S(view->cbbDestSchema->currentText());
  FillTables();
  view->cbbLoadType->setCurrentIndex(std::max(0, view->cbbLoadType->findText(Q(options->LoadType))));
  FillCombo(view->cbbUpdateKey, options->DestColumnNames, options->UpdateKey);
  view->ShowUpdateKey(LowerCase(options->LoadType) == "update");
}

void TTableLoadDestController::AfterModelToView() {
  Options()->LoadDestFields();
  TViewEventsSilencer silence(DestView());
  FillCombo(DestView()->cbbUpdateKey, Options()->DestColumnNames, Options()->UpdateKey);
}

void TTableLoadDestController::ViewToModel() {
  auto* options = Options();
  auto* view = DestView();
  options->DestSchema = S(view->cbbDestSchema->currentText());
  options->DestTable = S(view->cbbDestTable->currentText());
  options->LoadType = S(view->cbbLoadType->currentText());
  options->UpdateKey = S(view->cbbUpdateKey->currentText());
}

void TTableLoadDestController::SelectTable(const std::string& name) {
  auto* options = Options();
  options->SetDestTable(name);
  {
    TViewEventsSilencer silence(DestView());
    FillCombo(DestView()->cbbUpdateKey, options->DestColumnNames, options->UpdateKey);
  }
  options->UpdateKey = S(DestView()->cbbUpdateKey->currentText());
  DoChange(nullptr);
}

void TTableLoadDestController::ViewChanged(void* sender) {
  auto* view = static_cast<TTableDestView*>(sender);
  QObject* control = view ? view->LastSender : nullptr;
  auto* options = Options();
  if (control == DestView()->cbbDestSchema) {
    options->SetDestSchema(S(DestView()->cbbDestSchema->currentText()));
    FillTables();
    SelectTable(S(DestView()->cbbDestTable->currentText()));
  } else if (control == DestView()->cbbDestTable) {
    SelectTable(S(DestView()->cbbDestTable->currentText()));
  } else if (control == DestView()->btnRefreshTables) {
    FillTables();
    SelectTable(S(DestView()->cbbDestTable->currentText()));
  } else if (control == DestView()->cbbLoadType) {
    DestView()->ShowUpdateKey(DestView()->cbbLoadType->currentText() == "Update");
  }
}

void TTableLoadDestController::SourceChanged(const std::string& itemName) {
  ViewToModel();
  {
    TViewEventsSilencer silence(DestView());
    DestView()->cbbDestTable->setCurrentIndex(DestView()->cbbDestTable->findText(Q(itemName)));
  }
  SelectTable(S(DestView()->cbbDestTable->currentText()));
}

// --- field map

TMapController::TMapController() = default;
TMapController::~TMapController() = default;

void TMapController::InitUI() {
  auto& package = CastPackage<TMapUIPackage>(UIPackage);
  grdFields = qobject_cast<QTableWidget*>(package.grdFields);
  if (!grdFields) throw Exception("grdFields must be a table widget");
  btnSelectAll = package.btnSelectAll;
  btnSelectNone = package.btnSelectNone;
  grdFields->setColumnCount(5);
  grdFields->setHorizontalHeaderLabels({"Include", "Source Field", "Destination Field", "Date Format", "NULLIF"});
  grdFields->setColumnHidden(colNullIf, true);
  if (Dest && Dest->ConvertObjectFactory) DateParser = Dest->ConvertObjectFactory->CreateDateFormatParser();
  if (!DateParser || DateParser->GetFormatChoices().Empty()) grdFields->setColumnHidden(colDateFormat, true);
  QObject::connect(btnSelectAll, &QAbstractButton::clicked, &Receiver, [this] { SetAllIncluded(true); });
  QObject::connect(btnSelectNone, &QAbstractButton::clicked, &Receiver, [this] { SetAllIncluded(false); });
  QObject::connect(grdFields, &QTableWidget::itemChanged, &Receiver, [this](QTableWidgetItem* item) {
    if (Filling || item->column() != colInclude) return;
    ViewToModel();
    DoChange(this);
  });
}

void TMapController::SetOptions(TTableSourceOptions* source, TTableDestOptions* dest) {
  Source = source;
  Dest = dest;
}

int TMapController::RowCount() const { return grdFields->rowCount(); }

bool TMapController::RowIncluded(int row) const {
  return grdFields->item(row, colInclude)->checkState() == Qt::Checked;
}

int TMapController::RowDest(int row) const {
  auto* combo = qobject_cast<QComboBox*>(grdFields->cellWidget(row, colDest));
  return combo ? combo->currentIndex() - 1 : -1;
}

std::string TMapController::RowDateFormat(int row) const {
  auto* combo = qobject_cast<QComboBox*>(grdFields->cellWidget(row, colDateFormat));
  return combo ? S(combo->currentText()) : "";
}

void TMapController::SetRowDest(int row, int dest) {
  auto* combo = qobject_cast<QComboBox*>(grdFields->cellWidget(row, colDest));
  if (combo) combo->setCurrentIndex(dest + 1);
}

void TMapController::SetAllIncluded(bool on) {
  Filling = true;
  for (int r = 0; r < RowCount(); ++r) grdFields->item(r, colInclude)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  Filling = false;
  ViewToModel();
  DoChange(this);
}

void TMapController::FillRowsFromSource() {
  Filling = true;
  grdFields->setRowCount(0);
  int rows = Source ? Source->FieldNames.Count() : 0;
  grdFields->setRowCount(rows);
  for (int r = 0; r < rows; ++r) {
    auto* include = new QTableWidgetItem;
    include->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    include->setCheckState(Qt::Checked);
    grdFields->setItem(r, colInclude, include);
    auto* name = new QTableWidgetItem(Q(Source->FieldNames[r]));
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    grdFields->setItem(r, colSource, name);
    grdFields->setItem(r, colNullIf, new QTableWidgetItem("NULL"));
    auto* dest = new QComboBox;
    dest->setAccessibleName(QString("Destination Field, row %1").arg(r + 1));
    grdFields->setCellWidget(r, colDest, dest);
    auto* format = new QComboBox;
    format->setEditable(true);
    format->setAccessibleName(QString("Date Format, row %1").arg(r + 1));
    if (DateParser)
      for (const auto& choice : DateParser->GetFormatChoices().Strings()) format->addItem(Q(choice));
    format->setCurrentText("");
    grdFields->setCellWidget(r, colDateFormat, format);
    QObject::connect(dest, &QComboBox::activated, &Receiver, [this, r](int index) {
      SetDateFormat(r, index - 1);
      ViewToModel();
      DoChange(this);
    });
    QObject::connect(format, &QComboBox::currentTextChanged, &Receiver, [this] {
      if (Filling) return;
      ViewToModel();
    });
  }
  Filling = false;
}

void TMapController::FillDestList() {
  Filling = true;
  for (int r = 0; r < RowCount(); ++r) {
    auto* combo = qobject_cast<QComboBox*>(grdFields->cellWidget(r, colDest));
    int keep = combo->currentIndex();
    combo->clear();
    combo->addItem("");
    if (Dest)
      for (const auto& name : Dest->DestColumnNames.Strings()) combo->addItem(Q(name));
    combo->setCurrentIndex(keep < combo->count() ? keep : 0);
  }
  Filling = false;
}

void TMapController::SetDateFormat(int row, int dest) {
  auto* combo = qobject_cast<QComboBox*>(grdFields->cellWidget(row, colDateFormat));
  if (!combo) return;
  bool wasFilling = Filling;
  Filling = true;
  combo->setCurrentText("");
  if (dest >= 0 && DateParser && Dest->DateColumns.IndexOf(Dest->DestColumnNames[dest]) >= 0) {
    std::string sample = row < Source->SampleRow.Count() ? Source->SampleRow[row] : "";
    combo->setCurrentText(Q(DateParser->DetectDBFormat(sample)));
  }
  Filling = wasFilling;
}

void TMapController::MapRow(int row, int dest) {
  SetRowDest(row, dest);
  SetDateFormat(row, dest);
  grdFields->item(row, colNullIf)->setText("NULL");
}

void TMapController::AutoMap() {
  int rows = RowCount();
  if (!Dest || Dest->DestColumnNames.Empty() || rows == 0 || Source->FieldNames.Count() < rows) return;
  Filling = true;
  for (int r = 0; r < rows; ++r) {
    MapRow(r, -1);
    grdFields->item(r, colNullIf)->setText("");
    int found = IndexOfIgnoreCase(Dest->DestColumnNames, Trim(S(grdFields->item(r, colSource)->text())));
    if (found >= 0)
      MapRow(r, found);
    else if (Dest->DestColumnNames.Count() == rows)
      MapRow(r, r);
  }
  Filling = false;
}

void TMapController::RefreshSource() {
  FillRowsFromSource();
  FillDestList();
  AutoMap();
  ViewToModel();
}

void TMapController::RefreshDest() {
  FillDestList();
  AutoMap();
  ViewToModel();
}

void TMapController::ViewToModel() {
  if (!Source || !Dest) return;
  Source->Columns.Clear();
  Dest->FieldNames.Clear();
  Dest->FieldTypes.Clear();
  Dest->DateFormats.Clear();
  Dest->NullIfs.Clear();
  for (int r = 0; r < RowCount(); ++r) {
    if (!RowIncluded(r)) continue;
    Source->Columns.Add(std::to_string(r));
    int dest = RowDest(r);
    if (dest < 0 || dest >= Dest->DestColumnNames.Count()) continue;
    std::string name = Dest->DestColumnNames[dest];
    Dest->FieldNames.Add(name);
    Dest->FieldTypes.SetValue(name, Dest->DestColumns.Values(name));
    if (Dest->DateColumns.IndexOf(name) >= 0) Dest->DateFormats.SetValue(name, RowDateFormat(r));
    std::string nullIf = S(grdFields->item(r, colNullIf)->text());
    if (!nullIf.empty()) Dest->NullIfs.SetValue(name, nullIf);
  }
}

void TMapController::ModelToView() {
  if (!Source || !Dest) return;
  FillRowsFromSource();
  FillDestList();
  Filling = true;
  int k = 0;
  for (int j = 0; j < RowCount(); ++j) {
    if (!Source->Columns.Empty() && Source->Columns.IndexOf(std::to_string(j)) < 0) {
      grdFields->item(j, colInclude)->setCheckState(Qt::Unchecked);
      SetRowDest(j, -1);
      continue;
    }
    grdFields->item(j, colInclude)->setCheckState(Qt::Checked);
    if (k < Dest->FieldNames.Count()) {
      std::string name = Dest->FieldNames[k];
      SetRowDest(j, Dest->DestColumnNames.IndexOf(name));
      if (auto* format = qobject_cast<QComboBox*>(grdFields->cellWidget(j, colDateFormat)))
        format->setCurrentText(Q(Dest->DateFormats.Values(name)));
      if (Dest->NullIfs.IndexOfName(name) >= 0) grdFields->item(j, colNullIf)->setText(Q(Dest->NullIfs.Values(name)));
    }
    ++k;
  }
  Filling = false;
}

bool TMapController::Validate() {
  bool any = false;
  for (int r = 0; r < RowCount(); ++r) {
    if (!RowIncluded(r)) continue;
    any = true;
    if (RowDest(r) < 0) {
      UiShowMessage("please config field #" + std::to_string(r + 1));
      grdFields->setFocus();
      grdFields->selectRow(r);
      grdFields->scrollToItem(grdFields->item(r, colSource));
      return false;
    }
  }
  if (!any) {
    UiShowMessage("please select table fields.");
    grdFields->setFocus();
    return false;
  }
  if (Dest && !Dest->UpdateKey.empty()) {
    bool mapped = false;
    for (int r = 0; r < RowCount(); ++r) {
      int dest = RowDest(r);
      if (RowIncluded(r) && dest >= 0 && Dest->DestColumnNames[dest] == Dest->UpdateKey) mapped = true;
    }
    if (!mapped) {
      UiShowMessage("Please check Update Key: " + Dest->UpdateKey);
      return false;
    }
  }
  return true;
}

std::string TMapController::GetMapString() const {
  std::string text;
  for (int r = 0; r < RowCount(); ++r) {
    if (r > 0) text += "|";
    int dest = RowDest(r);
    text += std::string(RowIncluded(r) ? "-1" : "0") + ";" + S(grdFields->item(r, colSource)->text()) + ";" +
            (dest >= 0 ? Dest->DestColumnNames[dest] : "") + ";" + (dest >= 0 ? RowDateFormat(r) : "");
  }
  return text;
}

// --- preview

void TPreviewController::InitUI() {
  grdPreview = qobject_cast<QTableWidget*>(CastPackage<TPreviewUIPackage>(UIPackage).grdPreview);
  if (!grdPreview) throw Exception("grdPreview must be a table widget");
  grdPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdPreview->verticalHeader()->hide();
}

void TPreviewController::SetOptions(TTableSourceOptions* source, TTableDestOptions* dest) {
  Source = source;
  Dest = dest;
}

void TPreviewController::SetHeader(int column, const std::string& text) {
  if (column >= grdPreview->columnCount()) return;
  grdPreview->setHorizontalHeaderItem(column, new QTableWidgetItem(Q(text)));
}

void TPreviewController::RefreshHeader() {
  if (!Source || !Dest || !grdPreview) return;
  for (int c = 1; c < grdPreview->columnCount(); ++c) SetHeader(c, "");
  if (DestNameOf) {
    for (int c = 0; c < Source->Columns.Count(); ++c) SetHeader(c + 1, DestNameOf(std::stoi(Source->Columns[c])));
    return;
  }
  const TStringList& names = Dest->DestColumnNames;
  if (names.Count() == Source->FieldNames.Count()) {
    for (int i = 0; i < names.Count(); ++i) SetHeader(i + 1, names[i]);
  } else if (!names.Empty() && !Source->FieldNames.Empty() && Source->FieldNames.Count() >= Source->Columns.Count()) {
    for (int c = 0; c < Source->Columns.Count(); ++c) {
      int position = std::stoi(Source->Columns[c]);
      std::string name = position < Source->FieldNames.Count() ? Source->FieldNames[position] : "";
      SetHeader(c + 1, names.IndexOf(name) >= 0 ? name : "");
    }
  }
}

void TPreviewController::Refresh() {
  if (!Source || !Dest || !grdPreview) return;
  grdPreview->clear();
  grdPreview->setRowCount(0);
  grdPreview->setColumnCount(Source->Columns.Count() + 1);
  grdPreview->setHorizontalHeaderItem(0, new QTableWidgetItem(""));
  RefreshHeader();
  int rows = Source->GetPreviewRowCount();
  grdPreview->setRowCount(rows);
  for (int i = 0; i < rows; ++i) {
    grdPreview->setItem(i, 0, new QTableWidgetItem(QString::number(i + 1)));
    for (int c = 0; c < Source->Columns.Count(); ++c)
      grdPreview->setItem(i, c + 1, new QTableWidgetItem(Q(Source->GetPreviewValue(i, std::stoi(Source->Columns[c])))));
  }
}

void TPreviewController::ShowMappedHeader() {
  if (!Dest || !grdPreview) return;
  if (DestNameOf) return RefreshHeader();
  for (int i = 0; i < Dest->FieldNames.Count(); ++i) SetHeader(i + 1, Dest->FieldNames[i]);
}

// --- run

void TTableLoadExecuteController::Execute() {
  auto* dest = dynamic_cast<TTableDestOptions*>(Session->DestOptions.get());
  if (dest) dest->SetOutputToDB();
  RunSession();
}

// --- configuration

std::unique_ptr<TDataConvertController> TTransveyTableLoadSessionViewConfiguration::CreateSourceController() {
  auto controller = std::make_unique<TTableLoadSourceController>();
  controller->Form = Form;
  return controller;
}

std::unique_ptr<TDataConvertController> TTransveyTableLoadSessionViewConfiguration::CreateDestController() {
  auto controller = std::make_unique<TTableLoadDestController>();
  controller->Form = Form;
  return controller;
}

std::unique_ptr<TConvertSessionExecuteController>
TTransveyTableLoadSessionViewConfiguration::CreateExecuteController() {
  return std::make_unique<TTableLoadExecuteController>();
}

void TTransveyTableLoadSessionViewConfiguration::CreateExtraControllers() {
  MapController = AddController(std::make_unique<TMapController>());
  PreviewController = AddController(std::make_unique<TPreviewController>());
}

void TTransveyTableLoadSessionViewConfiguration::ConnectEvents() {
  SourceController->OnChange = [this](void*) {
    TableDest()->SourceChanged(TableSource()->Options()->ItemName);
    MapController->RefreshSource();
    PreviewController->Refresh();
  };
  DestController->OnChange = [this](void*) {
    MapController->RefreshDest();
    PreviewController->Refresh();
  };
  MapController->OnChange = [this](void*) {
    PreviewController->Refresh();
    PreviewController->ShowMappedHeader();
  };
}

void TTransveyTableLoadSessionViewConfiguration::SetSession(TConvertSession* session) {
  TConvertSessionViewConfiguration::SetSession(session);
  auto* source = static_cast<TTableSourceOptions*>(session->SourceOptions.get());
  auto* dest = static_cast<TTableDestOptions*>(session->DestOptions.get());
  MapController->SetOptions(source, dest);
  PreviewController->SetOptions(source, dest);
  PreviewController->DestNameOf = [this, dest](int position) -> std::string {
    if (position >= MapController->RowCount()) return "";
    int index = MapController->RowDest(position);
    return index >= 0 && index < dest->DestColumnNames.Count() ? dest->DestColumnNames[index] : "";
  };
}

void TTransveyTableLoadSessionViewConfiguration::InitUI(TConvertUIPackage* package) {
  auto& load = static_cast<TLoadUIPackage&>(*package);
  MapController->InitByUIPackage(load.MapUIPackage.get());
  PreviewController->InitByUIPackage(load.PreviewUIPackage.get());
  TConvertSessionViewConfiguration::InitUI(package);
}

// --- the window

namespace {

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QLabel* Buddy(const char* text, QWidget* control, const char* name = nullptr) {
  auto* label = new QLabel(text);
  label->setBuddy(control);
  if (name) label->setObjectName(name);
  return label;
}

QToolButton* SpeedButton(const char* name, const char* text) {
  auto* button = Named(new QToolButton, name);
  button->setText(text);
  button->setToolTip(text);
  button->setAccessibleName(text);
  return button;
}

}  // namespace

TDBTableLoadForm::TDBTableLoadForm(TDBObjectFactory* sourceDB, TDBObjectFactory* destDB,
                                   TConvertObjectFactory* sourceConvert, TConvertObjectFactory* destConvert,
                                   QWidget* parent)
    : TConvertForm(parent), SourceDB(sourceDB), DestDB(destDB), SourceConvert(sourceConvert), DestConvert(destConvert) {
  setObjectName("frmDBTableLoad");
  setWindowTitle("Import From Table");
  auto* layout = new QVBoxLayout(this);
  auto* splitter = new QSplitter(Qt::Vertical);
  layout->addWidget(splitter);
  auto* top = new QWidget;
  auto* topLayout = new QVBoxLayout(top);
  auto* groups = new QHBoxLayout;
  topLayout->addLayout(groups);

  // 1. Source
  auto* source = new QGroupBox("1. Source");
  auto* sourceForm = new QFormLayout(source);
  auto* cbbSourceSchema = Named(new QComboBox, "cbbSourceSchema");
  sourceForm->addRow(Buddy("Schema", cbbSourceSchema, "lblSourceSchema"), cbbSourceSchema);
  sourceForm->addRow(Named(new QCheckBox("Show Views"), "chkShowViews"));
  auto* cbbSourceTable = Named(new QComboBox, "cbbSourceTable");
  sourceForm->addRow(Buddy("Table", cbbSourceTable, "lblSourceTable"), cbbSourceTable);
  auto* cbbConvertRows = Named(new QComboBox, "cbbConvertRows");
  cbbConvertRows->addItems({"All", "Part"});
  sourceForm->addRow(Buddy("Import Rows ", cbbConvertRows), cbbConvertRows);
  auto* edtConvertRows = Named(new QSpinBox, "edtConvertRows");
  edtConvertRows->setRange(0, INT_MAX);
  edtConvertRows->setAccessibleName("Rows to import");
  sourceForm->addRow(edtConvertRows);
  auto* edtSkipRows = Named(new QSpinBox, "edtSkipRows");
  edtSkipRows->setRange(0, INT_MAX);
  sourceForm->addRow(Buddy("Skip Rows", edtSkipRows, "lblSkipRows"), edtSkipRows);
  groups->addWidget(source);

  // 2. Destination (the caption as the product has always spelled it)
  auto* dest = new QGroupBox("2. Destinataion");
  auto* destForm = new QFormLayout(dest);
  auto* cbbDestSchema = Named(new QComboBox, "cbbDestSchema");
  destForm->addRow(Buddy("Schema", cbbDestSchema, "lblDestSchema"), cbbDestSchema);
  auto* cbbDestTable = Named(new QComboBox, "cbbDestTable");
  cbbDestTable->setMaxVisibleItems(16);
  auto* tableRow = new QHBoxLayout;
  tableRow->addWidget(cbbDestTable, 1);
  auto* btnNewTable = SpeedButton("btnNewTable", "Create New Table");
  // The create-table dialog is not part of this window yet.
  btnNewTable->setEnabled(false);
  tableRow->addWidget(btnNewTable);
  tableRow->addWidget(SpeedButton("btnRefreshTables", "Refresh Tables"));
  destForm->addRow(Buddy("Table", cbbDestTable), tableRow);
  auto* cbbLoadType = Named(new QComboBox, "cbbLoadType");
  cbbLoadType->addItems({"Append", "Replace", "Update"});
  destForm->addRow(Buddy("Save Type", cbbLoadType), cbbLoadType);
  auto* cbbUpdateKey = Named(new QComboBox, "cbbUpdateKey");
  destForm->addRow(Buddy("Update Key", cbbUpdateKey, "lblUpdateKey"), cbbUpdateKey);
  groups->addWidget(dest);

  // 3. Fields
  auto* fields = new QGroupBox("3. Fields");
  auto* fieldsLayout = new QVBoxLayout(fields);
  auto* grdFields = Named(new QTableWidget, "grdFields");
  grdFields->setAccessibleName("Fields");
  grdFields->horizontalHeader()->setStretchLastSection(true);
  fieldsLayout->addWidget(grdFields);
  auto* selectButtons = new QHBoxLayout;
  selectButtons->addWidget(Named(new QPushButton("Select All"), "btnSelectAll"));
  selectButtons->addWidget(Named(new QPushButton("Select None"), "btnSelectNone"));
  selectButtons->addStretch();
  fieldsLayout->addLayout(selectButtons);
  topLayout->addWidget(fields, 1);

  // 4. Load Data
  auto* load = new QGroupBox("4. Load Data");
  auto* loadLayout = new QHBoxLayout(load);
  auto* edtErrorsToAllow = Named(new QSpinBox, "edtErrorsToAllow");
  edtErrorsToAllow->setRange(0, INT_MAX);
  edtErrorsToAllow->setValue(50);
  loadLayout->addWidget(Buddy("Errors to allow", edtErrorsToAllow));
  loadLayout->addWidget(edtErrorsToAllow);
  loadLayout->addWidget(Named(new QPushButton("Import"), "btnConvert"));
  auto* btnSaveSql = Named(new QPushButton("Save to Sql"), "btnSaveSql");
  // Writing a script from this window comes later. Hidden rather than disabled: the end
  // of every run enables the button again, and a button that does nothing must not show.
  btnSaveSql->setEnabled(false);
  btnSaveSql->setVisible(false);
  loadLayout->addWidget(btnSaveSql);
  auto* btnStop = Named(new QPushButton("Stop"), "btnStop");
  btnStop->setEnabled(false);
  loadLayout->addWidget(btnStop);
  auto* btnSaveSession = Named(new QPushButton("Save Session"), "btnSaveSession");
  connect(btnSaveSession, &QPushButton::clicked, this, [this] { SaveSessionFromButton(); });
  loadLayout->addWidget(btnSaveSession);
  loadLayout->addStretch();
  topLayout->addWidget(load);
  splitter->addWidget(top);

  // The pages below the splitter.
  auto* pgcConvert = Named(new QTabWidget, "pgcConvert");
  auto* tsPreview = Named(new QWidget, "tsPreview");
  auto* previewLayout = new QVBoxLayout(tsPreview);
  auto* grdPreview = Named(new QTableWidget, "grdPreview");
  grdPreview->setAccessibleName("Result Preview");
  previewLayout->addWidget(grdPreview);
  pgcConvert->addTab(tsPreview, "Result Preview");
  auto* tsConvert = Named(new QWidget, "tsConvert");
  auto* progress = new QVBoxLayout(tsConvert);
  progress->addWidget(Named(new QLabel, "lblNotify"));
  progress->addWidget(Named(new QProgressBar, "pbConvert"));
  progress->addWidget(Named(new QLabel, "lblPercent"));
  progress->addWidget(Named(new QLabel, "lblMessage"));
  progress->addStretch();
  pgcConvert->addTab(tsConvert, "Import");
  auto* tsOutput = Named(new QWidget, "tsOutput");
  auto* output = new QVBoxLayout(tsOutput);
  auto* logBar = new QHBoxLayout;
  auto* edtLogFile = Named(new TFileNameEdit, "edtLogFile");
  logBar->addWidget(Buddy(" Save Message To Log File   ", edtLogFile));
  logBar->addWidget(edtLogFile, 1);
  output->addLayout(logBar);
  auto* memOutput = Named(new QPlainTextEdit, "memOutput");
  memOutput->setReadOnly(true);
  memOutput->setAccessibleName("Log");
  output->addWidget(memOutput);
  pgcConvert->addTab(tsOutput, "Log");
  // The grids' corner buttons select every cell; a screen reader needs their name.
  for (QTableWidget* grid : {grdFields, grdPreview})
    for (auto* corner : grid->findChildren<QAbstractButton*>()) corner->setAccessibleName("Select All Cells");
  splitter->addWidget(pgcConvert);
}

void TDBTableLoadForm::SaveSessionFromButton() {
  try {
    SaveSession();
  } catch (const std::exception& e) {
    UiShowMessage(ExceptionMessage(e));
  }
}

std::unique_ptr<TConvertSession> TDBTableLoadForm::CreateSession() {
  return std::make_unique<TTransveyTableLoadSession>(SourceDB, DestDB, SourceConvert, DestConvert);
}

std::unique_ptr<TConvertUIPackage> TDBTableLoadForm::CreateUIPackage() {
  return std::make_unique<TTransveyTableUIPackage>();
}

std::unique_ptr<TConvertSessionViewConfiguration> TDBTableLoadForm::CreateViewConfiguration() {
  return std::make_unique<TTransveyTableLoadSessionViewConfiguration>(this);
}

TDBTableLoadForm* CreateTableLoadForm(TDBObjectFactory* sourceDB, TDBObjectFactory* destDB,
                                      TConvertObjectFactory* sourceConvert, TConvertObjectFactory* destConvert,
                                      TSessionManager* sessionManager, TLogSink* logSink, const std::string& fileName) {
  auto form = std::make_unique<TDBTableLoadForm>(sourceDB, destDB, sourceConvert, destConvert);
  form->SessionManager = sessionManager;
  form->LogSink = logSink;
  form->InitForm();
  if (!fileName.empty()) {
    try {
      form->LoadSession(fileName);
    } catch (const std::exception& e) {
      UiShowMessage(ExceptionMessage(e));
    }
  }
  return form.release();
}
