#include <gtest/gtest.h>

#include "db2/UDB2DBDictionary.h"
#include "dialect/DialectTestSupport.h"
#include "dialect/UDBDictionary.h"
#include "dialect/USqlExecutor.h"
#include "sqlite/USqliteDBDictionary.h"

namespace {

std::string Joined(const TStringList& list) { return list.DelimitedText('|', '"', true); }

// ---------------------------------------------------------------------------
// Quoting

TEST(DBHelper, QuotesNamesPerKindAndDoublesTheClosingCharacter) {
  TDBHelper plain;
  TSqliteDBHelper sqlite;
  TDB2DBHelper db2;
  struct Case {
    std::string Name, Plain, Sqlite, Db2;
  } cases[] = {
      {"Track", "Track", "\"Track\"", "\"Track\""},
      {"unit price", "unit price", "\"unit price\"", "\"unit price\""},
      {"a]b", "a]b", "\"a]b\"", "\"a]b\""},
      {"[x]", "[x]", "\"[x]\"", "\"[x]\""},
      {"say \"hi\"", "say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\""},
      {"", "", "\"\"", "\"\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(plain.QuoteName(c.Name), c.Plain);
    EXPECT_EQ(sqlite.QuoteName(c.Name), c.Sqlite);
    EXPECT_EQ(db2.QuoteName(c.Name), c.Db2);
  }
}

TEST(DBHelper, QuoteValueDoublesSingleQuotesWithoutEnclosingThem) {
  TDB2DBHelper db2;
  EXPECT_EQ(db2.QuoteValue("O'Brien''s"), "O''Brien''''s");
  EXPECT_EQ(db2.QuoteValue("plain"), "plain");
}

TEST(DBHelper, FullNameTrimsAndLeavesOutABlankSchema) {
  TSqliteDBHelper sqlite;
  TDB2DBHelper db2;
  EXPECT_EQ(sqlite.GetFullName(" S ", " T "), "\"S\".\"T\"");
  EXPECT_EQ(db2.GetFullName(" S ", " T "), "\"S\".\"T\"");
  EXPECT_EQ(sqlite.GetFullName("  ", "T"), "\"T\"");
  EXPECT_EQ(db2.GetFullName("", "T"), "\"T\"");
}

TEST(DBHelper, JoinNames) {
  TDB2DBHelper db2;
  EXPECT_EQ(db2.JoinNames(TStringList{"a", "b c"}), "\"a\",\"b c\"");
  EXPECT_EQ(db2.JoinNames(TStringList{}), "");
}

TEST(DBDictionary, SelectAllAndCountTexts) {
  TSqliteDBDictionary sqlite;
  TDB2DBDictionary db2;
  EXPECT_EQ(sqlite.GetCountSql("", "T"), "select count(1) from \"T\"");
  EXPECT_EQ(sqlite.GetSelectAllSql("", "T"), "select * from \"T\"");
  EXPECT_EQ(db2.GetCountSql("DB2INST1", "T"), "select count(1) from \"DB2INST1\".\"T\"");
  EXPECT_EQ(db2.GetFullTableName(" ", "T"), "\"T\"");
}

TEST(DBDictionary, ColumnListEntriesAreSetByName) {
  TStringList columns;
  TDBDictionary::SetColumn(columns, "id", "INTEGER");
  TDBDictionary::SetColumn(columns, "untyped", "");
  TDBDictionary::SetColumn(columns, "name", "VARCHAR");
  TDBDictionary::SetColumn(columns, "ID", "TEXT");
  EXPECT_EQ(Joined(columns), "ID=TEXT|name=VARCHAR");
}

TEST(DBDictionary, GroupsCompareUpperCasedTypesExactly) {
  TStringList columns{"a=date", "b=DateTime", "c=DATE ", "d=integer", "e=INT", "f=varchar", "g=Blob"};
  TSqliteDBDictionary sqlite;
  EXPECT_EQ(Joined(*sqlite.GetDateFields(columns)), "a|b");
  EXPECT_EQ(Joined(*sqlite.GetNumberFields(columns)), "d");
  EXPECT_EQ(Joined(*sqlite.GetLobFields(columns)), "g");
  TDB2DBDictionary db2;
  TStringList db2Columns{"a=timestamp", "b=decimal",         "c=vargraphic", "d=double precision",
                         "e=varchar",   "f=long vargraphic", "g=time"};
  EXPECT_EQ(Joined(*db2.GetDateFields(db2Columns)), "a|g");
  EXPECT_EQ(Joined(*db2.GetNumberFields(db2Columns)), "b|d");
  EXPECT_EQ(Joined(*db2.GetLobFields(db2Columns)), "c|f");
}

// ---------------------------------------------------------------------------
// SQLite

class SqliteDictionary : public ::testing::Test {
protected:
  void SetUp() override {
    File.Exec(
        "create table people (id INTEGER, name VARCHAR(40), born DATE, photo BLOB, n INT, untyped, "
        "spaced VARCHAR (50), price NUMERIC(10,2), stamp DATETIME, memo TEXT);"
        "create table \"Zebra Table\" (z REAL);"
        "create table alpha (a integer);"
        "create view adults as select * from people;"
        "create view \"B view\" as select a from alpha;");
  }
  TDBDictionary& Dictionary() { return *File.Factory.Dictionary(); }
  SqliteFile File;
};

TEST_F(SqliteDictionary, TheFactoryMakesTheSqliteKind) {
  EXPECT_NE(dynamic_cast<TSqliteDBDictionary*>(&Dictionary()), nullptr);
  EXPECT_EQ(Dictionary().GetConnection(), File.Factory.Connection());
  EXPECT_EQ(Dictionary().GetProviderName(), "Sqlite");
  EXPECT_EQ(Dictionary().GetConnectionCaption(), "@:" + File.Factory.Connection()->Database);
}

TEST_F(SqliteDictionary, NoSchemas) {
  EXPECT_TRUE(Dictionary().GetSchemas()->Empty());
  EXPECT_EQ(Dictionary().GetDefaultSchema(), "");
}

TEST_F(SqliteDictionary, TablesAndViewsByName) {
  EXPECT_EQ(Joined(*Dictionary().GetTables("")), "Zebra Table|alpha|people");
  EXPECT_EQ(Joined(*Dictionary().GetViews("")), "B view|adults");
  EXPECT_EQ(Joined(*Dictionary().GetTables("ignored")), "Zebra Table|alpha|people");
}

TEST_F(SqliteDictionary, ColumnsKeepTheDeclaredTypeWithoutSize) {
  auto columns = Dictionary().GetColumns("", "people");
  EXPECT_EQ(Joined(*columns),
            "id=INTEGER|name=VARCHAR|born=DATE|photo=BLOB|n=INT|spaced=VARCHAR |price=NUMERIC|stamp=DATETIME|"
            "memo=TEXT");
  EXPECT_EQ(Joined(*Dictionary().GetDateFields(*columns)), "born|stamp");
  EXPECT_EQ(Joined(*Dictionary().GetNumberFields(*columns)), "id|price");
  EXPECT_EQ(Joined(*Dictionary().GetLobFields(*columns)), "photo|memo");
  EXPECT_TRUE(Dictionary().CanQueryRecCount("select 1"));
}

TEST_F(SqliteDictionary, UnknownTableHasNoColumns) { EXPECT_TRUE(Dictionary().GetColumns("", "nosuch")->Empty()); }

TEST_F(SqliteDictionary, CountAndSelectTextsRunOnTheFile) {
  File.Exec("insert into \"Zebra Table\" values (1.5); insert into \"Zebra Table\" values (2)");
  TUniQuery q(File.Factory.Connection());
  q.SQL = Dictionary().GetCountSql("", "Zebra Table");
  q.Open();
  EXPECT_EQ(q.Fields(0).AsInteger(), 2);
  q.SQL = Dictionary().GetSelectAllSql("", "Zebra Table");
  q.Open();
  EXPECT_EQ(q.Fields(0).AsString(), "1.5");
}

TEST_F(SqliteDictionary, ANameCannotEndItsQuotesAndRunStatementsOfItsOwn) {
  // Unescaped, the name would close its quoting after "x" and the rest would run.
  File.Exec("create table x (a integer); create table victim (a integer)");
  auto executor = File.Factory.CreateSqlExecutor();
  for (const char* name : {"x]; drop table victim; --", "x\"; drop table victim; --"})
    EXPECT_THROW(executor->Execute(Dictionary().GetSelectAllSql("", name)), EDatabaseError) << name;
  EXPECT_EQ(Joined(*Dictionary().GetTables("")), "Zebra Table|alpha|people|victim|x");
}

// ---------------------------------------------------------------------------
// DB2

class Db2Dictionary : public ::testing::Test {
protected:
  void SetUp() override {
    Db.DropTable("\"DICT_T1\"");
    Db.Exec("drop view if exists \"DICT_V1\"");
    Db.Exec(
        "create table \"DICT_T1\" (\"ID\" integer, \"NAME\" varchar(40), \"AMOUNT\" decimal(10,2), \"BORN\" date, "
        "\"AT\" time, \"STAMP\" timestamp, \"WIDE\" vargraphic(20), \"PIC\" blob(1000), \"NOTE\" clob(1000), "
        "\"RATE\" double, \"Mixed Case\" smallint)");
    Db.Exec("create view \"DICT_V1\" as select \"ID\" from \"DICT_T1\"");
  }
  void TearDown() override {
    Db.Exec("drop view if exists \"DICT_V1\"");
    Db.DropTable("\"DICT_T1\"");
  }
  TDBDictionary& Dictionary() { return *Db.Factory.Dictionary(); }
  Db2Database Db;
};

TEST_F(Db2Dictionary, TheFactoryMakesTheDB2Kind) {
  EXPECT_NE(dynamic_cast<TDB2DBDictionary*>(&Dictionary()), nullptr);
  EXPECT_EQ(Dictionary().GetProviderName(), "DB2");
  const auto& server = Db2Server::Get();
  EXPECT_EQ(Dictionary().GetConnectionCaption(), server.User + "@" + server.TcpipServerText() + ":");
}

TEST_F(Db2Dictionary, SchemasAndTheDefaultSchema) {
  std::string schema = Dictionary().GetDefaultSchema();
  EXPECT_EQ(schema, UpperCase(Db2Server::Get().User));
  auto schemas = Dictionary().GetSchemas();
  EXPECT_GE(schemas->IndexOf(schema), 0) << Joined(*schemas);
  EXPECT_GE(schemas->IndexOf("SYSIBM"), 0) << Joined(*schemas);
  EXPECT_EQ(Dictionary().LastError, "");
}

TEST_F(Db2Dictionary, TablesAndViewsOfASchema) {
  std::string schema = Dictionary().GetDefaultSchema();
  auto tables = Dictionary().GetTables(schema);
  auto views = Dictionary().GetViews(schema);
  EXPECT_GE(tables->IndexOf("DICT_T1"), 0) << Joined(*tables);
  EXPECT_LT(tables->IndexOf("DICT_V1"), 0) << Joined(*tables);
  EXPECT_GE(views->IndexOf("DICT_V1"), 0) << Joined(*views);
  EXPECT_LT(views->IndexOf("DICT_T1"), 0) << Joined(*views);
  EXPECT_TRUE(Dictionary().GetTables("NO_SUCH_SCHEMA")->Empty());
}

TEST_F(Db2Dictionary, ColumnsWithLowerCaseTypesAndTheirGroups) {
  std::string schema = Dictionary().GetDefaultSchema();
  auto columns = Dictionary().GetColumns(schema, "DICT_T1");
  EXPECT_EQ(Joined(*columns),
            "ID=integer|NAME=varchar|AMOUNT=decimal|BORN=date|AT=time|STAMP=timestamp|WIDE=vargraphic|PIC=blob|"
            "NOTE=clob|RATE=double|Mixed Case=smallint");
  EXPECT_EQ(Joined(*Dictionary().GetDateFields(*columns)), "BORN|AT|STAMP");
  EXPECT_EQ(Joined(*Dictionary().GetNumberFields(*columns)), "ID|AMOUNT|RATE|Mixed Case");
  EXPECT_EQ(Joined(*Dictionary().GetLobFields(*columns)), "WIDE|PIC|NOTE");
  EXPECT_EQ(Dictionary().LastError, "");
}

TEST_F(Db2Dictionary, ColumnsNeedTheCatalogueSpelling) {
  EXPECT_TRUE(Dictionary().GetColumns(LowerCase(Dictionary().GetDefaultSchema()), "DICT_T1")->Empty());
  EXPECT_TRUE(Dictionary().GetColumns(Dictionary().GetDefaultSchema(), "dict_t1")->Empty());
}

TEST_F(Db2Dictionary, QuotesInNamesReachTheServerIntact) {
  std::string table = "DICT_O'Brien \"q\"";
  TDB2DBHelper helper;
  Db.DropTable(helper.QuoteName(table));
  Db.Exec("create table " + helper.QuoteName(table) + " (\"It's\" integer)");
  Db.Exec("insert into " + helper.QuoteName(table) + " values (7)");
  std::string schema = Dictionary().GetDefaultSchema();
  EXPECT_EQ(Joined(*Dictionary().GetColumns(schema, table)), "It's=integer");
  EXPECT_EQ(Dictionary().LastError, "");
  EXPECT_EQ(Db.Scalar(Dictionary().GetCountSql(schema, table)), "1");
  EXPECT_EQ(Db.Scalar(Dictionary().GetSelectAllSql("", table)), "7");
  EXPECT_EQ(dynamic_cast<TDB2DBDictionary&>(Dictionary()).ColumnsSql("S'1", "T'2"),
            "SELECT COLNAME, TYPENAME, LENGTH, SCALE FROM syscat.COLUMNS WHERE tabschema='S''1' and tabname='T''2' "
            "ORDER BY COLNO");
  Db.DropTable(helper.QuoteName(table));
}

TEST(Db2DictionaryErrors, CatalogueErrorsAreShownAndWhatWasReadIsReturned) {
  TDB2DBObjectFactory factory;
  factory.Initialize();
  Db2Server::Get().Configure(*factory.Connection());
  factory.Connection()->Password = "not-the-password";
  TDBDictionary& dictionary = *factory.Dictionary();
  std::vector<std::string> shown;
  dictionary.OnShowMessage = [&](const std::string& text) { shown.push_back(text); };

  EXPECT_TRUE(dictionary.GetSchemas()->Empty());
  EXPECT_TRUE(dictionary.GetColumns("DB2INST1", "DICT_T1")->Empty());
  EXPECT_EQ(dictionary.GetDefaultSchema(), "");
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[0].find("password"), std::string::npos) << shown[0];
  EXPECT_EQ(dictionary.LastError, shown[1]);
  EXPECT_THROW(dictionary.GetTables("DB2INST1"), EDatabaseError);
  EXPECT_THROW(dictionary.CanQueryRecCount("select 1 from sysibm.sysdummy1"), EDatabaseError);
}

TEST_F(Db2Dictionary, VersionSixServersCannotCountRecordsThemselves) {
  EXPECT_TRUE(Dictionary().CanQueryRecCount("select 1 from sysibm.sysdummy1"));
  TDB2RecordCounter counter;
  counter.SetConnection(Db.Factory.Connection());
  EXPECT_FALSE(counter.IsVersion6());
  std::string original = counter.Version;
  EXPECT_FALSE(original.empty());

  // Inside a transaction of this connection only, so the server is back as it was
  // for everyone however this test ends.
  Db.Factory.Connection()->StartTransaction();
  Db.Exec("update sysibm.sysversions set versionnumber = 6010000");
  EXPECT_FALSE(Dictionary().CanQueryRecCount("select 1 from sysibm.sysdummy1"));
  EXPECT_FALSE(counter.IsVersion6()) << "a counter keeps the version it loaded";
  counter.LoadVersion();
  EXPECT_EQ(counter.Version, "6010000");
  EXPECT_TRUE(counter.IsVersion6());
  Db.Factory.Connection()->Rollback();

  EXPECT_TRUE(Dictionary().CanQueryRecCount("select 1 from sysibm.sysdummy1"));
  counter.LoadVersion();
  EXPECT_EQ(counter.Version, original);
}

TEST_F(Db2Dictionary, CountRecordsGivesZeroForAFailingStatement) {
  TDB2RecordCounter counter;
  counter.SetConnection(Db.Factory.Connection());
  EXPECT_EQ(TDB2RecordCounter::CountSql("select * from T"), "select count(1) from (select * from T)");
  EXPECT_EQ(counter.CountRecords("selec * frm nowhere"), 0);
  // The connection stays usable after the failed count.
  EXPECT_EQ(Db.Scalar("select count(1) from \"DICT_T1\""), "0");
}

}  // namespace
