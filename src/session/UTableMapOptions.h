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

  // "TableMaps" and "FieldsMaps"; raises EConvertError for an unreadable flag.
  void SaveToFile(const std::string& fileName, const std::string& section) override;
  // Raises the list-index error for a pair of fewer than three parts.
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  // Both raise EConvertError for an unreadable flag.
  int GetSelectedCount() const override;
  bool IsExcluded(int index) const override;

  // Appends one pair.
  void AddPair(bool selected, const std::string& sourceName, const std::string& destName);

  TStringList Selected;    // one boolean text per pair
  TStringList FieldsMaps;  // SourceTable=FieldMap
};

// Converts between one field-map text of "FieldsMaps" and the field state of a table
// source (FieldNames, Columns) and a table destination (its field map and description).
class TFieldsMapStringTranslator {
 public:
  TFieldsMapStringTranslator(TTableSourceOptions* source, TTableDestOptions* dest) : Source(source), Dest(dest) {}

  // One column per source field: Selected;SourceField;DestField;DateFormat, joined by "|".
  std::string ObjectsToString() const;
  // Rebuilds Columns and the destination's FieldNames, FieldTypes and DateFormats; a
  // date format is kept only for a field listed among the destination's DateColumns.
  void StringToObjects(const std::string& text);

 private:
  TTableSourceOptions* Source;
  TTableDestOptions* Dest;
};
