#include "session/UConvertOptions.h"

#include "base/UIniFile.h"
#include "engine/UDataReader.h"
#include "session/UMyIniFile.h"
#include "session/USessionValues.h"

void SplitString(std::string_view text, char delimiter, TStringList& list) {
  list.Clear();
  std::string trimmed = Trim(text);
  size_t start = 0;
  for (size_t pos; (pos = trimmed.find(delimiter, start)) != std::string::npos; start = pos + 1)
    list.Add(trimmed.substr(start, pos - start));
  list.Add(trimmed.substr(start));
}

void TDataConvertModel::DoChange() {
  if (OnChange) OnChange(this);
}

// --- TConvertRowsSelectOptions

void TConvertRowsSelectOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TIniFile ini(fileName);
  ini.WriteString(section, "LoadRowsType", LoadRowsType);
  ini.WriteString(section, "LoadRows", IntToStr(LoadRows));
  ini.WriteString(section, "SkipRows", IntToStr(SkipRows));
}

void TConvertRowsSelectOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  // Short values: the unlimited reader is not needed.
  TIniFile ini(fileName);
  std::string type = ini.ReadString(section, "LoadRowsType", "");
  // Read as "all rows", any other word would let a misspelt "Part" copy the whole table.
  if (!type.empty() && !SameText(type, "all") && !SameText(type, "part"))
    RefuseSessionValue(ini, "LoadRowsType", type, "expected All or Part.");
  int64_t loadRows = ReadSessionCount(ini, section, "LoadRows", 0);
  int64_t skipRows = ReadSessionCount(ini, section, "SkipRows", 0);
  LoadRowsType = type;
  LoadRows = loadRows;
  SkipRows = skipRows;
}

bool TConvertRowsSelectOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TConvertRowsSelectOptions*>(&other);
  return o && LoadRowsType == o->LoadRowsType && LoadRows == o->LoadRows && SkipRows == o->SkipRows;
}

void TConvertRowsSelectOptions::Assign(TConvertRowsSelectOptions& target) const {
  target.LoadRowsType = LoadRowsType;
  target.LoadRows = LoadRows;
  target.SkipRows = SkipRows;
}

bool TConvertRowsSelectOptions::IsPartRows() const { return LowerCase(LoadRowsType) == "part"; }

// --- TSourceOptions

TSourceOptions::TSourceOptions() = default;
TSourceOptions::~TSourceOptions() {
  // The decorators read through Reader, so they go first.
  FilterReaders.clear();
  Reader.reset();
}

void TSourceOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  RowsSelect.SaveToFile(fileName, section);
  std::string columns;
  for (int i = 0; i < Columns.Count(); ++i) {
    if (i > 0) columns += "|";
    columns += IntToStr(static_cast<int64_t>(StrToInt(Columns[i])) + 1);
  }
  TIniFile ini(fileName);
  ini.WriteString(section, "Columns", columns);
}

void TSourceOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  RowsSelect.LoadFromFile(fileName, section);
  TMyIniFile ini(fileName);
  std::string text = ini.ReadString(section, "Columns", "");
  if (text.empty()) return;
  TStringList pieces;
  SplitString(text, '|', pieces);
  for (int i = 0; i < pieces.Count(); ++i) {
    int column = 0;
    if (!TryStrToInt(pieces[i], column) || column < 1)
      RefuseSessionValue(ini, "Columns", text, "expected source column numbers from 1 up, joined by \"|\".");
    pieces[i] = IntToStr(static_cast<int64_t>(column) - 1);
  }
  Columns = pieces;
}

bool TSourceOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TSourceOptions*>(&other);
  return o && Columns == o->Columns && RowsSelect.SameAs(o->RowsSelect);
}

void TSourceOptions::ClearFields() {
  FieldNames.Clear();
  SampleRow.Clear();
  PreviewRows.clear();
}

namespace {

// Closes the reader when the scope ends, however it ends.
class TReaderCloser {
 public:
  explicit TReaderCloser(TDataReader& reader) : FReader(reader) {}
  ~TReaderCloser() {
    try {
      FReader.Close();
    } catch (...) {
    }
  }
  TReaderCloser(const TReaderCloser&) = delete;
  TReaderCloser& operator=(const TReaderCloser&) = delete;

 private:
  TDataReader& FReader;
};

}  // namespace

void TSourceOptions::LoadFields() {
  if (!FieldNames.Empty()) return;
  ConfigReader();
  TReaderCloser closer(*Reader);
  Reader->Open();
  TStringList names;
  for (int i = 0; i < Reader->GetColumnCount(); ++i) names.Add(Reader->GetColumnName(i));
  FieldNames = names;
}

