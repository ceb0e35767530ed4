#include <gtest/gtest.h>
#include <sqlite3.h>

#include "base/UPaths.h"
#include "dac/UDataAccess.h"
#include "dac/UUniMetaData.h"
#include "support/TempDir.h"

namespace {

// Builds a SQLite file with the library itself, so the layer is tested against what
// SQLite really stores and not against what the layer wrote.
void MakeFile(const std::string& path, const std::string& script) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error);
  std::string message = error ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << message;
}

class SqliteDac : public ::testing::Test {
 protected:
  void SetUp() override {
    Path = Dir.Path() + "/the data ü.sqlite";
    MakeFile(Path,
             "create table mixed (id integer primary key, n integer, d date, r real, m numeric(10,2),"
             " v varchar(20), b blob, t text);"
             "insert into mixed values (1, 42, '2024-02-29', 0.1, 12.34, 'x', x'00ff10', 'Grüße');"
             "insert into mixed values (2, 'abc', 1700000000, 1e-300, '7', '', x'', null);"
             "insert into mixed values (3, 9223372036854775807, 'not a date', -2.5, null, null, null, 'NULL');");
    Connection.ProviderName = "Sqlite";
    Connection.Database = Path;
  }

  TempDir Dir;
  std::string Path;
  TUniConnection Connection;
};

TEST_F(SqliteDac, OpensPathWithBlanksAndNonAscii) {
  Connection.Connect();
  EXPECT_TRUE(Connection.Connected());
  EXPECT_FALSE(Connection.ServerVersion().empty());
  Connection.Disconnect();
  EXPECT_FALSE(Connection.Connected());
}

TEST_F(SqliteDac, MissingFileIsAnErrorNotANewFile) {
  Connection.Database = Dir.Path() + "/nope.sqlite";
  EXPECT_THROW(Connection.Connect(), EDatabaseError);
  EXPECT_FALSE(FileExists(Connection.Database));
}

TEST_F(SqliteDac, ValuesComeOutAsStoredWhateverTheDeclaredType) {
  Connection.Connect();
  TUniQuery q(&Connection);
  q.SQL = "select n, d, r, m, v, b, t from mixed order by id";
  q.Open();
  EXPECT_EQ(q.FieldByName("n").DataType, TFieldType::ftInteger);
  EXPECT_EQ(q.FieldByName("d").DataType, TFieldType::ftDate);
  EXPECT_EQ(q.FieldByName("r").DataType, TFieldType::ftFloat);
  EXPECT_EQ(q.FieldByName("m").DataType, TFieldType::ftBCD);
  EXPECT_EQ(q.FieldByName("m").Precision, 10);
  EXPECT_EQ(q.FieldByName("m").Size, 2);
  EXPECT_EQ(q.FieldByName("v").DataType, TFieldType::ftString);
  EXPECT_EQ(q.FieldByName("v").Size, 20);
  EXPECT_EQ(q.FieldByName("b").DataType, TFieldType::ftBlob);
  EXPECT_EQ(q.FieldByName("t").DataType, TFieldType::ftMemo);

  const std::vector<std::vector<const char*>> expected = {
      {"42", "2024-02-29", "0.1", "12.34", "x", "BYTES", "Grüße"},
      {"abc", "1700000000", "1e-300", "7", "", "", nullptr},
      {"9223372036854775807", "not a date", "-2.5", nullptr, nullptr, nullptr, "NULL"},
  };
  for (const auto& row : expected) {
    ASSERT_FALSE(q.Eof());
    for (int i = 0; i < 7; ++i) {
      SCOPED_TRACE(q.Fields(i).FieldName);
      if (!row[i]) {
        EXPECT_TRUE(q.Fields(i).IsNull());
      } else {
        EXPECT_FALSE(q.Fields(i).IsNull());
        std::string want = std::string(row[i]) == "BYTES" ? std::string("\x00\xff\x10", 3) : row[i];
        EXPECT_EQ(i == 5 ? q.Fields(i).AsBytes() : q.Fields(i).AsString(), want);
      }
    }
    q.Next();
  }
  EXPECT_TRUE(q.Eof());
}

