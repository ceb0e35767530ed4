#include "app/UCmdLineProcessor.h"

#include <iostream>
#include <utility>

#include "app/ULogger.h"
#include "app/USessionExecutorFactory.h"
#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/UTextFile.h"
#include "dialect/UDBLogon.h"
#include "dialect/UDBObjectFactory.h"
#include "dialect/USqlExecutor.h"
#include "engine/UOutputer.h"
#include "session/UConvertSession.h"
#include "session/USessionExecutor.h"
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
         "  verify=1|0              after each item of a session, check the destination's row\n"
         "                          count against the rows converted (Append: the rows added,\n"
         "                          Replace: the rows held, Update: the rows the database\n"
         "                          reports updated); a mismatch fails the item. Without the\n"
         "                          key, each session file's Verify setting counts\n"
         "Only the first of workspace, session, source_sql, dest_sql, sql runs. Logon keys\n"
         "alone only log on. Any other key (source_db_type and dest_db_type of batch files\n"
         "aside) is named on standard error and ignored; with no action key, the run then\n"
         "ends with 3.\n"
         "\n"
         "Every failure, and every warning (settings or folders that cannot be kept), is\n"
         "printed to standard error as one line, with or without a log file, with the\n"
         "same text the log gets.\n"
         "\n"
         "Environment:\n"
         "  FERROVAN_DB2_PASSWORD   the DB2 password when neither db2_password nor password\n"
         "                          is given: it stays out of the process list\n"
         "\n"
         "  --help, -h              this text\n"
         "  --version               the version\n"
         "\n"
         "Exit codes:\n"
         "  0  everything asked was done and no row failed\n"
         "  1  an unexpected error ended the run (a log file that cannot be written, say)\n"
         "  2  the run could not start: bad command line, a logon failed, or no DB2 ODBC\n"
         "     driver is registered\n"
         "  3  the run finished with failures: missing or invalid session or workspace file,\n"
         "     a failed SQL statement, a failed or stopped item, the error limit exceeded,\n"
         "     a failed row count check, no action run because of an unknown key\n"
         "  4  the run finished, but some rows were rejected within the tolerated errors\n";
}

std::string ConsoleLineText(const std::string& text) {
  std::string line;
  bool lineBreak = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      lineBreak = true;
      continue;
    }
    if (lineBreak && !line.empty()) line += ' ';
    lineBreak = false;
    line += c;
  }
  return line;
}

void WriteConsoleLine(const std::string& text) { std::cerr << "ferrovan: " << text << std::endl; }

TCmdLineProcessor::TCmdLineProcessor() : Logger(std::make_unique<TFileLogger>("")) {}

TCmdLineProcessor::~TCmdLineProcessor() = default;

bool TCmdLineProcessor::Execute(const TStringList& params) {
  if (params.Empty()) return false;
  Params.AddStrings(params);
  LogFileName = ParamValue("logfile");
  Logger = std::make_unique<TFileLogger>(LogFileName);
  for (const auto& warning : std::exchange(PendingWarnings, {})) Report(warning);
  return Process();
}

void TCmdLineProcessor::Report(const std::string& text, const std::string& context) {
  if (Console) Console(ConsoleLineText(context.empty() ? text : context + ": " + text));
  Logger->Log(text);
}

namespace {

// Every key the command line knows: the actions, the log, the logons with their
// short fallbacks, and the database kinds that batch files carry (written, not read).
const char* const KnownKeys[] = {
    "logfile",         "workspace", "session",        "source_sql",   "dest_sql",     "sql",
    "sqlite_database", "database",  "db2_username",   "username",     "db2_password", "password",
    "db2_server",      "server",    "db2_protocol",   "protocol",     "db2_hostname", "hostname",
    "db2_port",        "port",      "source_db_type", "dest_db_type", "verify"};

bool IsKnownKey(const std::string& name) {
  for (const char* key : KnownKeys)
    if (SameText(name, key)) return true;
  return false;
}

}  // namespace

