// Session files as users write them by hand, run from the command line into the DB2 test
// server: values that do not parse, odd names, and tables created on the spot.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "base/UIniFile.h"
#include "base/UStrings.h"
#include "dac/UDataAccess.h"
#include "dialect/UDBDictionary.h"
#include "db2/UDB2DBObjectFactory.h"
#include "support/Db2Server.h"
#include "support/DbRows.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

namespace {

std::string Joined(const std::vector<std::string>& lines, const char* separator = "\n") {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? separator : "") + lines[i];
  return text;
}

// "name" with embedded double quotes doubled, for SQL text of either database.
std::string Quoted(const std::string& name) { return "\"" + ReplaceAll(name, "\"", "\"\"") + "\""; }

class SessionValuesDb2 : public ::testing::Test {
 protected:
  void SetUp() override {
    Source = Dir.Path() + "/source.db";
    std::ofstream(Source) << "";
    Log = Dir.Path() + "/run.log";
    Db2Server::Get().Configure(Dest);
    Dest.Connect();
  }

  void SourceSql(const std::string& script) { RunSqliteScript(Source, script); }
  void DestSql(const std::string& script) { RunScript(Dest, script); }
  std::vector<std::string> DestRows(const std::string& sql) { return QueryRows(Dest, sql); }

  // A session file of these key=value lines under [Load], each written as a save writes
  // it (so a value survives the ini file's quote removal).
  std::string WriteSession(const std::string& name, const std::vector<std::string>& lines) {
    std::string path = Dir.Path() + "/" + name;
    std::remove(path.c_str());
    std::ofstream(path, std::ios::binary) << "[Load]\r\n";
    TIniFile ini(path);
    for (const auto& line : lines) {
      size_t eq = line.find('=');
      ini.WriteString("Load", line.substr(0, eq), line.substr(eq + 1));
    }
    return path;
  }
  TProcessResult Run(const std::string& sessionFile) {
    std::remove(Log.c_str());
    return RunFerrovan(Dir,
                       Db2Server::Get().LogonKeys(Source) + " \"session=" + sessionFile + "\" \"logfile=" + Log + "\"");
  }
  std::vector<std::string> Texts() { return LogTexts(Log); }
  bool Logged(const std::string& prefix) {
    auto texts = Texts();
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
  }

  TempDir Dir;
  std::string Source, Log;
  TUniConnection Dest;
};

// key=value replaced in lines, or added when lines has no such key.
std::vector<std::string> With(std::vector<std::string> lines, const std::string& keyValue) {
  std::string key = keyValue.substr(0, keyValue.find('=') + 1);
  auto at = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(key, 0) == 0; });
  if (at == lines.end())
    lines.push_back(keyValue);
  else
    *at = keyValue;
  return lines;
}

const std::vector<std::string> TableLines = {"LoadRowsType=Part",
                                             "LoadRows=2",
                                             "SkipRows=0",
                                             "Columns=",
                                             "SourceSchema=",
                                             "ShowViews=0",
                                             "SourceTable=vals",
                                             "DestSchema=DB2INST1",
                                             "DestTable=SV_VALS",
                                             "LoadType=1",
                                             "Fields=K;INTEGER;;|V;VARCHAR;;",
                                             "ErrorsToAllow=5",
                                             "LogFile="};
const std::vector<std::string> QueryLines = {"LoadRowsType=Part",
                                             "LoadRows=2",
                                             "SkipRows=0",
                                             "Columns=",
                                             "Sql=select k, v from vals order by k",
                                             "DestSchema=DB2INST1",
                                             "DestTable=SV_VALS",
                                             "LoadType=1",
                                             "Fields=K;INTEGER;;|V;VARCHAR;;",
                                             "ErrorsToAllow=5",
                                             "LogFile="};
const std::vector<std::string> BatchLines = {"LoadRowsType=Part",
                                             "LoadRows=2",
                                             "SkipRows=0",
                                             "Columns=",
                                             "SourceSchema=",
                                             "ShowViews=0",
                                             "DestSchema=DB2INST1",
                                             "LoadType=Replace",
                                             "TableMaps=-1;vals;SV_VALS",
                                             "FieldsMaps=vals=-1;k;K;|-1;v;V;",
                                             "ErrorsToAllow=5",
                                             "LogFile="};

