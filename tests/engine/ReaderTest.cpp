#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "dac/UDataAccess.h"
#include "db2/UDB2ConvertObjectFactory.h"
#include "db2/UDB2DBDictionary.h"
#include "db2/UDB2Reader.h"
#include "dialect/DialectTestSupport.h"
#include "engine/UDataReader.h"
#include "engine/UUniDBReader.h"
#include "sqlite/USqliteConvertObjectFactory.h"
#include "sqlite/USqliteReader.h"

namespace {

// A SQLite file with the SQLite convert-object factory bound to its connection.
class SqliteSource : public SqliteFile {
 public:
  SqliteSource() { Convert.SetConnection(Factory.Connection()); }

  std::unique_ptr<TSqliteReader> TableReader(const std::string& table) {
    auto base = Convert.CreateDataReader();
    std::unique_ptr<TSqliteReader> reader(dynamic_cast<TSqliteReader*>(base.release()));
    reader->SetTableName(table);
    return reader;
  }
  std::unique_ptr<TSqliteReader> QueryReader(const std::string& sql) {
    auto reader = TableReader("");
    reader->SetSql(sql);
    return reader;
  }
  // Table t(id integer, name varchar(20)) with rows 1..count named r1..rcount.
  void NumberedTable(const std::string& table, int count) {
    Exec("create table " + table + " (id integer, name varchar(20))");
    std::string sql = "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
                      std::to_string(count) + ") insert into " + table + " select i, 'r' || i from n";
    if (count > 0) Exec(sql);
  }

  TSqliteConvertObjectFactory Convert;
};

std::vector<std::string> ReadColumn(TDataReader& reader, int column) {
  std::vector<std::string> values;
  reader.GoToRow(1);
  while (reader.HasData()) {
    values.push_back(reader.GetValue(column));
    reader.Next();
  }
  return values;
}

std::string Repeat(const std::string& piece, size_t length) {
  std::string text;
  while (text.size() < length) text += piece;
  text.resize(length);
  return text;
}

// ---------------------------------------------------------------------------
// Value texts, NULL state, bytes and field types over SQLite

struct ValueCase {
  const char* Declared;  // column type
  const char* Literal;   // SQL literal inserted
  std::string Text;      // GetValue
  TFieldType Type;
  TValueKind Kind;
  std::string Bytes;  // GetBytes
};

TEST(SqliteReaderValues, EachFieldTypeGivesItsText) {
  using FT = TFieldType;
  using VK = TValueKind;
  const ValueCase cases[] = {
      {"INTEGER", "42", "42", FT::ftInteger, VK::Integer, "42"},
      {"INTEGER", "-9223372036854775808", "-9223372036854775808", FT::ftInteger, VK::Integer, "-9223372036854775808"},
      {"BIGINT", "9223372036854775807", "9223372036854775807", FT::ftLargeint, VK::Integer, "9223372036854775807"},
      {"SMALLINT", "-7", "-7", FT::ftSmallint, VK::Integer, "-7"},
      {"BOOLEAN", "1", "1", FT::ftBoolean, VK::Integer, "1"},
      {"REAL", "0.1", "0.1", FT::ftFloat, VK::Float, "0.1"},
      {"DOUBLE", "1e-300", "1e-300", FT::ftFloat, VK::Float, "1e-300"},
      {"FLOAT", "123456789.123456789", "123456789.12345679", FT::ftFloat, VK::Float, "123456789.12345679"},
      {"NUMERIC(10,2)", "1.98", "1.98", FT::ftBCD, VK::Float, "1.98"},
      {"NUMERIC(10,2)", "5", "5", FT::ftBCD, VK::Integer, "5"},
      // Beyond the 15 digits of a double, not through one.
      {"DECIMAL(30,10)", "'123456789012345678'", "123456789012345678", FT::ftFMTBcd, VK::Integer, "123456789012345678"},
      {"NUMERIC(20,2)", "'0.30'", "0.3", FT::ftFMTBcd, VK::Float, "0.3"},
      {"VARCHAR(20)", "'Ullevålsveien'", "Ullevålsveien", FT::ftString, VK::Text, "Ullevålsveien"},
      {"NVARCHAR(20)", "'日本語'", "日本語", FT::ftWideString, VK::Text, "日本語"},
      {"CHAR(5)", "'ab'", "ab", FT::ftFixedChar, VK::Text, "ab"},
      {"TEXT", "'line1' || char(13, 10) || 'line2'", "line1\r\nline2", FT::ftMemo, VK::Text, "line1\r\nline2"},
      {"VARCHAR(5)", "''", "", FT::ftString, VK::Text, ""},
      {"BLOB", "x'00FF10'", std::string("\0\xff\x10", 3), FT::ftBlob, VK::Bytes, std::string("\0\xff\x10", 3)},
      {"BINARY(2)", "x'0AFF'", "0AFF", FT::ftBytes, VK::Bytes, "\x0a\xff"},
      {"VARBINARY(4)", "x'00'", "00", FT::ftVarBytes, VK::Bytes, std::string("\0", 1)},
      {"DATE", "'2024-02-29'", "2024-02-29", FT::ftDate, VK::Text, "2024-02-29"},
      {"TIME", "'13:14:15.5'", "13:14:15.5", FT::ftTime, VK::Text, "13:14:15.5"},
      {"DATETIME", "'2021-01-01 00:00:00'", "2021-01-01 00:00:00", FT::ftDateTime, VK::Text, "2021-01-01 00:00:00"},
      // Values whose storage class does not fit the declared type stay as stored.
      {"DATE", "1700000000", "1700000000", FT::ftDate, VK::Integer, "1700000000"},
      {"DATE", "'29.02.2024'", "29.02.2024", FT::ftDate, VK::Text, "29.02.2024"},
      {"INTEGER", "'abc'", "abc", FT::ftInteger, VK::Text, "abc"},
      {"BINARY(3)", "'abc'", "abc", FT::ftBytes, VK::Text, "abc"},
      {"GUID", "'{6F9619FF-8B86-D011-B42D-00C04FC964FF}'", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}", FT::ftGuid,
       VK::Text, "{6F9619FF-8B86-D011-B42D-00C04FC964FF}"},
  };
  SqliteSource db;
  int n = 0;
  for (const auto& c : cases) {
    std::string table = "v" + std::to_string(n++);
    SCOPED_TRACE(std::string(c.Declared) + " " + c.Literal);
    db.Exec("create table " + table + " (v " + c.Declared + ", other integer)");
    db.Exec("insert into " + table + " values (" + c.Literal + ", 1)");
    db.Exec("insert into " + table + " values (null, null)");
    auto reader = db.TableReader(table);
    reader->Open();
    ASSERT_TRUE(reader->HasData());
    EXPECT_EQ(reader->GetValue(0), c.Text);
    EXPECT_FALSE(reader->IsNull(0));
    EXPECT_EQ(FieldTypeName(reader->GetFieldType(0)), FieldTypeName(c.Type));
    EXPECT_EQ(static_cast<int>(reader->GetValueKind(0)), static_cast<int>(c.Kind));
    EXPECT_EQ(reader->GetBytes(0), c.Bytes);
    reader->Next();
    ASSERT_TRUE(reader->HasData());
    // NULL of every type: empty text, and the NULL state beside it.
    EXPECT_EQ(reader->GetValue(0), "");
    EXPECT_EQ(reader->GetBytes(0), "");
    EXPECT_TRUE(reader->IsNull(0));
    EXPECT_EQ(static_cast<int>(reader->GetValueKind(0)), static_cast<int>(VK::Null));
    EXPECT_EQ(FieldTypeName(reader->GetFieldType(0)), FieldTypeName(c.Type));
    reader->Next();
    EXPECT_FALSE(reader->HasData());
    reader->Close();
  }
}

