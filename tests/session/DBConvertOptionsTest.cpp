#include <gtest/gtest.h>

#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "dialect/DialectTestSupport.h"
#include "dialect/UDBDictionary.h"
#include "session/SessionTestSupport.h"
#include "session/UDBConvertOptions.h"
#include "session/USessionValues.h"
#include "session/UTableMapOptions.h"

namespace {

class DBOptionsFile : public ::testing::Test {
 protected:
  std::string Path() const { return Dir.Path() + "/s.uld"; }
  void Write(const std::string& body) { WriteFileBytes(Path(), "[Load]\r\n" + body); }
  TempDir Dir;
  TPlainConvertObjectFactory Convert;
};

}  // namespace

TEST_F(DBOptionsFile, FieldsEntriesOfThreeFourAndMoreParts) {
  struct Case {
    const char* fields;
    const char* names;
    const char* types;
    const char* formats;
    const char* nullIfs;
  } cases[] = {
      {"A;INTEGER;;", "A", "A=INTEGER", "", ""},
      {"A;INTEGER;N/A", "A", "A=INTEGER", "", "A=N/A"},
      {"D;DATE;YYYY-MM-DD;-", "D", "D=DATE", "D=YYYY-MM-DD", "D=-"},
      {"A;VARCHAR;;|B;;;", "A|B", "A=VARCHAR", "", ""},
      {"  A;INTEGER;;|D;DATE;DD.MM.YYYY;  ", "A|D", "A=INTEGER|D=DATE", "D=DD.MM.YYYY", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fields);
    Write(std::string("Fields=") + c.fields + "\r\n");
    TTableDestOptions dest(nullptr, &Convert);
    dest.LoadFromFile(Path(), "Load");
    EXPECT_EQ(Joined(dest.FieldNames), c.names);
    EXPECT_EQ(Joined(dest.FieldTypes), c.types);
    EXPECT_EQ(Joined(dest.DateFormats), c.formats);
    EXPECT_EQ(Joined(dest.NullIfs), c.nullIfs);
  }
}

TEST_F(DBOptionsFile, FieldsThatCannotBeToldApartAreRefusedWithoutHalfAMap) {
  struct Case {
    const char* fields;
    const char* message;
  } cases[] = {
      {"A;INTEGER", "TTableDestOptions.LoadFromFile, Parse Fields Error."},
      {"A;INTEGER;;|B", "TTableDestOptions.LoadFromFile, Parse Fields Error."},
      {"A;INTEGER;;||B;DATE;;", "TTableDestOptions.LoadFromFile, Parse Fields Error."},
      // A name holding "|" splits its entry in two.
      {"A;INTEGER;;|B|C;VARCHAR;;", "TTableDestOptions.LoadFromFile, Parse Fields Error."},
      // A name or text holding ";" gives a fifth part: which part is which is lost.
      {"A;INTEGER;;|B;C;VARCHAR;;",
       "Invalid value \"B;C;VARCHAR;;\" for \"Fields\" in session file \"<f>\": an entry is "
       "Field;Type;DateFormat;NullIf, and none of them may hold \";\" or \"|\"."},
      {"D;DATE;YYYY;x;extra", "Invalid value \"D;DATE;YYYY;x;extra\" for \"Fields\""},
      // Field names key name=value lists.
      {"A=B;INTEGER;;",
       "Invalid value \"A=B;INTEGER;;\" for \"Fields\" in session file \"<f>\": a field name "
       "cannot hold \"=\"."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fields);
    Write(std::string("Fields=") + c.fields + "\r\n");
    TTableDestOptions dest(nullptr, &Convert);
    dest.FieldNames.Add("Kept");
    try {
      dest.LoadFromFile(Path(), "Load");
      ADD_FAILURE() << "no error";
    } catch (const ESessionValueError& e) {
      std::string message = ReplaceAll(c.message, "<f>", Path());
      EXPECT_EQ(e.Message.substr(0, message.size()), message);
    }
    EXPECT_EQ(Joined(dest.FieldNames), "Kept");
    EXPECT_TRUE(dest.FieldTypes.Empty());
  }
}

