// The awkward values of every type, copied from a SQLite file into the DB2 test server
// by a session run from the command line, then read back and compared value by value.
#include <gtest/gtest.h>

#include <fstream>

#include "dac/UDataAccess.h"
#include "support/Db2Server.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

namespace {

struct Expected {
  const char* Column;
  std::vector<const char*> Values;  // per row, nullptr for NULL
};

TEST(RoundTrip, EveryValueArrivesAsItWas) {
  TempDir dir;
  std::string source = dir.Path() + "/awkward.db";
  std::ofstream(source) << "";
  std::string longText(400000, 'x');
  longText.replace(0, 6, "Ünï ");
  {
    TUniConnection c;
    c.ProviderName = "Sqlite";
    c.Database = source;
    c.Connect();
    TUniScript s(&c);
    s.SQL =
        // Decimal digits are kept as text: SQLite's NUMERIC affinity would store more than
        // 15 digits as a double before anything reads them.
        "create table awkward (id integer, big bigint, r real, d text, t varchar(50), b blob, dt date,"
        " ts datetime, note text);"
        "insert into awkward values (1, 9223372036854775807, 0.1, '12345678901234567890.123456789',"
        " 'Grüße 日本 😀', x'00ff0010', '2024-02-29', '2024-02-29 23:59:59.123456', null);"
        "insert into awkward values (2, -9223372036854775808, 1e-300, '-0.000000001', '', x'', '1900-01-01',"
        " '1970-01-01 00:00:00.005', '');"
        "insert into awkward values (3, null, null, null, null, null, null, null, null);"
        "insert into awkward values (4, 9007199254740993, -2.5, 7, 'NULL', x'ff', '2000-12-31', "
        "'2000-12-31 00:00:00', 'null');";
    s.Execute();
    TUniQuery ins(&c);
    ins.SQL = "update awkward set note = :n where id = 1";
    ins.ParamByName("n").SetAsString(longText);
    ins.Execute();
  }

  TUniConnection dest;
  Db2Server::Get().Configure(dest);
  dest.Connect();
  TUniScript ddl(&dest);
  ddl.SQL =
      "drop table if exists \"RT_AWKWARD\";"
      "create table \"RT_AWKWARD\" (\"ID\" integer, \"BIG\" bigint, \"R\" double, \"D\" decimal(31,9),"
      " \"T\" varchar(50), \"B\" blob(1000), \"DT\" date, \"TS\" timestamp, \"NOTE\" clob(1000000))";
  ddl.Execute();

  std::string session = dir.Path() + "/awkward.uld";
  std::ofstream(session, std::ios::binary)
      << "[Load]\r\nLoadRowsType=All\r\nLoadRows=0\r\nSkipRows=0\r\nColumns=\r\nSourceSchema=\r\nShowViews=0\r\n"
         "SourceTable=awkward\r\nDestSchema=DB2INST1\r\nDestTable=RT_AWKWARD\r\nLoadType=0\r\n"
         "Fields=ID;INTEGER;;|BIG;BIGINT;;|R;DOUBLE;;|D;DECIMAL;;|T;VARCHAR;;|B;BLOB;;|DT;DATE;YYYY-MM-DD;"
         "|TS;TIMESTAMP;;|NOTE;CLOB;;\r\nErrorsToAllow=0\r\nLogFile=\r\n";
  std::string log = dir.Path() + "/run.log";
  auto r =
      RunFerrovan(dir, Db2Server::Get().LogonKeys(source) + " \"session=" + session + "\" \"logfile=" + log + "\"");
  std::string logText;
  for (const auto& t : LogTexts(log)) logText += t + "\n";
  ASSERT_EQ(r.ExitCode, 0) << logText;

  // The text "NULL" in any letter case is NULL on the way in; an empty text stays empty
  // text, an empty BLOB stays an empty BLOB.
  const Expected expected[] = {
      {"BIG", {"9223372036854775807", "-9223372036854775808", nullptr, "9007199254740993"}},
      {"R", {"0.1", "1e-300", nullptr, "-2.5"}},
      {"D", {"12345678901234567890.123456789", "-0.000000001", nullptr, "7.000000000"}},
      {"T", {"Grüße 日本 😀", "", nullptr, nullptr}},
      {"DT", {"2024-02-29", "1900-01-01", nullptr, "2000-12-31"}},
      {"TS", {"2024-02-29 23:59:59.123456", "1970-01-01 00:00:00.005", nullptr, "2000-12-31 00:00:00"}},
  };
  TUniQuery q(&dest);
  q.SQL = "select * from \"RT_AWKWARD\" order by \"ID\"";
  q.Open();
  const std::vector<std::string> blobs = {std::string("\x00\xff\x00\x10", 4), "", "", "\xff"};
  for (int row = 0; row < 4; ++row, q.Next()) {
    ASSERT_FALSE(q.Eof());
    SCOPED_TRACE("row " + std::to_string(row + 1));
    EXPECT_EQ(q.FieldByName("ID").AsInteger(), row + 1);
    for (const auto& e : expected) {
      const TUniField& f = q.FieldByName(e.Column);
      if (!e.Values[row])
        EXPECT_TRUE(f.IsNull()) << e.Column << ": " << f.AsString();
      else
        EXPECT_EQ(f.AsString(), e.Values[row]) << e.Column;
    }
    EXPECT_EQ(q.FieldByName("B").IsNull(), row == 2);
    EXPECT_EQ(q.FieldByName("B").AsBytes(), blobs[row]);
  }
  q.Close();
  q.SQL = "select \"NOTE\" from \"RT_AWKWARD\" order by \"ID\"";
  q.Open();
  EXPECT_EQ(q.Fields(0).AsString(), longText);
  q.Next();
  EXPECT_FALSE(q.Fields(0).IsNull());
  EXPECT_EQ(q.Fields(0).AsString(), "");
  q.Next();
  EXPECT_TRUE(q.Fields(0).IsNull());
  q.Next();
  EXPECT_TRUE(q.Fields(0).IsNull());  // 'null'
}

}  // namespace
