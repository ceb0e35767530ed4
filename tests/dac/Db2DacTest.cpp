#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "dac/UDataAccess.h"
#include "dac/UUniMetaData.h"
#include "support/Db2Server.h"
#include "support/OwnDb2Server.h"
#include "support/TempDir.h"

namespace {

class Db2Dac : public ::testing::Test {
 protected:
  void SetUp() override {
    Db2Server::Get().Configure(Connection);
    Connection.Connect();
  }
  void Exec(const std::string& sql) {
    TUniQuery q(&Connection);
    q.SQL = sql;
    q.Execute();
  }
  TUniConnection Connection;
};

TEST(Db2DacConnect, BothConnectionStringFormsConnect) {
  for (bool standard : {false, true}) {
    SCOPED_TRACE(standard ? "Standard" : "TCPIP");
    TUniConnection c;
    Db2Server::Get().Configure(c, standard);
    c.Connect();
    EXPECT_TRUE(c.Connected());
    EXPECT_FALSE(c.ServerVersion().empty());
    c.Disconnect();
    EXPECT_FALSE(c.Connected());
  }
}

TEST(Db2DacConnect, WrongPasswordFailsWithTheDriversMessageAndNoPassword) {
  TUniConnection c;
  Db2Server::Get().Configure(c);
  c.Password = "Wr0ng-Secret";
  try {
    c.Connect();
    FAIL() << "connected with a wrong password";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message.find("password"), std::string::npos) << e.Message;
    EXPECT_EQ(e.Message.find("Wr0ng-Secret"), std::string::npos) << e.Message;
    EXPECT_EQ(e.Message.find("PWD="), std::string::npos) << e.Message;
  }
  EXPECT_FALSE(c.Connected());
}

TEST(Db2DacConnect, DriverManagerKnowsTheDB2Driver) {
  auto names = ListOdbcDriverNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "IBM DB2 ODBC DRIVER"), names.end());
}

TEST_F(Db2Dac, ColumnTypesAndValuesRoundTrip) {
  Exec("drop table if exists dac_values");
  Exec(
      "create table dac_values (i integer, b bigint, d decimal(31,9), f double, v varchar(40), "
      "dt date, tm time, ts timestamp, bl blob(1000), c clob(1000))");
  TUniQuery ins(&Connection);
  ins.SQL = "insert into dac_values values (:i, :b, :d, :f, :v, :dt, :tm, :ts, :bl, :c)";
  ins.Prepare();
  std::string bytes("\x00\x01\xfe\xff", 4);
  ins.ParamByName("i").SetAsInteger(-2147483647 - 1);
  ins.ParamByName("b").SetAsInteger(9223372036854775807LL);
  ins.ParamByName("d").SetAsString("1234567890123456789012.123456789");
  ins.ParamByName("f").SetAsFloat(0.1);
  ins.ParamByName("v").SetAsWideString("Ünïcødé 日本");
  ins.ParamByName("dt").SetAsString("2024-02-29");
  ins.ParamByName("tm").SetAsString("23:59:58");
  ins.ParamByName("ts").SetAsString("1999-12-31 23:59:59.123456");
  ins.ParamByName("bl").LoadFromBytes(bytes, TFieldType::ftBlob);
  ins.ParamByName("c").LoadFromBytes("long text", TFieldType::ftMemo);
  ins.Execute();
  // Executed again with every value NULL: the prepared statement stays usable.
  for (int i = 0; i < ins.ParamCount(); ++i) ins.Params(i).Clear();
  ins.Execute();
  EXPECT_EQ(ins.RowsAffected(), 1);

  TUniQuery q(&Connection);
  q.SQL = "select * from dac_values order by i nulls last";
  q.Open();
  EXPECT_EQ(q.FieldByName("i").DataType, TFieldType::ftInteger);
  EXPECT_EQ(q.FieldByName("b").DataType, TFieldType::ftLargeint);
  EXPECT_EQ(q.FieldByName("d").DataType, TFieldType::ftFMTBcd);
  EXPECT_EQ(q.FieldByName("f").DataType, TFieldType::ftFloat);
  // The Unicode driver describes VARCHAR as SQL_WVARCHAR.
  EXPECT_TRUE(q.FieldByName("v").DataType == TFieldType::ftString ||
              q.FieldByName("v").DataType == TFieldType::ftWideString);
  EXPECT_EQ(q.FieldByName("v").Size, 40);
  EXPECT_EQ(q.FieldByName("dt").DataType, TFieldType::ftDate);
  EXPECT_EQ(q.FieldByName("tm").DataType, TFieldType::ftTime);
  EXPECT_EQ(q.FieldByName("ts").DataType, TFieldType::ftDateTime);
  EXPECT_EQ(q.FieldByName("bl").DataType, TFieldType::ftBlob);
  EXPECT_EQ(q.FieldByName("c").DataType, TFieldType::ftMemo);
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.FieldByName("i").AsString(), "-2147483648");
  EXPECT_EQ(q.FieldByName("b").AsString(), "9223372036854775807");
  EXPECT_EQ(q.FieldByName("d").AsString(), "1234567890123456789012.123456789");
  EXPECT_EQ(q.FieldByName("f").AsString(), "0.1");
  EXPECT_EQ(q.FieldByName("v").AsString(), "Ünïcødé 日本");
  EXPECT_EQ(q.FieldByName("dt").AsString(), "2024-02-29");
  EXPECT_EQ(q.FieldByName("tm").AsString(), "23:59:58");
  EXPECT_EQ(q.FieldByName("ts").AsString(), "1999-12-31 23:59:59.123456");
  EXPECT_EQ(q.FieldByName("bl").AsBytes(), bytes);
  EXPECT_EQ(q.FieldByName("c").AsString(), "long text");
  q.Next();
  ASSERT_FALSE(q.Eof());
  for (int i = 0; i < q.FieldCount(); ++i) EXPECT_TRUE(q.Fields(i).IsNull()) << q.Fields(i).FieldName;
  q.Next();
  EXPECT_TRUE(q.Eof());
}

