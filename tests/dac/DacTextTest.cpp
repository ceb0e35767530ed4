#include <gtest/gtest.h>

#include "dac/UDataAccess.h"

namespace {

struct ParamCase {
  const char* Sql;
  const char* Expected;  // SQL with "?" markers
  std::vector<std::string> Names;
  std::vector<int> Positions;
};

TEST(ParseSqlParameters, MarkersOnlyOutsideQuotesAndComments) {
  const ParamCase cases[] = {
      {"select * from t where a=:a and b = :B_2", "select * from t where a=? and b = ?", {"a", "B_2"}, {0, 1}},
      {"insert into t values (:x, :y, :X)", "insert into t values (?, ?, ?)", {"x", "y"}, {0, 1, 0}},
      {"select ':a', \":b\", [:c], `:d` from t", "select ':a', \":b\", [:c], `:d` from t", {}, {}},
      {"select 'it''s :a' , :b", "select 'it''s :a' , ?", {"b"}, {0}},
      {"select 1 -- :a\n, :b /* :c */", "select 1 -- :a\n, ? /* :c */", {"b"}, {0}},
      {"select x::text, :p", "select x::text, ?", {"p"}, {0}},
      {"select ? , :p", "select ? , ?", {"", "p"}, {0, 1}},
      {"select 'a:b' || : from t", "select 'a:b' || : from t", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Sql);
    TParsedSql parsed = ParseSqlParameters(c.Sql);
    EXPECT_EQ(parsed.Sql, c.Expected);
    EXPECT_EQ(parsed.Names, c.Names);
    EXPECT_EQ(parsed.Positions, c.Positions);
  }
}

TEST(SplitStatements, DelimiterOnlyOutsideQuotesAndComments) {
  struct Case {
    const char* Script;
    std::vector<std::string> Statements;
  } cases[] = {
      {"create table t(a int);insert into t values(1);", {"create table t(a int)", "insert into t values(1)"}},
      {"select 1;\n\n;  ;select 2", {"select 1", "select 2"}},
      {"insert into t values('a;b');select \"x;y\" from t", {"insert into t values('a;b')", "select \"x;y\" from t"}},
      {"select 1 -- comment; not a delimiter\n;select 2", {"select 1 -- comment; not a delimiter", "select 2"}},
      {"select /* ; */ 1; /* only a comment */ ; -- trailing", {"select /* ; */ 1"}},
      {"insert into t values('it''s; fine')", {"insert into t values('it''s; fine')"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Script);
    EXPECT_EQ(TUniScript::SplitStatements(c.Script), c.Statements);
  }
}

TEST(BuildDB2CliConnectionString, BothFormsInTheirOrder) {
  EXPECT_EQ(BuildDB2CliConnectionString(
                "Driver=IBM DB2 ODBC DRIVER - DB2COPY1;Database=SAMPLE;Protocol=TCPIP;Hostname=db.example;Port=50000",
                "db2inst1", "secret"),
            "DRIVER={IBM DB2 ODBC DRIVER - DB2COPY1};DATABASE=SAMPLE;Hostname=db.example;Port=50000;Protocol=TCPIP;"
            "UID=db2inst1;PWD=secret");
  // The alias form ignores the discovered driver, host and port.
  EXPECT_EQ(BuildDB2CliConnectionString("Driver=IBM DATA SERVER DRIVER;Database=SAMPLE;Protocol=Standard;"
                                        "Hostname=h;Port=1",
                                        "u", "p"),
            "DRIVER={IBM DB2 ODBC DRIVER};DBALIAS=SAMPLE;UID=u;PWD=p");
  // "Standard" counts only in its exact case.
  EXPECT_EQ(BuildDB2CliConnectionString("Driver=;Database=S;Protocol=standard;Hostname=;Port=", "u", "p"),
            "DRIVER={};DATABASE=S;Hostname=;Port=;Protocol=standard;UID=u;PWD=p");
}

TEST(BuildDB2CliConnectionString, ValuesCannotAddItems) {
  std::string s = BuildDB2CliConnectionString("Driver=D;Database=S;Protocol=Standard", "u", "a;UID=root");
  EXPECT_EQ(s, "DRIVER={IBM DB2 ODBC DRIVER};DBALIAS=S;UID=u;PWD={a;UID=root}");
  s = BuildDB2CliConnectionString("Driver=D;Database=S;Protocol=Standard", "u", "x}y");
  EXPECT_EQ(s, "DRIVER={IBM DB2 ODBC DRIVER};DBALIAS=S;UID=u;PWD={x}}y}");
}

// What a failed statement means for the next one, from the driver's codes alone.
TEST(OdbcFault, ConnectionClassAndDb2CodesAreALostConnection) {
  struct {
    const char* SqlState;
    int Native;
    TDatabaseFault Fault;
  } cases[] = {
      {"08S01", 35, TDatabaseFault::ConnectionLost},      // communication link failure
      {"08003", 0, TDatabaseFault::ConnectionLost},       // connection does not exist
      {"08001", -30081, TDatabaseFault::ConnectionLost},  // DB2: communication error
      {"40003", -30081, TDatabaseFault::ConnectionLost},  // DB2: statement completion unknown
      {"40003", 0, TDatabaseFault::ConnectionLost},
      {"55032", -1224, TDatabaseFault::ConnectionLost},  // DB2: the agent or the server stopped
      {"HY000", -30080, TDatabaseFault::ConnectionLost},
      {"08506", -30108, TDatabaseFault::ConnectionLost},       // DB2: moved to another server
      {"40001", -911, TDatabaseFault::TransactionRolledBack},  // deadlock: rolled back
      {"40506", 0, TDatabaseFault::TransactionRolledBack},
      {"42S02", 0, TDatabaseFault::StatementCannotRun},     // base table not found
      {"42704", -204, TDatabaseFault::StatementCannotRun},  // DB2: undefined name
      {"42703", -206, TDatabaseFault::StatementCannotRun},  // undefined column
      {"42501", -551, TDatabaseFault::StatementCannotRun},  // missing privilege
      {"57011", -964, TDatabaseFault::StatementCannotRun},  // DB2: transaction log full
      {"23505", -803, TDatabaseFault::None},                // a duplicate key: this row's
      {"22001", -302, TDatabaseFault::None},                // a value too long: this row's
      {"22007", 0, TDatabaseFault::None},
      {"HY000", 0, TDatabaseFault::None},
      {"", 0, TDatabaseFault::None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.SqlState) + " " + std::to_string(c.Native));
    EXPECT_EQ(OdbcFault(c.SqlState, c.Native), c.Fault);
  }
}

}  // namespace
