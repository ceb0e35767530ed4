#include <gtest/gtest.h>

#include <filesystem>

#include "app/UApp.h"
#include "app/ULogger.h"
#include "app/USessionExecutorFactory.h"
#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/USettingsStore.h"
#include "dialect/DialectTestSupport.h"
#include "dialect/UDBDictionary.h"
#include "session/SessionTestSupport.h"
#include "session/UDBConvertOptions.h"
#include "session/USessionValues.h"
#include "session/UTableMapOptions.h"
#include "session/UTransveySession.h"

namespace {

const char* const TableKeys =
    "LoadRowsType|LoadRows|SkipRows|Columns|SourceSchema|ShowViews|SourceTable|DestSchema|DestTable|LoadType|Fields|"
    "ErrorsToAllow|LogFile";

class SessionFiles : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return Dir.Path() + "/" + name; }
  template <class Session>
  std::unique_ptr<Session> WithStore(std::unique_ptr<Session> session) {
    session->MruList->Store = &Store;
    return session;
  }
  std::unique_ptr<TTransveyTableLoadSession> TableSession() {
    return WithStore(std::make_unique<TTransveyTableLoadSession>(nullptr, nullptr, nullptr, &Convert));
  }
  std::unique_ptr<TTransveyQueryLoadSession> QuerySession() {
    return WithStore(std::make_unique<TTransveyQueryLoadSession>(nullptr, nullptr, nullptr, &Convert));
  }
  std::unique_ptr<TTransveyBatchLoadSession> BatchSession() {
    return WithStore(std::make_unique<TTransveyBatchLoadSession>(nullptr, nullptr, nullptr, &Convert));
  }
  std::unique_ptr<TConvertSession> Load(const std::string& fileName) {
    TTransveySessionExecutorFactory factory(nullptr, nullptr, nullptr, &Convert);
    factory.SettingsStore = &Store;
    return factory.CreateSession(fileName);
  }

  TempDir Dir;
  ScopedEnv Settings{"FERROVAN_SETTINGS_FILE", Dir.Path() + "/settings.reg"};
  TSettingsStore Store{Dir.Path() + "/settings.reg"};
  ScopedEnv Data{"XDG_DATA_HOME", Dir.Path() + "/data"};
  TPlainConvertObjectFactory Convert;
};

}  // namespace

TEST_F(SessionFiles, AFreshSaveWritesEveryKeyOfItsKindInOrder) {
  auto table = TableSession();
  table->SaveToFile(File("t.uld"));
  EXPECT_EQ(KeysOf(File("t.uld")), TableKeys);
  EXPECT_EQ(ReadTextFile(File("t.uld")).rfind("[Load]\r\nLoadRowsType=\r\n", 0), 0u);

  auto query = QuerySession();
  query->SaveToFile(File("q.ulq"));
  EXPECT_EQ(KeysOf(File("q.ulq")),
            "LoadRowsType|LoadRows|SkipRows|Columns|Sql|DestSchema|DestTable|LoadType|Fields|ErrorsToAllow|LogFile");

  auto batch = BatchSession();
  batch->SaveToFile(File("a.ula"));
  EXPECT_EQ(KeysOf(File("a.ula")),
            "LoadRowsType|LoadRows|SkipRows|Columns|SourceSchema|ShowViews|DestSchema|LoadType|TableMaps|FieldsMaps|"
            "ErrorsToAllow|LogFile");

  for (const char* name : {"t.uld", "q.ulq", "a.ula"}) EXPECT_FALSE(FileExists(File(name) + ".bak")) << name;
  // A table session's empty load type is stored as Replace; the all-tables one as it is.
  EXPECT_EQ(ValueOf(File("t.uld"), "LoadType"), "1");
  EXPECT_EQ(ValueOf(File("a.ula"), "LoadType"), "");
  EXPECT_EQ(ValueOf(File("t.uld"), "ErrorsToAllow"), "0");
}

