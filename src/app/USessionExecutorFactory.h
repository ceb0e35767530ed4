#pragma once

#include <memory>
#include <string>

class TConvertSession;
class TSessionExecutor;
class TOutputer;
class TDBObjectFactory;
class TConvertObjectFactory;
class TLogSink;
class TSettingsStore;

// Turns a session file into a runnable session, by its extension.
class TSessionExecutorFactory {
public:
  virtual ~TSessionExecutorFactory() = default;
  virtual bool IsSessionFile(const std::string& fileName) = 0;
  virtual std::unique_ptr<TConvertSession> CreateSession(const std::string& fileName) = 0;
  virtual std::unique_ptr<TSessionExecutor> CreateExecutor(const std::string& fileName) = 0;
  virtual std::unique_ptr<TOutputer> CreateOutputer(const std::string& fileName, const std::string& logFile) = 0;

  // Handed to the sessions and executors made (not owned); without them errors and
  // dumps go nowhere and no recent list is kept.
  TLogSink* LogSink = nullptr;
  TSettingsStore* SettingsStore = nullptr;
};

class TConvertSessionExecutorFactory : public TSessionExecutorFactory {
public:
  std::unique_ptr<TSessionExecutor> CreateExecutor(const std::string& fileName) override;
  std::unique_ptr<TOutputer> CreateOutputer(const std::string& fileName, const std::string& logFile) override;
};

class TTransveySessionExecutorFactory : public TConvertSessionExecutorFactory {
public:
  TTransveySessionExecutorFactory(TDBObjectFactory* sourceDBObjectFactory, TDBObjectFactory* destDBObjectFactory,
                                  TConvertObjectFactory* sourceConvertObjectFactory,
                                  TConvertObjectFactory* destConvertObjectFactory)
      : SourceDBObjectFactory(sourceDBObjectFactory),
        DestDBObjectFactory(destDBObjectFactory),
        SourceConvertObjectFactory(sourceConvertObjectFactory),
        DestConvertObjectFactory(destConvertObjectFactory) {}

  // True for ".uld", ".ula" and ".ulq", written in lower case.
  bool IsSessionFile(const std::string& fileName) override;
  std::unique_ptr<TConvertSession> CreateSession(const std::string& fileName) override;

protected:
  TDBObjectFactory* SourceDBObjectFactory;
  TDBObjectFactory* DestDBObjectFactory;
  TConvertObjectFactory* SourceConvertObjectFactory;
  TConvertObjectFactory* DestConvertObjectFactory;
};
