#include <gtest/gtest.h>

#include <fstream>

#include "base/UCommandLine.h"
#include "base/USettingsStore.h"
#include "dac/UDataAccess.h"
#include "db2/UDB2DBLogon.h"
#include "sqlite/USqliteDBLogon.h"
#include "support/Db2Server.h"
#include "support/TempDir.h"

namespace {

TStringList Params(std::initializer_list<std::string> items) { return TStringList(items); }

TEST(LogonOption, KeysFallBackToTheGenericName) {
  struct Case {
    TStringList params;
    std::string database;
  } sqliteCases[] = {
      {Params({"database=/d/only.db"}), "/d/only.db"},
      {Params({"database=/d/generic.db", "sqlite_database=/d/prefixed.db"}), "/d/prefixed.db"},
      {Params({"SQLITE_DATABASE=  /d/padded.db\t", "database=/x"}), "/d/padded.db"},
      {Params({"sqlite_database=", "database=/d/fallback.db"}), "/d/fallback.db"},
      {Params({}), ""},
  };
  for (const auto& c : sqliteCases) {
    TSqliteDBLogonOption option;
    option.LoadFromParams(c.params);
    EXPECT_EQ(option.Database, c.database) << c.params.CommaText();
  }

  TDB2DBLogonOption db2;
  db2.LoadFromParams(Params(
      {"username=generic", "db2_username=u", "password=p", "server=S", "hostname=h", "db2_port=50001", "port=1"}));
  EXPECT_EQ(db2.Username, "u");
  EXPECT_EQ(db2.Password, "p");
  EXPECT_EQ(db2.Server, "S");
  EXPECT_EQ(db2.Protocol, "Standard");  // no protocol key at all
  EXPECT_EQ(db2.Hostname, "h");
  EXPECT_EQ(db2.Port, "50001");
  db2.LoadFromParams(Params({"protocol=TCPIP"}));
  EXPECT_EQ(db2.Protocol, "TCPIP");
  EXPECT_EQ(db2.Username, "");
}

// A password on the command line shows in the process list; the environment gives it
// when no key does.
TEST(LogonOption, Db2PasswordFromTheEnvironmentWhenNoKeyGivesOne) {
  struct Case {
    TStringList params;
    std::string environment, password;
  } cases[] = {
      {Params({"db2_password=key"}), "env", "key"},
      {Params({"password=short"}), "env", "short"},
      {Params({}), "env", "env"},
      {Params({"db2_password=", "password= "}), "env", "env"},
      {Params({}), "", ""},
  };
  for (const auto& c : cases) {
    ScopedEnv env(DB2PasswordVariable, c.environment);
    TDB2DBLogonOption option;
    option.LoadFromParams(c.params);
    EXPECT_EQ(option.Password, c.password) << c.params.CommaText() << " / " << c.environment;
  }
  EXPECT_STREQ(DB2PasswordVariable, "FERROVAN_DB2_PASSWORD");
}

TEST(LogonOption, ValidateMessages) {
  TempDir dir;
  std::string existing = dir.Path() + "/there.db";
  std::ofstream(existing) << "";
  struct SqliteCase {
    std::string database;
    bool ok;
    std::string message;
  } sqliteCases[] = {
      {"", false, "Please choose Sqlite file."},
      {dir.Path() + "/missing.db", false, "File " + dir.Path() + "/missing.db not exists."},
      {existing, true, ""},
  };
  for (const auto& c : sqliteCases) {
    TSqliteDBLogonOption option;
    option.Database = c.database;
    EXPECT_EQ(option.Validate(), c.ok) << c.database;
    EXPECT_EQ(option.ErrorMessage, c.message);
  }

  struct Db2Case {
    std::string user, password, server, message;
  } db2Cases[] = {
      {"", "", "", "Please enter Username."},
      {"u", "", "", "Please enter Password."},
      {"u", "p", "", "Please choose/enter Server."},
      {"u", "p", "S", ""},
  };
  for (const auto& c : db2Cases) {
    TDB2DBLogonOption option;
    option.Username = c.user;
    option.Password = c.password;
    option.Server = c.server;
    EXPECT_EQ(option.Validate(), c.message.empty());
    EXPECT_EQ(option.ErrorMessage, c.message);
  }
}

// What a batch file carries must come back whole through the command-line splitting.
TEST(LogonOption, CommandLineTextReadsBackWhole) {
  TSqliteDBLogonOption sqlite;
  sqlite.Database = "/home/me/my data/chinook ü.db";
  EXPECT_EQ(sqlite.GetCmdLine(), " sqlite_database=\"/home/me/my data/chinook ü.db\"");

  TDB2DBLogonOption db2;
  db2.Username = "db2inst1";
  db2.Password = "pa ss\"word";
  db2.Server = "SAMPLE";
  db2.Protocol = "TCPIP";
  db2.Hostname = "db.example";
  db2.Port = "50000";
  // Plain values stay unquoted; the one with a blank and a quote is quoted.
  EXPECT_EQ(db2.GetCmdLine(),
            " db2_username=db2inst1 db2_password=\"pa ss\"\"word\" db2_server=SAMPLE db2_protocol=TCPIP"
            " db2_hostname=db.example db2_port=50000");

  // A batch file that takes the password from the environment holds none.
  db2.PasswordInCmdLine = false;
  EXPECT_EQ(db2.GetCmdLine(),
            " db2_username=db2inst1 db2_server=SAMPLE db2_protocol=TCPIP db2_hostname=db.example"
            " db2_port=50000");
  db2.PasswordInCmdLine = true;

  TStringList params;
  for (const auto& word : SplitCommandLine(sqlite.GetCmdLine() + db2.GetCmdLine())) params.Add(word);
  TSqliteDBLogonOption sqliteBack;
  sqliteBack.LoadFromParams(params);
  EXPECT_EQ(sqliteBack.Database, sqlite.Database);
  TDB2DBLogonOption db2Back;
  db2Back.LoadFromParams(params);
  EXPECT_EQ(db2Back.Password, db2.Password);
  EXPECT_EQ(db2Back.Hostname, db2.Hostname);
}

// Values holding characters the splitter takes for blanks once came back in pieces:
// only a blank or a double quote made a value quoted.
TEST(LogonOption, ControlCharactersInValuesReadBackWhole) {
  const std::string values[] = {"pa\tss", "line\nbreak", "carriage\rreturn", std::string("nul\0byte", 8), "\x01\x1f"};
  for (const std::string& value : values) {
    SCOPED_TRACE(value);
    TDB2DBLogonOption db2;
    db2.Password = "x" + value + "y";
    db2.Hostname = "h" + value + "h";
    TSqliteDBLogonOption sqlite;
    sqlite.Database = "/d" + value + ".db";
    TStringList params;
    for (const auto& word : SplitCommandLine(sqlite.GetCmdLine() + db2.GetCmdLine())) params.Add(word);
    TDB2DBLogonOption db2Back;
    db2Back.LoadFromParams(params);
    EXPECT_EQ(db2Back.Password, db2.Password);
    EXPECT_EQ(db2Back.Hostname, db2.Hostname);
    TSqliteDBLogonOption sqliteBack;
    sqliteBack.LoadFromParams(params);
    EXPECT_EQ(sqliteBack.Database, sqlite.Database);
  }

  // Found by fuzzing: one argument as the shell hands it over, with a NUL byte inside.
  TDB2DBLogonOption fromShell;
  const std::string hostname = std::string("b") + '\0' + "0";
  fromShell.LoadFromParams(Params({UnquoteArgument("hostname=" + hostname)}));
  EXPECT_EQ(fromShell.Hostname, hostname);
  TStringList written;
  for (const auto& word : SplitCommandLine(fromShell.GetCmdLine())) written.Add(word);
  TDB2DBLogonOption back;
  back.LoadFromParams(written);
  EXPECT_EQ(back.Hostname, fromShell.Hostname);
}

TEST(LogonOption, ConnectionRoundTrip) {
  TDB2DBLogonOption option;
  option.LoadFromParams(Params({"db2_username=u", "db2_password=p", "db2_server=SAMPLE", "db2_protocol=TCPIP",
                                "db2_hostname=h", "db2_port=50000"}));
  TUniConnection connection;
  option.ApplyToConnection(connection);
  EXPECT_EQ(connection.Username, "u");
  EXPECT_EQ(connection.Password, "p");
  EXPECT_EQ(connection.Server, BuildDB2ServerText(FindDB2OdbcDriver(), "SAMPLE", "TCPIP", "h", "50000"));
  TDB2DBLogonOption back;
  back.LoadFromConnection(connection);
  EXPECT_EQ(back.Server, "SAMPLE");
  EXPECT_EQ(back.Protocol, "TCPIP");
  EXPECT_EQ(back.Hostname, "h");
  EXPECT_EQ(back.Port, "50000");
  EXPECT_EQ(back.Password, "p");
}

TEST(DB2Utilities, ServerTextAndDriverChoice) {
  EXPECT_EQ(BuildDB2ServerText("IBM DB2 ODBC DRIVER", "SAMPLE", "TCPIP", "h", "50000"),
            "Driver=IBM DB2 ODBC DRIVER;Database=SAMPLE;Protocol=TCPIP;Hostname=h;Port=50000");
  EXPECT_EQ(BuildDB2ServerText("", "S", "Standard", "", ""), "Driver=;Database=S;Protocol=Standard;Hostname=;Port=");
  EXPECT_EQ(FindDB2OdbcDriver({"IBM DATA SERVER DRIVER for ODBC", "IBM DB2 ODBC DRIVER", "PostgreSQL"}),
            "IBM DATA SERVER DRIVER for ODBC");
  EXPECT_EQ(FindDB2OdbcDriver({"ibm db2 lower", "PostgreSQL"}), "");  // the prefix is case-sensitive
  // The test server registers the driver under the DB2 name; the list is sorted.
  auto drivers = ListOdbcDrivers();
  EXPECT_TRUE(std::is_sorted(drivers.begin(), drivers.end(),
                             [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; }));
  EXPECT_EQ(FindDB2OdbcDriver(), "IBM DB2 ODBC DRIVER");
}

TEST(DB2Utilities, StoredLogonsKeepThePasswordOnlyWhenAsked) {
  TempDir dir;
  TSettingsStore store(dir.Path() + "/settings.reg");
  SaveDB2Logon(store, {"SAMPLE", "TCPIP", "h", "50000", "u", true, "secret"});
  SaveDB2Logon(store, {"OTHER", "Standard", "", "", "v", false, "never"});
  store.CreateKey(std::string(DB2ListKey) + "\\LastTime");
  EXPECT_EQ(LastDB2Server(store), "OTHER");
  auto names = ListStoredDB2Logons(store);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"OTHER", "SAMPLE"}));
  EXPECT_EQ(LoadStoredDB2Logon(store, "SAMPLE").Password, "secret");
  EXPECT_FALSE(store.ValueExists(std::string(DB2ListKey) + "\\OTHER", "Password"));

  // Unticking "Save Password" leaves the old value stored but unread.
  SaveDB2Logon(store, {"SAMPLE", "TCPIP", "h", "50000", "u", false, "changed"});
  EXPECT_EQ(store.ReadString(std::string(DB2ListKey) + "\\SAMPLE", "Password"), "secret");
  TDB2StoredLogon loaded = LoadStoredDB2Logon(store, "SAMPLE");
  EXPECT_FALSE(loaded.SavePassword);
  EXPECT_EQ(loaded.Password, "");
  EXPECT_EQ(loaded.Hostname, "h");
}