TEST(SqliteReaderValues, EmptyTextIsNotNull) {
  SqliteSource db;
  db.Exec("create table t (a varchar(5), b varchar(5)); insert into t values ('', null)");
  auto reader = db.TableReader("t");
  reader->Open();
  EXPECT_EQ(reader->GetValue(0), "");
  EXPECT_FALSE(reader->IsNull(0));
  EXPECT_EQ(reader->GetValue(1), "");
  EXPECT_TRUE(reader->IsNull(1));
}

TEST(SqliteReaderValues, LongTextsAndBlobsArriveWhole) {
  SqliteSource db;
  db.Exec("create table t (id integer, note text, pic blob)");
  std::string binary;
  for (int i = 0; i < 400000; ++i) binary += static_cast<char>(i * 7 % 256);
  const size_t lengths[] = {5000, 400000};
  for (size_t length : lengths) {
    TUniQuery insert(db.Factory.Connection());
    insert.SQL = "insert into t values (:id, :note, :pic)";
    insert.ParamByName("id").SetAsInteger(static_cast<int64_t>(length));
    insert.ParamByName("note").SetAsString(Repeat("ä€x", length));
    insert.ParamByName("pic").LoadFromBytes(binary.substr(0, length), TFieldType::ftBlob);
    insert.Execute();
  }
  auto reader = db.QueryReader("select note, pic from t order by id");
  reader->Open();
  TempDir dir;
  for (size_t length : lengths) {
    SCOPED_TRACE(length);
    ASSERT_TRUE(reader->HasData());
    EXPECT_EQ(reader->GetValue(0), Repeat("ä€x", length));
    EXPECT_EQ(reader->GetBytes(1), binary.substr(0, length));
    EXPECT_EQ(reader->GetValue(1), binary.substr(0, length));
    std::string file = dir.Path() + "/blob.bin";
    reader->SaveBlobToFile(1, file);
    std::ifstream in(file, std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, binary.substr(0, length));
    reader->Next();
  }
  EXPECT_FALSE(reader->HasData());
}

