#pragma once

#include <string>

#include "base/UStrings.h"
#include "session/UConvertOptions.h"

class TTableSourceOptions;
class TTableDestOptions;

// The single pair of a table or query session; both names are empty.
class T1To1TableMapOptions : public TTableMapOptions {
 public:
  // Writes nothing: the pair is implied by the source and destination options.
  void SaveToFile(const std::string& fileName, const std::string& section) override;
  // SourceNames := the one line of "SourceTable", else "DestTable", else "Table".
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  // Nothing of its own is persisted, so any two are alike. Comparing the names read on
  // loading would make a session that was just saved count as changed.
  bool SameAs(const TDataConvertModel& other) const override;

  int GetCount() const override { return 1; }
  std::string GetSourceName(int) const override { return std::string(); }
  std::string GetDestName(int) const override { return std::string(); }
};

// The pairs of an all-tables session, each with a run flag, and the field map of each
// source table.
class TTransveyTableMapOptions : public TTableMapOptions {
 public:
  // The destination name of a pair whose table is created when the run reaches it.
  static constexpr const char* ToBeCreated = "To Be Created";

  // "TableMaps" and "FieldsMaps"; raises EConvertError for an unreadable flag, and
  // ESessionValueError, before writing anything, for a name or field map the file
  // cannot hold (see CheckStorable).
  void SaveToFile(const std::string& fileName, const std::string& section) override;
  // Raises ESessionValueError, leaving the pairs and maps as they were, for a pair
  // that is not Selected;SourceTable;DestTable with a readable flag, and for a field
  // map that would not read back as written (see CheckFieldsMapText).
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  // Both raise EConvertError for an unreadable flag.
  int GetSelectedCount() const override;
  bool IsExcluded(int index) const override;

  // Appends one pair; raises ESessionValueError for a name holding ";", "|" or a line
  // break, which "TableMaps" cannot hold.
  void AddPair(bool selected, const std::string& sourceName, const std::string& destName);
  // Raises ESessionValueError for the first pair name, field-map item or entry of
  // Unstorable that a session file cannot hold.
  void CheckStorable() const;
  // Empty when text reads back as the field map it was written as; otherwise why not.
  static std::string CheckFieldsMapText(const std::string& text);

  TStringList Selected;    // one boolean text per pair
  TStringList FieldsMaps;  // SourceTable=FieldMap
  // PairIndex=why: field maps built during a run from names "FieldsMaps" cannot hold.
  // The run uses them; only saving the session is refused.
  TStringList Unstorable;
};

// Converts between one field-map text of "FieldsMaps" and the field state of a table
// source (FieldNames, Columns) and a table destination (its field map and description).
class TFieldsMapStringTranslator {
 public:
  TFieldsMapStringTranslator(TTableSourceOptions* source, TTableDestOptions* dest) : Source(source), Dest(dest) {}

  // One column per source field: Selected;SourceField;DestField;DateFormat, joined by "|".
  std::string ObjectsToString() const;
  // Raises ESessionValueError when a source field, destination field or date format of
  // the map ObjectsToString gives could not be read back from "FieldsMaps".
  void CheckStorable() const;
  // Rebuilds Columns and the destination's FieldNames, FieldTypes and DateFormats; a
  // date format is kept only for a field listed among the destination's DateColumns.
  void StringToObjects(const std::string& text);

 private:
  TTableSourceOptions* Source;
  TTableDestOptions* Dest;
};
