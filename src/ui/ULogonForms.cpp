#include "ui/ULogonForms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/USettingsStore.h"
#include "dac/UDataAccess.h"
#include "db2/UDB2DBLogon.h"
#include "sqlite/USqliteDBLogon.h"

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }
}  // namespace

TDBLogonForm::TDBLogonForm(QWidget* parent) : QWidget(parent) {
  lblConnect = new QLabel(this);
  lblConnect->setObjectName("lblConnect");
  lblConnect->setText("Not Connected");
  btnConnect = new QPushButton("Connect", this);
  btnConnect->setObjectName("btnConnect");
  btnConnect->setDefault(true);
  btnHelp = new QPushButton("Help", this);
  btnHelp->setObjectName("btnHelp");
  connect(btnConnect, &QPushButton::clicked, this, [this] { ConnectClick(); });
  connect(btnHelp, &QPushButton::clicked, this, [this] { Message("The help is not installed in this version."); });
}

void TDBLogonForm::SetConnection(TUniConnection* connection) {
  FConnection = connection;
  InitLogonForm();
}

void TDBLogonForm::SetFormUseMode(TFormUseMode mode) {
  FMode = mode;
  btnConnect->setText(mode == fumConfig ? "Test Connection" : "Connect");
  if (mode == fumSingleLogon) setWindowTitle("Logon - Ferrovan");
  bool hide = mode == fumSwitchLogon;
  btnConnect->setVisible(!hide);
  btnHelp->setVisible(!hide);
  lblConnect->setVisible(!hide);
  ShowState(csNotConnected);
}

void TDBLogonForm::ShowConnectionState() {
  ShowState(FConnection && FConnection->Connected() ? csConnected : csNotConnected);
}

QString TDBLogonForm::StatusText() const { return lblConnect->text(); }

void TDBLogonForm::ShowState(TState state) {
  QString text;
  QString colour;
  switch (state) {
    case csConnecting:
      text = "Connecting ...";
      break;
    case csConnected:
      text = FMode == fumConfig ? "Successful!" : "Connected.";
      colour = "green";
      break;
    case csNotConnected:
      text = FMode == fumConfig ? "" : "Not Connected.";
      break;
    case csFailed:
      text = "Cannot Connect.";
      colour = "red";
      break;
  }
  lblConnect->setText(text);
  lblConnect->setStyleSheet(colour.isEmpty() ? QString() : "color: " + colour);
  lblConnect->repaint();
}

void TDBLogonForm::Message(const QString& text) {
  if (Seams.ShowMessage)
    Seams.ShowMessage(text);
  else
    QMessageBox::information(this, "Ferrovan", text);
}

void TDBLogonForm::ReportException(const std::exception& e) {
  if (Seams.ShowExceptionReport)
    Seams.ShowExceptionReport(ExceptionMessage(e));
  else
    QMessageBox::critical(this, "Ferrovan", Q(ExceptionMessage(e)));
}

void TDBLogonForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (lblConnect->text() != "Cannot Connect.") ShowConnectionState();
}

// ---------------------------------------------------------------------------