// Values held as dates and times come from ODBC sources; built here on a field.
TEST(FieldValueText, DatesAndTimesByFieldType) {
  struct Case {
    TFieldType Type;
    TDateTimeParts Parts;
    std::string Text;
  };
  TDateTimeParts date{2024, 2, 29, 0, 0, 0, 0, true, false};
  TDateTimeParts time{0, 0, 0, 7, 8, 9, 0, false, true};
  TDateTimeParts stamp{2024, 2, 29, 13, 14, 15, 123456000, true, true};
  TDateTimeParts early{1, 1, 2, 0, 0, 0, 5000000, true, true};
  const Case cases[] = {
      {TFieldType::ftDate, date, "2024-02-29"},
      {TFieldType::ftDate, stamp, "2024-02-29"},
      {TFieldType::ftTime, time, "07:08:09"},
      {TFieldType::ftTime, stamp, "13:14:15.123456"},
      {TFieldType::ftDateTime, stamp, "2024-02-29 13:14:15.123456"},
      {TFieldType::ftDateTime, date, "2024-02-29 00:00:00"},
      {TFieldType::ftTimeStamp, stamp, "2024-02-29 13:14:15.123456"},
      {TFieldType::ftTimeStamp, date, "2024-02-29 00:00:00.0"},
      // 5 ms is ".005", never ".5".
      {TFieldType::ftTimeStamp, early, "0001-01-02 00:00:00.005"},
      {TFieldType::ftTimeStampOffset, early, "0001-01-02 00:00:00.005"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(FieldTypeName(c.Type) + " " + c.Text);
    TUniField field;
    field.DataType = c.Type;
    field.SetDateTime(c.Parts);
    EXPECT_EQ(FieldValueText(field), c.Text);
    field.SetNull();
    EXPECT_EQ(FieldValueText(field), "") << "a NULL date is no 1899-12-30";
  }
}

// ---------------------------------------------------------------------------
// Opening, statements, counts

TEST(SqliteReader, ATableReaderBuildsItsStatementAndDescribesItself) {
  SqliteSource db;
  db.NumberedTable("[my 'table]", 3);
  auto reader = db.TableReader("my 'table");
  EXPECT_EQ(reader->GetDescription(), "From Table: my 'table");
  EXPECT_EQ(reader->GetRecordCount(), 0);
  reader->Open();
  EXPECT_EQ(reader->GetSql(), "select * from \"my 'table\"");
  EXPECT_EQ(reader->GetRowNumber(), 1);
  EXPECT_EQ(reader->GetPositionText(), " Row 1");
  EXPECT_EQ(reader->GetRecordCount(), 3);
  EXPECT_EQ(reader->GetColumnCount(), 2);
  EXPECT_EQ(reader->GetFieldNames()->CommaText(), "id,name");
  EXPECT_EQ(reader->GetNumericFieldNames()->CommaText(), "id");
  EXPECT_EQ(reader->GetColumnFlag(0), 0);
  EXPECT_EQ(ReadColumn(*reader, 1), (std::vector<std::string>{"r1", "r2", "r3"}));
  EXPECT_EQ(reader->GetRowNumber(), 4);

  reader->Close();
  EXPECT_EQ(reader->GetSql(), "");
  EXPECT_EQ(reader->GetColumnCount(), 0);
  EXPECT_EQ(reader->GetRecordCount(), 0);
  EXPECT_FALSE(reader->HasData());
  // Opened again, it builds the statement again and starts from row 1.
  reader->Open();
  EXPECT_EQ(reader->GetSql(), "select * from \"my 'table\"");
  EXPECT_EQ(ReadColumn(*reader, 0), (std::vector<std::string>{"1", "2", "3"}));
  reader->Close();
}

// Brackets could not hold a "]" (SQLite answered "unrecognized token"); quoted names
// hold anything.
TEST(SqliteReader, TablesAndColumnsOfAnyNameAreRead) {
  SqliteSource db;
  const std::string names[] = {"a]b", "[x]", "a\"b", "o'k", "two words", "Grüße", "a;b", "a|b", "a:b", "x\"; --"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    std::string quoted = "\"" + ReplaceAll(name, "\"", "\"\"") + "\"";
    db.Exec("create table " + quoted + " (id integer, " + quoted + " text); insert into " + quoted +
            " values (1, 'v1'), (2, 'v2')");
    EXPECT_EQ(db.Factory.Dictionary()->GetColumns("", name)->Text(), "id=INTEGER\r\n" + name + "=TEXT\r\n");
    auto all = db.TableReader(name);
    all->Open();
    EXPECT_EQ(ReadColumn(*all, 1), (std::vector<std::string>{"v1", "v2"}));
    EXPECT_EQ(all->GetColumnName(1), name);
    all->Close();
    auto one = db.TableReader(name);
    one->ColumnNames().Add(name);
    one->Open();
    EXPECT_EQ(ReadColumn(*one, 0), (std::vector<std::string>{"v1", "v2"}));
    one->Close();
  }
}

TEST(SqliteReader, ColumnNamesGivenBeforeOpenRestrictTheStatement) {
  SqliteSource db;
  db.NumberedTable("t", 2);
  auto reader = db.TableReader("t");
  reader->ColumnNames().Add("name");
  reader->Open();
  EXPECT_EQ(reader->GetSql(), "select \"name\" from \"t\"");
  EXPECT_EQ(reader->GetColumnCount(), 1);
  EXPECT_EQ(reader->GetValue(0), "r1");
}

TEST(SqliteReader, QueriesAndScripts) {
  SqliteSource db;
  db.NumberedTable("t", 4);
  auto reader = db.QueryReader("select name, id * 2 as twice from t where id > 1 order by id desc");
  EXPECT_EQ(reader->GetDescription(), "From Query: select name, id * 2 as twice from t where id > 1 order by id desc");
  reader->Open();
  EXPECT_EQ(reader->GetRecordCount(), 3);
  EXPECT_EQ(reader->GetFieldNames()->CommaText(), "name,twice");
  EXPECT_EQ(ReadColumn(*reader, 1), (std::vector<std::string>{"8", "6", "4"}));
  reader->Close();

  // The last result set of a multi-statement text is what is read.
  reader->SetSql("create temp table picked as select * from t where id in (2, 3); select name from picked");
  reader->Open();
  EXPECT_EQ(reader->GetRecordCount(), 2);
  EXPECT_EQ(ReadColumn(*reader, 0), (std::vector<std::string>{"r2", "r3"}));
  reader->Close();

  reader->SetSql("update t set id = id");
  EXPECT_THROW(reader->Open(), EDatabaseError);
  reader->SetSql("select * from nosuch");
  EXPECT_THROW(reader->Open(), EDatabaseError);
  EXPECT_FALSE(db.Factory.Connection()->InTransaction()) << "a failed open leaves no read transaction behind";
}

TEST(SqliteReader, NeitherStatementNorTableIsNotValidSql) {
  SqliteSource db;
  auto reader = db.QueryReader("  ");
  try {
    reader->Open();
    FAIL() << "opened without a statement";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Not valid sql");
  }
}

TEST(SqliteReader, ADeclareBlockGetsAScrollableCursor) {
  SqliteSource db;
  db.NumberedTable("t", 1);
  struct Case {
    std::string Sql;
    bool UniDirectional;
  } cases[] = {
      {"select id as declared from t", true},
      {"select id as \"declare\" from t", true},
      {"select id as \"DECLARE \" from t", false},
      {"select id as \"Declare x\" from t", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Sql);
    auto reader = db.QueryReader(c.Sql);
    reader->Open();
    EXPECT_EQ(reader->Query()->UniDirectional, c.UniDirectional);
    EXPECT_EQ(reader->GetValue(0), "1");
  }
}

// A reader whose query may not count itself, as on a server that cannot.
class NoQueryCountReader : public TSqliteReader {
 public:
  NoQueryCountReader() { SetQueryRecCount(false); }
};

TEST(SqliteReader, CountFallsBackToACountStatementAndElseIsUnknown) {
  SqliteSource db;
  db.NumberedTable("t", 7);
  NoQueryCountReader reader;
  reader.SetConnection(db.Factory.Connection());
  reader.SetTableName("t");
  reader.Open();
  EXPECT_EQ(reader.Query()->SpecificOptions.Values("QueryRecCount"), "False");
  EXPECT_EQ(reader.GetRecordCount(), 7);
  reader.Close();

  // Nothing can count a pragma's rows: the count is unknown, not 0, and the rows
  // are all still there.
  db.Exec("create table wide (c1, c2, c3, c4, c5)");
  auto pragma = db.QueryReader("pragma table_info([wide])");
  pragma->Open();
  EXPECT_EQ(pragma->GetRecordCount(), TDataReader::UnknownRecordCount);
  EXPECT_EQ(ReadColumn(*pragma, 1), (std::vector<std::string>{"c1", "c2", "c3", "c4", "c5"}));
}

TEST(SqliteReader, CountAndRowsComeFromOneSnapshot) {
  SqliteSource db;
  db.Exec("pragma journal_mode=wal");
  db.NumberedTable("t", 100);

  // Another process writing to the same live file.
  TUniConnection writer;
  writer.ProviderName = "Sqlite";
  writer.Database = db.Factory.Connection()->Database;
  writer.Connect();
  auto insert = [&](int from) {
    TUniScript script(&writer);
    script.SQL = "insert into t select id + " + std::to_string(from) + ", 'new' from t where id <= 5";
    script.Execute();
  };

  auto reader = db.TableReader("t");
  reader->Open();
  EXPECT_TRUE(db.Factory.Connection()->InTransaction());
  insert(1000);  // after the count, before most rows are read
  reader->GoToRow(1);
  for (int i = 0; i < 50; ++i) reader->Next();
  insert(2000);  // in the middle of the read
  reader->GoToRow(1);
  while (reader->HasData()) reader->Next();
  EXPECT_EQ(reader->GetRecordCount(), 100);
  EXPECT_EQ(reader->GetRowNumber() - 1, 100) << "rows and count disagree";
  reader->Close();
  EXPECT_FALSE(db.Factory.Connection()->InTransaction());

  // The next open sees what was added meanwhile, count and rows alike.
  reader->Open();
  EXPECT_EQ(reader->GetRecordCount(), 110);
  EXPECT_EQ(ReadColumn(*reader, 0).size(), 110u);
  reader->Close();
}

TEST(SqliteReader, ATransactionOfTheConnectionIsLeftAlone) {
  SqliteSource db;
  db.NumberedTable("t", 2);
  db.Factory.Connection()->StartTransaction();
  db.Exec("insert into t values (3, 'r3')");
  auto reader = db.TableReader("t");
  reader->Open();
  EXPECT_EQ(reader->GetRecordCount(), 3);
  reader->Close();
  EXPECT_TRUE(db.Factory.Connection()->InTransaction());
  db.Factory.Connection()->Rollback();
  reader->Open();
  EXPECT_EQ(reader->GetRecordCount(), 2);
}

TEST(SqliteReader, AReaderFreedWhileOpenEndsItsReadTransaction) {
  SqliteSource db;
  db.NumberedTable("t", 3);
  auto reader = db.TableReader("t");
  reader->Open();
  EXPECT_TRUE(db.Factory.Connection()->InTransaction());
  reader.reset();
  EXPECT_FALSE(db.Factory.Connection()->InTransaction());
  db.Exec("insert into t values (4, 'r4')");  // the file is writable again
}

TEST(SqliteReader, ReadersOfTheFactoryFetch50RowsAndAreBound) {
  SqliteSource db;
  auto reader = db.Convert.CreateDataReader();
  ASSERT_NE(dynamic_cast<TSqliteReader*>(reader.get()), nullptr);
  EXPECT_EQ(reader->GetFetchRows(), 50);
  auto* uni = dynamic_cast<TUniDBReader*>(reader.get());
  EXPECT_EQ(uni->Connection(), db.Factory.Connection());
  EXPECT_EQ(uni->Query()->FetchRows, 50);
  EXPECT_EQ(uni->Query()->SpecificOptions.Values("FetchAll"), "False");
  EXPECT_EQ(uni->DBHelper()->QuoteName("a"), "\"a\"");
}

TEST(SqliteReader, LobAndClobColumns) {
  SqliteSource db;
  db.Exec("create table t (a integer, b blob, c text, d varchar(4), e clob, f real)");
  auto reader = db.TableReader("t");
  reader->Open();
  EXPECT_EQ(reader->GetBlobFieldNames()->CommaText(), "b");
  EXPECT_EQ(reader->GetClobFieldNames()->CommaText(), "c,e");
  EXPECT_EQ(reader->GetLobFieldNames()->CommaText(), "b,c,e");
  EXPECT_EQ(reader->GetNumericFieldNames()->CommaText(), "a,f");
  EXPECT_EQ(reader->GetRecordCount(), 0);
  EXPECT_FALSE(reader->HasData());
}

// ---------------------------------------------------------------------------
// Chinook

class ChinookReader : public ::testing::Test {
 protected:
  ChinookReader() {
    std::filesystem::copy_file(FERROVAN_SOURCE_DIR "/tests/fixtures/chinook/Chinook_Sqlite.sqlite",
                               Dir.Path() + "/Chinook.sqlite");
    Factory.Initialize();
    Factory.Connection()->Database = Dir.Path() + "/Chinook.sqlite";
    Factory.Connection()->Connect();
    Convert.SetConnection(Factory.Connection());
  }
  std::unique_ptr<TDBReader> Reader(const std::string& table) {
    auto reader = Convert.CreateDataReader();
    reader->SetTableName(table);
    return reader;
  }
  TempDir Dir;
  TSqliteDBObjectFactory Factory;
  TSqliteConvertObjectFactory Convert;
};

TEST_F(ChinookReader, InvoicesReadAsStored) {
  auto reader = Reader("Invoice");
  reader->Open();
  EXPECT_EQ(reader->GetRecordCount(), 412);
  EXPECT_EQ(reader->GetFieldNames()->CommaText(),
            "InvoiceId,CustomerId,InvoiceDate,BillingAddress,BillingCity,BillingState,BillingCountry,"
            "BillingPostalCode,Total");
  const std::vector<std::string> first = {
      "1", "2", "2021-01-01 00:00:00", "Theodor-Heuss-Straße 34", "Stuttgart", "", "Germany", "70174", "1.98"};
  for (int i = 0; i < reader->GetColumnCount(); ++i) EXPECT_EQ(reader->GetValue(i), first[static_cast<size_t>(i)]);
  EXPECT_TRUE(reader->IsNull(5));
  EXPECT_FALSE(reader->IsNull(4));
  EXPECT_EQ(FieldTypeName(reader->GetFieldType(2)), "ftDateTime");
  EXPECT_EQ(FieldTypeName(reader->GetFieldType(3)), "ftWideString");
  EXPECT_EQ(FieldTypeName(reader->GetFieldType(8)), "ftBCD");
  int rows = 0;
  while (reader->HasData()) reader->Next(), ++rows;
  EXPECT_EQ(rows, 412);
  reader->Close();
}

TEST_F(ChinookReader, TracksThroughRowAndColumnFilters) {
  auto reader = Reader("Track");
  TStringList columns{"8", "1"};  // UnitPrice, Name
  TPartColumnDataReader byColumn(reader.get(), &columns);
  TPartRowDataReader byRow(&byColumn, 3501, 100);
  byRow.Open();
  EXPECT_EQ(byRow.GetRecordCount(), 3503 - 3501 + 1);
  EXPECT_EQ(byRow.GetColumnCount(), 2);
  EXPECT_EQ(byRow.GetColumnName(0), "UnitPrice");
  std::vector<std::string> names;
  byRow.GoToRow(1);
  while (byRow.HasData()) {
    EXPECT_EQ(byRow.GetValue(0), "0.99");
    names.push_back(byRow.GetValue(1));
    byRow.Next();
  }
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[2], "Koyaanisqatsi");
  byRow.Close();
}

