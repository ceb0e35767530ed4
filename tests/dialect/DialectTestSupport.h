#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "dac/UDataAccess.h"
#include "db2/UDB2DBObjectFactory.h"
#include "sqlite/USqliteDBObjectFactory.h"
#include "support/Db2Server.h"
#include "support/TempDir.h"

// A SQLite file in a fresh folder, opened through the SQLite database factory.
class SqliteFile {
public:
  SqliteFile() {
    Factory.Initialize();
    // The connection opens existing files only; an empty file is an empty database.
    std::ofstream(Dir.Path() + "/source file.sqlite").close();
    Factory.Connection()->Database = Dir.Path() + "/source file.sqlite";
    Factory.Connection()->Connect();
  }
  void Exec(const std::string& sql) {
    TUniScript script(Factory.Connection());
    script.SQL = sql;
    script.Execute();
  }
  TempDir Dir;
  TSqliteDBObjectFactory Factory;
};

// The DB2 database factory, connected to the test server.
class Db2Database {
public:
  Db2Database() {
    Factory.Initialize();
    Db2Server::Get().Configure(*Factory.Connection());
    Factory.Connection()->Connect();
  }
  void Exec(const std::string& sql) {
    TUniQuery q(Factory.Connection());
    q.SQL = sql;
    q.Execute();
  }
  // The first column of the first row of sql, as text.
  std::string Scalar(const std::string& sql) {
    TUniQuery q(Factory.Connection());
    q.SQL = sql;
    q.Open();
    return q.Eof() ? std::string() : q.Fields(0).AsString();
  }
  void DropTable(const std::string& quotedName) { Exec("drop table if exists " + quotedName); }
  TDB2DBObjectFactory Factory;
};