TEST_F(DBOptionsFile, NamesAndTextsTheFieldsCannotHoldAreRefusedBeforeAnythingIsWritten) {
  struct Case {
    const char* name;
    const char* nullIf;
    const char* message;
  } cases[] = {
      {"a;b", "",
       "Cannot store the field name \"a;b\" in \"Fields\" of a session file: it holds \";\", and there it "
       "may hold none of \";\", \"|\", \"=\" or a line break."},
      {"a|b", "", "Cannot store the field name \"a|b\" in \"Fields\""},
      {"a=b", "", "Cannot store the field name \"a=b\" in \"Fields\""},
      {"a\nb", "", "Cannot store the field name \"a\nb\" in \"Fields\" of a session file: it holds a line break"},
      {"Note", "n;a", "Cannot store the null-if text of Note \"n;a\" in \"Fields\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(Path().c_str());
    TTableDestOptions dest(nullptr, &Convert);
    dest.DestTable = "T";
    dest.FieldNames.Add(c.name);
    dest.FieldTypes.SetValue(c.name, "VARCHAR");
    dest.NullIfs.SetValue(c.name, c.nullIf);
    try {
      dest.SaveToFile(Path(), "Load");
      ADD_FAILURE() << "saved";
    } catch (const ESessionValueError& e) {
      EXPECT_EQ(e.Message.substr(0, strlen(c.message)), c.message);
    }
    EXPECT_FALSE(FileExists(Path()));
  }
  // Blanks, quotes, brackets and other letters are names like any other.
  TTableDestOptions dest(nullptr, &Convert);
  for (const char* name : {"two words", "a\"b", "o'k", "a]b", "Grüße"}) {
    dest.FieldNames.Add(name);
    dest.FieldTypes.SetValue(name, "VARCHAR");
  }
  dest.SaveToFile(Path(), "Load");
  TTableDestOptions loaded(nullptr, &Convert);
  loaded.LoadFromFile(Path(), "Load");
  EXPECT_EQ(Joined(loaded.FieldNames), "two words|a\"b|o'k|a]b|Grüße");
}

TEST_F(DBOptionsFile, FieldsSaveFourPartsAndLoadBackAppendingToTheLists) {
  TTableDestOptions dest(nullptr, &Convert);
  dest.LoadType = "Append";
  for (const char* name : {"Id", "Born", "Note"}) dest.FieldNames.Add(name);
  dest.FieldTypes.SetValue("Id", "INTEGER");
  dest.FieldTypes.SetValue("Born", "DATE");
  dest.FieldTypes.SetValue("Note", "VARCHAR");
  dest.DateFormats.SetValue("Born", "YYYY-MM-DD");
  dest.NullIfs.SetValue("Note", "-");
  dest.SaveToFile(Path(), "Load");
  EXPECT_EQ(ValueOf(Path(), "Fields"), "Id;INTEGER;;|Born;DATE;YYYY-MM-DD;|Note;VARCHAR;;-");

  TTableDestOptions loaded(nullptr, &Convert);
  loaded.LoadFromFile(Path(), "Load");
  EXPECT_TRUE(loaded.SameAs(dest));
  // A second load appends: the lists are a new session's, which start empty.
  loaded.LoadFromFile(Path(), "Load");
  EXPECT_EQ(Joined(loaded.FieldNames), "Id|Born|Note|Id|Born|Note");
}

TEST_F(DBOptionsFile, LoadTypeCodesOfATableDestination) {
  struct Case {
    const char* loadType;
    const char* stored;  // "<missing>" when no key is written
    const char* inMemory;
    const char* updateKey;
  } cases[] = {
      {"", "1", "Replace", "<missing>"},
      {"Replace", "1", "Replace", "<missing>"},
      {"Append", "0", "Append", "<missing>"},
      {"Update", "2", "Update", "Id"},
      {"append", "<missing>", "append", "<missing>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.loadType);
    std::remove(Path().c_str());
    TTableDestOptions dest(nullptr, &Convert);
    dest.LoadType = c.loadType;
    dest.UpdateKey = "Id";
    dest.SaveToFile(Path(), "Load");
    EXPECT_EQ(ValueOf(Path(), "LoadType"), c.stored);
    EXPECT_EQ(ValueOf(Path(), "UpdateKey"), c.updateKey);
    EXPECT_EQ(dest.LoadType, c.inMemory);
  }

  struct Read {
    const char* line;
    const char* loadType;
  } reads[] = {{"", "Append"},
               {"LoadType=0\r\n", "Append"},
               {"LoadType=1\r\n", "Replace"},
               {"LoadType=2\r\n", "Update"},
               {"LoadType=\r\n", "Append"},
               {"LoadType=0x2\r\n", "Update"},
               // The words read as what they say.
               {"LoadType=Replace\r\n", "Replace"},
               {"LoadType=update\r\n", "Update"},
               {"LoadType=APPEND\r\n", "Append"}};
  for (const auto& r : reads) {
    SCOPED_TRACE(r.line);
    Write(std::string(r.line) + "UpdateKey=Code\r\n");
    TTableDestOptions dest(nullptr, &Convert);
    dest.LoadType = "kept";
    dest.LoadFromFile(Path(), "Load");
    EXPECT_EQ(dest.LoadType, r.loadType);
    EXPECT_EQ(dest.UpdateKey, "Code");  // read whatever the load type
  }
  // Any other value used to leave the load type as it was: Append for a new session.
  for (const char* value : {"7", "-1", "3", "Replace;", "Upsert", "$FFFFFFFF"}) {
    SCOPED_TRACE(value);
    Write(std::string("LoadType=") + value + "\r\n");
    TTableDestOptions dest(nullptr, &Convert);
    dest.LoadType = "kept";
    try {
      dest.LoadFromFile(Path(), "Load");
      ADD_FAILURE() << "accepted";
    } catch (const ESessionValueError& e) {
      EXPECT_EQ(e.Message, "Invalid value \"" + std::string(value) + "\" for \"LoadType\" in session file \"" + Path() +
                               "\": expected 0 (Append), 1 (Replace) or 2 (Update), or one of those words.");
    }
    EXPECT_EQ(dest.LoadType, "kept");
  }
}

TEST_F(DBOptionsFile, OlderKeyNamesAreReadWhenTheNewOnesAreMissing) {
  Write("Schema=OLD\r\nTable=T1\r\n");
  TTableSourceOptions source(nullptr, &Convert);
  TTableDestOptions dest(nullptr, &Convert);
  T1To1TableMapOptions map;
  source.LoadFromFile(Path(), "Load");
  dest.LoadFromFile(Path(), "Load");
  map.LoadFromFile(Path(), "Load");
  EXPECT_EQ(source.GetSourceSchema(), "OLD");
  EXPECT_EQ(source.GetSourceTable(), "T1");
  EXPECT_EQ(dest.DestSchema, "OLD");
  EXPECT_EQ(dest.DestTable, "T1");
  EXPECT_EQ(Joined(map.SourceNames), "T1");

  Write("SourceSchema=S\r\nSchema=OLD\r\nDestTable=D\r\nTable=T1\r\n");
  source.LoadFromFile(Path(), "Load");
  map.LoadFromFile(Path(), "Load");
  EXPECT_EQ(source.GetSourceSchema(), "S");
  EXPECT_EQ(source.GetSourceTable(), "T1");
  EXPECT_EQ(Joined(map.SourceNames), "D");  // the destination table names the pair
  EXPECT_EQ(map.GetCount(), 1);
  EXPECT_EQ(map.GetSourceName(0), "");
}

TEST_F(DBOptionsFile, QueryTextReachesTheReaderWithoutOneFinalSemicolon) {
  struct Case {
    const char* sql;
    const char* reader;
  } cases[] = {
      {"select 1", "select 1"},
      {"select 1; ", "select 1"},
      {"select 1;;", "select 1;"},
      {"\r\n  select ';' from t ;\r\n", "select ';' from t "},
      {";", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    TQuerySourceOptions source(nullptr, &Convert);
    source.QueryOptions->Sql = c.sql;
    EXPECT_EQ(source.GetReaderSql(), c.reader) << "[" << c.sql << "]";
  }
}

TEST_F(DBOptionsFile, QueryTextOfSeveralLinesIsStoredOnOneLine) {
  TQuerySourceOptions source(nullptr, &Convert);
  for (const char* sql : {"select a,\r\n  b\r\nfrom t", "select a,\n  b\nfrom t", "select a,\r  b\r\nfrom t"}) {
    source.QueryOptions->Sql = sql;
    source.SaveToFile(Path(), "Load");
    EXPECT_EQ(ValueOf(Path(), "Sql"), "select a,   b from t");
    TQuerySourceOptions loaded(nullptr, &Convert);
    loaded.LoadFromFile(Path(), "Load");
    EXPECT_EQ(loaded.GetSql(), "select a,   b from t");
  }
  EXPECT_EQ(KeysOf(Path()), "LoadRowsType|LoadRows|SkipRows|Columns|Sql");

  TQuerySourceOptions other(nullptr, &Convert);
  other.QueryOptions->Sql = "  select a,\r  b\r\nfrom t\r\n";
  EXPECT_TRUE(other.SameAs(source));
  other.QueryOptions->Sql = "select a,\r\n  b\r\nfrom t";  // as the editor holds it before the save
  EXPECT_TRUE(other.SameAs(source));
  other.QueryOptions->Sql = "select a, b from t";
  EXPECT_FALSE(other.SameAs(source));
}

TEST_F(DBOptionsFile, TableSourceKeysAndComparison) {
  TTableSourceOptions source(nullptr, &Convert);
  source.Columns = TStringList{"0", "2"};
  source.SchemaOptions->SourceSchema = "main";
  source.SchemaOptions->ShowViews = true;
  int changes = 0;
  source.OnChange = [&](TDataConvertModel*) { ++changes; };
  source.SetSchemaAndTable("ignored", "Album");
  EXPECT_EQ(changes, 1);
  source.SaveToFile(Path(), "Load");
  EXPECT_EQ(KeysOf(Path()), "LoadRowsType|LoadRows|SkipRows|Columns|SourceSchema|ShowViews|SourceTable");
  EXPECT_EQ(ValueOf(Path(), "ShowViews"), "1");

  TTableSourceOptions loaded(nullptr, &Convert);
  loaded.LoadFromFile(Path(), "Load");
  EXPECT_TRUE(loaded.SameAs(source));
  EXPECT_EQ(loaded.TableOptions->Schema, "");  // the reader's schema is not persisted
  loaded.SchemaOptions->ShowViews = false;
  EXPECT_FALSE(loaded.SameAs(source));
  loaded.SchemaOptions->ShowViews = true;
  loaded.RowsSelect.SkipRows = 3;
  EXPECT_FALSE(loaded.SameAs(source));
}

TEST_F(DBOptionsFile, BatchDestinationStoresTheLoadTypeAsTextWithItsOwnCodes) {
  TBatchDBDestOptions dest(nullptr, &Convert);
  dest.DestSchema = "S";
  dest.LoadType = "Update";
  dest.SaveToFile(Path(), "Load");
  EXPECT_EQ(KeysOf(Path()), "DestSchema|LoadType");
  EXPECT_EQ(ValueOf(Path(), "LoadType"), "Update");

  struct Case {
    const char* stored;
    const char* loaded;
  } cases[] = {{"0", "Replace"}, {"1", "Append"}, {"Append", "Append"}, {"replace", "Replace"}, {"", ""}};
  for (const auto& c : cases) {
    Write(std::string("Schema=S\r\nLoadType=") + c.stored + "\r\n");
    TBatchDBDestOptions loaded(nullptr, &Convert);
    loaded.LoadFromFile(Path(), "Load");
    EXPECT_EQ(loaded.LoadType, c.loaded) << c.stored;
    EXPECT_EQ(loaded.DestSchema, "S");
  }

  // "2" is no code of this kind; it used to run as Append, deleting nothing.
  for (const char* stored : {"2", "-1", "Upsert"}) {
    Write(std::string("Schema=S\r\nLoadType=") + stored + "\r\n");
    TBatchDBDestOptions loaded(nullptr, &Convert);
    EXPECT_THROW(loaded.LoadFromFile(Path(), "Load"), ESessionValueError) << stored;
  }

  dest.SetDestTable("T");
  EXPECT_EQ(dest.TableDestOptions->DestSchema, "S");
  EXPECT_EQ(dest.TableDestOptions->DestTable, "T");
  EXPECT_EQ(dest.TableDestOptions->LoadType, "Update");
}

TEST_F(DBOptionsFile, OutputKindChoosesTheWriterAndIsNotPersisted) {
  TTableDestOptions dest(nullptr, &Convert);
  ASSERT_NE(dest.DBWriter, nullptr);
  ASSERT_NE(dest.SqlCreator, nullptr);
  dest.SqlWriter = std::make_unique<TDataWriter>();
  EXPECT_EQ(dest.OutputKind, "DB");
  EXPECT_EQ(dest.GetOutputWriter(), dest.DBWriter.get());
  dest.SetOutputToSQL();
  EXPECT_EQ(dest.OutputKind, "SQL");
  EXPECT_EQ(dest.GetOutputWriter(), dest.SqlWriter.get());
  dest.OutputKind = "sql";  // compared exactly
  EXPECT_EQ(dest.GetOutputWriter(), dest.DBWriter.get());
  dest.SetOutputToSQL();

  dest.SaveToFile(Path(), "Load");
  EXPECT_EQ(KeysOf(Path()), "DestSchema|DestTable|LoadType|Fields");
  TTableDestOptions loaded(nullptr, &Convert);
  loaded.LoadFromFile(Path(), "Load");
  EXPECT_EQ(loaded.OutputKind, "DB");
  EXPECT_TRUE(loaded.SameAs(dest));
}

TEST_F(DBOptionsFile, TableMapsWithHashSeparatorsLoadLikeSemicolons) {
  for (const char* maps : {"-1#Album#ALBUM|0#Track#To Be Created", "-1;Album;ALBUM|0;Track;To Be Created"}) {
    SCOPED_TRACE(maps);
    Write(std::string("TableMaps=") + maps + "\r\nFieldsMaps=\r\n");
    TTransveyTableMapOptions map;
    map.LoadFromFile(Path(), "Load");
    ASSERT_EQ(map.GetCount(), 2);
    EXPECT_EQ(Joined(map.SourceNames), "Album|Track");
    EXPECT_EQ(Joined(map.DestNames), "ALBUM|To Be Created");
    EXPECT_FALSE(map.IsExcluded(0));
    EXPECT_TRUE(map.IsExcluded(1));
    EXPECT_EQ(map.GetSelectedCount(), 1);
    EXPECT_TRUE(map.FieldsMaps.Empty());
  }
  // With any ";" in the text a "#" belongs to a name.
  Write("TableMaps=True;A#1;B#1|False;C;D\r\n");
  TTransveyTableMapOptions map;
  map.LoadFromFile(Path(), "Load");
  EXPECT_EQ(Joined(map.SourceNames), "A#1|C");
  EXPECT_EQ(map.GetSelectedCount(), 1);
  map.SaveToFile(Path(), "Load");
  EXPECT_EQ(ValueOf(Path(), "TableMaps"), "-1;A#1;B#1|0;C;D");
}

TEST_F(DBOptionsFile, TableMapsErrors) {
  // A pair short of a part, one part too many (a name holding ";" or "|") or an
  // unreadable flag stops the load, naming what it could not read; nothing is kept.
  struct Case {
    const char* body;
    const char* message;
    const char* savedItem = "";  // a "FieldsMaps" item written as a save writes it
  } cases[] = {
      {"TableMaps=-1;A;B|0;C\r\n",
       "Invalid value \"0;C\" for \"TableMaps\" in session file \"<f>\": expected pairs "
       "Selected;SourceTable;DestTable joined by \"|\", Selected -1 or 0; a table name "
       "cannot hold \";\" or \"|\"."},
      {"TableMaps=-1;a|b;To Be Created\r\n", "Invalid value \"-1;a\" for \"TableMaps\""},
      {"TableMaps=-1;a;b;To Be Created\r\n", "Invalid value \"-1;a;b;To Be Created\" for \"TableMaps\""},
      {"TableMaps=yes;A;B\r\n", "Invalid value \"yes;A;B\" for \"TableMaps\""},
      {"TableMaps=-1;A;B\r\nFieldsMaps=A=yes;x;X;\r\n",
       "Invalid value \"A=yes;x;X;\" for \"FieldsMaps\" in session file \"<f>\": expected columns "
       "Selected;SourceField;DestField;DateFormat joined by \"|\", Selected -1 or 0; none of them may hold \";\" or "
       "\"|\"."},
      {"TableMaps=-1;A;B\r\nFieldsMaps=A=-1;x\r\n", "Invalid value \"A=-1;x\" for \"FieldsMaps\""},
      {"TableMaps=-1;A;B\r\nFieldsMaps=A=-1;x;X;;more\r\n", "Invalid value \"A=-1;x;X;;more\" for \"FieldsMaps\""},
      {"TableMaps=-1;A;B\r\nFieldsMaps=A=-1;x;X=Y;\r\n", "Invalid value \"A=-1;x;X=Y;\" for \"FieldsMaps\""},
      {"TableMaps=-1;A;B\r\nFieldsMaps=-1;x;X;\r\n", "Invalid value \"-1;x;X;\" for \"FieldsMaps\""},
      // Quotes and commas inside a quoted item: read without its quotes it is another map.
      {"TableMaps=-1;A;B\r\n",
       "Invalid value \"A=-1;x,y;X;\" for \"FieldsMaps\" in session file \"<f>\": a table, field or date format in a "
       "field map cannot hold a comma or a double quote.",
       "A=-1;x,y;X;"},
      {"TableMaps=-1;A;B\r\n", "Invalid value \"A=-1;x\"y;X;\" for \"FieldsMaps\"", "A=-1;x\"y;X;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    Write(c.body);
    if (*c.savedItem) {
      TStringList items{"B=-1;b;B;", c.savedItem};
      TIniFile(Path()).WriteString("Load", "FieldsMaps", items.CommaText());
    }
    TTransveyTableMapOptions map;
    map.AddPair(true, "Kept", "Kept");
    try {
      map.LoadFromFile(Path(), "Load");
      ADD_FAILURE() << "accepted";
    } catch (const ESessionValueError& e) {
      std::string message = ReplaceAll(c.message, "<f>", Path());
      EXPECT_EQ(e.Message.substr(0, message.size()), message);
    }
    EXPECT_EQ(Joined(map.SourceNames), "Kept");
  }
  // Blanks inside quoted items, old "#" separators and unselected short columns read.
  Write("TableMaps=-1;my table;B\r\nFieldsMaps=\"my table=-1;a b;A_B;|0;c\"\r\n");
  TTransveyTableMapOptions map;
  map.LoadFromFile(Path(), "Load");
  EXPECT_EQ(map.FieldsMaps.Values("my table"), "-1;a b;A_B;|0;c");

  // An unreadable flag set in memory is an error when the pairs are counted or saved.
  map.Selected[0] = "yes";
  EXPECT_THROW(map.GetSelectedCount(), EConvertError);
  EXPECT_THROW(map.IsExcluded(0), EConvertError);
  EXPECT_THROW(map.SaveToFile(Path(), "Load"), EConvertError);

  // A session without pairs reads back as none.
  TTransveyTableMapOptions empty, loaded;
  empty.SaveToFile(Path(), "Load");
  loaded.LoadFromFile(Path(), "Load");
  EXPECT_EQ(loaded.GetCount(), 0);
  EXPECT_TRUE(loaded.SameAs(empty));
}

TEST_F(DBOptionsFile, TableAndFieldNamesTheMapsCannotHoldAreRefused) {
  // Adding a pair refuses what "TableMaps" cannot hold.
  for (const char* name : {"a;b", "a|b", "a\r\nb"}) {
    TTransveyTableMapOptions map;
    EXPECT_THROW(map.AddPair(true, name, "To Be Created"), ESessionValueError) << name;
    EXPECT_THROW(map.AddPair(true, "T", name), ESessionValueError) << name;
    EXPECT_EQ(map.GetCount(), 0);
  }
  // Saving refuses names and field maps the file would give back as others, before
  // writing anything.
  struct Case {
    const char* source;
    const char* fieldsMap;  // SourceTable=FieldMap, empty for none
    const char* message;
  } cases[] = {
      {"a;b", "", "Cannot store the table name \"a;b\" in \"TableMaps\" of a session file: it holds \";\""},
      {"a,b", "a,b=-1;x;X;", "Cannot store the table name \"a,b\" in \"FieldsMaps\" of a session file: it holds \",\""},
      {"a\"b", "a\"b=-1;x;X;",
       "Cannot store the table name \"a\"b\" in \"FieldsMaps\" of a session file: it holds a "
       "double quote"},
      {"T", "T=-1;x,y;X;", "Cannot store the field map of T \"-1;x,y;X;\" in \"FieldsMaps\""},
      {"T", "T=-1;x;X|Y;",
       "Cannot store the field map \"T=-1;x;X|Y;\" in \"FieldsMaps\" of a session file: expected "
       "columns"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    std::remove(Path().c_str());
    TTransveyTableMapOptions map;
    map.SourceNames.Add(c.source);
    map.DestNames.Add("To Be Created");
    map.Selected.Add("-1");
    if (*c.fieldsMap) map.FieldsMaps.Add(c.fieldsMap);
    try {
      map.SaveToFile(Path(), "Load");
      ADD_FAILURE() << "saved";
    } catch (const ESessionValueError& e) {
      EXPECT_EQ(e.Message.substr(0, strlen(c.message)), c.message);
    }
    EXPECT_FALSE(FileExists(Path()));
  }
  // Names these maps can hold come back as they were.
  TTransveyTableMapOptions map, loaded;
  map.AddPair(true, "my \"odd\" ]table", "To Be Created");
  map.AddPair(false, "Grüße 'x'", "GRUESSE");
  map.FieldsMaps.Add("Grüße 'x'=-1;a]b;A_B;|0;c d;;");
  map.SaveToFile(Path(), "Load");
  loaded.LoadFromFile(Path(), "Load");
  EXPECT_TRUE(loaded.SameAs(map)) << ReadFileBytes(Path());
}

// --- Against the databases

namespace {

class Db2DBOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    try {
      Db.Exec("drop table \"FVSESS\".\"Dates\"");
    } catch (const std::exception&) {
    }
    try {
      Db.Exec("drop schema \"FVSESS\" restrict");
    } catch (const std::exception&) {
    }
    Db.Exec("create schema \"FVSESS\"");
    Db.Exec(
        "create table \"FVSESS\".\"Dates\" (\"Id\" integer, \"Born\" date, \"Name\" varchar(20), \"Seen\" timestamp)");
  }
  void TearDown() override {
    Db.Exec("drop table \"FVSESS\".\"Dates\"");
    Db.Exec("drop schema \"FVSESS\" restrict");
  }
  Db2Database Db;
  TPlainConvertObjectFactory Convert;
  TempDir Dir;
};

}  // namespace

TEST(SqliteDBOptions, SourceSchemaAndTablesOfASqliteFile) {
  SqliteFile file;
  file.Exec(
      "create table Album (Id integer, Title text); create table Track (Id integer); "
      "create view Titles as select Title from Album;");
  TPlainConvertObjectFactory convert;
  TTableSourceOptions source(&file.Factory, &convert);
  source.SchemaOptions->SourceSchema = "main";
  source.SchemaOptions->LoadSchemas();
  // A SQLite file has no schemas: a schema chosen elsewhere gives way to the default.
  EXPECT_TRUE(source.SchemaOptions->Schemas.Empty());
  EXPECT_EQ(source.GetSourceSchema(), "");
  source.SchemaOptions->LoadTables();
  EXPECT_EQ(Joined(source.SchemaOptions->Tables), "Album|Track");
  source.SchemaOptions->ShowViews = true;
  source.SchemaOptions->LoadTables();
  EXPECT_EQ(Joined(source.SchemaOptions->Tables), "Album|Track|Titles");
  EXPECT_NE(source.Reader, nullptr);
  EXPECT_EQ(source.Reader->GetFetchRows(), 50);
}

TEST_F(Db2DBOptions, SchemaChoiceKeepsAnExistingSourceSchemaButAlwaysResetsTheDestination) {
  std::string defaultSchema = Db.Factory.Dictionary()->GetDefaultSchema();
  ASSERT_FALSE(defaultSchema.empty());
  ASSERT_NE(defaultSchema, "FVSESS");

  TSourceSchemaOptions source(&Db.Factory);
  source.SourceSchema = "FVSESS";
  source.LoadSchemas();
  EXPECT_GE(source.Schemas.IndexOf("FVSESS"), 0);
  EXPECT_EQ(source.SourceSchema, "FVSESS");
  source.LoadTables();
  EXPECT_EQ(Joined(source.Tables), "Dates");
  source.SourceSchema = "NO_SUCH_SCHEMA";
  source.LoadSchemas();
  EXPECT_EQ(source.SourceSchema, defaultSchema);

  TTableDestOptions dest(&Db.Factory, &Convert);
  dest.DestSchema = "FVSESS";
  dest.LoadSchemas();
  EXPECT_GE(dest.Schemas.IndexOf("FVSESS"), 0);
  EXPECT_EQ(dest.DestSchema, defaultSchema);
  dest.SetDestSchema("FVSESS");
  EXPECT_EQ(Joined(dest.Tables), "Dates");
}

TEST_F(Db2DBOptions, DestinationDescriptionComesFromTheDictionary) {
  TTableDestOptions dest(&Db.Factory, &Convert);
  dest.DestSchema = "FVSESS";
  dest.SetDestTable("Dates");
  EXPECT_EQ(Joined(dest.DestColumnNames), "Id|Born|Name|Seen");
  EXPECT_EQ(dest.DestColumns.Values("Born"), "date");
  EXPECT_EQ(Joined(dest.DateColumns), "Born|Seen");
  EXPECT_EQ(Joined(dest.NumericColumns), "Id");
  dest.SetDestTable("  ");
  EXPECT_TRUE(dest.DestColumns.Empty());
  EXPECT_TRUE(dest.DateColumns.Empty());
}

TEST_F(Db2DBOptions, DateFormatsSurviveAFieldMapRoundTripOnlyForDateColumns) {
  TTableSourceOptions source(nullptr, &Convert);
  for (const char* name : {"id", "born", "name", "seen", "extra"}) source.FieldNames.Add(name);
  source.Columns = TStringList{"0", "1", "2", "3"};
  TTableDestOptions dest(&Db.Factory, &Convert);
  dest.DestSchema = "FVSESS";
  dest.SetDestTable("Dates");
  for (const char* name : {"Id", "Born", "Name", "Seen"}) dest.FieldNames.Add(name);
  dest.DateFormats.SetValue("Born", "DD.MM.YYYY");
  dest.DateFormats.SetValue("Name", "YYYY");  // no date column: dropped on the way back
  dest.DateFormats.SetValue("Seen", "YYYY-MM-DD HH24:MI:SS");

  TFieldsMapStringTranslator translator(&source, &dest);
  std::string text = translator.ObjectsToString();
  EXPECT_EQ(text, "-1;id;Id;|-1;born;Born;DD.MM.YYYY|-1;name;Name;YYYY|-1;seen;Seen;YYYY-MM-DD HH24:MI:SS|0;extra;;");

  // Through the session file: the blank in a format makes the item quoted.
  std::string path = Dir.Path() + "/all.ula";
  TTransveyTableMapOptions map;
  map.AddPair(true, "dates", "Dates");
  map.FieldsMaps.SetValue("dates", text);
  map.FieldsMaps.SetValue("other", "-1;a;A;");
  map.SaveToFile(path, "Load");
  EXPECT_EQ(ValueOf(path, "FieldsMaps"), "\"dates=" + text + "\",other=-1;a;A;");
  TTransveyTableMapOptions loaded;
  loaded.LoadFromFile(path, "Load");
  EXPECT_TRUE(loaded.SameAs(map));

  TTableSourceOptions source2(nullptr, &Convert);
  TTableDestOptions dest2(&Db.Factory, &Convert);
  dest2.DestSchema = "FVSESS";
  dest2.SetDestTable("Dates");
  TFieldsMapStringTranslator(&source2, &dest2).StringToObjects(loaded.FieldsMaps.Values("dates"));
  EXPECT_EQ(Joined(source2.Columns), "0|1|2|3");
  EXPECT_EQ(Joined(dest2.FieldNames), "Id|Born|Name|Seen");
  EXPECT_EQ(Joined(dest2.FieldTypes), "Id=integer|Born=date|Name=varchar|Seen=timestamp");
  EXPECT_EQ(Joined(dest2.DateFormats), "Born=DD.MM.YYYY|Seen=YYYY-MM-DD HH24:MI:SS");

  // Without the destination's description no date format survives.
  TTableDestOptions undescribed(&Db.Factory, &Convert);
  TFieldsMapStringTranslator(&source2, &undescribed).StringToObjects(loaded.FieldsMaps.Values("dates"));
  EXPECT_EQ(Joined(undescribed.FieldNames), "Id|Born|Name|Seen");
  EXPECT_TRUE(undescribed.DateFormats.Empty());

  // Unselected columns are skipped but keep their positions.
  TFieldsMapStringTranslator(&source2, &dest2).StringToObjects("0;id;;|-1;born;Born;YYYY|0;x;;|-1;seen;Seen");
  EXPECT_EQ(Joined(source2.Columns), "1|3");
  EXPECT_EQ(Joined(dest2.FieldNames), "Born|Seen");
  EXPECT_EQ(Joined(dest2.DateFormats), "Born=YYYY");
}