TEST_F(Db2Dac, RejectedValueIsAnErrorWithTheDriversText) {
  Exec("drop table if exists dac_reject");
  Exec("create table dac_reject (d date)");
  TUniQuery ins(&Connection);
  ins.SQL = "insert into dac_reject values (:d)";
  ins.ParamByName("d").SetAsString("2024-13-45");
  try {
    ins.Execute();
    FAIL() << "accepted a bad date";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message.find("22008"), std::string::npos) << e.Message;
  }
  // The statement still works for the next row.
  ins.ParamByName("d").SetAsString("2024-01-31");
  ins.Execute();
  EXPECT_EQ(ins.RowsAffected(), 1);
}

TEST_F(Db2Dac, FetchesInRowArraysNeverAllAtOnce) {
  Exec("drop table if exists dac_many");
  Exec("create table dac_many as select g as i from generate_series(1, 1000) g");
  TUniQuery q(&Connection);
  q.SQL = "select i from dac_many order by i";
  q.FetchRows = 50;
  q.Open();
  int seen = 0;
  for (; !q.Eof(); q.Next()) ASSERT_EQ(q.Fields(0).AsInteger(), ++seen);
  EXPECT_EQ(seen, 1000);
  // 20 full arrays and the call that finds the end.
  EXPECT_LE(q.FetchCalls(), 21);
  EXPECT_GE(q.FetchCalls(), 20);
}

TEST_F(Db2Dac, TransactionsCommitAndRollBack) {
  Exec("drop table if exists dac_tx");
  Exec("create table dac_tx (i integer)");
  Connection.StartTransaction();
  Exec("insert into dac_tx values (1)");
  Connection.Commit();
  Connection.StartTransaction();
  Exec("insert into dac_tx values (2)");
  Connection.Rollback();
  TUniQuery q(&Connection);
  q.SQL = "select count(*) from dac_tx";
  q.Open();
  EXPECT_EQ(q.Fields(0).AsInteger(), 1);
}

TEST_F(Db2Dac, ScriptStopsAtTheFirstFailure) {
  Exec("drop table if exists dac_script");
  TUniScript script(&Connection);
  script.SQL =
      "create table dac_script (s varchar(10));\n"
      "insert into dac_script values ('a;b');\n"
      "insert into nowhere values (1);\n"
      "insert into dac_script values ('c')";
  EXPECT_THROW(script.Execute(), EDatabaseError);
  TUniQuery q(&Connection);
  q.SQL = "select s from dac_script";
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.Fields(0).AsString(), "a;b");
  q.Next();
  EXPECT_TRUE(q.Eof());
}