TEST(SqliteLogon, PasswordProbesEveryAlgorithmAndReportsTheLast) {
  EXPECT_EQ(std::vector<std::string>(std::begin(SqliteEncryptionAlgorithms), std::end(SqliteEncryptionAlgorithms)),
            (std::vector<std::string>{"leTripleDES", "leBlowfish", "leAES128", "leAES192", "leAES256", "leCast128",
                                      "leRC4"}));
  TempDir dir;
  std::string file = dir.Path() + "/plain.db";
  {
    TUniConnection make;
    make.ProviderName = "Sqlite";
    make.Database = file;
    std::ofstream(file) << "";
    make.Connect();
  }
  TUniConnection connection;
  connection.ProviderName = "Sqlite";
  try {
    ConnectSqliteFile(connection, file, "pw");
    FAIL() << "opened with a password";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "this SQLite build cannot open encrypted files: leRC4");
  }
  EXPECT_FALSE(connection.Connected());
  ConnectSqliteFile(connection, file, "   ");  // a blank password is no password
  EXPECT_TRUE(connection.Connected());
  EXPECT_EQ(connection.SpecificOptions.Values("EncryptionAlgorithm"), "leDefault");
}

TEST(Db2Logon, LogonByParamsTestAndLogoff) {
  const Db2Server& server = Db2Server::Get();
  for (std::string protocol : {"TCPIP", "Standard"}) {
    SCOPED_TRACE(protocol);
    TUniConnection connection;
    connection.ProviderName = "DB2";
    TDB2DBLogon logon;
    logon.SetConnection(&connection);
    EXPECT_TRUE(logon.LogonByParams(
        Params({"db2_username=" + server.User, "db2_password=" + server.Password, "db2_server=" + server.Database,
                "db2_protocol=" + protocol, "db2_hostname=" + server.Host, "db2_port=" + server.Port})));
    EXPECT_TRUE(logon.IsConnected());
    // The server cannot answer the time query; a connection that opens still passes.
    EXPECT_TRUE(logon.TestConnection());
    logon.Logoff();
    EXPECT_FALSE(logon.IsConnected());
    EXPECT_TRUE(logon.TestConnection());  // opens the closed connection
    EXPECT_TRUE(logon.IsConnected());
  }
}