// ---------------------------------------------------------------------------
// Row and column filters

TEST(PartRowDataReader, SkipsAndLimits) {
  struct Case {
    const char* LoadRowsText;
    int64_t Skip, Load;
    std::vector<std::string> Ids;
    int64_t Count;
  } cases[] = {
      {"skip 3 load 5", 3, 5, {"4", "5", "6", "7", "8"}, 5},
      {"skip 8 load 5", 8, 5, {"9", "10"}, 2},
      {"skip 0 load 10", 0, 10, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, 10},
      {"skip 0 load 100", 0, 100, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, 10},
      {"skip 9 load 1", 9, 1, {"10"}, 1},
      {"skip 2 load 0", 2, 0, {}, 0},
      // Limits past 32 bits are limits, not negative numbers.
      {"skip 7 load 2^32", 7, 4294967296, {"8", "9", "10"}, 3},
      {"skip 0 load 2^63 - 1", 0, INT64_MAX, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, 10},
  };
  SqliteSource db;
  db.NumberedTable("t", 10);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.LoadRowsText);
    auto reader = db.TableReader("t");
    TPartRowDataReader part(reader.get(), c.Skip + 1, c.Load);
    part.Open();
    EXPECT_EQ(part.GetRecordCount(), c.Count);
    std::vector<std::string> ids;
    std::vector<int> numbers;
    part.GoToRow(1);
    while (part.HasData()) {
      numbers.push_back(part.GetRowNumber());
      ids.push_back(part.GetValue(0));
      part.Next();
    }
    EXPECT_EQ(ids, c.Ids);
    for (size_t i = 0; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], static_cast<int>(i) + 1);
    part.Close();
  }
}