TSqliteLogonForm::TSqliteLogonForm(QWidget* parent) : TDBLogonForm(parent) {
  edtSqliteFile = new QComboBox(this);
  edtSqliteFile->setObjectName("edtSqliteFile");
  edtSqliteFile->setEditable(true);
  edtSqliteFile->setInsertPolicy(QComboBox::NoInsert);
  edtSqliteFile->setMinimumWidth(320);
  btnBrowse = new QToolButton(this);
  btnBrowse->setObjectName("btnBrowse");
  btnBrowse->setText("...");
  btnBrowse->setAccessibleName("Browse");
  edtPassword = new QLineEdit(this);
  edtPassword->setObjectName("edtPassword");
  edtPassword->setEchoMode(QLineEdit::Password);

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(edtSqliteFile, 1);
  fileRow->addWidget(btnBrowse);
  auto* fileLabel = new QLabel("Sqlite File", this);
  fileLabel->setBuddy(edtSqliteFile);
  edtSqliteFile->setAccessibleName("Sqlite File");
  edtSqliteFile->lineEdit()->setAccessibleName("Sqlite File");
  auto* passwordLabel = new QLabel("Password", this);
  passwordLabel->setBuddy(edtPassword);
  edtPassword->setAccessibleName("Password");

  auto* form = new QFormLayout;
  form->addRow(fileLabel, fileRow);
  form->addRow(passwordLabel, edtPassword);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblConnect, 1);
  buttons->addWidget(btnConnect);
  buttons->addWidget(btnHelp);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch(1);
  layout->addLayout(buttons);

  connect(btnBrowse, &QToolButton::clicked, this, [this] {
    QString file = Seams.PickSqliteFile
                       ? Seams.PickSqliteFile(edtSqliteFile->currentText())
                       : QFileDialog::getOpenFileName(this, "Sqlite File", edtSqliteFile->currentText(),
                                                      "SQLite DB Files (*.db *.db3 *.sqlite);;All Files (*)");
    if (!file.isEmpty()) edtSqliteFile->setEditText(file);
  });
}

void TSqliteLogonForm::InitLogonForm() {
  edtSqliteFile->clear();
  if (!Settings) return;
  std::vector<std::string> files = ReadRecentFiles(*Settings, SqliteFileListKey);
  std::vector<std::string> kept;
  for (const auto& f : files)
    if (FileExists(f)) kept.push_back(f);
  if (kept.size() != files.size()) WriteRecentFiles(*Settings, SqliteFileListKey, kept);
  for (const auto& f : kept) edtSqliteFile->addItem(Q(f));
  if (!kept.empty()) edtSqliteFile->setCurrentIndex(0);
}

void TSqliteLogonForm::ConnectClick() {
  QString file = edtSqliteFile->currentText();
  if (file.isEmpty()) {
    Message("Please input Sqlite file name.");
    edtSqliteFile->setFocus();
    return;
  }
  ShowState(csConnecting);
  try {
    if (FConnection->Connected()) FConnection->Disconnect();
    ConnectSqliteFile(*FConnection, S(file), S(edtPassword->text()));
    if (Settings) AddRecentFile(*Settings, SqliteFileListKey, S(file));
    ShowState(csConnected);
  } catch (const std::exception& e) {
    ShowState(csFailed);
    ReportException(e);
  }
}

// ---------------------------------------------------------------------------

TDB2LogonForm::TDB2LogonForm(QWidget* parent) : TDBLogonForm(parent) {
  edtUsername = new QLineEdit(this);
  edtUsername->setObjectName("edtUsername");
  edtPassword = new QLineEdit(this);
  edtPassword->setObjectName("edtPassword");
  edtPassword->setEchoMode(QLineEdit::Password);
  edtServer = new QComboBox(this);
  edtServer->setObjectName("edtServer");
  edtServer->setEditable(true);
  edtServer->setInsertPolicy(QComboBox::NoInsert);
  auto* rgProtocol = new QGroupBox("Protocol", this);
  rgProtocol->setObjectName("rgProtocol");
  rbTcpip = new QRadioButton("TCPIP", rgProtocol);
  rbStandard = new QRadioButton("Standard", rgProtocol);
  rbTcpip->setChecked(true);
  auto* protocolLayout = new QHBoxLayout(rgProtocol);
  protocolLayout->addWidget(rbTcpip);
  protocolLayout->addWidget(rbStandard);
  edtHostname = new QLineEdit(this);
  edtHostname->setObjectName("edtHostname");
  edtPort = new QSpinBox(this);
  edtPort->setObjectName("edtPort");
  edtPort->setRange(0, 65535);
  edtPort->setValue(50000);
  chkSavePassword = new QCheckBox("Save Password", this);
  chkSavePassword->setObjectName("chkSavePassword");

  auto label = [this](const char* text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    buddy->setAccessibleName(text);
    return l;
  };
  auto* form = new QFormLayout;
  form->addRow(label("Username", edtUsername), edtUsername);
  form->addRow(label("Password", edtPassword), edtPassword);
  form->addRow(label("Database", edtServer), edtServer);
  edtServer->lineEdit()->setAccessibleName("Database");
  form->addRow(rgProtocol);
  lblHostname = label("Hostname", edtHostname);
  lblPort = label("Port", edtPort);
  form->addRow(lblHostname, edtHostname);
  form->addRow(lblPort, edtPort);
  form->addRow(chkSavePassword);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblConnect, 1);
  buttons->addWidget(btnConnect);
  buttons->addWidget(btnHelp);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch(1);
  layout->addLayout(buttons);

  connect(rbTcpip, &QRadioButton::toggled, this, [this] { ApplyProtocolRule(); });
  connect(edtServer, &QComboBox::activated, this, [this](int index) { LoadStoredLogon(edtServer->itemText(index)); });
  ApplyProtocolRule();
}

