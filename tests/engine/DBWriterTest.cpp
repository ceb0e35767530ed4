#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/UExceptions.h"
#include "dac/UDataAccess.h"
#include "db2/UDB2ConvertObjectFactory.h"
#include "db2/UDB2SqlCreator.h"
#include "dialect/DialectTestSupport.h"
#include "dialect/UDBDictionary.h"
#include "dialect/USqlCreator.h"
#include "engine/UDataWriter.h"
#include "engine/UDateFormatParser.h"
#include "sqlite/USqliteConvertObjectFactory.h"
#include "sqlite/USqliteSqlCreator.h"
#include "support/DbRows.h"

namespace {

// A DB2 writer on one connection, and a second connection that sees only what the
// writer has committed.
class Db2Writer : public ::testing::Test {
 protected:
  void SetUp() override {
    Db2Server::Get().Configure(Observer);
    Observer.Connect();
    Writer.SetConnection(Db.Factory.Connection());
    Writer.SetSqlCreator(&Creator);
    Writer.SetDecimalSeparator('.');
    Creator.SetDecimalSeparator('.');
  }
  void TearDown() override {
    for (const std::string& t : Tables) Db.DropTable(t);
  }

  // Creates the table and points the creator at every column of it.
  void Table(const std::string& name, const std::string& columns, const std::string& loadType = "Append") {
    // DB2 keeps unquoted names in upper case: the names are created that way, and the
    // creator quotes them as the catalogue spells them.
    const std::string quoted = "\"" + name + "\"";
    Db.DropTable(quoted);
    Db.Exec("create table " + quoted + " (" + QuoteColumnNames(columns) + ")");
    Tables.push_back(quoted);
    auto cols = Db.Factory.Dictionary()->GetColumns(Db.Factory.Dictionary()->GetDefaultSchema(), name);
    TStringList names;
    for (int i = 0; i < cols->Count(); ++i) names.Add(cols->Names(i));
    Creator.Table = name;
    Creator.SetFields(names);
    Creator.SetFieldTypes(*cols);
    Creator.LoadType = loadType;
  }
  static std::string QuoteColumnNames(const std::string& columns) {
    std::string result;
    int depth = 0;
    bool atName = true;
    for (size_t i = 0; i < columns.size(); ++i) {
      char c = columns[i];
      if (atName && c != ' ') {
        size_t end = columns.find(' ', i);
        result += "\"" + UpperCase(columns.substr(i, end - i)) + "\"";
        i = end - 1;
        atName = false;
        continue;
      }
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (c == ',' && depth == 0) atName = true;
      result += c;
    }
    return result;
  }
  void Row(const std::vector<std::string>& values) {
    Writer.BeginRow();
    for (size_t i = 0; i < values.size(); ++i) Writer.SetValue(static_cast<int>(i), values[i]);
    Writer.WriteRow();
  }
  std::string Seen(const std::string& sql) {
    TUniQuery q(&Observer);
    q.SQL = sql;
    q.Open();
    return q.Eof() ? std::string() : q.Fields(0).AsString();
  }
  int SeenCount(const std::string& table) { return std::stoi(Seen("select count(*) from " + table)); }
  // Every row of sql, each value as text, "<null>" for NULL, values joined by "|".
  std::vector<std::string> SeenRows(const std::string& sql) { return QueryRows(Observer, sql); }

