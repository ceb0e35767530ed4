#pragma once

#include <memory>

#include "engine/UUniDBReader.h"

class TDB2RecordCounter;

// Reads a DB2 table or query. Version 6 servers cannot count a result for the query,
// so the reader counts with a statement of its own there.
class TDB2Reader : public TUniDBReader {
 public:
  TDB2Reader();
  ~TDB2Reader() override;

  std::unique_ptr<TDBHelper> CreateDBHelper() override;
  // Binds the record counter too; the server test runs now when the connection is
  // open, else at the first Open.
  void SetConnection(TUniConnection* connection) override;
  void Open() override;
  // Version 6: the counter's statement "select count(1) from (" + SQL + ")". Others:
  // the query's count, falling back to that statement. UnknownRecordCount when the
  // statement fails too.
  void UpdateRecordCount() override;

  bool IsVersion6() const { return FVersion6; }

 private:
  void TestServer();

  std::unique_ptr<TDB2RecordCounter> FRecordCounter;
  bool FServerTested = false;
  bool FVersion6 = false;
};
