#pragma once

// The source end of a transfer: a forward cursor whose values cross as text.
class TDataReader {
public:
  virtual ~TDataReader() = default;
};

// A reader over one statement of one database.
class TDBReader : public TDataReader {
public:
  virtual void SetFetchRows(int rows) { FetchRows = rows; }
  virtual int GetFetchRows() const { return FetchRows; }

private:
  int FetchRows = 50;
};