  Db2Database Db;
  TUniConnection Observer;
  TDB2SqlCreator Creator;
  TDB2Writer Writer;
  std::vector<std::string> Tables;
};

TEST_F(Db2Writer, BindsByProbedTypeAndWritesNulls) {
  Table("WR_TYPES",
        "n integer, i integer, b bigint, d decimal(31,9), f double, v varchar(20), dt date, "
        "ts timestamp, tm time");
  Creator.SetNullValues({"v=N/A"});
  Writer.BeginWrite();
  EXPECT_EQ(Writer.GetDescription(), "To Table: \"WR_TYPES\"");
  Row({"1", " 42 ", "9223372036854775807", "12345678901234567890.123456789", "3.5", "text", "2020-01-02",
       "2020-01-02 03:04:05.005", "10:11:12"});
  Row({"2", "", "", "", "", "", "", "", ""});
  Row({"3", "nUlL", "NULL", "null", "Null", "n/a", "NULL", "null", "NULL"});
  Row({"4", "-7", "-9223372036854775808", "-0.000000001", "-1e300", "N/A ", "2020-02-29", "1999-12-31 23:59:59.123456",
       "00:00:00"});
  Writer.EndWrite();
  EXPECT_EQ(SeenRows("select * from \"WR_TYPES\" order by \"N\""),
            (std::vector<std::string>{
                "1|42|9223372036854775807|12345678901234567890.123456789|3.5|text|2020-01-02|2020-01-02 "
                "03:04:05.005|10:11:12",
                "2|<null>|<null>|<null>|<null>||<null>|<null>|<null>",
                "3|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>",
                "4|-7|-9223372036854775808|-0.000000001|-1e+300|N/A |2020-02-29|1999-12-31 23:59:59.123456|00:00:00",
            }));
}

// Deferred rows reach the table an array at a time at the same commit points; a failed
// array leaves nothing behind and its rows can be written again one by one.
TEST_F(Db2Writer, ArraysCommitWhereRowsWouldAndReplayAfterAFailure) {
  Table("WR_ARRAY", "id integer not null primary key, v varchar(10)");
  Writer.BeginWrite();
  ASSERT_TRUE(Writer.StartDeferring());
  std::vector<std::pair<int, int>> seen;  // rows handed over -> rows another connection sees
  int replayed = 0, rejected = 0;
  for (int r = 1; r <= 2500; ++r) {
    Row({std::to_string(r == 1500 ? 1 : r), "x"});  // row 1500 repeats a key
    if (Writer.PendingFull() || r == 2500) {
      if (!Writer.ExecutePending()) {
        EXPECT_EQ(SeenCount("\"WR_ARRAY\""), 1000);
        for (int i = 0; i < Writer.PendingRowCount(); ++i, ++replayed) {
          try {
            Writer.ReplayRow(i);
          } catch (const EDatabaseError& e) {
            ++rejected;
            EXPECT_EQ(e.Message.rfind(Creator.GetWriteSql() + "\r\n", 0), 0u) << e.Message;
          }
        }
        Writer.EndReplay();
      }
    }
    if (r == 999 || r == 1000 || r == 1999 || r == 2000 || r == 2499) seen.emplace_back(r, SeenCount("\"WR_ARRAY\""));
  }
  Writer.EndWrite();
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{999, 0}, {1000, 1000}, {1999, 1000}, {2000, 1999}, {2499, 1999}}));
  EXPECT_EQ(replayed, 1000);
  EXPECT_EQ(rejected, 1);
  EXPECT_EQ(Writer.GetRowCounter(), 2500);
  EXPECT_EQ(SeenCount("\"WR_ARRAY\""), 2499);
}

// Large values end an array early: pending memory stays bounded, the rest of the
// interval goes row by row, and a failure in either part loses no other row.
TEST_F(Db2Writer, LargeRowsEndTheArrayEarlyAndTheIntervalGoesOnRowByRow) {
  Table("WR_BIG", "id integer not null primary key, data blob(2000000)");
  Writer.BeginWrite();
  ASSERT_TRUE(Writer.StartDeferring());
  const std::string big(1 << 20, 'b');
  int rejected = 0, arrays = 0, direct = 0;
  for (int r = 1; r <= 40; ++r) {
    const bool deferred = Writer.DefersNow();
    (deferred ? arrays : direct) += 1;
    try {
      Row({std::to_string(r == 5 || r == 30 ? 1 : r), big});  // rows 5 and 30 repeat a key
    } catch (const EDatabaseError&) {
      ++rejected;
    }
    if (Writer.PendingFull() && !Writer.ExecutePending()) {
      for (int i = 0; i < Writer.PendingRowCount(); ++i) {
        try {
          Writer.ReplayRow(i);
        } catch (const EDatabaseError&) {
          ++rejected;
        }
      }
      Writer.EndReplay();
    }
  }
  Writer.EndWrite();
  EXPECT_EQ(arrays, int(TUniDBWriter::MaxPendingBytes / big.size()));
  EXPECT_EQ(direct, 40 - arrays);
  EXPECT_EQ(rejected, 2);
  EXPECT_EQ(SeenRows("select count(*), min(length(\"DATA\")) from \"WR_BIG\""), std::vector<std::string>{"38|1048576"});
}

// Keys without a row change nothing and do not make the array fail.
TEST_F(Db2Writer, UpdatesGoInArraysToo) {
  Table("WR_UPD", "k integer, v varchar(10)", "Update");
  Creator.UpdateKey = "K";
  Db.Exec("insert into \"WR_UPD\" values (1, 'a'), (2, 'b'), (3, 'c')");
  Writer.BeginWrite();
  ASSERT_TRUE(Writer.StartDeferring());
  for (int k : {5, 1, 4, 3}) Row({std::to_string(k), "new" + std::to_string(k)});
  EXPECT_EQ(Writer.PendingRowCount(), 4);
  EXPECT_TRUE(Writer.ExecutePending());
  Writer.EndWrite();
  EXPECT_EQ(SeenRows("select * from \"WR_UPD\" order by 1"), (std::vector<std::string>{"1|new1", "2|b", "3|new3"}));
}

