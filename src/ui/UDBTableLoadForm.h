#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "ui/UConvertControllers.h"
#include "ui/UConvertForm.h"
#include "ui/UConvertSessionExecuteController.h"
#include "ui/UConvertSessionViewConfiguration.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;
class TDBObjectFactory;
class TConvertObjectFactory;
class TDateFormatParser;
class TTableSourceOptions;
class TTableDestOptions;

// The source table of the table window: schema (hidden, SQLite has none), views and
// table; choosing a table reads its field names and sample rows.
class TTableSourceView : public TDataConvertView {
 public:
  explicit TTableSourceView(QWidget* form);
  ~TTableSourceView() override;
  bool Validate() override;

  QLabel* lblSourceSchema;
  QComboBox* cbbSourceSchema;
  QCheckBox* chkShowViews;
  QLabel* lblSourceTable;
  QComboBox* cbbSourceTable;
  QObject* LastSender = nullptr;  // the control whose change is being handled

 private:
  QObject Receiver;
};

class TTableLoadSourceController : public TSourceController {
 public:
  void InitUI() override;
  void InitData() override;
  void CheckModel() override;
  void ModelToView() override;
  void AfterModelToView() override;
  void ViewToModel() override;
  void ViewChanged(void* sender) override;

  TTableSourceOptions* Options() const;
  TTableSourceView* SourceView() const { return static_cast<TTableSourceView*>(View.get()); }
  QWidget* Form = nullptr;  // where the source controls are looked up

 private:
  void FillTables();
};

class TTableDestView : public TDataConvertView {
 public:
  explicit TTableDestView(QWidget* form);
  ~TTableDestView() override;
  bool Validate() override;
  void ShowUpdateKey(bool show);

  QLabel* lblDestSchema;
  QComboBox* cbbDestSchema;
  QComboBox* cbbDestTable;
  QAbstractButton* btnRefreshTables;
  QComboBox* cbbLoadType;
  QLabel* lblUpdateKey;
  QComboBox* cbbUpdateKey;
  QObject* LastSender = nullptr;

 private:
  QObject Receiver;
};

class TTableLoadDestController : public TDataConvertController {
 public:
  void InitUI() override;
  void InitData() override;
  void ModelToView() override;
  void AfterModelToView() override;
  void ViewToModel() override;
  void ViewChanged(void* sender) override;
  // The source table changed: a destination table of the same name is chosen.
  void SourceChanged(const std::string& itemName);

  TTableDestOptions* Options() const;
  TTableDestView* DestView() const { return static_cast<TTableDestView*>(View.get()); }
  QWidget* Form = nullptr;

 private:
  void FillTables();
  void SelectTable(const std::string& name);
};

// The field grid: which source column goes into which destination column, with its
// date format.
class TMapController : public TDataConvertController {
 public:
  enum { colInclude, colSource, colDest, colDateFormat, colNullIf };
  TMapController();
  ~TMapController() override;

  void InitUI() override;
  void ViewToModel() override;
  void ModelToView() override;
  bool Validate() override;

  void SetOptions(TTableSourceOptions* source, TTableDestOptions* dest);
  // New source fields: all rows again, mapped automatically.
  void RefreshSource();
  // New destination fields: mapped again automatically.
  void RefreshDest();
  std::string GetMapString() const;

  // Row r's destination index (-1: none), include flag and date format.
  int RowDest(int row) const;
  bool RowIncluded(int row) const;
  std::string RowDateFormat(int row) const;
  void SetRowDest(int row, int dest);
  int RowCount() const;

  QTableWidget* grdFields = nullptr;
  QAbstractButton* btnSelectAll = nullptr;
  QAbstractButton* btnSelectNone = nullptr;

 private:
  void FillRowsFromSource();
  void FillDestList();
  void AutoMap();
  void MapRow(int row, int dest);
  void SetDateFormat(int row, int dest);
  void SetAllIncluded(bool on);

  TTableSourceOptions* Source = nullptr;
  TTableDestOptions* Dest = nullptr;
  std::unique_ptr<TDateFormatParser> DateParser;
  QObject Receiver;
  bool Filling = false;
};

// The result preview: the sample rows of the source under the destination names.
class TPreviewController : public TDataConvertController {
 public:
  void InitUI() override;
  void ModelToView() override { Refresh(); }
  void SetOptions(TTableSourceOptions* source, TTableDestOptions* dest);
  // Header, then the sample rows of the included source columns.
  void Refresh();
  void RefreshHeader();
  // The mapped destination names over the included columns.
  void ShowMappedHeader();

  QTableWidget* grdPreview = nullptr;
  // The destination chosen for a source position in the field grid, empty for none.
  // When set, the header follows the field grid, so a column is never shown under the
  // name of another.
  std::function<std::string(int position)> DestNameOf;

 private:
  void SetHeader(int column, const std::string& text);
  TTableSourceOptions* Source = nullptr;
  TTableDestOptions* Dest = nullptr;
};

class TTableLoadExecuteController : public TConvertSessionExecuteController {
 public:
  void Execute() override;
};

class TTransveyTableLoadSessionViewConfiguration : public TConvertSessionViewConfiguration {
 public:
  explicit TTransveyTableLoadSessionViewConfiguration(QWidget* form) : Form(form) {}
  void SetSession(TConvertSession* session) override;
  void InitUI(TConvertUIPackage* package) override;

  TTableLoadSourceController* TableSource() const { return static_cast<TTableLoadSourceController*>(SourceController); }
  TTableLoadDestController* TableDest() const { return static_cast<TTableLoadDestController*>(DestController); }
  TMapController* MapController = nullptr;
  TPreviewController* PreviewController = nullptr;

 protected:
  void ConnectEvents() override;
  std::unique_ptr<TDataConvertController> CreateSourceController() override;
  std::unique_ptr<TDataConvertController> CreateDestController() override;
  std::unique_ptr<TConvertSessionExecuteController> CreateExecuteController() override;
  void CreateExtraControllers() override;

 private:
  QWidget* Form;
};

// "Import From Table": one SQLite table into one DB2 table.
class TDBTableLoadForm : public TConvertForm {
  Q_OBJECT
 public:
  TDBTableLoadForm(TDBObjectFactory* sourceDB, TDBObjectFactory* destDB, TConvertObjectFactory* sourceConvert,
                   TConvertObjectFactory* destConvert, QWidget* parent = nullptr);

  TTransveyTableLoadSessionViewConfiguration* TableConfiguration() const {
    return static_cast<TTransveyTableLoadSessionViewConfiguration*>(ViewConfiguration());
  }
  // Save Session as its button does it: errors are shown, not raised.
  void SaveSessionFromButton();

 protected:
  std::unique_ptr<TConvertSession> CreateSession() override;
  std::unique_ptr<TConvertUIPackage> CreateUIPackage() override;
  std::unique_ptr<TConvertSessionViewConfiguration> CreateViewConfiguration() override;

 private:
  TDBObjectFactory *SourceDB, *DestDB;
  TConvertObjectFactory *SourceConvert, *DestConvert;
};

// A table window in its ready state, loaded from fileName when one is given; a session
// that cannot be read is reported and the window stays, unloaded.
TDBTableLoadForm* CreateTableLoadForm(TDBObjectFactory* sourceDB, TDBObjectFactory* destDB,
                                      TConvertObjectFactory* sourceConvert, TConvertObjectFactory* destConvert,
                                      TSessionManager* sessionManager, TLogSink* logSink, const std::string& fileName);