TEST_F(SessionFiles, OneBackupOverThreeSavesThenSavesInPlace) {
  std::string path = File("s.uld");
  auto session = TableSession();
  session->TableDestOptions().LoadType = "Update";
  session->TableDestOptions().UpdateKey = "Id";
  session->TableDestOptions().DestTable = "FIRST";
  session->SaveToFile(path);
  std::string first = ReadFileBytes(path);
  EXPECT_FALSE(FileExists(path + ".bak"));

  session->TableDestOptions().DestTable = "SECOND";
  session->SaveToFile(path);
  EXPECT_EQ(ReadFileBytes(path + ".bak"), first);
  EXPECT_EQ(ValueOf(path, "DestTable"), "SECOND");

  // A key of someone else's stays; the switch to Append leaves the old UpdateKey line.
  TIniFile(path).WriteString("Load", "Foreign", "kept");
  session->TableDestOptions().DestTable = "THIRD";
  session->TableDestOptions().LoadType = "Append";
  session->SaveToFile(path);
  EXPECT_EQ(ReadFileBytes(path + ".bak"), first);
  EXPECT_EQ(ValueOf(path, "DestTable"), "THIRD");
  EXPECT_EQ(ValueOf(path, "LoadType"), "0");
  EXPECT_EQ(ValueOf(path, "UpdateKey"), "Id");
  EXPECT_EQ(ValueOf(path, "Foreign"), "kept");
  EXPECT_EQ(KeysOf(path),
            "LoadRowsType|LoadRows|SkipRows|Columns|SourceSchema|ShowViews|SourceTable|DestSchema|DestTable|LoadType|"
            "UpdateKey|Fields|ErrorsToAllow|LogFile|Foreign");
  EXPECT_EQ(session->FileName, path);
}

TEST_F(SessionFiles, SaveAndLoadRoundTripForEveryKind) {
  auto table = TableSession();
  table->SourceOptions->Columns = TStringList{"0", "2"};
  table->SourceOptions->RowsSelect.LoadRowsType = "Part";
  table->SourceOptions->RowsSelect.LoadRows = 10;
  table->TableSourceOptions().SchemaOptions->SourceSchema = "main";
  table->TableSourceOptions().SetSchemaAndTable("", "Album");
  table->TableDestOptions().DestSchema = "APP";
  table->TableDestOptions().DestTable = "ALBUM";
  table->TableDestOptions().LoadType = "Update";
  table->TableDestOptions().UpdateKey = "ID";
  table->TableDestOptions().FieldNames = TStringList{"ID", "TITLE"};
  table->TableDestOptions().FieldTypes = TStringList{"ID=INTEGER", "TITLE=VARCHAR"};
  table->TableDestOptions().NullIfs = TStringList{"TITLE=-"};
  table->ConvertOptions->ErrorsToAllow = 7;
  table->ConvertOptions->LogFile = "/var/log/a b.log";
  table->SaveToFile(File("t.uld"));
  auto loadedTable = Load(File("t.uld"));
  ASSERT_NE(dynamic_cast<TTransveyTableLoadSession*>(loadedTable.get()), nullptr);
  EXPECT_TRUE(loadedTable->SameAs(*table));
  EXPECT_EQ(ValueOf(File("t.uld"), "Fields"), "ID;INTEGER;;|TITLE;VARCHAR;;-");
  EXPECT_EQ(ValueOf(File("t.uld"), "Columns"), "1|3");

  auto query = QuerySession();
  query->QuerySourceOptions().QueryOptions->Sql = "select a,\r\n  b\r\nfrom t";
  query->TableDestOptions().DestTable = "T";
  query->SaveToFile(File("q.ulq"));
  EXPECT_EQ(ValueOf(File("q.ulq"), "Sql"), "select a,   b from t");
  auto loadedQuery = Load(File("q.ulq"));
  ASSERT_NE(dynamic_cast<TTransveyQueryLoadSession*>(loadedQuery.get()), nullptr);
  EXPECT_TRUE(loadedQuery->SameAs(*query));

  auto batch = BatchSession();
  batch->BatchSourceOptions().SchemaOptions->SourceSchema = "main";
  batch->BatchDestOptions().DestSchema = "APP";
  batch->BatchDestOptions().LoadType = "Append";
  batch->TransveyTableMap().AddPair(true, "Album", "ALBUM");
  batch->TransveyTableMap().AddPair(false, "Track", "To Be Created");
  batch->TransveyTableMap().FieldsMaps.SetValue("Album", "-1;Id;ID;|-1;Title;TITLE;");
  batch->SaveToFile(File("a.ula"));
  EXPECT_EQ(ValueOf(File("a.ula"), "TableMaps"), "-1;Album;ALBUM|0;Track;To Be Created");
  auto loadedBatch = Load(File("a.ula"));
  ASSERT_NE(dynamic_cast<TTransveyBatchLoadSession*>(loadedBatch.get()), nullptr);
  EXPECT_TRUE(loadedBatch->SameAs(*batch));
  EXPECT_EQ(loadedBatch->GetItemCount(), 2);
  EXPECT_EQ(loadedBatch->GetSelectedItemCount(), 1);
  EXPECT_FALSE(loadedBatch->IsItemSkipped(0));
  EXPECT_TRUE(loadedBatch->IsItemSkipped(1));
  EXPECT_EQ(loadedBatch->GetItemSourceName(1), "Track");
  EXPECT_EQ(loadedBatch->GetItemDestName(1), "To Be Created");
  EXPECT_FALSE(loadedBatch->SameAs(*loadedTable));

  // Table and query sessions have one item without names.
  EXPECT_EQ(loadedTable->GetItemCount(), 1);
  EXPECT_EQ(loadedTable->GetSelectedItemCount(), 1);
  EXPECT_FALSE(loadedTable->IsItemSkipped(0));
  EXPECT_EQ(loadedTable->GetItemSourceName(0), "");
}