TEST_F(Db2Writer, ValuesTheColumnCannotTakeFailInSetValue) {
  Table("WR_BAD", "i integer, b bigint, d decimal(10,2), f double");
  Writer.BeginWrite();
  struct Case {
    int Column;
    std::string Value;
  } cases[] = {{0, "4.2"}, {0, "12abc"}, {0, "99999999999"}, {1, "1.5"}, {2, "abc"}, {2, "3,5"}, {3, "x"}, {3, "3,5"}};
  for (const Case& k : cases) {
    Writer.BeginRow();
    EXPECT_THROW(Writer.SetValue(k.Column, k.Value), EConvertError) << k.Value;
  }
  Writer.EndWrite();

  // Under a locale that writes a comma, "3,5" is the number and "3.5" is not.
  Writer.SetDecimalSeparator(',');
  Writer.BeginWrite();
  Writer.BeginRow();
  EXPECT_THROW(Writer.SetValue(3, "3.5"), EConvertError);
  EXPECT_THROW(Writer.SetValue(2, "3.5"), EConvertError);
  Row({"1", "2", "3,25", "3,5"});
  Writer.EndWrite();
  EXPECT_EQ(SeenRows("select * from \"WR_BAD\""), std::vector<std::string>{"1|2|3.25|3.5"});
}

TEST_F(Db2Writer, CommitsEveryThousandRowsAndAtTheEnd) {
  Table("WR_COMMIT", "id integer not null primary key, v varchar(10)");
  Writer.BeginWrite();
  std::vector<std::pair<int, int>> seen;  // rows written -> rows another connection sees
  for (int r = 1; r <= 2500; ++r) {
    // Row 1500 repeats a key: it fails, and the rows before it stay.
    const int id = r == 1500 ? 1 : r;
    if (r == 1500) {
      Writer.BeginRow();
      Writer.SetValue(0, std::to_string(id));
      Writer.SetValue(1, "x");
      try {
        Writer.WriteRow();
        ADD_FAILURE() << "a repeated key was written";
      } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message.rfind(Creator.GetWriteSql() + "\r\n", 0), 0u) << e.Message;
        EXPECT_GT(e.Message.size(), Creator.GetWriteSql().size() + 2);
      }
    } else {
      Row({std::to_string(id), "x"});
    }
    if (r == 999 || r == 1000 || r == 1999 || r == 2000 || r == 2499) seen.emplace_back(r, SeenCount("\"WR_COMMIT\""));
  }
  EXPECT_EQ(Writer.GetRowCounter(), 2500);
  Writer.EndWrite();
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{999, 0}, {1000, 1000}, {1999, 1000}, {2000, 1999}, {2499, 1999}}));
  EXPECT_EQ(SeenCount("\"WR_COMMIT\""), 2499);
}

TEST_F(Db2Writer, ReplaceEmptiesTheTableOnceEvenWhenEveryRowFails) {
  Table("WR_REPLACE", "id integer not null, v varchar(3)", "Replace");
  Db.Exec("insert into \"WR_REPLACE\" values (1, 'a'), (2, 'b')");
  Writer.BeginWrite();
  EXPECT_EQ(SeenCount("\"WR_REPLACE\""), 0);
  for (int r = 0; r < 3; ++r) EXPECT_THROW(Row({"", "too long"}), EDatabaseError);
  Writer.EndWrite();
  EXPECT_EQ(SeenCount("\"WR_REPLACE\""), 0);

  // Written in lower case it is no Replace: nothing is deleted, rows are added.
  Db.Exec("insert into \"WR_REPLACE\" values (1, 'a')");
  Creator.LoadType = "replace";
  Writer.BeginWrite();
  Row({"2", "b"});
  Writer.EndWrite();
  EXPECT_EQ(SeenRows("select * from \"WR_REPLACE\" order by \"ID\""), (std::vector<std::string>{"1|a", "2|b"}));
}

