#include <gtest/gtest.h>

#include "base/UExceptions.h"
#include "db2/UDB2SqlCreator.h"
#include "dialect/USqlCreator.h"
#include "sqlite/USqliteSqlCreator.h"

namespace {

// A DB2 creator for table T in schema S with the given name=type columns.
std::unique_ptr<TDB2SqlCreator> Db2Creator(const TStringList& columns, const std::string& loadType = "Append") {
  auto c = std::make_unique<TDB2SqlCreator>();
  c->Schema = "S";
  c->Table = "T";
  TStringList names;
  for (int i = 0; i < columns.Count(); ++i) names.Add(columns.Names(i));
  c->SetFields(names);
  c->SetFieldTypes(columns);
  c->LoadType = loadType;
  c->SetDecimalSeparator('.');
  return c;
}

TEST(SqlCreator, Db2StatementTexts) {
  auto c = Db2Creator({"ID=integer", "NAME=varchar"});
  EXPECT_EQ(c->GetSelectEmptySql(), "select \"ID\",\"NAME\" from \"S\".\"T\" where 1=0");
  EXPECT_EQ(c->GetDeleteSql(), "delete from \"S\".\"T\"");
  EXPECT_EQ(c->GetWriteSql(), "insert into \"S\".\"T\" (\"ID\",\"NAME\") \r\n  values (:ID,:NAME) ");

  c->LoadType = "UPDATE";
  c->UpdateKey = "id";
  EXPECT_EQ(c->GetWriteSql(), "update \"S\".\"T\" set \"NAME\"=:NAME\r\nwhere \"ID\"=:ID ");

  // Only "update" changes the shape; "Replace" and "replace" are both inserts.
  for (const char* type : {"Replace", "replace", "", "Append"}) {
    c->LoadType = type;
    EXPECT_EQ(c->GetWriteSql().rfind("insert into ", 0), 0u) << type;
  }

  auto three = Db2Creator({"K=integer", "A=varchar", "B=varchar"}, "Update");
  three->UpdateKey = "K";
  EXPECT_EQ(three->GetWriteSql(), "update \"S\".\"T\" set \"A\"=:A,\"B\"=:B\r\nwhere \"K\"=:K ");
  three->UpdateKey = "missing";
  EXPECT_THROW(three->GetWriteSql(), Exception);
}

TEST(SqlCreator, NamesAreQuotedSoTheyCannotEndTheirQuoting) {
  auto c = Db2Creator({"a\"b=varchar"});
  c->Schema = "my \"schema\"";
  c->Table = "x\";drop table t;--";
  EXPECT_EQ(c->GetFullTableName(), "\"my \"\"schema\"\"\".\"x\"\";drop table t;--\"");
  EXPECT_EQ(c->GetSelectEmptySql(), "select \"a\"\"b\" from \"my \"\"schema\"\"\".\"x\"\";drop table t;--\" where 1=0");

  TSqliteSqlCreator s;
  s.Table = "a]b";
  s.SetFields({"c\"d", "e f"});
  EXPECT_EQ(s.GetWriteSql(), "insert into \"a]b\" (\"c\"\"d\",\"e f\") \r\n  values (:c_d,:e_f) ");
}

TEST(SqlCreator, ParamNames) {
  EXPECT_EQ(TSqlCreator::MakeParamName("Unit Price/USD"), "Unit_Price");
  EXPECT_EQ(TSqlCreator::MakeParamName("[a-b@c]"), "a_b_c");

  TDB2SqlCreator c;
  // Names the data-access layer would cut short or merge get names of their own.
  c.SetFields({"Unit Price/USD", "A B", "A-B", "a_b", "Größe", "x.y", "[]"});
  EXPECT_EQ(c.GetParamNames(), TStringList({"Unit_Price", "A_B", "A_B_2", "a_b_3", "Gr____e", "x_y", "P"}));
  EXPECT_EQ(c.GetParamName(2), "A_B_2");
}

TEST(SqlCreator, Db2DateReferences) {
  struct Case {
    std::string Type, Format, Ref;
  } cases[] = {
      {"timestamp", "Auto Detect", ":D"},
      {"TIMESTAMP", "YYYY-MM-DD HH24:MI:SS", "TIMESTAMP_FORMAT(:D,'YYYY-MM-DD HH24:MI:SS')"},
      {"date", "DD/MM/YYYY", "TIMESTAMP_FORMAT(:D,'DD/MM/YYYY')"},
      {"time", "Excel Time", "TIMESTAMP_FORMAT(:D,'HH24:MI:SS')"},
      {"timestamp", "", ":D"},
      {"timestamp", "detect per record", ":D"},
      {"date", "Detect Per Record", ":D"},
      {"date", "Cannot Detect", ":D"},
      // A quote in a format of the user's own cannot end the literal.
      {"date", "DD'MM", "TIMESTAMP_FORMAT(:D,'DD''MM')"},
      {"varchar", "DD/MM/YYYY", ":D"},
  };
  for (const Case& k : cases) {
    auto c = Db2Creator({"D=" + k.Type});
    if (!k.Format.empty()) c->SetDateFormats({"D=" + k.Format});
    EXPECT_EQ(c->GetParamRef(0), k.Ref) << k.Type << " / " << k.Format;
  }
  auto c = Db2Creator({"ID=integer", "D=timestamp"});
  c->SetDateFormats({"D=YYYY-MM-DD"});
  EXPECT_EQ(c->GetWriteSql(),
            "insert into \"S\".\"T\" (\"ID\",\"D\") \r\n  values (:ID,TIMESTAMP_FORMAT(:D,'YYYY-MM-DD')) ");
}

TEST(SqlCreator, NullRules) {
  auto c = Db2Creator({"A=varchar", "B=varchar"});
  c->SetNullValues({"A=N/A"});
  EXPECT_FALSE(c->IsNotNullValue(0, "n/a"));
  EXPECT_TRUE(c->IsNotNullValue(0, "N/A "));
  EXPECT_TRUE(c->IsNotNullValue(1, "N/A"));
  EXPECT_FALSE(c->IsNotNullValue(1, "nUlL"));
  EXPECT_TRUE(c->IsNotNullValue(1, ""));
  EXPECT_TRUE(c->IsNotNullValue(1, "NULL "));
}

TEST(SqlCreator, Db2FillValue) {
  struct Case {
    std::string Type, Value, Literal;
  } cases[] = {
      {"integer", "42", "42"},
      {"bigint", "-9223372036854775808", "-9223372036854775808"},
      {"smallint", "", "null"},
      {"integer", "NULL", "null"},
      {"integer", "-", "null"},  // the column's null marker below
      {"decimal", "12345678901234567890.123456789", "12345678901234567890.123456789"},
      {"decimal(10,2)", "-1.50", "-1.50"},
      {"numeric", "1.5e3", "1500"},
      {"double", "2.5E-3", "0.0025"},
      {"float", "", "null"},
      {"varchar", "O'Brien", "'O''Brien'"},
      {"varchar", "a'&b", "'a''&b'"},  // the value stays as it is
      {"varchar", "", "''"},
      {"varchar", "null", "null"},
      {"clob", "x:ID y", "'x:ID y'"},
      {"date", "2020-01-02", "'2020-01-02'"},
  };
  for (const Case& k : cases) {
    auto c = Db2Creator({"V=" + k.Type});
    c->SetNullValues({"V=-"});
    EXPECT_EQ(c->FillValue(c->GetWriteSql(), 0, k.Value),
              "insert into \"S\".\"T\" (\"V\") \r\n  values (" + k.Literal + ") ")
        << k.Type << " / " << k.Value;
  }
  // A value the column cannot take is refused rather than written as 0.
  for (const char* type : {"integer", "decimal", "double"}) {
    auto c = Db2Creator({std::string("V=") + type});
    EXPECT_THROW(c->FillValue(c->GetWriteSql(), 0, "12abc"), EConvertError) << type;
  }
  auto comma = Db2Creator({"V=decimal"});
  comma->SetDecimalSeparator(',');
  EXPECT_EQ(comma->FillValue(":V", 0, "3,5"), "3.5");
  EXPECT_THROW(comma->FillValue(":V", 0, "3.5"), EConvertError);
}

TEST(SqlCreator, Db2FillDateWrapper) {
  auto c = Db2Creator({"D=date", "E=date"});
  c->SetDateFormats({"D=DD/MM/YYYY", "E=DD/MM/YYYY"});
  const std::string sql = c->GetWriteSql();
  EXPECT_EQ(c->FillValue(sql, 0, ""),
            "insert into \"S\".\"T\" (\"D\",\"E\") \r\n  values (null,TIMESTAMP_FORMAT(:E,'DD/MM/YYYY')) ");
  EXPECT_EQ(c->FillValue(sql, 1, "31/12/2020"),
            "insert into \"S\".\"T\" (\"D\",\"E\") \r\n  values (TIMESTAMP_FORMAT(:D,'DD/MM/YYYY'),"
            "TIMESTAMP_FORMAT('31/12/2020','DD/MM/YYYY')) ");
}

TEST(SqlCreator, FillingOneFieldLeavesTheOthersAlone) {
  // MI is also a format element inside the wrapper's literal.
  auto c = Db2Creator({"ID=integer", "ID2=varchar", "MI=varchar", "T=timestamp"});
  c->SetDateFormats({"T=YYYY-MM-DD HH24:MI"});
  std::string sql = c->GetWriteSql();
  sql = c->FillValue(sql, 1, "has :ID and :MI inside");
  sql = c->FillValue(sql, 0, "7");
  sql = c->FillValue(sql, 2, "m");
  EXPECT_EQ(sql,
            "insert into \"S\".\"T\" (\"ID\",\"ID2\",\"MI\",\"T\") \r\n  values (7,'has :ID and :MI inside','m',"
            "TIMESTAMP_FORMAT(:T,'YYYY-MM-DD HH24:MI')) ");
}

TEST(SqlCreator, SqliteFillValue) {
  TSqliteSqlCreator c;
  c.Table = "t";
  c.SetFields({"a", "b"});
  std::string sql = c.FillValue(c.GetWriteSql(), 0, "it's");
  sql = c.FillValue(sql, 1, "NULL");
  EXPECT_EQ(sql, "insert into \"t\" (\"a\",\"b\") \r\n  values ('it''s',null) ");
}

// Filling a statement replaces the reference only where the database would read it as
// one: not inside quoted names or text, not inside comments.
TEST(SqlCreator, FillValueSkipsQuotingAndComments) {
  TSqliteSqlCreator c;
  c.Table = "t";
  c.SetFields({"ID"});
  const struct {
    const char* Statement;
    const char* Filled;
  } cases[] = {
      {"insert into [it's] ([ID]) values (:ID)", "insert into [it's] ([ID]) values ('5')"},
      {"select [:ID], :ID", "select [:ID], '5'"},
      {"select `:ID`, \":ID\", ':ID', :ID", "select `:ID`, \":ID\", ':ID', '5'"},
      {"select :ID -- :ID isn't here\n, :ID", "select '5' -- :ID isn't here\n, '5'"},
      {"select /* :ID's */ :ID", "select /* :ID's */ '5'"},
      {"select 'it''s :ID', :ID", "select 'it''s :ID', '5'"},
  };
  for (const auto& k : cases) EXPECT_EQ(c.FillValue(k.Statement, 0, "5"), k.Filled) << k.Statement;
}

TEST(SqlCreator, DecimalText) {
  struct Case {
    std::string Text;
    char Separator;
    bool Valid;
    std::string Result;
  } cases[] = {
      {" 42 ", '.', true, "42"},   {"+007.50", '.', true, "7.50"}, {"-.5", '.', true, "-0.5"},
      {"5.", '.', true, "5"},      {"1e2", '.', true, "100"},      {"1.25E-4", '.', true, "0.000125"},
      {"12,5", ',', true, "12.5"}, {"12.5", ',', false, ""},       {"", '.', false, ""},
      {"1.2.3", '.', false, ""},   {"abc", '.', false, ""},        {"1e", '.', false, ""},
      {"1e9999", '.', false, ""},  {".", '.', false, ""},          {"0x10", '.', false, ""},
  };
  for (const Case& k : cases) {
    std::string result;
    EXPECT_EQ(TryDecimalText(k.Text, k.Separator, result), k.Valid) << k.Text;
    if (k.Valid) {
      EXPECT_EQ(result, k.Result) << k.Text;
    }
  }
}

}  // namespace
