#include "session/UTableMapOptions.h"

#include "base/UExceptions.h"
#include "base/UIniFile.h"
#include "session/UDBConvertOptions.h"
#include "session/UMyIniFile.h"
#include "session/USessionValues.h"

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

const char* const TableMapsExpected =
    "expected pairs Selected;SourceTable;DestTable joined by \"|\", Selected -1 or 0; a table name cannot hold "
    "\";\" or \"|\".";

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
  CheckStorable();
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
  TStringList selected, sourceNames, destNames;
  // A session without pairs saves an empty value; it must load as no pairs, not as
  // one malformed pair.
  if (!Trim(text).empty()) {
    TStringList pieces, parts;
    SplitString(text, '|', pieces);
    for (const std::string& piece : pieces.Strings()) {
      SplitString(piece, ';', parts);
      // A name holding ";" or "|" shifts every part after it; the pair would run
      // another table or none at all.
      bool flag = false;
      if (parts.Count() != 3 || !TryStrToBool(parts[0], flag))
        RefuseSessionValue(ini, "TableMaps", piece, TableMapsExpected);
      selected.Add(parts[0]);
      sourceNames.Add(parts[1]);
      destNames.Add(parts[2]);
    }
  }
  std::string raw = Trim(UpgradeSeparators(ini.ReadString(section, "FieldsMaps", "")));
  TStringList maps;
  text = ReplaceAll(raw, "\"", "");
  if (!Trim(text).empty()) SplitString(text, ',', maps);
  // The items read the way they were written (a quoted item keeps its commas and
  // doubled quotes) must be the items the quotes-removed reading gives; where they
  // differ, a name held a comma or a double quote and the map cannot be told apart.
  TStringList quoted;
  quoted.SetDelimitedText(raw, ',', '"', true);
  for (const std::string& item : quoted.Strings())
    if (item.find_first_of(",\"") != std::string::npos)
      RefuseSessionValue(ini, "FieldsMaps", item,
                         "a table, field or date format in a field map cannot hold a comma or a double quote.");
  for (const std::string& item : maps.Strings()) {
    if (Trim(item).empty()) continue;
    size_t eq = item.find('=');
    std::string why = eq == std::string::npos || eq == 0 ? "expected SourceTable=FieldMap items joined by \",\"."
                                                         : CheckFieldsMapText(item.substr(eq + 1));
    if (!why.empty()) RefuseSessionValue(ini, "FieldsMaps", item, why);
  }
  Selected = selected;
  SourceNames = sourceNames;
  DestNames = destNames;
  FieldsMaps = maps;
  Unstorable.Clear();
}

std::string TTransveyTableMapOptions::CheckFieldsMapText(const std::string& text) {
  if (Trim(text).empty()) return std::string();
  TStringList pieces, parts;
  SplitString(text, '|', pieces);
  for (const std::string& piece : pieces.Strings()) {
    SplitString(piece, ';', parts);
    bool selected = false;
    if (parts.Count() > 4 || !TryStrToBool(parts[0], selected) || (selected && parts.Count() < 3))
      return "expected columns Selected;SourceField;DestField;DateFormat joined by \"|\", Selected -1 or 0; "
             "none of them may hold \";\" or \"|\".";
    if (parts.Count() > 2 && parts[2].find('=') != std::string::npos) return "a destination field cannot hold \"=\".";
  }
  return std::string();
}

void TTransveyTableMapOptions::CheckStorable() const {
  using namespace session_map_chars;
  for (int i = 0; i < GetCount(); ++i) {
    CheckMapText("TableMaps", "the table name", SourceNames[i], TablePair);
    CheckMapText("TableMaps", "the table name", DestNames[i], TablePair);
  }
  if (!Unstorable.Empty()) throw ESessionValueError(Unstorable.ValueFromIndex(0));
  for (int i = 0; i < FieldsMaps.Count(); ++i) {
    const std::string& item = FieldsMaps[i];
    if (Trim(item).empty()) continue;
    std::string name = FieldsMaps.Names(i);
    std::string map = FieldsMaps.ValueFromIndex(i);
    CheckMapText("FieldsMaps", "the table name", name, FieldsMapTable);
    CheckMapText("FieldsMaps", "the field map of " + name, map, ",\"\r\n");
    std::string why = name.empty() ? "it names no source table." : CheckFieldsMapText(map);
    if (!why.empty())
      throw ESessionValueError("Cannot store the field map \"" + item +
                               "\" in \"FieldsMaps\" of a session file: " + why);
  }
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
  CheckMapText("TableMaps", "the table name", sourceName, session_map_chars::TablePair);
  CheckMapText("TableMaps", "the table name", destName, session_map_chars::TablePair);
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

void TFieldsMapStringTranslator::CheckStorable() const {
  using namespace session_map_chars;
  for (int i = 0; i < Source->FieldNames.Count(); ++i)
    CheckMapText("FieldsMaps", "the source field name", Source->FieldNames[i], FieldsMapPart);
  for (int rank = 0; rank < Source->Columns.Count() && rank < Dest->FieldNames.Count(); ++rank) {
    const std::string& destField = Dest->FieldNames[rank];
    CheckMapText("FieldsMaps", "the destination field name", destField, FieldsMapDestField);
    CheckMapText("FieldsMaps", "the date format of " + destField, Dest->DateFormats.Values(destField), FieldsMapPart);
  }
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