QString TDB2LogonForm::Protocol() const { return rbTcpip->isChecked() ? "TCPIP" : "Standard"; }

void TDB2LogonForm::ApplyProtocolRule() {
  bool tcp = Protocol().contains("TCP");
  for (QWidget* w : {static_cast<QWidget*>(lblHostname), static_cast<QWidget*>(edtHostname),
                     static_cast<QWidget*>(lblPort), static_cast<QWidget*>(edtPort)})
    w->setVisible(tcp);
}

void TDB2LogonForm::InitLogonForm() {
  setWindowTitle("Logon - Ferrovan");
  edtServer->clear();
  if (FConnection) {
    edtUsername->setText(Q(FConnection->Username));
    edtPassword->setText(Q(FConnection->Password));
    TDB2DBLogonOption option;
    option.LoadFromConnection(*FConnection);
    edtServer->setEditText(Q(option.Server));
  }
  if (!Settings) return;
  std::vector<std::string> names = ListStoredDB2Logons(*Settings);
  for (const auto& n : names) edtServer->addItem(Q(n));
  if (names.empty()) return;
  QString last = Q(LastDB2Server(*Settings));
  int index = edtServer->findText(last);
  edtServer->setCurrentIndex(index >= 0 ? index : 0);
  LoadStoredLogon(edtServer->currentText());
}

void TDB2LogonForm::LoadStoredLogon(const QString& server) {
  if (!Settings) return;
  TDB2StoredLogon logon = LoadStoredDB2Logon(*Settings, S(server));
  edtUsername->clear();
  edtPassword->clear();
  if (!logon.Server.empty()) edtServer->setEditText(Q(logon.Server));
  if (logon.Protocol == "TCPIP") rbTcpip->setChecked(true);
  if (logon.Protocol == "Standard") rbStandard->setChecked(true);
  if (!logon.Hostname.empty()) edtHostname->setText(Q(logon.Hostname));
  if (!logon.Port.empty()) edtPort->setValue(QString::fromStdString(logon.Port).toInt());
  if (!logon.Username.empty()) edtUsername->setText(Q(logon.Username));
  chkSavePassword->setChecked(logon.SavePassword);
  if (logon.SavePassword) edtPassword->setText(Q(logon.Password));
  ApplyProtocolRule();
}

