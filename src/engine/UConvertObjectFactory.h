#pragma once

#include <memory>

class TUniConnection;
class TDBReader;
class TDataWriter;
class TSqlCreator;
class TDateFormatParser;

// The source of conversion objects of one kind of database; borrows the connection
// of the database-object factory of its side.
class TConvertObjectFactory {
 public:
  virtual ~TConvertObjectFactory();

  virtual std::unique_ptr<TDBReader> CreateReader() = 0;
  virtual std::unique_ptr<TDataWriter> CreateWriter() = 0;
  virtual std::unique_ptr<TSqlCreator> CreateSqlCreator() = 0;
  virtual std::unique_ptr<TDateFormatParser> CreateDateFormatParser() = 0;

  // A reader that fetches the converter-wide number of rows per round trip.
  std::unique_ptr<TDBReader> CreateDataReader();

  void SetConnection(TUniConnection* connection) { FConnection = connection; }
  TUniConnection* Connection() const { return FConnection; }
  // The converter-wide rows per round trip, handed in by whoever assembles the
  // factories; 0 leaves the reader's own.
  void SetFetchRows(int rows) { FFetchRows = rows; }

 private:
  TUniConnection* FConnection = nullptr;
  int FFetchRows = 0;
};
