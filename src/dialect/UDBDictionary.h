#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/UStrings.h"
#include "dialect/UTableInfo.h"

class TUniConnection;
class TUniQuery;

// Writes names and literals into SQL text the way one kind of database reads them.
class TDBHelper {
public:
  virtual ~TDBHelper() = default;
  // The name as written in SQL text; the base kind leaves it as it is.
  virtual std::string QuoteName(const std::string& name);
  // Every single quote doubled; the enclosing quotes are the caller's.
  virtual std::string QuoteValue(const std::string& text);

  // QuoteName(table), or QuoteName(schema) + "." + QuoteName(table); both trimmed first.
  std::string GetFullName(const std::string& schema, const std::string& table);
  // QuoteName of each entry, joined by "," without blanks.
  std::string JoinNames(const TStringList& names);
};

// What the program asks about a database's structure. Nothing is cached: every call
// asks the database again. Every list returned belongs to the caller.
//
// A column list holds one name=type entry per column in table order (see SetColumn).
class TDBDictionary {
public:
  TDBDictionary() = default;
  virtual ~TDBDictionary();
  TDBDictionary(const TDBDictionary&) = delete;
  TDBDictionary& operator=(const TDBDictionary&) = delete;

  virtual std::unique_ptr<TDBHelper> CreateHelper() = 0;
  virtual std::string GetConnectionCaption() = 0;
  virtual std::unique_ptr<TStringList> GetSchemas() = 0;
  virtual std::string GetDefaultSchema() = 0;
  virtual std::unique_ptr<TStringList> GetTables(const std::string& schema) = 0;
  virtual std::unique_ptr<TStringList> GetViews(const std::string& schema) = 0;
  virtual std::unique_ptr<TStringList> GetColumns(const std::string& schema, const std::string& table) = 0;
  virtual std::unique_ptr<TStringList> GetDateFields(const TStringList& columns) = 0;
  virtual std::unique_ptr<TStringList> GetNumberFields(const TStringList& columns) = 0;
  virtual std::unique_ptr<TStringList> GetLobFields(const TStringList& columns) = 0;
  // Whether the data-access layer may run a count query of its own for sqlText.
  virtual bool CanQueryRecCount(const std::string& sqlText);

  void SetConnection(TUniConnection* connection) { Connection = connection; }
  TUniConnection* GetConnection() const { return Connection; }
  // "Sqlite" or "DB2": the connection's provider name.
  std::string GetProviderName() const;
  TDBHelper* Helper();

  std::string GetFullTableName(const std::string& schema, const std::string& table);
  std::string GetSelectAllSql(const std::string& schema, const std::string& table);
  std::string GetCountSql(const std::string& schema, const std::string& table);

  // Sets name=type in a column list: an empty type adds no entry (and removes one of
  // that name); a name equal to an earlier one without regard to case replaces that
  // entry's type in place.
  static void SetColumn(TStringList& columns, const std::string& name, const std::string& type);
  // The names of the entries whose upper-cased type is one of types, in list order.
  static std::unique_ptr<TStringList> FilterByType(const TStringList& columns,
                                                   std::initializer_list<const char*> types);

  // Where the errors go that a kind reports to the user and then carries on from (a
  // message box in the interactive program). Unset: they are only kept in LastError.
  std::function<void(const std::string&)> OnShowMessage;
  // The text of the last error reported that way; cleared at the start of such a call.
  std::string LastError;

protected:
  void ShowMessage(const std::string& text);

  TUniConnection* Connection = nullptr;

private:
  std::unique_ptr<TDBHelper> FHelper;
};

// The kinds reached through the data-access layer's catalogue look-ups.
class TUniDBDictionary : public TDBDictionary {
public:
  std::string GetConnectionCaption() override;
  std::unique_ptr<TStringList> GetTables(const std::string& schema) override;
  std::unique_ptr<TStringList> GetViews(const std::string& schema) override;

  // A new query on the dictionary's connection.
  std::unique_ptr<TUniQuery> CreateQuery();
  // The names of the tables of tableType ("TABLE" or "VIEW") in schema, in the order
  // the database returns them; an empty schema does not restrict.
  std::unique_ptr<TStringList> GetTablesOfType(const std::string& schema, const std::string& tableType);
};