void TDB2LogonForm::ConnectClick() {
  auto refuse = [this](const char* text, QWidget* control) {
    Message(text);
    control->setFocus();
  };
  if (Protocol().contains("TCP")) {
    if (edtHostname->text().isEmpty()) return refuse("Please input Hostname.", edtHostname);
    if (edtPort->text().isEmpty()) return refuse("Please input Port.", edtPort);
  }
  if (edtServer->currentText().isEmpty()) return refuse("Please input Database.", edtServer);
  if (edtUsername->text().isEmpty()) return refuse("Please input Username.", edtUsername);
  if (edtPassword->text().isEmpty()) return refuse("Please input edtPassword.", edtPassword);
  ShowState(csConnecting);
  TDB2DBLogonOption option;
  option.Username = S(edtUsername->text());
  option.Password = S(edtPassword->text());
  option.Server = S(edtServer->currentText());
  option.Protocol = S(Protocol());
  option.Hostname = S(edtHostname->text());
  option.Port = std::to_string(edtPort->value());
  try {
    if (FConnection->Connected()) FConnection->Disconnect();
    option.ApplyToConnection(*FConnection);
    FConnection->Connect();
    if (Settings) {
      TDB2StoredLogon logon{option.Server,  option.Protocol, option.Hostname,
                            option.Port,    option.Username, chkSavePassword->isChecked(),
                            option.Password};
      SaveDB2Logon(*Settings, logon);
    }
    ShowState(csConnected);
  } catch (const EDatabaseError& e) {
    ShowState(csFailed);
    ReportException(e);
  } catch (const std::exception& e) {
    // Not the database's answer: shown all the same, as nothing above this button would.
    ShowState(csFailed);
    ReportException(e);
  }
}

// ---------------------------------------------------------------------------

TTransveyLogonForm::TTransveyLogonForm(TUniConnection* source, TUniConnection* dest, TSettingsStore* settings,
                                       QWidget* parent)
    : QDialog(parent), FSource(source), FDest(dest) {
  setWindowTitle("Ferrovan Logon");
  pgcDB = new QTabWidget(this);
  pgcDB->setObjectName("pgcDB");
  SourceForm = new TSqliteLogonForm;
  SourceForm->setObjectName("tsSource");
  SourceForm->Settings = settings;
  SourceForm->SetConnection(source);
  SourceForm->SetFormUseMode(fumMultiLogon);
  DestForm = new TDB2LogonForm;
  DestForm->setObjectName("tsDest");
  DestForm->Settings = settings;
  DestForm->SetConnection(dest);
  DestForm->SetFormUseMode(fumMultiLogon);
  pgcDB->addTab(SourceForm, "Sqlite");
  pgcDB->addTab(DestForm, "DB2");

  btConnect = new QPushButton("Ok", this);
  btConnect->setObjectName("btConnect");
  btCancel = new QPushButton("Cancel", this);
  btCancel->setObjectName("btCancel");
  btnHelp = new QPushButton("Help", this);
  btnHelp->setObjectName("btnHelp");
  // Enter in a hosted window connects that side; Ok is pressed on purpose.
  btConnect->setAutoDefault(false);
  btCancel->setAutoDefault(false);
  btnHelp->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btConnect);
  buttons->addWidget(btCancel);
  buttons->addWidget(btnHelp);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pgcDB);
  layout->addLayout(buttons);

  connect(btConnect, &QPushButton::clicked, this, [this] { OkClick(); });
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnHelp, &QPushButton::clicked, this, [this] {
    QString text = "The help is not installed in this version.";
    if (ShowMessage)
      ShowMessage(text);
    else
      QMessageBox::information(this, "Ferrovan", text);
  });
  setFixedSize(sizeHint().expandedTo(QSize(460, 360)));
}

void TTransveyLogonForm::SetSeams(const TLogonUiSeams& seams) {
  SourceForm->Seams = seams;
  DestForm->Seams = seams;
  ShowMessage = seams.ShowMessage;
}

void TTransveyLogonForm::OkClick() {
  auto refuse = [this](int page, const QString& name) {
    pgcDB->setCurrentIndex(page);
    QString text = "Please log on to " + name;
    if (ShowMessage)
      ShowMessage(text);
    else
      QMessageBox::information(this, "Ferrovan", text);
  };
  if (!FSource->Connected()) return refuse(0, "Sqlite");
  if (!FDest->Connected()) return refuse(1, "DB2");
  accept();
}

bool TTransveyLogonForm::Logon() {
  SourceForm->ShowConnectionState();
  DestForm->ShowConnectionState();
  exec();
  return FSource->Connected() && FDest->Connected();
}