TEST_F(SessionFiles, LoadTypeCodesDifferBetweenTheKinds) {
  struct Case {
    const char* file;
    const char* stored;
    const char* loadType;
  } cases[] = {
      {"a.ula", "0", "Replace"}, {"a.ula", "1", "Append"},  {"a.ula", "Update", "Update"},
      {"t.uld", "0", "Append"},  {"t.uld", "1", "Replace"}, {"t.uld", "2", "Update"},
      {"q.ulq", "0", "Append"},  {"q.ulq", "1", "Replace"}, {"t.uld", "", "Append"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.stored);
    WriteFileBytes(File(c.file), std::string("[Load]\r\nLoadType=") + c.stored + "\r\n");
    auto session = Load(File(c.file));
    if (auto* batch = dynamic_cast<TTransveyBatchLoadSession*>(session.get()))
      EXPECT_EQ(batch->BatchDestOptions().LoadType, c.loadType);
    else
      EXPECT_EQ(static_cast<TLoadSession&>(*session).TableDestOptions().LoadType, c.loadType);
  }
}

TEST_F(SessionFiles, MissingFileAndMissingKeysGiveTheDefaults) {
  auto session = Load(File("none.ula"));
  auto& batch = static_cast<TTransveyBatchLoadSession&>(*session);
  EXPECT_EQ(batch.GetItemCount(), 0);
  EXPECT_EQ(batch.ConvertOptions->ErrorsToAllow, 50);
  EXPECT_EQ(batch.SectionName, "Load");

  WriteFileBytes(File("old.ula"),
                 "[Load]\r\nSchema=S\r\nTableMaps=-1#A#B|0#C#To Be Created\r\nFieldsMaps=A=-1#x#X#\r\n");
  auto old = Load(File("old.ula"));
  auto& oldBatch = static_cast<TTransveyBatchLoadSession&>(*old);
  EXPECT_EQ(oldBatch.BatchSourceOptions().GetSourceSchema(), "S");
  EXPECT_EQ(oldBatch.BatchDestOptions().DestSchema, "S");
  EXPECT_EQ(Joined(oldBatch.TransveyTableMap().DestNames), "B|To Be Created");
  EXPECT_TRUE(oldBatch.IsItemSkipped(1));
  EXPECT_EQ(oldBatch.TransveyTableMap().FieldsMaps.Values("A"), "-1;x;X;");
}

