#include "ui/UInteractive.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "app/UApp.h"
#include "app/UConvertSettings.h"
#include "base/UExceptions.h"
#include "ui/UDBTableLoadForm.h"
#include "ui/ULogonForms.h"
#include "ui/UMainForm.h"

void InstallFrontEnd(TDBConvertApp& app) {
  app.FrontEnd.RunInteractive = [&app]() -> int {
    // QApplication keeps references to these for its whole life.
    static int argc = 1;
    static char name[] = "ferrovan";
    static char* argv[] = {name, nullptr};
    QApplication qt(argc, argv);
    QApplication::setApplicationName("Ferrovan");
    TMainForm main(app.SourceDBObjectFactory(), app.DestDBObjectFactory(), &app.UserSettings);
    main.ShowLaunch = app.AppSettings && app.AppSettings->ShowLaunch;
    main.HandleError = [&app](const std::exception& e) { app.HandleException(e); };
    main.CreateChildWindow = [&app](TChildKind kind, const std::string& fileName) -> QWidget* {
      if (kind != TChildKind::Table) return nullptr;
      return CreateTableLoadForm(app.SourceDBObjectFactory(), app.DestDBObjectFactory(),
                                 app.SourceConvertObjectFactory(), app.DestConvertObjectFactory(), app.SessionManager(),
                                 &app, fileName);
    };
    TLogonUiSeams seams;
    seams.ShowExceptionReport = [&app](const std::string& text) {
      app.LogError(text);
      app.ShowError(text);
    };
    main.LogonForm->SetSeams(seams);
    main.show();
    int result = qt.exec();
    return result == 0 ? ecSuccess : ecException;
  };
  app.FrontEnd.ShowErrorReport = [](const std::string& text) {
    if (qApp) QMessageBox::critical(QApplication::activeWindow(), "Ferrovan", QString::fromStdString(text));
  };
  app.FrontEnd.AskQuestion = [](const std::string& text) {
    if (!qApp) return false;
    return QMessageBox::question(QApplication::activeWindow(), "Ferrovan", QString::fromStdString(text)) ==
           QMessageBox::Yes;
  };
  app.FrontEnd.PickFile = [](const std::string& title, const std::string& filter,
                             const std::string& fileName) -> std::string {
    if (!qApp) return "";
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), QString::fromStdString(title),
                                        QString::fromStdString(fileName), QString::fromStdString(filter))
        .toStdString();
  };
}