TEST_F(Db2Writer, UpdateChangesMatchingRowsOnly) {
  Table("WR_UPDATE", "id integer, name varchar(10), n integer", "Update");
  Creator.UpdateKey = "ID";
  Db.Exec("insert into \"WR_UPDATE\" values (1, 'a', 10), (2, 'b', 20)");
  Writer.BeginWrite();
  Row({"2", "B2", "22"});
  Row({"3", "C", "30"});
  Writer.EndWrite();
  EXPECT_EQ(SeenRows("select * from \"WR_UPDATE\" order by \"ID\""), (std::vector<std::string>{"1|a|10", "2|B2|22"}));
}

TEST_F(Db2Writer, BeginWriteFailuresCarryTheStatement) {
  Creator.Table = "WR_MISSING";
  Creator.SetFields({});
  EXPECT_THROW(
      try { Writer.BeginWrite(); } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "FieldNames is not init.");
        throw;
      },
      Exception);
  Creator.SetFields({"a"});
  try {
    Writer.BeginWrite();
    FAIL() << "a missing table was probed";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message.rfind("select \"a\" from \"WR_MISSING\" where 1=0\r\n", 0), 0u) << e.Message;
  }
}

TEST_F(Db2Writer, LongUnicodeAndBinaryValuesArriveWhole) {
  Table("WR_LOB", "id integer, v varchar(5000), c clob(1000000), b blob(1000000), vb varchar(10)");
  std::string five(4990, 'x');
  five += "Ünï€😀";  // 5000 characters, more bytes
  std::string big;
  for (int i = 0; big.size() < 400000; ++i) big += static_cast<char>('a' + i % 26);
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += static_cast<char>(i % 256);

  Writer.BeginWrite();
  for (int r = 1; r <= 3; ++r) {
    TRowValues row(5);
    row[0].Text = std::to_string(r);
    row[1].Text = r == 3 ? "NULL" : five;
    row[2].Text = big + std::to_string(r);
    row[3].SourceType = TFieldType::ftBlob;
    row[3].Bytes = bytes + static_cast<char>(r);
    row[3].Text = "hex form, not written";
    // The source's NULL is NULL whatever text comes with it.
    row[4].Text = "text";
    row[4].IsNull = r == 2;
    Writer.WriteData(row);
  }
  Writer.EndWrite();

  TUniQuery q(&Observer);
  q.SQL = "select * from \"WR_LOB\" order by \"ID\"";
  q.Open();
  for (int r = 1; r <= 3; ++r, q.Next()) {
    ASSERT_FALSE(q.Eof());
    SCOPED_TRACE(r);
    if (r == 3)
      EXPECT_TRUE(q.Fields(1).IsNull());
    else
      EXPECT_EQ(q.Fields(1).AsString(), five);
    EXPECT_EQ(q.Fields(2).AsString(), big + std::to_string(r));
    EXPECT_EQ(q.Fields(3).AsBytes(), bytes + static_cast<char>(r));
    EXPECT_EQ(q.Fields(4).IsNull(), r == 2);
  }
  EXPECT_TRUE(q.Eof());
}

TEST_F(Db2Writer, DateFormatsReachTheDatabase) {
  Table("WR_DATES", "id integer, d date, t timestamp, p timestamp");
  Creator.SetDateFormats({"D=DD/MM/YYYY", "T=YYYY-MM-DD HH24:MI:SS", "P=detect per record"});
  Writer.BeginWrite();
  EXPECT_NE(Writer.GetQuery().SQL.find("TIMESTAMP_FORMAT(:D,'DD/MM/YYYY')"), std::string::npos);
  EXPECT_NE(Writer.GetQuery().SQL.find(",:P)"), std::string::npos) << Writer.GetQuery().SQL;
  Row({"1", "31/12/2020", "2021-01-02 03:04:05", "2022-03-04 05:06:07.005"});
  Row({"2", "", "", ""});
  Writer.EndWrite();
  EXPECT_EQ(
      SeenRows("select * from \"WR_DATES\" order by \"ID\""),
      (std::vector<std::string>{"1|2020-12-31|2021-01-02 03:04:05|2022-03-04 05:06:07.005", "2|<null>|<null>|<null>"}));
}