const std::vector<std::string>& LinesOf(const std::string& kind) {
  return kind == "uld" ? TableLines : kind == "ulq" ? QueryLines : BatchLines;
}

// Every numeric or enumerated key of the three kinds, with a value that does not parse.
// Each session replaces the table's rows when it runs, so a row that survives shows
// that nothing ran.
TEST_F(SessionValuesDb2, InvalidValuesAreRefusedAndNothingIsWritten) {
  SourceSql("create table vals (k integer, v text); insert into vals values (1, 'a'), (2, 'b'), (3, 'c');");
  auto reset = [&] {
    DestSql(
        "drop table if exists \"SV_VALS\"; create table \"SV_VALS\" (\"K\" integer, \"V\" varchar(10)); insert into "
        "\"SV_VALS\" values (99, 'kept')");
  };

  // The sessions the cases start from are sound: each replaces the rows with two.
  for (const char* kind : {"uld", "ulq", "ula"}) {
    SCOPED_TRACE(kind);
    reset();
    auto r = Run(WriteSession(std::string("base.") + kind, LinesOf(kind)));
    EXPECT_EQ(r.ExitCode, 0) << r.Err << Joined(Texts());
    EXPECT_EQ(DestRows("select * from \"SV_VALS\" order by 1"), (std::vector<std::string>{"1|a", "2|b"}));
  }

  struct Case {
    const char* kind;
    const char* line;   // key=value put into the session
    const char* shown;  // the value the message quotes; empty: the whole value
  } cases[] = {
      {"uld", "LoadRowsType=Prat", ""},
      {"uld", "LoadRows=-1", ""},
      {"uld", "LoadRows=two", ""},
      {"uld", "SkipRows=1e3", ""},
      {"uld", "SkipRows=99999999999999999999", ""},
      {"uld", "Columns=0|1", ""},
      {"uld", "Columns=1|b", ""},
      {"uld", "ShowViews=yes", ""},
      {"uld", "LoadType=7", ""},
      {"uld", "LoadType=-1", ""},
      {"uld", "LoadType=Replaced", ""},
      {"uld", "Fields=K;INTEGER;;|V;VARCHAR;;;x", "V;VARCHAR;;;x"},
      {"uld", "Fields=K;INTEGER;;|V", "V"},
      {"uld", "Fields=K=1;INTEGER;;", "K=1;INTEGER;;"},
      {"uld", "ErrorsToAllow=abc", ""},
      {"uld", "ErrorsToAllow=-1", ""},
      {"ulq", "LoadRowsType=Some", ""},
      {"ulq", "LoadRows=0.5", ""},
      {"ulq", "SkipRows=-2", ""},
      {"ulq", "Columns=1||2", ""},
      {"ulq", "LoadType=3", ""},
      {"ulq", "ErrorsToAllow=50%", ""},
      {"ula", "LoadRowsType=Half", ""},
      {"ula", "LoadRows=$", ""},
      {"ula", "SkipRows=-3", ""},
      {"ula", "Columns=x", ""},
      {"ula", "ShowViews=2x", ""},
      {"ula", "LoadType=2", ""},
      {"ula", "LoadType=Upsert", ""},
      {"ula", "TableMaps=yes;vals;SV_VALS", "yes;vals;SV_VALS"},
      {"ula", "TableMaps=-1;vals", "-1;vals"},
      {"ula", "FieldsMaps=vals=-1;k;K;|maybe;v;V;", "vals=-1;k;K;|maybe;v;V;"},
      {"ula", "FieldsMaps=vals=-1;k", "vals=-1;k"},
      {"ula", "ErrorsToAllow=many", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " " + c.line);
    reset();
    std::string line = c.line;
    std::string key = line.substr(0, line.find('='));
    std::string shown = *c.shown ? c.shown : line.substr(line.find('=') + 1);
    std::string session = WriteSession(std::string("bad.") + c.kind, With(LinesOf(c.kind), line));
    auto r = Run(session);
    EXPECT_EQ(r.ExitCode, 3) << r.Err << Joined(Texts());
    std::string message = "Invalid value \"" + shown + "\" for \"" + key + "\" in session file \"" + session + "\": ";
    EXPECT_TRUE(Logged(message)) << message << "\n" << Joined(Texts());
    EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
    EXPECT_FALSE(Logged("Start Convert")) << Joined(Texts());
    EXPECT_EQ(DestRows("select * from \"SV_VALS\" order by 1"), std::vector<std::string>{"99|kept"});
  }
}