TEST_F(SqliteDac, ParametersBindTheirTypes) {
  Connection.Connect();
  TUniQuery ins(&Connection);
  ins.SQL = "insert into mixed (id, n, r, v, b, t) values (:id, :n, :r, :v, :b, :t)";
  ins.ParamByName("id").SetAsInteger(10);
  ins.ParamByName("N").SetAsInteger(-9000000000);
  ins.ParamByName("r").SetAsFloat(3.25);
  ins.ParamByName("v").SetAsWideString("日本語");
  ins.ParamByName("b").LoadFromBytes(std::string("a\0b", 3), TFieldType::ftBlob);
  ins.ParamByName("t").Clear();
  ins.Execute();
  EXPECT_EQ(ins.RowsAffected(), 1);
  EXPECT_THROW(ins.ParamByName("missing"), EDatabaseError);

  TUniQuery q(&Connection);
  q.SQL = "select typeof(n), n, typeof(r), r, v, typeof(b), b, t is null from mixed where id = :id";
  q.ParamByName("id").SetAsInteger(10);
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.Fields(0).AsString(), "integer");
  EXPECT_EQ(q.Fields(1).AsString(), "-9000000000");
  EXPECT_EQ(q.Fields(2).AsString(), "real");
  EXPECT_EQ(q.Fields(3).AsString(), "3.25");
  EXPECT_EQ(q.Fields(4).AsString(), "日本語");
  EXPECT_EQ(q.Fields(5).AsString(), "blob");
  EXPECT_EQ(q.Fields(6).AsBytes(), std::string("a\0b", 3));
  EXPECT_EQ(q.Fields(7).AsString(), "1");
}

TEST_F(SqliteDac, CursorStepsForwardAndCountsSeparately) {
  Connection.Connect();
  TUniScript script(&Connection);
  script.SQL =
      "create table many (i integer);"
      "with recursive c(x) as (select 1 union all select x + 1 from c where x < 120)"
      " insert into many select x from c;";
  script.Execute();
  TUniQuery q(&Connection);
  q.SQL = "select i from many order by i";
  q.FetchRows = 50;
  q.Open();
  EXPECT_EQ(q.RecordCount(), 120);
  int seen = 0;
  for (; !q.Eof(); q.Next()) EXPECT_EQ(q.Fields(0).AsInteger(), ++seen);
  EXPECT_EQ(seen, 120);
}

TEST_F(SqliteDac, ScriptStopsAtTheFirstFailingStatement) {
  Connection.Connect();
  TUniQuery last(&Connection);
  TUniScript script(&Connection);
  script.DataSet = &last;
  script.SQL = "insert into mixed (id) values (20); insert into nowhere values (1); insert into mixed (id) values (21)";
  try {
    script.Execute();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message.find("nowhere"), std::string::npos) << e.Message;
  }
  TUniQuery q(&Connection);
  q.SQL = "select group_concat(id) from mixed where id >= 20";
  q.Open();
  EXPECT_EQ(q.Fields(0).AsString(), "20");

  script.SQL = "select 1; select 'a;b' as x";
  script.Execute();
  ASSERT_TRUE(last.Active());
  EXPECT_EQ(last.FieldByName("x").AsString(), "a;b");
}

