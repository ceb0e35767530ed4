#pragma once

#include <QWidget>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dac/UDataAccess.h"
#include "db2/UDB2DBObjectFactory.h"
#include "dialect/UDBObjectFactory.h"
#include "sqlite/USqliteDBObjectFactory.h"
#include "ui/UChildWindow.h"

// The Chinook file of the fixtures.
inline std::string ChinookFile() { return FERROVAN_SOURCE_DIR "/tests/fixtures/chinook/Chinook_Sqlite.sqlite"; }

inline std::string TestEnv(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The two sides of the application, as the main window gets them.
struct TTestSides {
  TTestSides() {
    Source = std::make_unique<TSqliteDBObjectFactory>();
    Source->Initialize();
    Dest = std::make_unique<TDB2DBObjectFactory>();
    Dest->Initialize();
  }
  void ConnectSource() {
    Source->Connection()->Database = ChinookFile();
    Source->Connection()->Connect();
  }
  // The DB2 test server of the CTest fixture, as a user of the logon window reaches it.
  void ConnectDest() {
    TUniConnection& c = *Dest->Connection();
    c.Username = TestEnv("FERROVAN_TEST_DB2_USER");
    c.Password = TestEnv("FERROVAN_TEST_DB2_PASSWORD");
    c.Server = "Driver=IBM DB2 ODBC DRIVER;Database=" + TestEnv("FERROVAN_TEST_DB2_DATABASE") +
               ";Protocol=Standard;Hostname=;Port=";
    c.Connect();
  }
  std::unique_ptr<TDBObjectFactory> Source, Dest;
};

// A window of the tests' own in a tab: it says whether it runs, whether it may close
// and which file it has, and records when it closes.
class TTestChild : public QWidget, public TChildWindow {
 public:
  explicit TTestChild(std::string file = "", std::vector<std::string>* closed = nullptr)
      : File(std::move(file)), Closed(closed) {}
  bool CloseQuery() override {
    if (AllowClose && Closed) Closed->push_back(windowTitle().toStdString());
    return AllowClose;
  }
  std::string GetActiveFileName() override { return File; }
  bool IsRunning() const override { return Running; }

  std::string File;
  std::vector<std::string>* Closed;
  bool Running = false;
  bool AllowClose = true;
};
