#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "dac/UDataAccess.h"

// Runs a multi-statement script on an open connection.
inline void RunScript(TUniConnection& connection, const std::string& script) {
  TUniScript s(&connection);
  s.SQL = script;
  s.Execute();
}

// Runs script on a SQLite file, creating the file when missing (an empty file is an
// empty database).
inline void RunSqliteScript(const std::string& file, const std::string& script) {
  std::ofstream(file, std::ios::app).flush();
  TUniConnection c;
  c.ProviderName = "Sqlite";
  c.Database = file;
  c.Connect();
  RunScript(c, script);
}

// Every row of sql, each value as text, "<null>" for NULL, values joined by "|".
inline std::vector<std::string> QueryRows(TUniConnection& connection, const std::string& sql) {
  TUniQuery q(&connection);
  q.SQL = sql;
  q.Open();
  std::vector<std::string> rows;
  for (; !q.Eof(); q.Next()) {
    std::string row;
    for (int i = 0; i < q.FieldCount(); ++i)
      row += (i ? "|" : "") + (q.Fields(i).IsNull() ? std::string("<null>") : q.Fields(i).AsString());
    rows.push_back(row);
  }
  return rows;
}