// A refused session ends itself only: the next one of a workspace runs.
TEST_F(SessionValuesDb2, ARefusedSessionOfAWorkspaceLeavesTheNextOneToRun) {
  SourceSql("create table vals (k integer, v text); insert into vals values (1, 'a'), (2, 'b'), (3, 'c');");
  DestSql("drop table if exists \"SV_VALS\"; create table \"SV_VALS\" (\"K\" integer, \"V\" varchar(10))");
  std::string bad = WriteSession("bad.uld", With(TableLines, "LoadType=7"));
  std::string good = WriteSession("good.uld", TableLines);
  std::string workspace = Dir.Path() + "/nightly.fws";
  std::ofstream(workspace, std::ios::binary) << bad << "\r\n" << good << "\r\n";
  std::remove(Log.c_str());
  auto r =
      RunFerrovan(Dir, Db2Server::Get().LogonKeys(Source) + " \"workspace=" + workspace + "\" \"logfile=" + Log + "\"");
  EXPECT_EQ(r.ExitCode, 3) << r.Err << Joined(Texts());
  EXPECT_TRUE(Logged("Invalid value \"7\" for \"LoadType\" in session file \"" + bad + "\"")) << Joined(Texts());
  EXPECT_EQ(DestRows("select * from \"SV_VALS\" order by 1"), (std::vector<std::string>{"1|a", "2|b"}));
}

