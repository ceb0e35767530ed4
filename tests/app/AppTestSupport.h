#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/UApp.h"
#include "app/USessionExecutorFactory.h"
#include "base/UExceptions.h"
#include "dac/UDataAccess.h"
#include "dialect/UDBLogon.h"
#include "dialect/UDBObjectFactory.h"
#include "dialect/USqlCreator.h"
#include "engine/UConvertObjectFactory.h"
#include "engine/UDataReader.h"
#include "engine/UDataWriter.h"
#include "engine/UDateFormatParser.h"
#include "engine/UOutputer.h"
#include "session/UConvertSession.h"
#include "session/USessionExecutor.h"
#include "session/UTransveySession.h"
#include "sqlite/USqliteDBDictionary.h"
#include "sqlite/USqliteReader.h"
#include "sqlite/USqliteTableCreator.h"

// A logon that records what it was given and answers as told: the command-line
// processor's own behaviour is under test here, not a database.
class TRecordingLogon : public TDBLogon {
public:
  bool LogonByParams(const TStringList& params) override {
    Calls.push_back(params);
    if (!Error.empty()) throw EDatabaseError(Error);
    return Result;
  }
  std::unique_ptr<TDBLogonOption> CreateLogonOption() override { return nullptr; }
  bool TestConnection() override { return Result; }
  void Logoff() override {}
  bool IsConnected() const override { return Result; }

  bool Result = true;
  std::string Error;
  std::vector<TStringList> Calls;
};

class TTestDBObjectFactory : public TDBObjectFactory {
public:
  std::unique_ptr<TDBDictionary> CreateDictionary() override { return std::make_unique<TSqliteDBDictionary>(); }
  std::unique_ptr<TDBLogon> CreateLogon() override { return std::make_unique<TRecordingLogon>(); }
  std::unique_ptr<TUniConnection> CreateConnection() override {
    auto c = std::make_unique<TUniConnection>();
    c->ProviderName = "Sqlite";
    return c;
  }
  std::unique_ptr<TTableCreator> CreateTableCreator() override { return std::make_unique<TSqliteTableCreator>(); }
  TRecordingLogon& TestLogon() { return *static_cast<TRecordingLogon*>(Logon()); }
};

class TTestConvertObjectFactory : public TConvertObjectFactory {
public:
  std::unique_ptr<TDBReader> CreateReader() override { return std::make_unique<TSqliteReader>(); }
  std::unique_ptr<TDataWriter> CreateWriter() override { return std::make_unique<TDataWriter>(); }
  std::unique_ptr<TSqlCreator> CreateSqlCreator() override { return std::make_unique<TSqlCreator>(); }
  std::unique_ptr<TDateFormatParser> CreateDateFormatParser() override {
    return std::make_unique<TSqliteDateFormatParser>();
  }
};

// Session runs are recorded by file name with the log file they were given.
struct TSessionRun {
  std::string SessionFile;
  std::string LogFile;
};

class TRecordingExecutor : public TSessionExecutor {
public:
  TRecordingExecutor(std::vector<TSessionRun>* runs, TSessionRun run, int resultCode)
      : Runs(runs), Run(std::move(run)) {
    ResultCode = resultCode;
  }
  bool Execute() override {
    if (!Session || !Outputer) throw Exception("executor not configured");
    Runs->push_back(Run);
    return true;
  }
  void Stop() override {}

private:
  std::vector<TSessionRun>* Runs;
  TSessionRun Run;
};

class TRecordingExecutorFactory : public TTransveySessionExecutorFactory {
public:
  TRecordingExecutorFactory() : TTransveySessionExecutorFactory(nullptr, nullptr, nullptr, nullptr) {}
  std::unique_ptr<TConvertSession> CreateSession(const std::string&) override {
    return std::make_unique<TTransveyTableLoadSession>(nullptr, nullptr, nullptr, nullptr);
  }
  std::unique_ptr<TOutputer> CreateOutputer(const std::string& fileName, const std::string& logFile) override {
    LastLogFile = logFile;
    return TConvertSessionExecutorFactory::CreateOutputer(fileName, logFile);
  }
  std::unique_ptr<TSessionExecutor> CreateExecutor(const std::string& fileName) override {
    return std::make_unique<TRecordingExecutor>(&Runs, TSessionRun{fileName, LastLogFile}, ResultCode);
  }

  std::vector<TSessionRun> Runs;
  std::string LastLogFile;
  int ResultCode = 0;
};

template <class Factory>
std::unique_ptr<Factory> MakeFactory() {
  auto f = std::make_unique<Factory>();
  f->Initialize();
  return f;
}