TEST(PartRowDataReader, MessagesNameTheSourceRow) {
  SqliteSource db;
  db.NumberedTable("t", 10);
  auto reader = db.TableReader("t");
  TPartRowDataReader part(reader.get(), 4, 5);
  part.Open();
  EXPECT_EQ(part.GetRowNumber(), 1);
  EXPECT_EQ(part.GetPositionText(), " Row 4");
}

TEST(PartRowDataReader, FirstRowBeyondTheRowsIsIndexGreaterThanRowCount) {
  SqliteSource db;
  db.NumberedTable("t", 10);
  auto reader = db.TableReader("t");
  auto expectIndexError = [](auto&& action) {
    try {
      action();
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Index > Row Count");
    }
  };
  // The source options build the filter over a closed reader: Open checks.
  TPartRowDataReader part(reader.get(), 11, 5);
  expectIndexError([&] { part.Open(); });
  // A first row past 2^31 stays past the end: it never wraps to a row at the start.
  TPartRowDataReader far(reader.get(), 2147483648, 1);
  expectIndexError([&] { far.Open(); });
  TPartRowDataReader farthest(reader.get(), INT64_MAX, INT64_MAX);
  expectIndexError([&] { farthest.Open(); });
  EXPECT_FALSE(db.Factory.Connection()->InTransaction()) << "the inner reader is closed again";
  // Built over an open reader, the constructor checks.
  reader->Open();
  expectIndexError([&] { TPartRowDataReader late(reader.get(), 12, 5); });
  reader->Close();

  // An empty source is no error: it simply has no rows.
  db.NumberedTable("empty", 0);
  auto emptyReader = db.TableReader("empty");
  TPartRowDataReader emptyPart(emptyReader.get(), 4, 5);
  emptyPart.Open();
  EXPECT_EQ(emptyPart.GetRecordCount(), 0);
  EXPECT_FALSE(emptyPart.HasData());
}