// The extended result code travels with the message; only what ends every later
// statement too is a fault.
TEST_F(SqliteDac, ErrorsCarryTheResultCodeAndWhatItMeans) {
  Connection.Connect();
  struct {
    const char* Sql;
    int Code;
    TDatabaseFault Fault;
  } cases[] = {
      {"insert into mixed (id) values (1)", SQLITE_CONSTRAINT_PRIMARYKEY, TDatabaseFault::None},
      {"insert into nowhere values (1)", SQLITE_ERROR, TDatabaseFault::StatementCannotRun},
      {"insert into mixed (nope) values (1)", SQLITE_ERROR, TDatabaseFault::StatementCannotRun},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Sql);
    TUniQuery q(&Connection);
    q.SQL = c.Sql;
    try {
      q.Execute();
      ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.NativeCode, c.Code) << e.Message;
      EXPECT_EQ(e.Fault, c.Fault) << e.Message;
      EXPECT_EQ(e.SqlState, "");
    }
  }
  EXPECT_EQ(SqliteFault(SQLITE_IOERR_WRITE), TDatabaseFault::ConnectionLost);
  EXPECT_EQ(SqliteFault(SQLITE_CORRUPT), TDatabaseFault::ConnectionLost);
  EXPECT_EQ(SqliteFault(SQLITE_FULL), TDatabaseFault::StatementCannotRun);
  EXPECT_EQ(SqliteFault(SQLITE_READONLY_DBMOVED), TDatabaseFault::StatementCannotRun);
  EXPECT_EQ(SqliteFault(SQLITE_BUSY), TDatabaseFault::None);
  EXPECT_EQ(SqliteFault(SQLITE_CONSTRAINT_CHECK), TDatabaseFault::None);
}

TEST_F(SqliteDac, TransactionsRollBack) {
  Connection.Connect();
  Connection.StartTransaction();
  EXPECT_TRUE(Connection.InTransaction());
  TUniQuery q(&Connection);
  q.SQL = "delete from mixed";
  q.Execute();
  Connection.Rollback();
  q.SQL = "select count(*) from mixed";
  q.Open();
  EXPECT_EQ(q.Fields(0).AsInteger(), 3);
}

TEST_F(SqliteDac, MetaDataListsTablesViewsAndColumns) {
  MakeFile(Path, "create view vmixed as select id, v from mixed;");
  Connection.Connect();
  TUniMetaData md(&Connection);
  md.MetaDataKind = "Tables";
  md.Restrictions.SetValue("TABLE_TYPE", "TABLE");
  md.Open();
  std::vector<std::string> names;
  for (; !md.Eof(); md.Next()) names.push_back(md.FieldByName("TABLE_NAME").AsString());
  EXPECT_EQ(names, std::vector<std::string>{"mixed"});

  md.Close();
  md.Restrictions.SetValue("TABLE_TYPE", "VIEW");
  md.Open();
  ASSERT_EQ(md.RecordCount(), 1);
  EXPECT_EQ(md.FieldByName("TABLE_NAME").AsString(), "vmixed");

  md.Close();
  md.MetaDataKind = "Columns";
  md.Restrictions.Clear();
  md.Restrictions.SetValue("TABLE_NAME", "mixed");
  md.Open();
  ASSERT_EQ(md.RecordCount(), 8);
  EXPECT_EQ(md.FieldByName("COLUMN_NAME").AsString(), "id");
  EXPECT_EQ(md.FieldByName("POSITION").AsInteger(), 1);
  md.Next();
  md.Next();
  md.Next();
  md.Next();
  EXPECT_EQ(md.FieldByName("COLUMN_NAME").AsString(), "m");
  EXPECT_EQ(md.FieldByName("DATA_TYPE").AsString(), "numeric(10,2)");
}

TEST_F(SqliteDac, EncryptionNeedsABuildThatHasIt) {
  Connection.SpecificOptions.SetValue("EncryptionAlgorithm", "leAES256");
  Connection.SpecificOptions.SetValue("EncryptionKey", "secret");
  try {
    Connection.Connect();
    FAIL() << "connected";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message.find("this SQLite build cannot open encrypted files"), std::string::npos) << e.Message;
    EXPECT_EQ(e.Message.find("secret"), std::string::npos) << e.Message;
  }
  // The default algorithm without a key is a plain file.
  Connection.SpecificOptions.SetValue("EncryptionAlgorithm", "leDefault");
  Connection.SpecificOptions.SetValue("EncryptionKey", "");
  Connection.Connect();
  EXPECT_TRUE(Connection.Connected());
}

}  // namespace
