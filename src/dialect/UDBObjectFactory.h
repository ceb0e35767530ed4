#pragma once

#include <memory>

class TUniConnection;
class TDBDictionary;
class TDBLogon;
class TTableCreator;
class TUniSqlExecutor;

// The source of connection-related objects of one kind of database. It owns the one
// connection of its side, shared by its dictionary, its logon and everything the
// convert-object factory of the same side makes.
class TDBObjectFactory {
public:
  TDBObjectFactory();
  virtual ~TDBObjectFactory();
  TDBObjectFactory(const TDBObjectFactory&) = delete;
  TDBObjectFactory& operator=(const TDBObjectFactory&) = delete;

  // Creates the connection, the dictionary and the logon, in that order, and binds
  // the last two to the connection. Called once, right after construction, because
  // the kinds supply the objects through virtual operations.
  void Initialize();

  virtual std::unique_ptr<TDBDictionary> CreateDictionary() = 0;
  virtual std::unique_ptr<TDBLogon> CreateLogon() = 0;
  virtual std::unique_ptr<TUniConnection> CreateConnection() = 0;
  virtual std::unique_ptr<TTableCreator> CreateTableCreator() = 0;

  std::unique_ptr<TUniSqlExecutor> CreateSqlExecutor();

  TUniConnection* Connection() const { return FConnection.get(); }
  TDBDictionary* Dictionary() const { return FDictionary.get(); }
  TDBLogon* Logon() const { return FLogon.get(); }

private:
  std::unique_ptr<TUniConnection> FConnection;
  std::unique_ptr<TDBDictionary> FDictionary;
  std::unique_ptr<TDBLogon> FLogon;
};
