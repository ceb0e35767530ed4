#include "sqlite/USqliteReader.h"

#include "dac/UDataAccess.h"
#include "sqlite/USqliteDBDictionary.h"

TSqliteReader::TSqliteReader() { InitDBHelper(); }

TSqliteReader::~TSqliteReader() {
  try {
    if (Query()) Query()->Close();
    EndReadTransaction(false);
  } catch (...) {
  }
}

std::unique_ptr<TDBHelper> TSqliteReader::CreateDBHelper() { return std::make_unique<TSqliteDBHelper>(); }

void TSqliteReader::Open() {
  // A reader opened again without a Close in between starts from a new snapshot.
  if (Query()) Query()->Close();
  EndReadTransaction(true);
  TUniConnection* connection = Connection();
  if (connection && !connection->InTransaction()) {
    connection->StartTransaction();
    FOwnsTransaction = true;
  }
  try {
    TUniDBReader::Open();
  } catch (...) {
    try {
      EndReadTransaction(false);
    } catch (...) {
    }
    throw;
  }
}

void TSqliteReader::Close() {
  TUniDBReader::Close();
  EndReadTransaction(true);
}

void TSqliteReader::EndReadTransaction(bool commit) {
  if (!FOwnsTransaction) return;
  FOwnsTransaction = false;
  TUniConnection* connection = Connection();
  if (!connection) return;
  // Commit keeps what a multi-statement query text may have written, as running it
  // outside a transaction would have.
  if (commit)
    connection->Commit();
  else
    connection->Rollback();
}
