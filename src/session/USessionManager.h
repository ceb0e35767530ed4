#pragma once

class TDBObjectFactory;

// Writes batch files that run a saved session unattended.
class TConvertBatchFileCreator {
public:
  TConvertBatchFileCreator(TDBObjectFactory* sourceFactory, TDBObjectFactory* destFactory)
      : SourceFactory(sourceFactory), DestFactory(destFactory) {}
  virtual ~TConvertBatchFileCreator() = default;

protected:
  TDBObjectFactory* SourceFactory;
  TDBObjectFactory* DestFactory;
};

// Saves sessions, asking first where the user must decide.
class TSessionManager {
public:
  explicit TSessionManager(TConvertBatchFileCreator* batchFileCreator) : BatchFileCreator(batchFileCreator) {}
  virtual ~TSessionManager() = default;

protected:
  TConvertBatchFileCreator* BatchFileCreator;
};
