#include "dac/UUniMetaData.h"

#include <optional>

#include "dac/UDacImpl.h"

using namespace dac_detail;

TUniMetaData::TUniMetaData(TUniConnection* connection) : FConnection(connection) {}

TUniMetaData::~TUniMetaData() = default;

namespace {

TUniField TextField(const std::string& name, const std::string& value) {
  TUniField f;
  f.FieldName = name;
  f.DataType = TFieldType::ftString;
  f.SetText(value);
  return f;
}

TUniField IntegerField(const std::string& name, std::optional<int64_t> value) {
  TUniField f;
  f.FieldName = name;
  f.DataType = TFieldType::ftInteger;
  if (value)
    f.SetInteger(*value);
  else
    f.SetNull();
  return f;
}

}  // namespace

void TUniMetaData::Open() {
  Close();
  if (!FConnection) throw EDatabaseError("The metadata query has no connection");
  if (!FConnection->Connected()) FConnection->Connect();
  TConnectionImpl& impl = FConnection->Impl();
  if (SameText(MetaDataKind, "Tables")) {
    std::vector<std::string> types;
    TStringList typeList;
    typeList.SetDelimitedText(Restrictions.Values("TABLE_TYPE"), ',', '"', true);
    for (const auto& t : typeList.Strings())
      if (!Trim(t).empty()) types.push_back(UpperCase(Trim(t)));
    auto tables = impl.Tables(Restrictions.Values("TABLE_CATALOG"), Restrictions.Values("TABLE_SCHEMA"), types,
                              Restrictions.Values("TABLE_NAME"));
    for (const auto& t : tables)
      FRows.push_back({TextField("TABLE_CATALOG", t.Catalog), TextField("TABLE_SCHEMA", t.Schema),
                       TextField("TABLE_NAME", t.Name), TextField("TABLE_TYPE", t.Type)});
  } else if (SameText(MetaDataKind, "Columns")) {
    auto columns = impl.Columns(Restrictions.Values("TABLE_SCHEMA"), Restrictions.Values("TABLE_NAME"));
    for (const auto& c : columns)
      FRows.push_back({TextField("TABLE_CATALOG", c.Catalog), TextField("TABLE_SCHEMA", c.Schema),
                       TextField("TABLE_NAME", c.Table), TextField("COLUMN_NAME", c.Name),
                       IntegerField("POSITION", c.Position), TextField("DATA_TYPE", c.TypeName),
                       IntegerField("COLUMN_SIZE", c.Size), IntegerField("DECIMAL_DIGITS", c.DecimalDigits),
                       IntegerField("NULLABLE", c.Nullable ? 1 : 0)});
  } else {
    throw EDatabaseError("Unknown metadata kind \"" + MetaDataKind + "\" (known: Tables, Columns)");
  }
  FActive = true;
}

void TUniMetaData::Close() {
  FActive = false;
  FRows.clear();
  FRow = 0;
}

void TUniMetaData::Next() {
  if (FRow < FRows.size()) ++FRow;
}

TUniField* TUniMetaData::FindField(const std::string& name) {
  if (FRow >= FRows.size()) return nullptr;
  for (auto& f : FRows[FRow])
    if (SameText(f.FieldName, name)) return &f;
  return nullptr;
}

TUniField& TUniMetaData::FieldByName(const std::string& name) {
  if (!FActive) throw EDatabaseError("The metadata query is not open");
  if (FRow >= FRows.size()) throw EDatabaseError("No current row (end of the metadata reached)");
  TUniField* f = FindField(name);
  if (!f) throw EDatabaseError("Field '" + name + "' not found");
  return *f;
}
