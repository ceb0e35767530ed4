#include "app/USessionExecutorFactory.h"

#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "engine/UOutputer.h"
#include "engine/USessionExecutor.h"
#include "session/UConvertSession.h"

std::unique_ptr<TSessionExecutor> TConvertSessionExecutorFactory::CreateExecutor(const std::string&) {
  return std::make_unique<TConvertSessionExecutor>();
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
  throw Exception("Session file \"" + fileName + "\" cannot be run: this build has no session support yet");
}
