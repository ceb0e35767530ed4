#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "dac/UDataAccess.h"

// Coordinates of the DB2 test server the CTest fixture started. A test that needs the
// server fails when they are missing: a run without the server proves nothing.
struct Db2Server {
  std::string Database, User, Password, Host, Port;

  static const Db2Server& Get() {
    static const Db2Server server = [] {
      Db2Server s;
      s.Database = Env("FERROVAN_TEST_DB2_DATABASE");
      s.User = Env("FERROVAN_TEST_DB2_USER");
      s.Password = Env("FERROVAN_TEST_DB2_PASSWORD");
      s.Host = Env("FERROVAN_TEST_DB2_HOST");
      s.Port = Env("FERROVAN_TEST_DB2_PORT");
      return s;
    }();
    if (server.Database.empty())
      ADD_FAILURE() << "The DB2 test server is not running: FERROVAN_TEST_DB2_DATABASE is not set. "
                       "Run the tests through ctest (scripts/test.sh).";
    return server;
  }

  // The server text a logon builds for the TCP/IP form.
  std::string TcpipServerText() const {
    return "Driver=IBM DB2 ODBC DRIVER;Database=" + Database + ";Protocol=TCPIP;Hostname=" + Host + ";Port=" + Port;
  }
  std::string StandardServerText() const {
    return "Driver=IBM DB2 ODBC DRIVER;Database=" + Database + ";Protocol=Standard;Hostname=;Port=";
  }

  // The command-line logon keys of a run from sqliteFile into this server (TCP/IP form).
  std::string LogonKeys(const std::string& sqliteFile) const {
    return "\"sqlite_database=" + sqliteFile + "\" db2_username=" + User + " \"db2_password=" + Password +
           "\" db2_server=" + Database + " db2_protocol=TCPIP db2_hostname=" + Host + " db2_port=" + Port;
  }

  // A DB2 connection, not yet connected.
  void Configure(TUniConnection& connection, bool standard = false) const {
    connection.ProviderName = "DB2";
    connection.Username = User;
    connection.Password = Password;
    connection.Server = standard ? StandardServerText() : TcpipServerText();
  }

 private:
  static std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
  }
};