TDataReader* TSourceOptions::GetFilteredReader() {
  FilterReaders.clear();
  ConfigReader();
  TDataReader* reader = Reader.get();
  const TStringList& columns = ReaderColumns();
  if (!columns.Empty() && columns.Count() < ReaderFieldCount()) {
    FilterReaders.push_back(std::make_unique<TPartColumnDataReader>(reader, &columns));
    reader = FilterReaders.back().get();
  }
  if (RowsSelect.IsPartRows()) {
    // Skipping every row there can be still skips them all; one more would wrap.
    int64_t skip = RowsSelect.SkipRows;
    int64_t firstRow = skip < INT64_MAX ? skip + 1 : INT64_MAX;
    FilterReaders.push_back(std::make_unique<TPartRowDataReader>(reader, firstRow, RowsSelect.LoadRows));
    reader = FilterReaders.back().get();
  }
  return reader;
}

TDataReader* TSourceOptions::GetReader() {
  LoadFields();
  return GetFilteredReader();
}

void TSourceOptions::LoadPreview() {
  ClearFields();
  ConfigReader();
  TReaderCloser closer(*Reader);
  Reader->Open();
  for (int i = 0; i < Reader->GetColumnCount(); ++i) FieldNames.Add(Reader->GetColumnName(i));
  while (Reader->HasData() && GetPreviewRowCount() < PreviewRowLimit) {
    auto row = std::make_unique<TStringList>();
    for (int i = 0; i < Reader->GetColumnCount(); ++i) row->Add(Reader->GetValue(i));
    PreviewRows.push_back(std::move(row));
    Reader->Next();
  }
  if (!PreviewRows.empty()) SampleRow = *PreviewRows.front();
}

const std::string& TSourceOptions::GetPreviewValue(int row, int column) const {
  return (*PreviewRows.at(static_cast<size_t>(row)))[column];
}

// --- TLobConvertOptions

void TLobConvertOptions::SaveToFile(const std::string&) {}
void TLobConvertOptions::LoadFromFile(const std::string&) {}

bool TLobConvertOptions::SameAs(const TLobConvertOptions& other) const {
  return ExportClob == other.ExportClob && ExportBlob == other.ExportBlob;
}

// --- TDestOptions

TDestOptions::TDestOptions() { CreateLobOptions(); }
TDestOptions::~TDestOptions() = default;

void TDestOptions::SaveToFile(const std::string& fileName, const std::string&) {
  if (FLobOptions) FLobOptions->SaveToFile(fileName);
}

void TDestOptions::LoadFromFile(const std::string& fileName, const std::string&) {
  if (FLobOptions) FLobOptions->LoadFromFile(fileName);
}

bool TDestOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TDestOptions*>(&other);
  if (!o) return false;
  if (!FLobOptions || !o->FLobOptions) return FLobOptions == o->FLobOptions;
  return FLobOptions->SameAs(*o->FLobOptions);
}

void TDestOptions::CreateLobOptions() {
  FOwnedLobOptions = std::make_unique<TLobConvertOptions>();
  FLobOptions = FOwnedLobOptions.get();
}

void TDestOptions::SetLobOptions(TLobConvertOptions* options) {
  FOwnedLobOptions.reset();
  FLobOptions = options;
}

// --- TTableMapOptions

bool TTableMapOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TTableMapOptions*>(&other);
  return o && SourceNames == o->SourceNames && DestNames == o->DestNames;
}

int TTableMapOptions::GetCount() const { return SourceNames.Count(); }
int TTableMapOptions::GetSelectedCount() const { return GetCount(); }
bool TTableMapOptions::IsExcluded(int) const { return false; }
std::string TTableMapOptions::GetSourceName(int index) const { return SourceNames[index]; }
std::string TTableMapOptions::GetDestName(int index) const { return DestNames[index]; }

// --- TConvertOptions

void TConvertOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  TIniFile ini(fileName);
  ini.WriteString(section, "ErrorsToAllow", IntToStr(ErrorsToAllow));
  ini.WriteString(section, "LogFile", LogFile);
  if (Verify)
    ini.WriteString(section, "Verify", "1");
  else
    ini.DeleteKey(section, "Verify");
}

void TConvertOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TMyIniFile ini(fileName);
  // All values are read before any is kept: a refused one changes nothing.
  int64_t errorsToAllow = ReadSessionCount(ini, section, "ErrorsToAllow", DefaultErrorsToAllow);
  bool verify = ReadSessionFlag(ini, section, "Verify", false);
  ErrorsToAllow = errorsToAllow;
  LogFile = ini.ReadString(section, "LogFile", "");
  Verify = verify;
}

bool TConvertOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TConvertOptions*>(&other);
  return o && ErrorsToAllow == o->ErrorsToAllow && LogFile == o->LogFile && Verify == o->Verify;
}
