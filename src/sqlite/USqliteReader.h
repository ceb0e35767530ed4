#pragma once

#include <memory>

#include "engine/UUniDBReader.h"

// Reads a SQLite table or query. The record count and the rows come from one read
// transaction, so rows another process adds to a live file while the reader is open
// can neither be counted without being handed out nor handed out beyond the count.
class TSqliteReader : public TUniDBReader {
 public:
  TSqliteReader();
  ~TSqliteReader() override;

  std::unique_ptr<TDBHelper> CreateDBHelper() override;
  // Begins a read transaction unless the connection is in one already, then opens.
  void Open() override;
  // Closes, then ends the read transaction Open began.
  void Close() override;

 private:
  void EndReadTransaction(bool commit);

  bool FOwnsTransaction = false;
};
