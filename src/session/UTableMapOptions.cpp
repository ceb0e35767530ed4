#include "session/UTableMapOptions.h"

#include "base/UExceptions.h"
#include "base/UIniFile.h"
#include "session/UDBConvertOptions.h"
#include "session/UMyIniFile.h"

namespace {

// Older files separate the parts with "#"; a text with any ";" is of the current form.
std::string UpgradeSeparators(const std::string& text) {
  if (text.find(';') != std::string::npos) return text;
  return ReplaceAll(text, "#", ";");
}

// Item index of parts, with the list-index error of a string list for a missing part.
const std::string& Part(const TStringList& parts, int index) {
  if (index >= parts.Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  return parts[index];
}

}  // namespace

// --- T1To1TableMapOptions

void T1To1TableMapOptions::SaveToFile(const std::string&, const std::string&) {}

void T1To1TableMapOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TMyIniFile ini(fileName);
  std::string name = ini.ReadString(section, "SourceTable",
                                    ini.ReadString(section, "DestTable", ini.ReadString(section, "Table", "")));
  SourceNames.Clear();
  SourceNames.Add(name);
}

bool T1To1TableMapOptions::SameAs(const TDataConvertModel& other) const {
  return dynamic_cast<const T1To1TableMapOptions*>(&other) != nullptr;
}

// --- TTransveyTableMapOptions

void TTransveyTableMapOptions::SaveToFile(const std::string& fileName, const std::string& section) {
  std::string maps;
  for (int i = 0; i < GetCount(); ++i) {
    if (i > 0) maps += "|";
    maps += std::string(StrToBool(Selected[i]) ? "-1" : "0") + ";" + SourceNames[i] + ";" + DestNames[i];
  }
  TIniFile ini(fileName);
  ini.WriteString(section, "TableMaps", maps);
  ini.WriteString(section, "FieldsMaps", FieldsMaps.CommaText());
}

void TTransveyTableMapOptions::LoadFromFile(const std::string& fileName, const std::string& section) {
  TMyIniFile ini(fileName);
  std::string text = UpgradeSeparators(ini.ReadString(section, "TableMaps", ""));
  Selected.Clear();
  SourceNames.Clear();
  DestNames.Clear();
  // A session without pairs saves an empty value; it must load as no pairs, not as
  // one malformed pair.
  if (!Trim(text).empty()) {
    TStringList pieces, parts;
    SplitString(text, '|', pieces);
    for (const std::string& piece : pieces.Strings()) {
      SplitString(piece, ';', parts);
      std::string destName = Part(parts, 2);
      Selected.Add(parts[0]);
      SourceNames.Add(parts[1]);
      DestNames.Add(destName);
    }
  }
  text = ReplaceAll(UpgradeSeparators(ini.ReadString(section, "FieldsMaps", "")), "\"", "");
  FieldsMaps.Clear();
  if (!Trim(text).empty()) SplitString(text, ',', FieldsMaps);
}

bool TTransveyTableMapOptions::SameAs(const TDataConvertModel& other) const {
  auto* o = dynamic_cast<const TTransveyTableMapOptions*>(&other);
  return o && Selected == o->Selected && FieldsMaps == o->FieldsMaps && TTableMapOptions::SameAs(other);
}

int TTransveyTableMapOptions::GetSelectedCount() const {
  int count = 0;
  for (int i = 0; i < GetCount(); ++i)
    if (StrToBool(Selected[i])) ++count;
  return count;
}

bool TTransveyTableMapOptions::IsExcluded(int index) const { return !StrToBool(Selected[index]); }

void TTransveyTableMapOptions::AddPair(bool selected, const std::string& sourceName, const std::string& destName) {
  Selected.Add(selected ? "-1" : "0");
  SourceNames.Add(sourceName);
  DestNames.Add(destName);
}

// --- TFieldsMapStringTranslator

std::string TFieldsMapStringTranslator::ObjectsToString() const {
  std::string result;
  for (int i = 0; i < Source->FieldNames.Count(); ++i) {
    int rank = Source->Columns.IndexOf(IntToStr(i));
    std::string destField, format;
    if (rank >= 0 && rank < Dest->FieldNames.Count()) {
      destField = Dest->FieldNames[rank];
      format = Dest->DateFormats.Values(destField);
    }
    if (i > 0) result += "|";
    result += std::string(rank >= 0 ? "-1" : "0") + ";" + Source->FieldNames[i] + ";" + destField + ";" + format;
  }
  return result;
}

void TFieldsMapStringTranslator::StringToObjects(const std::string& text) {
  Source->Columns.Clear();
  Dest->FieldNames.Clear();
  Dest->FieldTypes.Clear();
  Dest->DateFormats.Clear();
  if (Trim(text).empty()) return;
  TStringList pieces, parts;
  SplitString(text, '|', pieces);
  for (int i = 0; i < pieces.Count(); ++i) {
    SplitString(pieces[i], ';', parts);
    if (!StrToBool(parts[0])) continue;
    const std::string& destField = Part(parts, 2);
    Source->Columns.Add(IntToStr(i));
    Dest->FieldNames.Add(destField);
    Dest->FieldTypes.SetValue(destField, Dest->DestColumns.Values(destField));
    if (parts.Count() > 3 && Dest->DateColumns.IndexOf(destField) >= 0) Dest->DateFormats.SetValue(destField, parts[3]);
  }
}