// The DB2 test server describes booleans as text, so the boolean binding is shown on
// a SQLite destination, whose probe reports them as booleans.
TEST(SqliteWriter, BindsBooleansIntegersAndNulls) {
  SqliteFile file;
  file.Exec("create table t (n integer, b boolean, v text)");
  TSqliteSqlCreator creator;
  creator.Table = "t";
  creator.SetFields({"n", "b", "v"});
  creator.LoadType = "Append";
  TSqliteWriter writer;
  writer.SetConnection(file.Factory.Connection());
  writer.SetSqlCreator(&creator);
  writer.BeginWrite();
  ASSERT_EQ(writer.GetFieldTypes(),
            (std::vector<TFieldType>{TFieldType::ftInteger, TFieldType::ftBoolean, TFieldType::ftMemo}));
  const char* rows[][3] = {{"1", "TRUE", ""}, {"2", "1", "NULL"}, {"3", "yes", "x"}, {"4", "false", "null"}};
  auto text = [](const char* t) {
    TFieldValue v;
    v.Text = t;
    return v;
  };
  for (auto& r : rows) writer.WriteData({text(r[0]), text(r[1]), text(r[2])});
  writer.EndWrite();
  TUniQuery q(file.Factory.Connection());
  q.SQL = "select n, b, typeof(b), v is null, v from t order by n";
  q.Open();
  std::vector<std::string> seen;
  for (; !q.Eof(); q.Next())
    seen.push_back(q.Fields(1).AsString() + " " + q.Fields(2).AsString() + " " + q.Fields(3).AsString() + " [" +
                   q.Fields(4).AsString() + "]");
  EXPECT_EQ(seen, (std::vector<std::string>{"1 integer 0 []", "1 integer 1 []", "0 integer 0 [x]", "0 integer 1 []"}));
}

// A writer serving runs of different statements in turn binds each run's values to that
// run's parameters, found anew at every BeginWrite: an update names its key last.
TEST(SqliteWriter, EachRunBindsItsOwnStatementsParameters) {
  SqliteFile file;
  file.Exec("create table a (x integer, y text); create table b (p text, q integer, r text)");
  TSqliteWriter writer;
  writer.SetConnection(file.Factory.Connection());
  auto text = [](const char* t) {
    TFieldValue v;
    v.Text = t;
    return v;
  };
  const struct {
    const char* Table;
    const char* LoadType;
    TStringList Fields;
    std::vector<const char*> Row;
  } runs[] = {{"a", "Append", {"x", "y"}, {"1", "one"}},
              {"a", "Update", {"x", "y"}, {"1", "uno"}},
              {"b", "Append", {"r", "q", "p"}, {"are", "2", "pea"}}};
  for (const auto& run : runs) {
    TSqliteSqlCreator creator;
    creator.Table = run.Table;
    creator.SetFields(run.Fields);
    creator.LoadType = run.LoadType;
    creator.UpdateKey = "x";
    writer.SetSqlCreator(&creator);
    writer.BeginWrite();
    TRowValues row;
    for (const char* v : run.Row) row.push_back(text(v));
    writer.WriteData(row);
    writer.EndWrite();
  }
  TUniQuery q(file.Factory.Connection());
  q.SQL = "select x || ':' || y from a union all select p || ':' || q || ':' || r from b";
  q.Open();
  std::vector<std::string> seen;
  for (; !q.Eof(); q.Next()) seen.push_back(q.Fields(0).AsString());
  EXPECT_EQ(seen, (std::vector<std::string>{"1:uno", "pea:2:are"}));
}

TEST(ConvertObjectFactories, MakeTheWritersCreatorsAndParsersOfTheirKind) {
  TUniConnection connection;
  TDB2ConvertObjectFactory db2;
  db2.SetConnection(&connection);
  auto writer = db2.CreateWriter();
  auto* db2Writer = dynamic_cast<TDB2Writer*>(writer.get());
  ASSERT_NE(db2Writer, nullptr);
  EXPECT_EQ(db2Writer->GetConnection(), &connection);
  EXPECT_NE(dynamic_cast<TDB2DateFormatParser*>(&db2Writer->GetDateParser()), nullptr);
  EXPECT_NE(dynamic_cast<TDB2SqlCreator*>(db2.CreateSqlCreator().get()), nullptr);
  EXPECT_NE(dynamic_cast<TDB2DateFormatParser*>(db2.CreateDateFormatParser().get()), nullptr);

  TSqliteConvertObjectFactory sqlite;
  sqlite.SetConnection(&connection);
  auto sqliteWriter = sqlite.CreateWriter();
  ASSERT_NE(dynamic_cast<TSqliteWriter*>(sqliteWriter.get()), nullptr);
  EXPECT_NE(dynamic_cast<TSqliteDateFormatParser*>(&dynamic_cast<TSqliteWriter&>(*sqliteWriter).GetDateParser()),
            nullptr);
  EXPECT_NE(dynamic_cast<TSqliteSqlCreator*>(sqlite.CreateSqlCreator().get()), nullptr);
  EXPECT_NE(dynamic_cast<TSqliteDateFormatParser*>(sqlite.CreateDateFormatParser().get()), nullptr);
}

}  // namespace
