#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class TUniConnection;
class TSettingsStore;

enum TFormUseMode { fumConfig, fumSingleLogon, fumMultiLogon, fumSwitchLogon };

// What a logon window tells the user; a test replaces them to see the texts.
struct TLogonUiSeams {
  std::function<void(const QString& text)> ShowMessage;
  std::function<void(const std::string& text)> ShowExceptionReport;
  // The file the browse button picks; empty when cancelled.
  std::function<QString(const QString& current)> PickSqliteFile;
};

// The part of a logon window shared by every database kind: the connection it logs
// on, the use mode and the status text.
class TDBLogonForm : public QWidget {
  Q_OBJECT
 public:
  explicit TDBLogonForm(QWidget* parent = nullptr);

  void SetConnection(TUniConnection* connection);
  TUniConnection* Connection() const { return FConnection; }
  void SetFormUseMode(TFormUseMode mode);
  TFormUseMode FormUseMode() const { return FMode; }

  virtual void InitLogonForm() = 0;
  virtual void ConnectClick() = 0;

  // Shows the connected or the not-connected state of the connection.
  void ShowConnectionState();
  QString StatusText() const;

  TLogonUiSeams Seams;
  TSettingsStore* Settings = nullptr;

 protected:
  enum TState { csConnecting, csConnected, csNotConnected, csFailed };
  void ShowState(TState state);
  void Message(const QString& text);
  void ReportException(const std::exception& e);
  void showEvent(QShowEvent* event) override;

  QLabel* lblConnect = nullptr;
  QPushButton* btnConnect = nullptr;
  QPushButton* btnHelp = nullptr;
  TUniConnection* FConnection = nullptr;
  TFormUseMode FMode = fumSingleLogon;
};

class TSqliteLogonForm : public TDBLogonForm {
  Q_OBJECT
 public:
  explicit TSqliteLogonForm(QWidget* parent = nullptr);
  void InitLogonForm() override;
  void ConnectClick() override;

  QComboBox* edtSqliteFile;
  QToolButton* btnBrowse;
  QLineEdit* edtPassword;
};

class TDB2LogonForm : public TDBLogonForm {
  Q_OBJECT
 public:
  explicit TDB2LogonForm(QWidget* parent = nullptr);
  void InitLogonForm() override;
  void ConnectClick() override;
  // Fills the boxes from the stored logon of that database name.
  void LoadStoredLogon(const QString& server);
  void ApplyProtocolRule();
  QString Protocol() const;

  QLineEdit* edtUsername;
  QLineEdit* edtPassword;
  QComboBox* edtServer;
  QRadioButton* rbTcpip;
  QRadioButton* rbStandard;
  QLabel* lblHostname;
  QLineEdit* edtHostname;
  QLabel* lblPort;
  QSpinBox* edtPort;
  QCheckBox* chkSavePassword;
};

// The two-page logon window: the source's logon on the first page, the destination's
// on the second.
class TTransveyLogonForm : public QDialog {
  Q_OBJECT
 public:
  TTransveyLogonForm(TUniConnection* source, TUniConnection* dest, TSettingsStore* settings, QWidget* parent = nullptr);

  // Shows the window modally; true when both connections are open afterwards.
  bool Logon();
  // The Ok button: names the first side that is not connected, else closes.
  void OkClick();
  void SetSeams(const TLogonUiSeams& seams);

  QTabWidget* pgcDB;
  TSqliteLogonForm* SourceForm;
  TDB2LogonForm* DestForm;
  QPushButton* btConnect;
  QPushButton* btCancel;
  QPushButton* btnHelp;
  std::function<void(const QString& text)> ShowMessage;

 private:
  TUniConnection* FSource;
  TUniConnection* FDest;
};
