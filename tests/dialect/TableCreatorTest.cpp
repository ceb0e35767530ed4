#include <gtest/gtest.h>

#include <filesystem>

#include "base/UExceptions.h"
#include "db2/UDB2DBDictionary.h"
#include "db2/UDB2TableCreator.h"
#include "dialect/DialectTestSupport.h"
#include "dialect/UDBDictionary.h"
#include "dialect/UFieldTypeMap.h"
#include "dialect/USqlExecutor.h"
#include "dialect/UTableCreator.h"
#include "sqlite/USqliteTableCreator.h"
#include "support/RecordingLogSink.h"

namespace {

std::string Joined(const TStringList& list) { return list.DelimitedText('|', '"', true); }

// ---------------------------------------------------------------------------
// Type map

TEST(FieldTypeMap, SqliteColumnsForDB2) {
  TFieldTypeMap map;
  map.SetSourceDB("Sqlite");
  map.SetDestDB("DB2");
  struct Case {
    const char *Native, *Expected;
  } cases[] = {
      {"INTEGER", "integer"},
      {"VARCHAR(40)", "varchar(255)"},
      {"TEXT", "clob"},
      {"NUMERIC", "double"},
      {"NUMERIC(10,2)", "double"},
      {"numeric (10,2)", "double"},
      {"DATE", "date"},
      {"DATETIME", "timestamp"},
      {"TIMESTAMP", "timestamp"},
      {"timestamp(3)", "timestamp"},
      {"BLOB", "blob"},
      {"BOOLEAN", "varchar(255)"},
      {"INT", "varchar(255)"},
      {"NVARCHAR(120)", "vargraphic(255)"},
      {"  Real  ", "double"},
      {"", "varchar(255)"},
      {"CLOB", "clob"},
      {"NTEXT", "clob"},
  };
  for (const auto& c : cases) EXPECT_EQ(map.MapType(c.Native), c.Expected) << c.Native;
}

TEST(FieldTypeMap, MaxSizesAreTypesOfTheirOwn) {
  TFieldTypeMap map;
  map.SetSourceDB("MsSql");
  map.SetDestDB("db2");
  EXPECT_EQ(map.MapType("nvarchar(MAX)"), "clob");
  EXPECT_EQ(map.MapType("nvarchar(40)"), "vargraphic(255)");
  EXPECT_EQ(map.MapType("VARBINARY(max)"), "blob");
  EXPECT_EQ(map.MapType("varbinary(16)"), "graphic(127)");
  EXPECT_EQ(TFieldTypeMap::NormaliseType(" VarChar(Max) "), "varchar(max)");
}

TEST(FieldTypeMap, DB2ColumnsForSqlite) {
  TFieldTypeMap map;
  map.SetSourceDB("db2");
  map.SetDestDB("sqlite");
  struct Case {
    const char *Native, *Expected;
  } cases[] = {{"bigint", "integer"},    {"decimal(18,2)", "double"}, {"graphic(10)", "vargraphic(255)"},
               {"long varchar", "text"}, {"timestamp", "timestamp"},  {"time", "time"},
               {"xml", "varchar(255)"}};
  for (const auto& c : cases) EXPECT_EQ(map.MapType(c.Native), c.Expected) << c.Native;
}

TEST(FieldTypeMap, WithoutBothMapsNothingIsMapped) {
  TFieldTypeMap map;
  EXPECT_EQ(map.MapType("integer"), "");
  map.SetSourceDB("sqlite");
  EXPECT_EQ(map.MapType("integer"), "");
  map.SetDestDB("informix");
  EXPECT_EQ(map.MapType("integer"), "");
  map.SetDestDB("DB2");
  EXPECT_EQ(map.MapType("integer"), "integer");
  map.SetSourceDB("Postgres");  // the all-tables kind word has no map of its own
  EXPECT_EQ(map.MapType("integer"), "");
}

TEST(FieldTypeMap, EverySourceKindIsKnown) {
  struct Case {
    const char *Kind, *Native, *Expected;
  } cases[] = {
      {"access", "counter", "integer"},  {"mssql", "smallmoney", "double"}, {"oracle", "varchar2(20)", "varchar(255)"},
      {"mysql", "mediumint", "integer"}, {"postgresql", "bytea", "blob"},   {"sqlite", "nchar(2)", "vargraphic(255)"},
      {"db2", "dbclob", "clob"},         {"mysql", "bool", "smallint"},     {"mssql", "binary(4)", "graphic(127)"}};
  for (const auto& c : cases) {
    TFieldTypeMap map;
    map.SetSourceDB(c.Kind);
    map.SetDestDB("db2");
    EXPECT_EQ(map.MapType(c.Native), c.Expected) << c.Kind << " " << c.Native;
  }
}

TEST(FieldTypeMap, EveryDestinationKindMapsEveryGenericWord) {
  // One source type for each of the thirteen generic words.
  struct Probe {
    const char *Kind, *Native;
  } probes[] = {{"sqlite", "integer"},  {"mssql", "binary"},    {"mysql", "bool"},  {"sqlite", "varchar"},
                {"sqlite", "datetime"}, {"sqlite", "date"},     {"db2", "time"},    {"sqlite", "real"},
                {"sqlite", "blob"},     {"sqlite", "nvarchar"}, {"sqlite", "text"}, {"sqlite", "geometry"},
                {"db2", "timestamp"}};
  for (const char* dest : {"access", "mssql", "oracle", "mysql", "db2", "postgresql", "sqlite"})
    for (const auto& p : probes) {
      TFieldTypeMap map;
      map.SetSourceDB(p.Kind);
      map.SetDestDB(dest);
      EXPECT_NE(map.MapType(p.Native), "") << dest << " " << p.Native;
    }
}

TEST(FieldTypeMap, KindWordsOfProviderNames) {
  EXPECT_EQ(DBKindOfProvider("SQL Server"), "MsSql");
  EXPECT_EQ(DBKindOfProvider("MySQL"), "Mysql");
  EXPECT_EQ(DBKindOfProvider("PostgreSQL"), "Postgres");
  EXPECT_EQ(DBKindOfProvider("SQLite"), "Sqlite");
  EXPECT_EQ(DBKindOfProvider("Sqlite"), "Sqlite");
  EXPECT_EQ(DBKindOfProvider("DB2"), "DB2");
}

TEST(TableCreateHelper, MapFieldsLeavesOutColumnsWithoutAType) {
  TTableCreateHelper helper;
  helper.FieldTypes.Add("stale=integer");
  helper.MapFields(TStringList{"Id=INTEGER", "Name=VARCHAR", "Flag=BOOLEAN"}, "Sqlite", "DB2");
  EXPECT_EQ(Joined(helper.FieldTypes), "Id=integer|Name=varchar(255)|Flag=varchar(255)");
  helper.MapFields(TStringList{"Id=INTEGER"}, "Sqlite", "Nowhere");
  EXPECT_TRUE(helper.FieldTypes.Empty());
}

// ---------------------------------------------------------------------------
// Names

TEST(TableCreatorNames, MakeTableAndFieldNames) {
  TDB2TableCreator creator;
  struct Case {
    std::string Name, Table, Field;
  } cases[] = {
      {"Order", "t_order", "f_order"},
      {" unit price (EUR) ", "unit_price_EUR", "unit_price_EUR"},
      {"a/b.c,d-e+f", "a_b_c_d_e_f", "a_b_c_d_e_f"},
      // "/" comes before "<br/>" in the replaced list, so only "<br>" goes whole.
      {"line<br/>two<br>three", "line<br_>two_three", "line<br_>two_three"},
      {"tab\tx", "tab_x", "tab_x"},
      {"O'Brien \"#1\"", "OBrien_1", "OBrien_1"},
      {"\t DATE\r\n", "t_date", "f_date"},
      {"Customer", "Customer", "Customer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(creator.MakeTableName(c.Name), c.Table);
    EXPECT_EQ(creator.MakeFieldName(c.Name), c.Field);
  }
}

TEST(TableCreatorNames, LongNamesAreCutToTheLimitInCharacters) {
  TDB2TableCreator creator;
  EXPECT_EQ(creator.MakeTableName(std::string(300, 'x')), std::string(255, 'x'));
  std::string accents;
  for (int i = 0; i < 300; ++i) accents += "\xC3\xA9";  // é
  std::string made = creator.MakeFieldName(accents);
  EXPECT_EQ(made.size(), 510u);
  EXPECT_EQ(made, accents.substr(0, 510));
}

TEST(TableCreatorNames, CheckMessages) {
  TDB2TableCreator creator;
  EXPECT_EQ(creator.CheckTableName("Good_Name1"), "");
  EXPECT_EQ(creator.CheckTableName(std::string(255, 'x')), "");
  EXPECT_EQ(creator.CheckTableName(std::string(256, 'x')), "Table Name length can not > 255.");
  EXPECT_EQ(creator.CheckFieldName(std::string(256, 'x')), "Field Name length can not > 255.");
  EXPECT_EQ(creator.CheckTableName("Order"), "Table Name can not be keyword \"Order\".");
  EXPECT_EQ(creator.CheckFieldName("user"), "Field Name can not be keyword \"user\".");
  EXPECT_EQ(creator.CheckFieldName("a#b"), "Field Name can not contain char \" #  \".");
  EXPECT_EQ(creator.CheckTableName("a b(c)-d"), "Table Name can not contain char \" ( )   -  \".");
  // Not trimmed before checking.
  EXPECT_EQ(creator.CheckTableName(" x"), "Table Name can not contain char \"    \".");
}

TEST(TableCreatorKinds, TypeChoicesPerKind) {
  TDB2TableCreator db2;
  TSqliteTableCreator sqlite;
  EXPECT_EQ(db2.DefaultDataType, "varchar(255)");
  EXPECT_EQ(sqlite.DefaultDataType, "NVARCHAR(255)");
  EXPECT_EQ(db2.DataTypes.Count(), 20);
  EXPECT_EQ(db2.DataTypes[3], "decimal(18, 2)");
  EXPECT_EQ(sqlite.DataTypes.Count(), 13);
  EXPECT_EQ(Joined(db2.NonIndexableTypes), "blob|clob|dbclob|long varchar|long vargraphic");
  EXPECT_EQ(Joined(sqlite.NonIndexableTypes), "BLOB|CLOB|TEXT|NTEXT");
  EXPECT_TRUE(db2.SupportsAutoIncrement());
  EXPECT_TRUE(sqlite.SupportsAutoIncrement());
  EXPECT_EQ(Joined(db2.Keywords), "order|date|number|timestamp|user|add");
}

// ---------------------------------------------------------------------------
// DB2 statement texts

TTableInfo SampleDefinition() {
  TTableInfo info;
  info.TableName = "Sales Order";
  info.AddField("Id", "integer", "-1", "true", "1", "no");
  info.AddField("Title", "varchar(40)", "false", "0", "false", "Yes");
  info.AddField("Code", "char(10)", "true", "false", "false", "Yes (Unique)");
  info.AddField("Unit price", "double", "0", "false", "false", "Yes");
  info.AddField("Note", "clob", "false", "false", "false", "yes");
  return info;
}

TEST(DB2TableCreator, CreateTableTextByteForByte) {
  TDB2TableCreator creator;
  TTableInfo info = SampleDefinition();
  creator.BuildSql(&info);
  EXPECT_EQ(creator.SqlText,
            "create table \"Sales Order\" (\r\n"
            "\"Id\" integer not null generated by default as identity (start with 1 increment by 1),\r\n"
            "\"Title\" varchar(40),\r\n"
            "\"Code\" char(10) not null,\r\n"
            "\"Unit price\" double,\r\n"
            "\"Note\" clob,\r\n"
            "PRIMARY KEY (\"Id\")\r\n"
            ")");
  ASSERT_EQ(creator.ExtraSql.Count(), 3);
  EXPECT_EQ(creator.ExtraSql[0], "create index idx_Title on \"Sales Order\" (\"Title\")");
  EXPECT_EQ(creator.ExtraSql[1], "create unique index idx_Code on \"Sales Order\" (\"Code\")");
  EXPECT_EQ(creator.ExtraSql[2], "create index idx_Unitprice on \"Sales Order\" (\"Unit price\")");
  EXPECT_EQ(creator.GetSqlText(), creator.SqlText + "\r\n" + creator.ExtraSql[0] + "\r\n" + creator.ExtraSql[1] +
                                      "\r\n" + creator.ExtraSql[2] + "\r\n");

  // Built again, nothing of the first run is left over.
  TTableInfo plain;
  plain.TableName = "T";
  plain.AddField("A", "integer");
  creator.BuildSql(&plain);
  EXPECT_EQ(creator.SqlText, "create table \"T\" (\r\n\"A\" integer)");
  EXPECT_TRUE(creator.ExtraSql.Empty());
  EXPECT_EQ(creator.GetSqlText(), "create table \"T\" (\r\n\"A\" integer)\r\n");
}

TEST(DB2TableCreator, OnlyTheLastKeyRowMakesTheKey) {
  TDB2TableCreator creator;
  TTableInfo info;
  info.TableName = "K";
  info.AddField("A", "integer", "true", "true");
  info.AddField("B", "integer", "true", "true");
  creator.BuildSql(&info);
  EXPECT_EQ(creator.SqlText,
            "create table \"K\" (\r\n\"A\" integer not null,\r\n\"B\" integer not null,\r\n"
            "PRIMARY KEY (\"B\")\r\n)");
}

TEST(DB2TableCreator, QuotesInNamesAreDoubledAndOddIndexNamesQuoted) {
  TDB2TableCreator creator;
  TTableInfo info;
  info.TableName = "x\" (a int); drop table \"victim";
  info.AddField("c\"d", "integer", "false", "false", "false", "Yes");
  info.AddField("e;f", "integer", "false", "false", "false", "Yes");
  creator.BuildSql(&info);
  EXPECT_EQ(creator.SqlText,
            "create table \"x\"\" (a int); drop table \"\"victim\" (\r\n\"c\"\"d\" integer,\r\n\"e;f\" integer)");
  EXPECT_EQ(creator.ExtraSql[0],
            "create index \"idx_c\"\"d\" on \"x\"\" (a int); drop table \"\"victim\" (\"c\"\"d\")");
  EXPECT_EQ(creator.ExtraSql[1], "create index \"idx_e;f\" on \"x\"\" (a int); drop table \"\"victim\" (\"e;f\")");
}

TEST(DB2TableCreator, AFlagThatIsNoBooleanStopsTheBuild) {
  TDB2TableCreator creator;
  TTableInfo info;
  info.TableName = "T";
  info.AddField("A", "integer", "maybe");
  EXPECT_THROW(creator.BuildSql(&info), EConvertError);
}

// ---------------------------------------------------------------------------
// Proposal of the interactive definition

TEST(CreateTableCommand, ProposesTheMappedColumns) {
  TDB2TableCreator creator;
  TTableCreateHelper helper;
  helper.TableName = "Order";
  helper.MapFields(TStringList{"Id=INTEGER", "Born=DATE"}, "Sqlite", "DB2");
  helper.FieldNames = TStringList{"ignored"};
  TCreateTableCommand command(&creator, &helper);
  EXPECT_FALSE(command.Execute()) << "no dialog, no table";
  EXPECT_EQ(command.TableName, "t_order");
  EXPECT_EQ(Joined(command.Fields), "Id=integer|Born=date");
  auto info = command.ProposedTableInfo();
  EXPECT_EQ(info->TableName, "t_order");
  EXPECT_EQ(Joined(info->FieldTypes), "integer|date");
  EXPECT_EQ(Joined(info->PrimaryKeys), "false|false");
  EXPECT_EQ(Joined(info->Indexes), "no|no");
}

TEST(CreateTableCommand, ProposesQueryFieldsWithUniqueNamesAndTheDefaultType) {
  TDB2TableCreator creator;
  TTableCreateHelper helper;
  helper.TableName = "Data";
  helper.FieldNames = TStringList{"", "a", "A", "a", "Field_0", "b"};
  TCreateTableCommand command(&creator, &helper);
  bool dialogShown = false;
  command.ShowDialog = [&](TCreateTableCommand& c) {
    dialogShown = true;
    EXPECT_EQ(&c, &command);
    return true;
  };
  EXPECT_TRUE(command.Execute());
  EXPECT_TRUE(dialogShown);
  EXPECT_EQ(command.TableName, "Data");
  EXPECT_EQ(Joined(command.Fields),
            "Field_0=varchar(255)|a=varchar(255)|A_2=varchar(255)|a_3=varchar(255)|Field_0_2=varchar(255)|"
            "b=varchar(255)");
}

// ---------------------------------------------------------------------------
// SQLite destination

TEST(SqliteTableCreator, CreatesTheTableWithKeyAndIndexesInAFile) {
  SqliteFile file;
  auto creator = file.Factory.CreateTableCreator();
  auto executor = file.Factory.CreateSqlExecutor();
  creator->SetExecutor(executor.get());
  TTableCreateHelper helper;
  TCreateTableCommand command(creator.get(), &helper);

  TTableInfo info = SampleDefinition();
  info.FieldTypes[3] = "REAL";
  bool created = false;
  EXPECT_EQ(command.CreateTableFromDialog(info, created), "Table created.");
  EXPECT_TRUE(created);
  EXPECT_EQ(command.CreatedTableName, "Sales Order");
  EXPECT_EQ(Joined(*file.Factory.Dictionary()->GetColumns("", "Sales Order")),
            "Id=INTEGER|Title=varchar|Code=char|Unit price=REAL|Note=clob");
  file.Exec(
      "insert into [Sales Order] (Title, Code) values ('a', 'x'); insert into [Sales Order] (Title, Code) "
      "values ('b', 'y')");
  TUniQuery q(file.Factory.Connection());
  q.SQL = "select max(Id) from [Sales Order]";
  q.Open();
  EXPECT_EQ(q.Fields(0).AsInteger(), 2);
  EXPECT_THROW(file.Exec("insert into [Sales Order] (Title, Code) values ('c', 'x')"), EDatabaseError);

  std::string message = command.CreateTableFromDialog(info, created);
  EXPECT_FALSE(created);
  EXPECT_EQ(message.rfind("Table create failed: \r\n", 0), 0u) << message;
  EXPECT_NE(message.find("already exists"), std::string::npos) << message;
}

TEST(CreateDestTableCommand, ItsStatementsGoToTheMemoryLogOfTheSinkHandedIn) {
  SqliteFile file;
  TStringList columns{"Id=INTEGER", "Name=TEXT"};
  TRecordingLogSink sink;
  TCreateDestTableCommand command(&file.Factory, &sink);
  command.Execute("Sqlite", "Sqlite", "Logged", columns);
  EXPECT_EQ(sink.Memory, std::vector<std::string>{command.Creator()->SqlText});
  EXPECT_NE(sink.Memory[0].find("\"Logged\""), std::string::npos) << sink.Memory[0];

  TCreateDestTableCommand unlogged(&file.Factory);
  EXPECT_NO_THROW(unlogged.Execute("Sqlite", "Sqlite", "Unlogged", columns));
  EXPECT_EQ(sink.Memory.size(), 1u);
}

// Brackets could not hold a "]"; the table, its columns and its indexes take any name.
TEST(SqliteTableCreator, AnyNameWorksForTheTableItsColumnsAndIndexes) {
  SqliteFile file;
  auto creator = file.Factory.CreateTableCreator();
  auto executor = file.Factory.CreateSqlExecutor();
  creator->SetExecutor(executor.get());
  TTableInfo info;
  info.TableName = "a]b \"c\"";
  info.AddField("x]y", "INTEGER", "false", "true", "false", "Yes");
  info.AddField("say \"hi\"", "TEXT", "false", "false", "false", "Yes (Unique)");
  creator->CreateTable(&info);
  EXPECT_EQ(file.Factory.Dictionary()->GetColumns("", info.TableName)->Text(), "x]y=INTEGER\r\nsay \"hi\"=TEXT\r\n");
  file.Exec("insert into \"a]b \"\"c\"\"\" values (1, 'a')");
  EXPECT_THROW(file.Exec("insert into \"a]b \"\"c\"\"\" values (2, 'a')"), EDatabaseError);  // the unique index
}

// ---------------------------------------------------------------------------
// DB2 test server

class Db2TableCreation : public ::testing::Test {
protected:
  std::string Schema() { return Db.Factory.Dictionary()->GetDefaultSchema(); }
  std::string CatalogueValue(const std::string& column, const std::string& table, const std::string& colname) {
    TDB2DBHelper h;
    return Db.Scalar("select " + column + " from syscat.columns where tabschema='" + h.QuoteValue(Schema()) +
                     "' and tabname='" + h.QuoteValue(table) + "' and colname='" + h.QuoteValue(colname) + "'");
  }
  Db2Database Db;
};

TEST_F(Db2TableCreation, KeyIdentityAndIndexesExistOnTheServer) {
  Db.DropTable("\"Sales Order\"");
  auto creator = Db.Factory.CreateTableCreator();
  ASSERT_NE(dynamic_cast<TDB2TableCreator*>(creator.get()), nullptr);
  auto executor = Db.Factory.CreateSqlExecutor();
  creator->SetExecutor(executor.get());
  TTableInfo info = SampleDefinition();
  creator->CreateTable(&info);

  EXPECT_EQ(Joined(*Db.Factory.Dictionary()->GetColumns(Schema(), "Sales Order")),
            "Id=integer|Title=varchar|Code=character|Unit price=double|Note=clob");
  EXPECT_EQ(CatalogueValue("identity", "Sales Order", "Id"), "Y");
  EXPECT_EQ(CatalogueValue("keyseq", "Sales Order", "Id"), "1");
  EXPECT_EQ(CatalogueValue("nulls", "Sales Order", "Id"), "N");
  EXPECT_EQ(CatalogueValue("nulls", "Sales Order", "Code"), "N");
  EXPECT_EQ(CatalogueValue("nulls", "Sales Order", "Title"), "Y");
  EXPECT_EQ(CatalogueValue("keyseq", "Sales Order", "Title"), "");

  Db.Exec("insert into \"Sales Order\" (\"Title\", \"Code\") values ('a', 'x')");
  Db.Exec("insert into \"Sales Order\" (\"Title\", \"Code\") values ('b', 'y')");
  EXPECT_EQ(Db.Scalar("select max(\"Id\") from \"Sales Order\""), "2");
  // The unique index refuses a second x; the plain indexes exist, so making them again fails.
  EXPECT_THROW(Db.Exec("insert into \"Sales Order\" (\"Title\", \"Code\") values ('c', 'x')"), EDatabaseError);
  for (int i : {0, 2}) EXPECT_THROW(executor->Execute(creator->ExtraSql[i]), EDatabaseError) << creator->ExtraSql[i];
  Db.DropTable("\"Sales Order\"");
}

TEST_F(Db2TableCreation, AFailingStatementStopsTheRest) {
  Db.DropTable("\"DictHalf\"");
  auto creator = Db.Factory.CreateTableCreator();
  auto executor = Db.Factory.CreateSqlExecutor();
  creator->SetExecutor(executor.get());
  TTableInfo info;
  info.TableName = "DictHalf";
  info.AddField("Pic", "blob", "false", "false", "false", "Yes");
  info.AddField("Tag", "varchar(10)", "false", "false", "false", "Yes");
  creator->BuildSql(&info);
  creator->ExtraSql[0] = "create index broken on nowhere_at_all (x)";
  EXPECT_THROW(creator->ExecuteSql(), EDatabaseError);
  EXPECT_NO_THROW(executor->Execute(creator->ExtraSql[1])) << "the second index was never made";
  Db.DropTable("\"DictHalf\"");
}

TEST_F(Db2TableCreation, UnattendedCreationFromASqliteColumnList) {
  SqliteFile source;
  source.Exec(
      "create table \"Order\" (Id INTEGER, Name VARCHAR(40), Note TEXT, Amount NUMERIC, Born DATE, Stamp DATETIME, "
      "Raw BLOB, Flag BOOLEAN, \"Unit price (EUR)\" REAL, Untyped)");
  auto columns = source.Factory.Dictionary()->GetColumns("", "Order");
  Db.DropTable("\"Order\"");
  TCreateDestTableCommand command(&Db.Factory);
  command.Execute("Sqlite", "DB2", "Order", *columns);
  EXPECT_EQ(command.Creator()->SqlText.rfind("create table \"Order\" (\r\n", 0), 0u) << command.Creator()->SqlText;
  EXPECT_EQ(Joined(*Db.Factory.Dictionary()->GetColumns(Schema(), "Order")),
            "Id=integer|Name=varchar|Note=clob|Amount=double|Born=date|Stamp=timestamp|Raw=blob|Flag=varchar|"
            "Unit_price_EUR=double");
  Db.DropTable("\"Order\"");

  // An existing table makes the command fail loudly.
  Db.Exec("create table \"Order\" (\"X\" integer)");
  EXPECT_THROW(command.Execute("Sqlite", "DB2", "Order", *columns), EDatabaseError);
  Db.DropTable("\"Order\"");
}

TEST_F(Db2TableCreation, EveryChinookTableIsCreatedAndReadBack) {
  TempDir dir;
  std::string file = dir.Path() + "/Chinook_Sqlite.sqlite";
  std::filesystem::copy_file(std::string(FERROVAN_SOURCE_DIR) + "/tests/fixtures/chinook/Chinook_Sqlite.sqlite", file);
  TSqliteDBObjectFactory source;
  source.Initialize();
  source.Connection()->Database = file;
  source.Connection()->Connect();
  auto tables = source.Dictionary()->GetTables("");
  ASSERT_EQ(tables->Count(), 11) << Joined(*tables);

  TFieldTypeMap map;
  map.SetSourceDB("Sqlite");
  map.SetDestDB("DB2");
  for (const auto& table : tables->Strings()) {
    SCOPED_TRACE(table);
    auto columns = source.Dictionary()->GetColumns("", table);
    ASSERT_FALSE(columns->Empty());
    std::string dest = "Dict" + table;
    Db.DropTable("\"" + dest + "\"");
    TCreateDestTableCommand command(&Db.Factory);
    command.Execute("Sqlite", "DB2", dest, *columns);

    // Read back: the same names in the same order, each with the mapped type.
    TStringList expected;
    for (int i = 0; i < columns->Count(); ++i) {
      std::string type = map.MapType(columns->ValueFromIndex(i));
      expected.SetValue(columns->Names(i), type.substr(0, type.find('(')));
    }
    EXPECT_EQ(Joined(*Db.Factory.Dictionary()->GetColumns(Schema(), dest)), Joined(expected));
    Db.DropTable("\"" + dest + "\"");
  }
  // A few spelled out, so the rule above cannot drift with the map unnoticed.
  auto track = source.Dictionary()->GetColumns("", "Track");
  EXPECT_EQ(Joined(*track),
            "TrackId=INTEGER|Name=NVARCHAR|AlbumId=INTEGER|MediaTypeId=INTEGER|GenreId=INTEGER|Composer=NVARCHAR|"
            "Milliseconds=INTEGER|Bytes=INTEGER|UnitPrice=NUMERIC");
  EXPECT_EQ(map.MapType("NVARCHAR"), "vargraphic(255)");
  EXPECT_EQ(map.MapType("NUMERIC"), "double");
  EXPECT_EQ(map.MapType("DATETIME"), "timestamp");
}

}  // namespace