TEST(PartRowDataReader, TheLimitHoldsWhenTheCountIsUnknown) {
  SqliteSource db;
  db.Exec("create table wide (c1, c2, c3, c4, c5, c6, c7, c8, c9, c10)");
  auto reader = db.QueryReader("pragma table_info([wide])");
  TPartRowDataReader part(reader.get(), 4, 5);
  part.Open();
  EXPECT_EQ(part.GetRecordCount(), TDataReader::UnknownRecordCount);
  EXPECT_EQ(ReadColumn(part, 1), (std::vector<std::string>{"c4", "c5", "c6", "c7", "c8"}));
  EXPECT_FALSE(part.HasData());
}

TEST(PartColumnDataReader, HandsOutTheSelectedColumnsInListOrder) {
  SqliteSource db;
  db.Exec("create table t (a integer, b varchar(5), c blob); insert into t values (1, null, x'0102')");
  auto reader = db.TableReader("t");
  TStringList columns{"2", "0"};
  TPartColumnDataReader part(reader.get(), &columns);
  part.Open();
  EXPECT_EQ(part.GetColumnCount(), 2);
  EXPECT_EQ(part.GetRecordCount(), 1);
  EXPECT_EQ(part.GetColumnName(0), "c");
  EXPECT_EQ(part.GetColumnName(1), "a");
  EXPECT_EQ(part.GetValue(0), "\x01\x02");
  EXPECT_EQ(part.GetBytes(0), "\x01\x02");
  EXPECT_EQ(part.GetValue(1), "1");
  EXPECT_EQ(FieldTypeName(part.GetFieldType(0)), "ftBlob");
  EXPECT_EQ(static_cast<int>(part.GetValueKind(1)), static_cast<int>(TValueKind::Integer));
  EXPECT_FALSE(part.IsNull(0));
  EXPECT_EQ(part.GetDescription(), "From Table: t");

  TempDir dir;
  part.SaveBlobToFile(0, dir.Path() + "/c.bin");
  std::ifstream in(dir.Path() + "/c.bin", std::ios::binary);
  std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(saved, "\x01\x02") << "the blob of the column the caller sees";

  TStringList nullColumn{"1"};
  TPartColumnDataReader nested(reader.get(), &nullColumn);
  EXPECT_TRUE(nested.IsNull(0));
  EXPECT_EQ(nested.GetValue(0), "");

  TStringList bad{"x"};
  TPartColumnDataReader broken(reader.get(), &bad);
  EXPECT_THROW(broken.GetValue(0), EConvertError);
  EXPECT_THROW(part.GetValue(2), EConvertError);
  part.Close();
}