TEST_F(Db2Dac, MetaDataTablesAndColumns) {
  Exec("drop view if exists dac_meta_v");
  Exec("drop table if exists dac_meta");
  Exec("create table dac_meta (id integer not null, name varchar(30))");
  Exec("create view dac_meta_v as select id from dac_meta");
  TUniMetaData md(&Connection);
  md.MetaDataKind = "Tables";
  md.Restrictions.SetValue("TABLE_SCHEMA", "DB2INST1");
  md.Restrictions.SetValue("TABLE_TYPE", "TABLE,VIEW");
  md.Open();
  std::vector<std::string> found;
  for (; !md.Eof(); md.Next())
    found.push_back(md.FieldByName("TABLE_NAME").AsString() + ":" + md.FieldByName("TABLE_TYPE").AsString());
  EXPECT_NE(std::find(found.begin(), found.end(), "dac_meta:TABLE"), found.end());
  EXPECT_NE(std::find(found.begin(), found.end(), "dac_meta_v:VIEW"), found.end());

  md.Close();
  md.MetaDataKind = "Columns";
  md.Restrictions.Clear();
  md.Restrictions.SetValue("TABLE_SCHEMA", "DB2INST1");
  md.Restrictions.SetValue("TABLE_NAME", "dac_meta");
  md.Open();
  ASSERT_EQ(md.RecordCount(), 2);
  EXPECT_EQ(md.FieldByName("COLUMN_NAME").AsString(), "id");
  EXPECT_EQ(md.FieldByName("POSITION").AsInteger(), 1);
  EXPECT_EQ(md.FieldByName("NULLABLE").AsInteger(), 0);
  md.Next();
  EXPECT_EQ(md.FieldByName("COLUMN_NAME").AsString(), "name");
  EXPECT_EQ(md.FieldByName("COLUMN_SIZE").AsInteger(), 30);
}

}  // namespace

namespace {

// Rows of a parameter array arrive as single executes would write them, whatever
// each column holds; a rejected row makes the whole execute fail.
TEST_F(Db2Dac, ParameterArraysWriteEveryKindOfValue) {
  Exec("drop table if exists dac_array");
  Exec(
      "create table dac_array (i integer, b bigint, f double, v varchar(20) check (length(v) <= 10), d date, "
      "bin bytea, amount decimal(31,9))");
  TUniQuery q(&Connection);
  ASSERT_TRUE(q.SupportsParamArrays());
  q.SQL = "insert into dac_array values (:i, :b, :f, :v, :d, :bin, :amount)";
  auto row = [&](int i, bool nulls, const std::string& text, const std::string& bytes) {
    for (int p = 0; p < q.ParamCount(); ++p) q.Params(p).Clear();
    q.ParamByName("i").SetAsInteger(i);
    if (!nulls) {
      q.ParamByName("b").SetAsInteger(int64_t(1) << 40 | i);
      q.ParamByName("f").SetAsFloat(i + 0.5);
      q.ParamByName("d").SetAsString("2024-02-29");
      q.ParamByName("amount").SetAsString("12345678901234567890.123456789");
    }
    q.ParamByName("v").SetAsWideString(text);
    if (!bytes.empty() || !nulls) q.ParamByName("bin").LoadFromBytes(bytes, TFieldType::ftBlob);
    q.AddBatchRow();
  };
  row(1, false, "Grüße", std::string("\0\xff", 2));
  row(2, true, "", "");
  row(3, false, "日本😀", std::string(300, 'b'));
  EXPECT_EQ(q.BatchRowCount(), 3);
  q.ExecuteBatch();
  q.ClearBatch();
  EXPECT_EQ(q.BatchRowCount(), 0);

  TUniQuery read(&Connection);
  read.SQL =
      "select i, b, f, v, d, length(bin), case when length(bin) = 300 then (bin = decode(repeat('62', 300), "
      "'hex'))::text"
      " else encode(bin, 'hex') end, amount from dac_array order by i";
  read.Open();
  std::vector<std::string> rows;
  for (; !read.Eof(); read.Next()) {
    std::string r;
    for (int i = 0; i < read.FieldCount(); ++i)
      r += (i ? "|" : "") + (read.Fields(i).IsNull() ? std::string("<null>") : read.Fields(i).AsString());
    rows.push_back(r);
  }
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "1|1099511627777|1.5|Grüße|2024-02-29|2|00ff|12345678901234567890.123456789",
                      "2|<null>|<null>||<null>|<null>|<null>|<null>",
                      "3|1099511627779|3.5|日本😀|2024-02-29|300|true|12345678901234567890.123456789",
                  }));

  // One rejected row fails the execute; each row can then go alone.
  Connection.StartTransaction();
  row(4, true, "ok", "");
  row(5, true, "far too long", "");
  row(6, true, "ok too", "");
  EXPECT_THROW(q.ExecuteBatch(), EDatabaseError);
  Connection.Rollback();
  int rejected = 0;
  for (int r = 0; r < q.BatchRowCount(); ++r) {
    q.LoadBatchRow(r);
    try {
      q.Execute();
    } catch (const EDatabaseError&) {
      ++rejected;
      EXPECT_EQ(q.ParamByName("i").IntegerValue(), 5);
    }
  }
  EXPECT_EQ(rejected, 1);
  TUniQuery count(&Connection);
  count.SQL = "select string_agg(i::text, ',' order by i) from dac_array where i > 3";
  count.Open();
  EXPECT_EQ(count.Fields(0).AsString(), "4,6");
}

