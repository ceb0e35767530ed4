#include "db2/UDB2Reader.h"

#include "dac/UDataAccess.h"
#include "db2/UDB2DBDictionary.h"

TDB2Reader::TDB2Reader() : FRecordCounter(std::make_unique<TDB2RecordCounter>()) { InitDBHelper(); }

TDB2Reader::~TDB2Reader() = default;

std::unique_ptr<TDBHelper> TDB2Reader::CreateDBHelper() { return std::make_unique<TDB2DBHelper>(); }

void TDB2Reader::SetConnection(TUniConnection* connection) {
  TUniDBReader::SetConnection(connection);
  FRecordCounter->SetConnection(connection);
  FServerTested = false;
  // Asking an unopened connection would make the query try to log on by itself.
  if (connection && connection->Connected()) TestServer();
}

void TDB2Reader::TestServer() {
  try {
    FVersion6 = FRecordCounter->IsVersion6();
  } catch (const std::exception&) {
    // Without a readable version the reader counts as on any other server.
    FVersion6 = false;
  }
  FServerTested = true;
  SetQueryRecCount(!FVersion6);
}

void TDB2Reader::Open() {
  if (!FServerTested) TestServer();
  TUniDBReader::Open();
}

void TDB2Reader::UpdateRecordCount() {
  // The counter itself answers 0 for a failing count, which cannot be told from an
  // empty result; its statement is run here so that a failure stays unknown.
  if (!FVersion6) {
    try {
      RecordCount = Query()->RecordCount();
      return;
    } catch (const std::exception&) {
    }
  }
  RecordCount = CountWith(TDB2RecordCounter::CountSql(Sql));
}