std::vector<std::string> TDBConvertCmdLineProcessor::CheckKeys() {
  std::vector<std::string> unknown;
  for (int i = 0; i < Params.Count(); ++i) {
    const std::string& param = Params[i];
    auto eq = param.find('=');
    if (eq == std::string::npos) {
      // Only a key name is shown: any other word may be part of a password.
      std::string name = Trim(param);
      if (IsKnownKey(name)) {
        unknown.push_back("\"" + name + "\"");
        Report("The key \"" + name + "\" has no \"=\" and no value, ignored.");
      } else {
        unknown.push_back("parameter " + std::to_string(i + 1));
        Report("Parameter " + std::to_string(i + 1) + " is not of the form key=value, ignored.");
      }
    } else if (std::string name = param.substr(0, eq); !IsKnownKey(name)) {
      unknown.push_back("\"" + name + "\"");
      Report("Unknown key \"" + name + "\" on the command line, ignored.");
    }
  }
  return unknown;
}

bool TDBConvertCmdLineProcessor::Process() {
  std::vector<std::string> unknown = CheckKeys();
  if (std::string verify = ParamValue("verify"); !verify.empty()) {
    bool on = false;
    if (!TryStrToBool(verify, on)) {
      Report("The value of verify must be 1 or 0, not \"" + verify + "\".");
      // Nothing runs, and no front end opens on a command line that asked for a run.
      ReportOutcome(ecNotStarted);
      return true;
    }
    Verify = on ? 1 : 0;
  }
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
  } else if (!unknown.empty()) {
    // Logon keys alone are a logon test; with a key nobody knows, the user meant an
    // action (a misspelt "session", say) and must hear that none ran.
    std::string names;
    for (const auto& n : unknown) names += (names.empty() ? "" : ", ") + n;
    Report("No action ran: no workspace, session, source_sql, dest_sql or sql key was given, and " + names +
           (unknown.size() == 1 ? " was" : " were") + " ignored as unknown.");
    ReportOutcome(ecFailed);
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
    Report(ExceptionMessage(e));
    result = false;
  }
  return result;
}

void TDBConvertCmdLineProcessor::RunWorkspace() {
  if (!FileExists(WorkspaceFile)) {
    Report("workspace file: " + WorkspaceFile + " not exists.");
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
    Report("session file: " + SessionFile + " not exists.");
    ReportOutcome(ecFailed);
    return;
  }
  Logger->Log(SessionFile);
  if (!ExecutorFactory->IsSessionFile(SessionFile)) {
    Report("invalid session file.", SessionFile);
    ReportOutcome(ecFailed);
    return;
  }
  TConvertSessionCmdHandler handler(ExecutorFactory);
  handler.Verify = Verify;
  // The outputer logs the run's failures itself; the console gets them here.
  handler.OnFailure = [this](const std::string& text) {
    if (Console) Console(ConsoleLineText(SessionFile + ": " + text));
  };
  handler.OnWarning = [this](const std::string& text) { Report(text, SessionFile); };
  try {
    ReportOutcome(handler.Execute(SessionFile, LogFileName));
  } catch (const ESessionValueError& e) {
    // A value that does not parse ends this session before anything is read or
    // written; the next session of a workspace still runs. The message names the file.
    if (Console) Console(ConsoleLineText(e.Detail.empty() ? e.Message : e.Message + " " + e.Detail));
    Logger->Log(e.Message);
    if (!e.Detail.empty()) Logger->Log(e.Detail);
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
    Report("can not execute sql file, check your parameter sql/source_sql/dest_sql.");
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
      Report("exception: " + ExceptionMessage(e));
      ReportOutcome(ecFailed);
    }
  }
  Logger->Log("end execute sql.");
}

int TConvertSessionCmdHandler::Execute(const std::string& sessionFile, const std::string& logFile) {
  auto session = ExecutorFactory->CreateSession(sessionFile);
  if (Verify >= 0) session->ConvertOptions->Verify = Verify == 1;
  if (OnWarning && session->MruList)
    for (const auto& warning : session->MruList->TakeWarnings()) OnWarning(warning);
  auto outputer = ExecutorFactory->CreateOutputer(sessionFile, logFile);
  outputer->OnFailure = OnFailure;
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
