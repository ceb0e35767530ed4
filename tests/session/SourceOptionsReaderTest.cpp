#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dac/UDataAccess.h"
#include "dialect/DialectTestSupport.h"
#include "engine/UDataReader.h"
#include "session/UConvertOptions.h"
#include "sqlite/USqliteConvertObjectFactory.h"

namespace {

// Source options reading one table of a SQLite file, the reader made by the SQLite
// convert-object factory.
class TTableOnlySourceOptions : public TSourceOptions {
 public:
  TTableOnlySourceOptions(TConvertObjectFactory* factory, std::string table)
      : Factory(factory), Table(std::move(table)) {
    CreateReader();
  }
  void CreateReader() override { Reader = Factory->CreateDataReader(); }
  void ConfigReader() override {
    ++ConfigCount;
    Reader->SetSchemaName("");
    Reader->SetTableName(Table);
    Reader->SetSql("");
  }
  TConvertObjectFactory* Factory;
  std::string Table;
  int ConfigCount = 0;
};

class SourceOptionsReader : public ::testing::Test {
 protected:
  SourceOptionsReader() {
    Convert.SetConnection(File.Factory.Connection());
    File.Exec("create table t (id integer, name varchar(10), note text)");
    File.Exec(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 12) "
        "insert into t select i, 'r' || i, case when i % 2 = 0 then null else 'odd' end from n");
  }
  std::vector<std::vector<std::string>> ReadAll(TDataReader& reader) {
    std::vector<std::vector<std::string>> rows;
    reader.Open();
    reader.GoToRow(1);
    while (reader.HasData()) {
      std::vector<std::string> row;
      for (int i = 0; i < reader.GetColumnCount(); ++i) row.push_back(reader.GetValue(i));
      rows.push_back(row);
      reader.Next();
    }
    reader.Close();
    return rows;
  }
  SqliteFile File;
  TSqliteConvertObjectFactory Convert;
};

TEST_F(SourceOptionsReader, LoadFieldsCachesTheColumnNames) {
  TTableOnlySourceOptions options(&Convert, "t");
  options.LoadFields();
  EXPECT_EQ(options.FieldNames.CommaText(), "id,name,note");
  EXPECT_FALSE(options.Reader->HasData()) << "the reader is closed again";
  EXPECT_FALSE(File.Factory.Connection()->InTransaction());
  options.LoadFields();
  EXPECT_EQ(options.ConfigCount, 1) << "known names are not read again";
}

TEST_F(SourceOptionsReader, AMissingTableFailsAndLeavesTheReaderClosed) {
  TTableOnlySourceOptions options(&Convert, "nosuch");
  EXPECT_THROW(options.LoadFields(), EDatabaseError);
  EXPECT_TRUE(options.FieldNames.Empty());
  EXPECT_THROW(options.LoadPreview(), EDatabaseError);
  EXPECT_FALSE(File.Factory.Connection()->InTransaction());
}

TEST_F(SourceOptionsReader, TheChainFollowsColumnsAndRowSelection) {
  struct Case {
    const char* Name;
    TStringList Columns;
    std::string LoadRowsType;
    int Skip, Load;
    bool ColumnFilter, RowFilter;
    std::vector<std::vector<std::string>> Rows;  // empty: all 12 rows of all columns
  } cases[] = {
      {"all", {}, "All", 0, 0, false, false, {}},
      {"every column in another order adds no filter", {"2", "0", "1"}, "", 0, 0, false, false, {}},
      {"two columns", {"1", "0"}, "all", 0, 0, true, false, {}},
      {"part rows", {}, "Part", 3, 2, false, true, {{"4", "r4", ""}, {"5", "r5", "odd"}}},
      {"PART with columns", {"2", "1"}, "PART", 9, 5, true, true, {{"", "r10"}, {"odd", "r11"}, {"", "r12"}}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTableOnlySourceOptions options(&Convert, "t");
    options.Columns = c.Columns;
    options.RowsSelect.LoadRowsType = c.LoadRowsType;
    options.RowsSelect.SkipRows = c.Skip;
    options.RowsSelect.LoadRows = c.Load;
    TDataReader* reader = options.GetReader();
    EXPECT_EQ(options.FieldNames.CommaText(), "id,name,note");
    auto* rowFilter = dynamic_cast<TPartRowDataReader*>(reader);
    EXPECT_EQ(rowFilter != nullptr, c.RowFilter);
    TDataReader* inner = rowFilter ? rowFilter->Reader() : reader;
    auto* columnFilter = dynamic_cast<TPartColumnDataReader*>(inner);
    EXPECT_EQ(columnFilter != nullptr, c.ColumnFilter) << "column selection is inside row selection";
    if (!c.ColumnFilter) {
      EXPECT_EQ(inner, options.Reader.get());
    }
    EXPECT_EQ(options.FilterReaders.size(), static_cast<size_t>(c.ColumnFilter) + static_cast<size_t>(c.RowFilter));
    if (rowFilter) {
      EXPECT_EQ(rowFilter->GetFirstRow(), c.Skip + 1);
      EXPECT_EQ(rowFilter->GetRowLimit(), c.Load);
    }
    auto rows = ReadAll(*reader);
    if (c.Rows.empty()) {
      EXPECT_EQ(rows.size(), 12u);
    } else {
      EXPECT_EQ(rows, c.Rows);
    }
    // A second run builds the chain anew instead of stacking more filters.
    options.GetReader();
    EXPECT_EQ(options.FilterReaders.size(), static_cast<size_t>(c.ColumnFilter) + static_cast<size_t>(c.RowFilter));
  }
}

TEST_F(SourceOptionsReader, SkippingEveryRowIsIndexGreaterThanRowCount) {
  TTableOnlySourceOptions options(&Convert, "t");
  options.RowsSelect.LoadRowsType = "Part";
  options.RowsSelect.SkipRows = 12;
  options.RowsSelect.LoadRows = 5;
  TDataReader* reader = options.GetReader();
  try {
    reader->Open();
    FAIL() << "opened";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Index > Row Count");
  }
}

TEST_F(SourceOptionsReader, LoadPreviewTakesTenRows) {
  TTableOnlySourceOptions options(&Convert, "t");
  options.FieldNames.Add("stale");
  options.LoadPreview();
  EXPECT_EQ(options.FieldNames.CommaText(), "id,name,note");
  ASSERT_EQ(options.GetPreviewRowCount(), 10);
  EXPECT_EQ(options.GetPreviewValue(9, 1), "r10");
  EXPECT_EQ(options.GetPreviewValue(1, 2), "") << "NULL previews as empty text";
  EXPECT_EQ(options.SampleRow.CommaText(), "1,r1,odd");
  EXPECT_FALSE(options.Reader->HasData());
  EXPECT_FALSE(File.Factory.Connection()->InTransaction());

  File.Exec("delete from t");
  options.LoadPreview();
  EXPECT_EQ(options.GetPreviewRowCount(), 0);
  EXPECT_TRUE(options.SampleRow.Empty());
  EXPECT_EQ(options.FieldNames.CommaText(), "id,name,note");
}

}  // namespace