// Values that used to be read as something else now do what they say.
TEST_F(SessionValuesDb2, ValuesReadAsWhatTheySay) {
  SourceSql("create table vals (k integer, v text); insert into vals values (1, 'a'), (2, 'b'), (3, 'c');");
  struct Case {
    const char* kind;
    std::vector<std::string> lines;
    int exitCode;
    std::vector<std::string> rows;
  } cases[] = {
      // "Replace" in a table session used to run as Append.
      {"uld", {"LoadType=Replace", "LoadRowsType=All"}, 0, {"1|a", "2|b", "3|c"}},
      // A skip of 2^31 - 1 rows wrapped to a negative first row and loaded the first
      // row; past the table's end it loads nothing.
      {"uld", {"LoadType=0", "SkipRows=2147483647", "LoadRows=1"}, 3, {"99|kept"}},
      {"uld", {"LoadType=0", "SkipRows=4294967297", "LoadRows=1"}, 3, {"99|kept"}},
      {"uld", {"LoadType=0", "SkipRows=2", "LoadRows=4294967296"}, 0, {"3|c", "99|kept"}},
      // A lower-case word in an all-tables session used to append, the writer looking
      // for "Replace" exactly.
      {"ula", {"LoadType=replace"}, 0, {"1|a", "2|b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " " + Joined(c.lines, " "));
    DestSql(
        "drop table if exists \"SV_VALS\"; create table \"SV_VALS\" (\"K\" integer, \"V\" varchar(10));"
        "insert into \"SV_VALS\" values (99, 'kept')");
    std::vector<std::string> lines = LinesOf(c.kind);
    for (const auto& l : c.lines) lines = With(lines, l);
    auto r = Run(WriteSession(std::string("good.") + c.kind, lines));
    EXPECT_EQ(r.ExitCode, c.exitCode) << r.Err << Joined(Texts());
    EXPECT_EQ(DestRows("select * from \"SV_VALS\" order by 1"), c.rows);
  }
}

// A name is read from SQLite and written to DB2 as it is wherever the session file can
// hold it; where a map of the file cannot (";" and "|" separate its parts, and the
// all-tables field maps lose double quotes), the session is refused and nothing runs.
TEST_F(SessionValuesDb2, NamesGoThroughWhereTheSessionHoldsThemAndAreRefusedWhereNot) {
  struct Case {
    std::string name;
    const char* fieldsKey;  // the key refusing it as a table session's column; empty: read
    const char* batchKey;   // the key refusing it in an all-tables session; empty: read
  } cases[] = {
      {"a]b", "", ""},
      {"a\"b", "", "FieldsMaps"},
      {"o'k", "", ""},
      {"two words", "", ""},
      {"Grüße", "", ""},
      {"a;b", "Fields", "TableMaps"},
      {"a|b", "Fields", "TableMaps"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string table = Quoted(c.name), column = Quoted(c.name);
    const std::string dest = "SVN " + c.name, destTable = "\"DB2INST1\"." + Quoted(dest);
    SourceSql("drop table if exists " + table + "; create table " + table + " (" + column +
              " text, id integer); insert into " + table + " values ('v-1', 1), ('v-2', 2);");
    auto reset = [&] {
      DestSql("drop table if exists " + destTable + "; create table " + destTable + " (" + column +
              " varchar(20), \"ID\" integer)");
    };
    auto rows = [&] { return DestRows("select \"ID\", " + column + " from " + destTable + " order by 1"); };
    auto refusedFor = [&](const std::string& key) {
      auto texts = Texts();
      return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
        return t.rfind("Invalid value \"", 0) == 0 &&
               t.find("\" for \"" + key + "\" in session file") != std::string::npos;
      });
    };

    // As the source and destination table of a table session: never in a map.
    reset();
    std::vector<std::string> lines =
        With(With(With(With(With(TableLines, "LoadRowsType=All"), "LoadType=0"), "SourceTable=" + c.name),
                  "DestTable=" + dest),
             "Columns=2");
    auto r = Run(WriteSession("t.uld", With(lines, "Fields=ID;INTEGER;;")));
    EXPECT_EQ(r.ExitCode, 0) << r.Err << Joined(Texts());
    EXPECT_EQ(rows(), (std::vector<std::string>{"1|<null>", "2|<null>"}));

    // As a column of a table session: in "Fields".
    reset();
    r = Run(WriteSession("c.uld", With(With(lines, "Columns="), "Fields=" + c.name + ";VARCHAR;;|ID;INTEGER;;")));
    if (*c.fieldsKey) {
      EXPECT_EQ(r.ExitCode, 3) << r.Err << Joined(Texts());
      EXPECT_TRUE(refusedFor(c.fieldsKey)) << Joined(Texts());
      EXPECT_EQ(rows(), std::vector<std::string>{});
    } else {
      EXPECT_EQ(r.ExitCode, 0) << r.Err << Joined(Texts());
      EXPECT_EQ(rows(), (std::vector<std::string>{"1|v-1", "2|v-2"}));
    }

    // As table and column of an all-tables session: in "TableMaps" and "FieldsMaps",
    // written as a save writes them.
    reset();
    TStringList fieldsMaps{c.name + "=-1;" + c.name + ";" + c.name + ";|-1;id;ID;"};
    r = Run(
        WriteSession("b.ula", With(With(With(BatchLines, "LoadRowsType=All"), "TableMaps=-1;" + c.name + ";" + dest),
                                   "FieldsMaps=" + fieldsMaps.CommaText())));
    if (*c.batchKey) {
      EXPECT_EQ(r.ExitCode, 3) << r.Err << Joined(Texts());
      EXPECT_TRUE(refusedFor(c.batchKey)) << Joined(Texts());
      EXPECT_EQ(rows(), std::vector<std::string>{});
    } else {
      EXPECT_EQ(r.ExitCode, 0) << r.Err << Joined(Texts());
      EXPECT_EQ(rows(), (std::vector<std::string>{"1|v-1", "2|v-2"}));
    }
    DestSql("drop table if exists " + destTable);
  }
}

// An all-tables session creates a table with a column of every common declared type
// ("To Be Created"); what each became and what reads back.
TEST_F(SessionValuesDb2, ToBeCreatedTablesKeepWhatTheyAreGiven) {
  struct Case {
    const char* declared;
    const char* literal;  // the SQLite value
    const char* created;  // the DB2 column type; empty: no column
    const char* readBack;
  } cases[] = {
      {"INTEGER", "42", "integer", "42"},
      {"INT", "7", "varchar", "7"},
      {"BIGINT", "9007199254740993", "varchar", "9007199254740993"},
      {"SMALLINT", "-3", "varchar", "-3"},
      {"REAL", "1.5", "double", "1.5"},
      {"DOUBLE", "2.25", "varchar", "2.25"},
      {"FLOAT", "0.125", "varchar", "0.125"},
      {"NUMERIC", "12.5", "double", "12.5"},
      {"DECIMAL(10,2)", "1234.56", "varchar", "1234.56"},
      {"BOOLEAN", "1", "varchar", "1"},
      {"TEXT", "'a note'", "clob", "a note"},
      {"VARCHAR(20)", "'Grüße'", "varchar", "Grüße"},
      {"NVARCHAR(20)", "'日本'", "vargraphic", "日本"},
      {"CHAR(5)", "'ab'", "varchar", "ab"},
      {"CLOB", "'long text'", "clob", "long text"},
      {"BLOB", "x'414243'", "blob", "ABC"},
      {"DATE", "'2024-02-29'", "date", "2024-02-29"},
      {"DATETIME", "'2024-03-05 14:22:01'", "timestamp", "2024-03-05 14:22:01"},
      {"TIMESTAMP", "'2024-12-31 23:59:59'", "timestamp", "2024-12-31 23:59:59"},
      {"TIME", "'14:22:01'", "varchar", "14:22:01"},
      {"", "'untyped'", "", ""},
  };
  auto columnOf = [](const Case& c) {
    std::string name = std::string("c_") + (*c.declared ? c.declared : "none");
    for (char& ch : name)
      if (ch == '(' || ch == ')' || ch == ',') ch = '_';
    return name;
  };
  std::string columns, values, nulls;
  for (const auto& c : cases) {
    columns += std::string(columns.empty() ? "" : ", ") + Quoted(columnOf(c)) + " " + c.declared;
    values += std::string(values.empty() ? "" : ", ") + c.literal;
    nulls += std::string(nulls.empty() ? "" : ", ") + "null";
  }
  SourceSql("create table \"Typed_T\" (" + columns + "); insert into \"Typed_T\" values (" + values +
            "); insert into \"Typed_T\" values (" + nulls + ");");
  DestSql("drop table if exists \"DB2INST1\".\"Typed_T\"");
  auto r = Run(WriteSession(
      "typed.ula",
      With(With(With(BatchLines, "LoadRowsType=All"), "TableMaps=-1;Typed_T;To Be Created"), "FieldsMaps=")));
  EXPECT_EQ(r.ExitCode, 0) << r.Err << Joined(Texts());

  TDB2DBObjectFactory db2;
  db2.Initialize();
  Db2Server::Get().Configure(*db2.Connection());
  db2.Connection()->Connect();
  auto created = db2.Dictionary()->GetColumns("DB2INST1", "Typed_T");
  for (const auto& c : cases) {
    const std::string column = columnOf(c);
    SCOPED_TRACE(std::string("declared ") + (*c.declared ? c.declared : "(none)"));
    EXPECT_EQ(created->Values(column), c.created);
    if (!*c.created) continue;
    EXPECT_EQ(DestRows("select " + Quoted(column) + " from \"DB2INST1\".\"Typed_T\" order by 1 nulls last"),
              (std::vector<std::string>{c.readBack, "<null>"}));
  }
  DestSql("drop table if exists \"DB2INST1\".\"Typed_T\"");
}

}  // namespace
