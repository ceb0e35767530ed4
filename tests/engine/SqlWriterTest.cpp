#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "base/UExceptions.h"
#include "base/UTextFile.h"
#include "base/UUtf16.h"
#include "db2/UDB2SqlCreator.h"
#include "dialect/USqlCreator.h"
#include "engine/USqlWriter.h"
#include "support/TempDir.h"

namespace {

class SqlWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    Creator.Schema = "S";
    Creator.Table = "T";
    Creator.SetFields({"ID", "NAME"});
    Creator.SetFieldTypes({"ID=integer", "NAME=varchar"});
    Creator.UpdateKey = "ID";
    Writer.SetSqlCreator(&Creator);
    Writer.SetFileName(File);
  }
  void Run(const std::string& loadType, bool unicode, const std::vector<std::pair<std::string, std::string>>& rows) {
    Creator.LoadType = loadType;
    Writer.SetUnicode(unicode);
    Writer.BeginWrite();
    for (const auto& [id, name] : rows) {
      Writer.BeginRow();
      Writer.SetValue(0, id);
      Writer.SetValue(1, name);
      Writer.WriteRow();
    }
    Writer.EndWrite();
  }
  static std::string Utf16(const std::string& utf8) { return Utf8ToUtf16Le(utf8); }

  TempDir Dir;
  std::string File = Dir.Path() + "/out.sql";
  TDB2SqlCreator Creator;
  TSqlWriter Writer;
};

const std::string Insert = "insert into \"S\".\"T\" (\"ID\",\"NAME\") \r\n  values (";

TEST_F(SqlWriter, ReplaceInUnicode) {
  Run("Replace", true, {{"1", "Ünï€😀"}, {"2", "O'Brien"}});
  EXPECT_EQ(ReadFileBytes(File), "\xFF\xFE" + Utf16("delete from \"S\".\"T\";\r\n" + Insert + "1,'Ünï€😀') ;\r\n" +
                                                    Insert + "2,'O''Brien') ;\r\n"));
  EXPECT_FALSE(Writer.GetAppend());
}

TEST_F(SqlWriter, AppendAddsAtTheEndWithoutAByteOrderMark) {
  WriteFileBytes(File, "\xFF\xFE" + Utf16("old;\r\n"));
  Run("append", true, {{"3", "c"}});
  EXPECT_EQ(ReadFileBytes(File), "\xFF\xFE" + Utf16("old;\r\n" + Insert + "3,'c') ;\r\n"));

  // A file that does not exist yet gets its mark all the same.
  std::filesystem::remove(File);
  Run("Append", true, {{"4", "d"}});
  EXPECT_EQ(ReadFileBytes(File), "\xFF\xFE" + Utf16(Insert + "4,'d') ;\r\n"));

  // Other load types start the file anew.
  Run("replace", false, {{"5", "e"}});
  EXPECT_EQ(ReadFileBytes(File), Insert + "5,'e') ;\r\n");
}

TEST_F(SqlWriter, UpdateWritesNoDeleteAndOneUpdatePerRow) {
  Run("Update", false, {{"1", "a"}, {"2", "NULL"}});
  EXPECT_EQ(ReadFileBytes(File),
            "update \"S\".\"T\" set \"NAME\"='a'\r\nwhere \"ID\"=1 ;\r\n"
            "update \"S\".\"T\" set \"NAME\"=null\r\nwhere \"ID\"=2 ;\r\n");
}

TEST_F(SqlWriter, NullValuesWriteNull) {
  Creator.LoadType = "Append";
  Writer.BeginWrite();
  TFieldValue id, name;
  id.Text = "7";
  name.Text = "not this";
  name.IsNull = true;
  Writer.WriteData({id, name});
  Writer.BeginRow();
  Writer.SetValue(0, "");
  Writer.SetNull(1);
  Writer.WriteRow();
  Writer.EndWrite();
  EXPECT_EQ(ReadFileBytes(File), Insert + "7,null) ;\r\n" + Insert + "null,null) ;\r\n");
}

TEST_F(SqlWriter, DatePlaceholdersChangeOnlyTheDescription) {
  const std::string name = Dir.Path() + "/out_#YYYY#-#mm#-#Dd#_#hh##mi##ss#.sql";
  auto before = std::chrono::system_clock::now();
  Writer.SetFileName(name);
  auto after = std::chrono::system_clock::now();
  const std::string a = TFileWriter::ReplaceDatePlaceholders(name, before);
  const std::string b = TFileWriter::ReplaceDatePlaceholders(name, after);
  EXPECT_TRUE(Writer.GetDisplayName() == a || Writer.GetDisplayName() == b) << Writer.GetDisplayName();
  EXPECT_EQ(Writer.GetDescription(), "To File: " + Writer.GetDisplayName());
  EXPECT_EQ(Writer.GetFileName(), name);

  std::tm t{};
  t.tm_year = 2024 - 1900, t.tm_mon = 1, t.tm_mday = 9, t.tm_hour = 7, t.tm_min = 5, t.tm_sec = 3, t.tm_isdst = -1;
  auto when = std::chrono::system_clock::from_time_t(std::mktime(&t));
  EXPECT_EQ(TFileWriter::ReplaceDatePlaceholders("x_#YYYY#-#mm#-#Dd#_#hh##mi##ss#.sql", when),
            "x_2024-02-09_070503.sql");
  EXPECT_EQ(TFileWriter::ReplaceDatePlaceholders("no placeholder #yy#", when), "no placeholder #yy#");

  Run("Append", false, {{"1", "a"}});
  EXPECT_TRUE(std::filesystem::exists(name));
}

TEST_F(SqlWriter, BackupReplacesAnOlderBackup) {
  WriteFileBytes(File, "current");
  WriteFileBytes(File + ".bak", "older");
  Writer.BackupFile();
  EXPECT_EQ(ReadFileBytes(File + ".bak"), "current");
  EXPECT_EQ(ReadFileBytes(File), "");

  std::filesystem::remove(File);
  Writer.BackupFile();
  EXPECT_EQ(ReadFileBytes(File + ".bak"), "current");
  EXPECT_EQ(ReadFileBytes(File), "");
}

TEST_F(SqlWriter, AFileThatCannotBeOpenedFailsTheRunAndEveryRow) {
  Writer.SetFileName(Dir.Path() + "/no such folder/out.sql");
  Creator.LoadType = "Append";
  EXPECT_THROW(Writer.BeginWrite(), EInOutError);
  Writer.BeginRow();
  Writer.SetValue(0, "1");
  EXPECT_THROW(Writer.WriteRow(), EInOutError);
  Writer.EndWrite();
}

TEST_F(SqlWriter, AValueTheColumnCannotTakeFailsTheValue) {
  Creator.LoadType = "Append";
  Writer.BeginWrite();
  Writer.BeginRow();
  EXPECT_THROW(Writer.SetValue(0, "12abc"), EConvertError);
  Writer.EndWrite();
  EXPECT_EQ(ReadFileBytes(File), "");
}

}  // namespace
