#pragma once

class TUniConnection;

// What the program asks about a database's structure; each kind supplies its own.
class TDBDictionary {
public:
  virtual ~TDBDictionary() = default;
  void SetConnection(TUniConnection* connection) { Connection = connection; }
  TUniConnection* GetConnection() const { return Connection; }

protected:
  TUniConnection* Connection = nullptr;
};