TEST_F(SessionFiles, MalformedValuesRaiseFromTheLoad) {
  struct Case {
    const char* file;
    const char* body;
    const char* message;  // empty: any error
  } cases[] = {
      {"t.uld", "Fields=ID;INTEGER;;|TITLE\r\n", "TTableDestOptions.LoadFromFile, Parse Fields Error."},
      {"q.ulq", "Fields=ID\r\n", "TTableDestOptions.LoadFromFile, Parse Fields Error."},
      {"t.uld", "Columns=1||3\r\n", ""},
      {"a.ula", "TableMaps=-1;A\r\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    WriteFileBytes(File(c.file), std::string("[Load]\r\n") + c.body);
    try {
      Load(File(c.file));
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      if (*c.message) {
        EXPECT_EQ(e.Message, c.message);
      }
    }
  }
}

// A save that would write a name its lists cannot hold is refused before the file is
// touched: no backup made, the file as it was.
TEST_F(SessionFiles, ARefusedSaveLeavesTheFileAndItsBackupAlone) {
  auto table = TableSession();
  table->TableDestOptions().DestTable = "T";
  table->SaveToFile(File("t.uld"));
  std::string saved = ReadFileBytes(File("t.uld"));
  table->TableDestOptions().FieldNames.Add("a|b");
  EXPECT_THROW(table->SaveToFile(File("t.uld")), ESessionValueError);
  EXPECT_EQ(ReadFileBytes(File("t.uld")), saved);
  EXPECT_FALSE(FileExists(File("t.uld.bak")));

  auto batch = BatchSession();
  batch->TransveyTableMap().AddPair(true, "T", "To Be Created");
  batch->TransveyTableMap().FieldsMaps.Add("T=-1;a,b;A;");
  EXPECT_THROW(batch->SaveToFile(File("b.ula")), ESessionValueError);
  EXPECT_FALSE(FileExists(File("b.ula")));
}

TEST_F(SessionFiles, DescriptionsCaptionsAndBlankSessions) {
  auto table = TableSession();
  EXPECT_TRUE(table->IsBlank());
  table->TableSourceOptions().SetSchemaAndTable("", "Album");
  table->TableDestOptions().DestTable = "ALBUM";
  EXPECT_FALSE(table->IsBlank());
  EXPECT_EQ(table->GetDescription(), "From : Album\r\nTo : ALBUM");
  EXPECT_EQ(table->GetCaption(), table->GetDescription());
  table->SaveToFile(File("t.uld"));
  EXPECT_EQ(table->GetCaption(), File("t.uld"));

  auto query = QuerySession();
  struct Case {
    std::string sql;
    std::string from;
  } cases[] = {
      {std::string(84, 'x'), std::string(84, 'x')},
      {std::string(85, 'x'), std::string(80, 'x') + " ..."},
      {std::string(100, 'y'), std::string(80, 'y') + " ..."},
      // Characters, not bytes: "ä" is two bytes and stays whole.
      {std::string(79, 'z') + "\xC3\xA4\xC3\xA4" + std::string(10, 'z'), std::string(79, 'z') + "\xC3\xA4 ..."},
  };
  for (const auto& c : cases) {
    query->QuerySourceOptions().QueryOptions->Sql = c.sql;
    EXPECT_EQ(query->GetDescription(), "From : " + c.from + "\r\nTo : ");
  }
  EXPECT_TRUE(query->IsBlank());

  SqliteFile source;
  TTransveyBatchLoadSession batch(&source.Factory, nullptr, nullptr, &Convert);
  EXPECT_TRUE(batch.IsBlank());
  batch.BatchDestOptions().DestSchema = "APP";
  EXPECT_EQ(batch.GetDescription(), "From : " + source.Dir.Path() + "/source file.sqlite\r\nTo : APP");
  batch.BatchSourceOptions().SchemaOptions->SourceSchema = "main";
  EXPECT_EQ(batch.GetDescription(), "From : main\r\nTo : APP");
  batch.TransveyTableMap().AddPair(true, "A", "B");
  EXPECT_FALSE(batch.IsBlank());
  EXPECT_EQ(batch.FileFilter, "Batch Load Session(*.ula)|*.ula");
  EXPECT_EQ(table->FileFilter, "Import From Table Session(*.uld)|*.uld");
  EXPECT_EQ(query->FileFilter, "Import From Query Session(*.ulq)|*.ulq");
}

TEST_F(SessionFiles, IsChangedComparesWithTheFileOnDisk) {
  auto session = TableSession();
  EXPECT_TRUE(session->IsChanged());
  session->TableDestOptions().DestTable = "T";
  session->SaveToFile(File("t.uld"));
  EXPECT_FALSE(session->IsChanged());

  auto loaded = Load(File("t.uld"));
  EXPECT_FALSE(loaded->IsChanged());
  loaded->SourceOptions->RowsSelect.SkipRows = 1;
  EXPECT_TRUE(loaded->IsChanged());
  loaded->SourceOptions->RowsSelect.SkipRows = 0;
  EXPECT_FALSE(loaded->IsChanged());

  // Another program's edit counts too.
  TIniFile(File("t.uld")).WriteString("Load", "LogFile", "/elsewhere.log");
  EXPECT_TRUE(loaded->IsChanged());

  // A query edited over several lines is unchanged once saved.
  auto query = QuerySession();
  query->QuerySourceOptions().QueryOptions->Sql = "select *\r\nfrom t\nwhere a = 1";
  query->SaveToFile(File("q.ulq"));
  EXPECT_FALSE(query->IsChanged());

  auto batch = BatchSession();
  batch->SaveToFile(File("a.ula"));
  EXPECT_FALSE(batch->IsChanged());
  batch->TransveyTableMap().AddPair(true, "A", "B");
  EXPECT_TRUE(batch->IsChanged());
}

TEST_F(SessionFiles, RecentListsHoldTenFilesPerKindNewestFirst) {
  auto table = TableSession();
  for (int i = 0; i < 12; ++i) table->SaveToFile(File("t" + std::to_string(i) + ".uld"));
  table->LoadFromFile(File("t5.uld"));
  auto query = QuerySession();
  query->SaveToFile(File("q.ulq"));
  auto batch = BatchSession();
  batch->SaveToFile(File("a.ula"));

  TSettingsStore& store = Store;
  auto tables = ReadRecentFiles(store, "Software\\Quillmark\\Ferrovan\\TableSessions");
  ASSERT_EQ(tables.size(), 10u);
  EXPECT_EQ(tables[0], File("t5.uld"));
  EXPECT_EQ(tables[1], File("t11.uld"));
  EXPECT_EQ(tables[9], File("t2.uld"));
  EXPECT_EQ(table->MruList->Items(), tables);
  EXPECT_EQ(ReadRecentFiles(store, "Software\\Quillmark\\Ferrovan\\QuerySessions"),
            std::vector<std::string>{File("q.ulq")});
  EXPECT_EQ(ReadRecentFiles(store, "Software\\Quillmark\\Ferrovan\\AllSessions"),
            std::vector<std::string>{File("a.ula")});

  // Checking for changes loads the file, which puts it in front.
  auto other = TableSession();
  other->SaveToFile(File("t9.uld"));
  table->IsChanged();
  EXPECT_EQ(table->MruList->Items()[0], File("t5.uld"));
}

namespace {

class TDumpApp : public TTransvey {
 public:
  static TDumpApp* Create() {
    auto* app = new TDumpApp;
    app->Initialize();
    return app;
  }
  std::unique_ptr<TConvertObjectFactory> CreateSourceConvertObjectFactory() override { return nullptr; }
  std::unique_ptr<TConvertObjectFactory> CreateDestConvertObjectFactory() override { return nullptr; }
  std::unique_ptr<TDBObjectFactory> CreateSourceDBObjectFactory() override { return nullptr; }
  std::unique_ptr<TDBObjectFactory> CreateDestDBObjectFactory() override { return nullptr; }
};

}  // namespace

TEST_F(SessionFiles, SessionDumpGoesToTheMemoryLogInGuiModeOnly) {
  auto session = TableSession();
  session->TableDestOptions().DestTable = "ALBUM";
  session->DumpSession();  // no log sink: nothing happens

  std::unique_ptr<TDumpApp> app(TDumpApp::Create());
  session->LogSink = app.get();
  session->DumpSession();
  EXPECT_EQ(app->MemoryLogger->GetText().find("Session Desc"), std::string::npos);

  app->GUIMode = true;
  session->DumpSession();
  std::string log = app->MemoryLogger->GetText();
  EXPECT_NE(log.find("\tSession Desc: From : \r\nTo : ALBUM\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("DestTable=ALBUM"), std::string::npos) << log;
  std::string dump = GetAppDataDir("Ferrovan") + "recent.uld";
  EXPECT_EQ(KeysOf(dump), TableKeys);
  EXPECT_TRUE(session->FileName.empty());
  EXPECT_TRUE(session->MruList->Items().empty());

  // A folder where the dump file should be makes the dump report and give up.
  std::filesystem::remove(dump);
  std::filesystem::create_directories(dump);
  session->DumpSession();
  EXPECT_NE(app->MemoryLogger->GetText().find("Cannot create template session file \"" + dump + "\": "),
            std::string::npos);
}

// --- All-tables sessions against the databases

namespace {

// Reads the selected table's column names the way the source reader will: every
// column of a "select *", typed or not.
class TColumnsBatchSession : public TTransveyBatchLoadSession {
 public:
  using TTransveyBatchLoadSession::TTransveyBatchLoadSession;

 protected:
  void LoadItemPreview() override {
    TUniQuery query(SourceDBObjectFactory->Connection());
    query.SQL = "select * from " + SourceDBObjectFactory->Dictionary()->GetFullTableName(
                                       TableSourceOptions->TableOptions->Schema, TableSourceOptions->GetSourceTable());
    query.Open();
    TableSourceOptions->ClearFields();
    for (int i = 0; i < query.FieldCount(); ++i) TableSourceOptions->FieldNames.Add(query.Fields(i).FieldName);
  }
};

class Db2BatchSession : public ::testing::Test {
 protected:
  void SetUp() override {
    Drop();
    Source.Exec(
        "create table Album (Id INTEGER, Misc, Born DATE, Title VARCHAR(40), Seen DATETIME);"
        "create table Genre (GenreId INTEGER, Name VARCHAR(20));"
        "create table Track (TrackId INTEGER, Name VARCHAR(20), Added DATE);");
    Db.Exec("create table \"TRACKS\" (\"ID\" integer, \"NAME\" varchar(20), \"ADDED\" date)");
  }
  void TearDown() override { Drop(); }
  void Drop() {
    for (const char* table : {"\"Album\"", "\"Genre\"", "\"TRACKS\""}) Db.DropTable(table);
  }
  std::string Schema() { return Db.Factory.Dictionary()->GetDefaultSchema(); }

  TempDir Dir;
  ScopedEnv Settings{"FERROVAN_SETTINGS_FILE", Dir.Path() + "/settings.reg"};
  SqliteFile Source;
  Db2Database Db;
  TPlainConvertObjectFactory SourceConvert, DestConvert;
};

}  // namespace

TEST_F(Db2BatchSession, ToBeCreatedInAnyCaseCreatesTheTableAndMapsItColumnByColumn) {
  TColumnsBatchSession session(&Source.Factory, &Db.Factory, &SourceConvert, &DestConvert);
  session.BatchDestOptions().DestSchema = Schema();
  session.BatchDestOptions().LoadType = "Append";
  auto& map = session.TransveyTableMap();
  map.AddPair(true, "Album", "to be created");
  map.AddPair(true, "Genre", "TO BE CREATED");
  map.AddPair(true, "Track", "TRACKS");
  map.FieldsMaps.SetValue("Track", "-1;TrackId;ID;|0;Name;;|-1;Added;ADDED;DD.MM.YYYY");

  session.ConfigOne(0);
  EXPECT_EQ(Joined(*Db.Factory.Dictionary()->GetColumns(Schema(), "Album")),
            "Id=integer|Born=date|Title=varchar|Seen=timestamp");
  EXPECT_EQ(map.DestNames[0], "Album");
  // The untyped column got no destination column: it is left out, the rest keep theirs.
  EXPECT_EQ(map.FieldsMaps.Values("Album"),
            "-1;Id;Id;|0;Misc;;|-1;Born;Born;YYYY-MM-DD HH24:MI:SS|-1;Title;Title;|-1;Seen;Seen;YYYY-MM-DD HH24:MI:SS");
  TTableDestOptions& dest = *session.TableDestOptions;
  EXPECT_EQ(dest.DestSchema, Schema());
  EXPECT_EQ(dest.DestTable, "Album");
  EXPECT_EQ(dest.LoadType, "Append");
  EXPECT_EQ(Joined(session.TableSourceOptions->Columns), "0|2|3|4");
  EXPECT_EQ(Joined(dest.FieldNames), "Id|Born|Title|Seen");
  EXPECT_EQ(Joined(dest.DateFormats), "Born=YYYY-MM-DD HH24:MI:SS|Seen=YYYY-MM-DD HH24:MI:SS");
  EXPECT_EQ(session.TableSourceOptions->GetSourceTable(), "Album");

  session.ConfigOne(1);
  EXPECT_EQ(Joined(*Db.Factory.Dictionary()->GetColumns(Schema(), "Genre")), "GenreId=integer|Name=varchar");
  EXPECT_EQ(map.DestNames[1], "Genre");
  EXPECT_EQ(map.FieldsMaps.Values("Genre"), "-1;GenreId;GenreId;|-1;Name;Name;");

  // An existing table takes the stored map; a format stays on its date column.
  session.ConfigOne(2);
  EXPECT_EQ(dest.DestTable, "TRACKS");
  EXPECT_EQ(Joined(session.TableSourceOptions->Columns), "0|2");
  EXPECT_EQ(Joined(dest.FieldNames), "ID|ADDED");
  EXPECT_EQ(Joined(dest.FieldTypes), "ID=integer|ADDED=date");
  EXPECT_EQ(Joined(dest.DateFormats), "ADDED=DD.MM.YYYY");

  // What a run created is in the file once the session is saved.
  std::string path = Dir.Path() + "/all.ula";
  session.SaveToFile(path);
  EXPECT_EQ(ValueOf(path, "TableMaps"), "-1;Album;Album|-1;Genre;Genre|-1;Track;TRACKS");
  TColumnsBatchSession loaded(&Source.Factory, &Db.Factory, &SourceConvert, &DestConvert);
  loaded.LoadFromFile(path);
  EXPECT_TRUE(loaded.SameAs(session));
  loaded.ConfigOne(0);
  EXPECT_EQ(Joined(loaded.TableSourceOptions->Columns), "0|2|3|4");
  EXPECT_EQ(Joined(loaded.TableDestOptions->DateFormats), "Born=YYYY-MM-DD HH24:MI:SS|Seen=YYYY-MM-DD HH24:MI:SS");

  // A table that is there already makes the creation fail loudly.
  map.DestNames[1] = "To Be Created";
  EXPECT_THROW(session.ConfigOne(1), EDatabaseError);
}

// A created table whose column name its field map cannot hold is created and mapped for
// the run; only saving the session is refused, as the map would read back as another.
TEST_F(Db2BatchSession, ACreatedTableWithANameTheFieldMapCannotHoldRunsButIsNotSaved) {
  Source.Exec("create table \"Odd\" (Id INTEGER, \"A,b\" VARCHAR(10))");
  Db.DropTable("\"Odd\"");
  TColumnsBatchSession session(&Source.Factory, &Db.Factory, &SourceConvert, &DestConvert);
  session.BatchDestOptions().DestSchema = Schema();
  session.TransveyTableMap().AddPair(true, "Odd", "To Be Created");
  session.ConfigOne(0);
  EXPECT_EQ(Joined(*Db.Factory.Dictionary()->GetColumns(Schema(), "Odd")), "Id=integer|A_b=varchar");
  EXPECT_EQ(Joined(session.TableDestOptions->FieldNames), "Id|A_b");
  std::string path = Dir.Path() + "/odd.ula";
  try {
    session.SaveToFile(path);
    ADD_FAILURE() << "saved";
  } catch (const ESessionValueError& e) {
    EXPECT_EQ(e.Message.rfind("Cannot store the source field name \"A,b\" in \"FieldsMaps\"", 0), 0u) << e.Message;
  }
  EXPECT_FALSE(FileExists(path));
  Db.DropTable("\"Odd\"");
}
