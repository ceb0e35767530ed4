#include "app/UCmdLineProcessor.h"

#include <iostream>

#include "app/UFactories.h"
#include "app/ULogger.h"
#include "app/USessionExecutorFactory.h"
#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/UTextFile.h"
#include "dialect/UDBLogon.h"
#include "dialect/USqlExecutor.h"
#include "engine/UOutputer.h"
#include "engine/USessionExecutor.h"
#include "session/UConvertSession.h"
#include "session/USessionValues.h"

std::string CommandLineUsage() {
  return "Usage: ferrovan key=value ...\n"
         "\n"
         "Copies data from a SQLite file into DB2, unattended. Keys (any case; the first\n"
         "occurrence counts; quote values with blanks):\n"
         "  logfile=FILE            log of the run; without it nothing is logged\n"
         "  workspace=FILE          run every session file listed in FILE, one per line\n"
         "  session=FILE            run one session file (.uld table, .ulq query, .ula all tables)\n"
         "  source_sql=FILE         run a SQL file as a script against the SQLite source\n"
         "  dest_sql=FILE           run a SQL file as a script against the DB2 destination\n"
         "  sql=FILE                run a SQL file against the source\n"
         "  sqlite_database=FILE    the SQLite file (fallback key: database)\n"
         "  db2_username=NAME       DB2 user (fallback: username)\n"
         "  db2_password=TEXT       DB2 password (fallback: password)\n"
         "  db2_server=NAME         DB2 database name or alias (fallback: server)\n"
         "  db2_protocol=TCPIP|Standard  default Standard (fallback: protocol)\n"
         "  db2_hostname=HOST       with TCPIP (fallback: hostname)\n"
         "  db2_port=PORT           with TCPIP (fallback: port)\n"
         "Only the first of workspace, session, source_sql, dest_sql, sql runs.\n"
         "\n"
         "  --help, -h              this text\n"
         "  --version               the version\n"
         "\n"
         "Exit codes:\n"
         "  0  everything asked was done and no row failed\n"
         "  1  an unexpected error ended the run (a log file that cannot be written, say)\n"
         "  2  the run could not start: bad command line, or a logon failed\n"
         "  3  the run finished with failures: missing or invalid session or workspace file,\n"
         "     a failed SQL statement, a failed or stopped item, the error limit exceeded\n"
         "  4  the run finished, but some rows were rejected within the tolerated errors\n";
}

TCmdLineProcessor::TCmdLineProcessor() : Logger(std::make_unique<TFileLogger>("")) {}

TCmdLineProcessor::~TCmdLineProcessor() = default;

bool TCmdLineProcessor::Execute(const TStringList& params) {
  if (params.Empty()) return false;
  Params.AddStrings(params);
  LogFileName = ParamValue("logfile");
  Logger = std::make_unique<TFileLogger>(LogFileName);
  return Process();
}

bool TDBConvertCmdLineProcessor::Process() {
  if (!Logon()) {
    ReportOutcome(ecNotStarted);
    return false;
  }
  if (WorkspaceFile = ParamValue("workspace"); !WorkspaceFile.empty()) {
    RunWorkspace();
  } else if (SessionFile = ParamValue("session"); !SessionFile.empty()) {
    RunSession();
  } else if (SqlFile = ParamValue("source_sql"); !SqlFile.empty()) {
    SqlTarget = "source";
    ExecuteSqlFile();
  } else if (SqlFile = ParamValue("dest_sql"); !SqlFile.empty()) {
    SqlTarget = "dest";
    ExecuteSqlFile();
  } else if (SqlFile = ParamValue("sql"); !SqlFile.empty()) {
    SqlTarget = "check";
    ExecuteSqlFile();
  }
  return true;
}

bool TDBConvertCmdLineProcessor::Logon() {
  bool result = false;
  try {
    if (SourceDBObjectFactory) {
      result = SourceDBObjectFactory->Logon()->LogonByParams(Params);
      if (!result) return false;
    }
    if (DestDBObjectFactory && DestDBObjectFactory != SourceDBObjectFactory)
      result = DestDBObjectFactory->Logon()->LogonByParams(Params);
  } catch (const std::exception& e) {
    Logger->Log(ExceptionMessage(e));
    result = false;
  }
  return result;
}

void TDBConvertCmdLineProcessor::RunWorkspace() {
  if (!FileExists(WorkspaceFile)) {
    Logger->Log("workspace file: " + WorkspaceFile + " not exists.");
    ReportOutcome(ecFailed);
    return;
  }
  Logger->Log(WorkspaceFile);
  TStringList lines;
  lines.SetText(ReadTextFile(WorkspaceFile));
  for (int i = 0; i < lines.Count(); ++i) {
    SessionFile = lines[i];  // as read: an empty line is reported, not skipped
    RunSession();
  }
}

void TDBConvertCmdLineProcessor::RunSession() {
  if (!FileExists(SessionFile)) {
    Logger->Log("session file: " + SessionFile + " not exists.");
    ReportOutcome(ecFailed);
    return;
  }
  Logger->Log(SessionFile);
  if (!ExecutorFactory->IsSessionFile(SessionFile)) {
    Logger->Log("invalid session file.");
    ReportOutcome(ecFailed);
    return;
  }
  TConvertSessionCmdHandler handler(ExecutorFactory);
  try {
    ReportOutcome(handler.Execute(SessionFile, LogFileName));
  } catch (const ESessionValueError& e) {
    // A value that does not parse ends this session before anything is read or
    // written; the next session of a workspace still runs.
    for (const std::string* text : {&e.Message, &e.Detail}) {
      if (text->empty()) continue;
      Logger->Log(*text);
      std::cerr << "ferrovan: " << *text << "\n";
    }
    ReportOutcome(ecFailed);
  }
}

void TDBConvertCmdLineProcessor::ExecuteSqlFile() {
  TDBObjectFactory* factory = nullptr;
  if (SqlTarget == "source")
    factory = SourceDBObjectFactory;
  else if (SqlTarget == "dest")
    factory = DestDBObjectFactory;
  else
    factory = SourceDBObjectFactory ? SourceDBObjectFactory : DestDBObjectFactory;
  if (!factory) {
    Logger->Log("can not execute sql file, check your parameter sql/source_sql/dest_sql.");
    ReportOutcome(ecFailed);
    return;
  }
  Logger->Log("start execute sql.");
  {
    TUniSqlExecutor executor;
    executor.SetConnection(factory->Connection());
    try {
      std::string text = ReadTextFile(SqlFile);
      Logger->Log(text);
      executor.Execute(text);
    } catch (const std::exception& e) {
      Logger->Log("exception: " + ExceptionMessage(e));
      ReportOutcome(ecFailed);
    }
  }
  Logger->Log("end execute sql.");
}

int TConvertSessionCmdHandler::Execute(const std::string& sessionFile, const std::string& logFile) {
  auto session = ExecutorFactory->CreateSession(sessionFile);
  auto outputer = ExecutorFactory->CreateOutputer(sessionFile, logFile);
  auto executor = ExecutorFactory->CreateExecutor(sessionFile);
  executor->SetSession(session.get());
  executor->SetOutputer(outputer.get());
  executor->Execute();
  int code = executor->ResultCode;
  executor.reset();
  outputer.reset();
  session.reset();
  return code;
}