TEST(Db2Logon, WrongPasswordRaisesAndTestConnectionShowsIt) {
  const Db2Server& server = Db2Server::Get();
  TUniConnection connection;
  connection.ProviderName = "DB2";
  TDB2DBLogon logon;
  logon.SetConnection(&connection);
  TStringList params = Params({"username=" + server.User, "password=wrong", "server=" + server.Database});
  EXPECT_THROW(logon.LogonByParams(params), EDatabaseError);
  EXPECT_FALSE(logon.IsConnected());
  std::string shown;
  logon.ShowMessage = [&](const std::string& m) { shown = m; };
  EXPECT_FALSE(logon.TestConnection());
  EXPECT_NE(shown.find("password"), std::string::npos) << shown;
}

// With no DB2 driver registered the driver manager aborted the process on the empty
// driver name; the logon now says what is missing before it connects.
TEST(Db2Logon, NoRegisteredDriverIsSaidNotAborted) {
  TempDir dir;
  std::ofstream(dir.Path() + "/odbcinst.ini") << "";
  ScopedEnv odbc("ODBCSYSINI", dir.Path());
  ASSERT_EQ(FindDB2OdbcDriver(), "");
  for (std::string protocol : {"TCPIP", "Standard"}) {
    TUniConnection connection;
    connection.ProviderName = "DB2";
    TDB2DBLogon logon;
    logon.SetConnection(&connection);
    try {
      logon.LogonByParams(Params({"db2_username=u", "db2_password=p", "db2_server=S", "db2_protocol=" + protocol,
                                  "db2_hostname=h", "db2_port=1"}));
      ADD_FAILURE() << "logged on without a driver";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message, NoDB2DriverMessage);
    }
  }
  // The connection itself refuses an empty driver name too, whoever builds it.
  TUniConnection connection;
  connection.ProviderName = "DB2";
  connection.Server = BuildDB2ServerText("", "S", "TCPIP", "h", "1");
  try {
    connection.Connect();
    ADD_FAILURE() << "connected without a driver";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message, "No DB2 ODBC driver is registered: the connection names no driver.");
  }
}

}  // namespace