TEST(FilterDataReader, ForwardsEverything) {
  SqliteSource db;
  db.NumberedTable("t", 3);
  auto reader = db.TableReader("t");
  TFilterDataReader filter(reader.get());
  filter.SetTag(5);
  filter.Open();
  EXPECT_EQ(filter.GetRecordCount(), 3);
  EXPECT_EQ(filter.GetColumnCount(), 2);
  EXPECT_EQ(filter.GetColumnName(1), "name");
  EXPECT_EQ(filter.GetDescription(), "From Table: t");
  filter.GoToRow(2);
  EXPECT_EQ(filter.GetRowNumber(), 2);
  EXPECT_EQ(filter.GetPositionText(), " Row 2");
  EXPECT_EQ(filter.GetValue(1), "r2");
  EXPECT_EQ(FieldTypeName(filter.GetFieldType(0)), "ftInteger");
  filter.GoToRow(1);
  EXPECT_EQ(filter.GetRowNumber(), 2) << "the cursor never goes back";
  filter.Next();
  filter.Next();
  EXPECT_FALSE(filter.HasData());
  filter.GoToRow(10);
  EXPECT_FALSE(filter.HasData());
  filter.Close();
  EXPECT_EQ(reader->GetColumnCount(), 0);
}

// ---------------------------------------------------------------------------
// DB2

class Db2Reader : public ::testing::Test {
 protected:
  Db2Reader() { Convert.SetConnection(Db.Factory.Connection()); }
  std::unique_ptr<TDB2Reader> NewReader() {
    auto base = Convert.CreateDataReader();
    return std::unique_ptr<TDB2Reader>(dynamic_cast<TDB2Reader*>(base.release()));
  }
  std::string Schema() { return Db.Factory.Dictionary()->GetDefaultSchema(); }
  Db2Database Db;
  TDB2ConvertObjectFactory Convert;
};