TEST_F(Db2Dac, ErrorsCarryTheDriversCodesAndWhatTheyMean) {
  Exec("drop table if exists dac_codes");
  Exec("create table dac_codes (i integer primary key)");
  Exec("insert into dac_codes values (1)");
  struct {
    const char* Sql;
    const char* StateClass;
    TDatabaseFault Fault;
  } cases[] = {
      {"insert into dac_codes values (1)", "23", TDatabaseFault::None},  // this row's values
      {"insert into dac_nowhere values (1)", "42", TDatabaseFault::StatementCannotRun},
      {"insert into dac_codes (nope) values (1)", "42", TDatabaseFault::StatementCannotRun},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Sql);
    try {
      Exec(c.Sql);
      ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
      ASSERT_EQ(e.SqlState.size(), 5u) << e.Message;
      EXPECT_EQ(e.SqlState.substr(0, 2), c.StateClass) << e.Message;
      EXPECT_EQ(e.Message.rfind("[" + e.SqlState + "] ", 0), 0u) << e.Message;
      EXPECT_EQ(e.Fault, c.Fault) << e.Message;
    }
  }
}

// A connection whose server went away: every later statement says so, and a commit
// never reports success for a transaction that is gone.
TEST(Db2DacLostConnection, StatementsAndCommitSayTheConnectionIsLost) {
  OwnDb2Server own;
  ASSERT_TRUE(own.Running()) << own.Output();
  for (bool kill : {true, false}) {
    SCOPED_TRACE(kill ? "killed" : "shut down");
    TUniConnection c;
    own.Server().Configure(c);
    c.Connect();
    TUniScript script(&c);
    script.SQL = "drop table if exists dac_lost; create table dac_lost (i integer)";
    script.Execute();
    TUniQuery q(&c);
    q.SQL = "insert into dac_lost values (:i)";
    c.StartTransaction();
    q.ParamByName("i").SetAsInteger(1);
    q.Execute();
    ASSERT_TRUE(kill ? own.Kill() : own.Stop()) << own.Output();
    q.ParamByName("i").SetAsInteger(2);
    try {
      q.Execute();
      ADD_FAILURE() << "executed on a lost connection";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Fault, TDatabaseFault::ConnectionLost) << e.Message;
    }
    try {
      c.Commit();
      ADD_FAILURE() << "a commit on a lost connection reported success";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Fault, TDatabaseFault::ConnectionLost) << e.Message;
    }
    EXPECT_FALSE(c.InTransaction());
    ASSERT_TRUE(own.Resume()) << own.Output();
  }
}

TEST(SqliteDacArrays, SqliteHasNoParameterArrays) {
  TUniConnection c;
  c.ProviderName = "Sqlite";
  TempDir dir;
  c.Database = dir.Path() + "/a.db";
  std::ofstream(c.Database) << "";
  c.Connect();
  TUniQuery q(&c);
  EXPECT_FALSE(q.SupportsParamArrays());
}

}  // namespace
