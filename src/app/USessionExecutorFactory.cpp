#include "app/USessionExecutorFactory.h"

#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "engine/UOutputer.h"
#include "session/UConvertSession.h"
#include "session/USessionExecutor.h"
#include "session/UTransveySession.h"

std::unique_ptr<TSessionExecutor> TConvertSessionExecutorFactory::CreateExecutor(const std::string&) {
  auto executor = std::make_unique<TConvertSessionExecutor>();
  executor->SetLogSink(LogSink);
  return executor;
}

std::unique_ptr<TOutputer> TConvertSessionExecutorFactory::CreateOutputer(const std::string&,
                                                                          const std::string& logFile) {
  auto outputer = std::make_unique<TLogConvertOutputer>();
  outputer->SetLogFile(logFile);
  return outputer;
}

bool TTransveySessionExecutorFactory::IsSessionFile(const std::string& fileName) {
  std::string ext = ExtractFileExt(fileName);
  return ext == ".uld" || ext == ".ula" || ext == ".ulq";
}

std::unique_ptr<TConvertSession> TTransveySessionExecutorFactory::CreateSession(const std::string& fileName) {
  std::string ext = ExtractFileExt(fileName);
  std::unique_ptr<TConvertSession> session;
  if (ext == ".uld")
    session = std::make_unique<TTransveyTableLoadSession>(SourceDBObjectFactory, DestDBObjectFactory,
                                                          SourceConvertObjectFactory, DestConvertObjectFactory);
  else if (ext == ".ula")
    session = std::make_unique<TTransveyBatchLoadSession>(SourceDBObjectFactory, DestDBObjectFactory,
                                                          SourceConvertObjectFactory, DestConvertObjectFactory);
  else if (ext == ".ulq")
    session = std::make_unique<TTransveyQueryLoadSession>(SourceDBObjectFactory, DestDBObjectFactory,
                                                          SourceConvertObjectFactory, DestConvertObjectFactory);
  else
    throw Exception("\"" + fileName + "\" is not a session file");
  session->LogSink = LogSink;
  session->MruList->Store = SettingsStore;
  session->LoadFromFile(fileName);
  return session;
}