TEST_F(Db2Reader, ValueTextsOfEveryColumnType) {
  Db.DropTable("\"RDR_VALUES\"");
  Db.Exec(
      "create table \"RDR_VALUES\" (id integer, big bigint, small smallint, amount decimal(31,10), "
      "rate double, name varchar(40), born date, at time, stamp timestamp, pic blob, note clob)");
  Db.Exec(
      "insert into \"RDR_VALUES\" values (1, 9223372036854775807, -3, 123456789012345678901.1234567890, 0.1, "
      "'Ærøskøbing', '2024-02-29', '13:14:15', '2024-02-29 13:14:15.123456', '\\x0aff', 'long text')");
  Db.Exec("insert into \"RDR_VALUES\" (id) values (2)");

  auto reader = NewReader();
  reader->SetSchemaName(Schema());
  reader->SetTableName("RDR_VALUES");
  EXPECT_EQ(reader->GetDescription(), "From Table: " + Schema() + ".RDR_VALUES");
  reader->Open();
  EXPECT_EQ(reader->GetSql(), "select * from \"" + Schema() + "\".\"RDR_VALUES\"");
  EXPECT_EQ(reader->GetRecordCount(), 2);
  struct Case {
    std::string Text;
    TFieldType Type;
  } cases[] = {
      {"1", TFieldType::ftInteger},
      {"9223372036854775807", TFieldType::ftLargeint},
      {"-3", TFieldType::ftSmallint},
      {"123456789012345678901.1234567890", TFieldType::ftFMTBcd},
      {"0.1", TFieldType::ftFloat},
      {"Ærøskøbing", TFieldType::ftWideString},
      {"2024-02-29", TFieldType::ftDate},
      {"13:14:15", TFieldType::ftTime},
      {"2024-02-29 13:14:15.123456", TFieldType::ftDateTime},
      {"\x0a\xff", TFieldType::ftBlob},
      {"long text", TFieldType::ftMemo},
  };
  ASSERT_EQ(reader->GetColumnCount(), static_cast<int>(std::size(cases)));
  for (int i = 0; i < reader->GetColumnCount(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(reader->GetColumnName(i));
    EXPECT_EQ(reader->GetValue(i), c.Text);
    EXPECT_EQ(FieldTypeName(reader->GetFieldType(i)), FieldTypeName(c.Type));
    EXPECT_FALSE(reader->IsNull(i));
  }
  EXPECT_EQ(reader->GetBytes(9), "\x0a\xff");
  EXPECT_EQ(reader->GetBlobFieldNames()->CommaText(), "pic");
  EXPECT_EQ(reader->GetClobFieldNames()->CommaText(), "note");
  reader->Next();
  for (int i = 1; i < reader->GetColumnCount(); ++i) {
    SCOPED_TRACE(reader->GetColumnName(i));
    EXPECT_EQ(reader->GetValue(i), "");
    EXPECT_TRUE(reader->IsNull(i));
  }
  reader->Next();
  EXPECT_FALSE(reader->HasData());
  reader->Close();
  Db.DropTable("\"RDR_VALUES\"");
}

TEST_F(Db2Reader, LongValuesArriveWhole) {
  Db.DropTable("\"RDR_LONG\"");
  Db.Exec("create table \"RDR_LONG\" (id integer, note clob, pic blob)");
  std::string binary;
  for (int i = 0; i < 400000; ++i) binary += static_cast<char>(i * 13 % 256);
  const size_t lengths[] = {5000, 400000};
  for (size_t length : lengths) {
    TUniQuery insert(Db.Factory.Connection());
    insert.SQL = "insert into \"RDR_LONG\" values (:id, :note, :pic)";
    insert.ParamByName("id").SetAsInteger(static_cast<int64_t>(length));
    insert.ParamByName("note").SetAsString(Repeat("ø-x", length));
    insert.ParamByName("pic").LoadFromBytes(binary.substr(0, length), TFieldType::ftBlob);
    insert.Execute();
  }
  auto reader = NewReader();
  reader->SetSql("select note, pic from \"RDR_LONG\" order by id");
  reader->Open();
  for (size_t length : lengths) {
    SCOPED_TRACE(length);
    ASSERT_TRUE(reader->HasData());
    EXPECT_EQ(reader->GetValue(0), Repeat("ø-x", length));
    EXPECT_EQ(reader->GetBytes(1), binary.substr(0, length));
    reader->Next();
  }
  EXPECT_FALSE(reader->HasData());
  reader->Close();
  Db.DropTable("\"RDR_LONG\"");
}

TEST_F(Db2Reader, FetchesFiftyRowsPerRoundTrip) {
  Db.DropTable("\"RDR_ROWS\"");
  Db.Exec("create table \"RDR_ROWS\" (id integer, name varchar(10))");
  Db.Exec("insert into \"RDR_ROWS\" select i, 'r' || i from generate_series(1, 120) i");
  auto reader = NewReader();
  reader->SetTableName("RDR_ROWS");
  reader->Open();
  EXPECT_EQ(reader->Query()->FetchRows, 50);
  EXPECT_EQ(reader->GetRecordCount(), 120);
  int rows = 0;
  while (reader->HasData()) reader->Next(), ++rows;
  EXPECT_EQ(rows, 120);
  // 50 + 50 + 20, and one more that finds the end.
  EXPECT_LE(reader->Query()->FetchCalls(), 4);
  reader->Close();
  Db.DropTable("\"RDR_ROWS\"");
}

TEST_F(Db2Reader, VersionSixServersCountWithTheCounterStatement) {
  Db.DropTable("\"RDR_V6\"");
  Db.Exec("create table \"RDR_V6\" (id integer)");
  Db.Exec("insert into \"RDR_V6\" select i from generate_series(1, 7) i");
  {
    auto reader = NewReader();
    EXPECT_FALSE(reader->IsVersion6());
    reader->SetTableName("RDR_V6");
    reader->Open();
    EXPECT_EQ(reader->Query()->SpecificOptions.Values("QueryRecCount"), "True");
    EXPECT_EQ(reader->GetRecordCount(), 7);
    reader->Close();
  }
  // Inside a transaction of this connection only, so the server is back as it was
  // for everyone however the test ends.
  Db.Factory.Connection()->StartTransaction();
  Db.Exec("update sysibm.sysversions set versionnumber = 6010000");
  auto reader = NewReader();
  EXPECT_TRUE(reader->IsVersion6());
  reader->SetTableName("RDR_V6");
  reader->Open();
  EXPECT_EQ(reader->Query()->SpecificOptions.Values("QueryRecCount"), "False");
  // The counter's statement has no alias for its derived table, which this server
  // refuses: the count is unknown, and still every row is read.
  EXPECT_EQ(reader->GetRecordCount(), TDataReader::UnknownRecordCount);
  int rows = 0;
  while (reader->HasData()) reader->Next(), ++rows;
  EXPECT_EQ(rows, 7);
  reader->Close();
  Db.Factory.Connection()->Rollback();
  Db.DropTable("\"RDR_V6\"");
}

TEST_F(Db2Reader, AReaderMadeBeforeTheLogonTestsTheServerAtOpen) {
  TDB2DBObjectFactory factory;
  factory.Initialize();
  TDB2ConvertObjectFactory convert;
  convert.SetConnection(factory.Connection());
  auto reader = convert.CreateDataReader();  // not connected: must not try to log on
  Db2Server::Get().Configure(*factory.Connection());
  factory.Connection()->Connect();
  reader->SetSql("select 1 as one from sysibm.sysdummy1");
  reader->Open();
  EXPECT_EQ(reader->GetRecordCount(), 1);
  EXPECT_EQ(reader->GetValue(0), "1");
  reader->Close();
}

}  // namespace
