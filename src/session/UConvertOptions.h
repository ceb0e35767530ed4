#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/UStrings.h"

class TDataReader;
class TDBReader;
class TDataWriter;

// Clears list, trims text as a whole (blanks and control characters), then cuts it at
// every delimiter. The last piece is always kept, even when empty, and pieces are not
// trimmed: "" gives one empty item, "a|" gives "a" and "".
void SplitString(std::string_view text, char delimiter, TStringList& list);

// Base of the option objects a session persists into its session file section.
class TDataConvertModel {
 public:
  using TChangeEvent = std::function<void(TDataConvertModel* sender)>;

  TDataConvertModel() = default;
  virtual ~TDataConvertModel() = default;
  TDataConvertModel(const TDataConvertModel&) = delete;
  TDataConvertModel& operator=(const TDataConvertModel&) = delete;

  // Writes this object's keys into section; keys it does not write stay in the file.
  virtual void SaveToFile(const std::string& fileName, const std::string& section) = 0;
  // Reads them back; a missing file or key gives the defaults.
  virtual void LoadFromFile(const std::string& fileName, const std::string& section) = 0;
  // True when other, of the same class, holds equal persisted values.
  virtual bool SameAs(const TDataConvertModel& other) const = 0;

  // Calls OnChange when it is set.
  void DoChange();

  TChangeEvent OnChange;
};

// Which rows of the source are read.
class TConvertRowsSelectOptions : public TDataConvertModel {
 public:
  void SaveToFile(const std::string& fileName, const std::string& section) override;
  // Raises ESessionValueError for a type other than "All" or "Part" (any case) and a
  // count that is not a whole number of 0 or more; a missing or empty key keeps its
  // default.
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  // Copies the three values into target.
  void Assign(TConvertRowsSelectOptions& target) const;
  // LoadRowsType is "part" in any letter case.
  bool IsPartRows() const;

  std::string LoadRowsType;  // "All" or "Part" as the front end stores it
  int64_t LoadRows = 0;
  int64_t SkipRows = 0;
};

// What is read: the rows, the columns, and the caches of the source's fields.
class TSourceOptions : public TDataConvertModel {
 public:
  TSourceOptions();
  ~TSourceOptions() override;

  void SaveToFile(const std::string& fileName, const std::string& section) override;
  // Raises ESessionValueError for a "Columns" piece that is not a column number of 1
  // or more; Columns is then left as it was.
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  // Creates Reader. Not called by this class: a subclass that supplies the reader
  // calls it from its own constructor, once its factories are set.
  virtual void CreateReader() = 0;
  // Points Reader at the selected table or query.
  virtual void ConfigReader() = 0;
  // Empties FieldNames and SampleRow and frees the preview rows.
  virtual void ClearFields();

  static constexpr int PreviewRowLimit = 10;

  // Unless FieldNames is filled already: ConfigReader, open Reader, copy its column
  // names into FieldNames, close it. The reader's errors pass to the caller.
  void LoadFields();
  // ConfigReader; Reader, under a column filter when Columns selects fewer columns
  // than FieldNames holds, under a row filter when the rows are "part". The filters
  // of an earlier call are freed first, so a session run many times does not pile
  // them up; whatever reader an earlier call returned is invalid afterwards.
  TDataReader* GetFilteredReader();
  // LoadFields, then GetFilteredReader: the outermost reader of the chain, owned by
  // these options.
  TDataReader* GetReader();
  // The column selection the reader chain applies and the column count it is measured
  // against; an all-tables source answers with the table being run.
  virtual const TStringList& ReaderColumns() const { return Columns; }
  virtual int ReaderFieldCount() const { return FieldNames.Count(); }
  // ClearFields; FieldNames and up to PreviewRowLimit rows of value texts from Reader;
  // SampleRow a copy of the first row. Reader is closed again, also on errors.
  void LoadPreview();

  int GetPreviewRowCount() const { return static_cast<int>(PreviewRows.size()); }
  const std::string& GetPreviewValue(int row, int column) const;

  TConvertRowsSelectOptions RowsSelect;
  TStringList Columns;  // zero-based source column positions as decimal texts; empty: all
  TStringList FieldNames;
  TStringList SampleRow;
  std::vector<std::unique_ptr<TStringList>> PreviewRows;
  std::string ItemName;  // proposed destination table name; not persisted
  std::unique_ptr<TDBReader> Reader;
  std::vector<std::unique_ptr<TDataReader>> FilterReaders;
};

// How large objects are exported. Not persisted by any session.
class TLobConvertOptions {
 public:
  virtual ~TLobConvertOptions() = default;

  virtual void SaveToFile(const std::string& fileName);
  virtual void LoadFromFile(const std::string& fileName);
  virtual bool SameAs(const TLobConvertOptions& other) const;

  bool ExportClob = true;
  bool ExportBlob = false;
};

// Where and how the rows are written.
class TDestOptions : public TDataConvertModel {
 public:
  TDestOptions();
  ~TDestOptions() override;

  // These three only pass on to the LOB options; the database destinations replace them.
  void SaveToFile(const std::string& fileName, const std::string& section) override;
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  // Creates the owned LOB options (called by the constructor).
  virtual void CreateLobOptions();
  // Frees the current LOB options and uses options, which stay the caller's.
  virtual void SetLobOptions(TLobConvertOptions* options);
  // The writer the engine writes through; owned by these options.
  virtual TDataWriter* GetWriter() = 0;

  TLobConvertOptions* LobOptions() const { return FLobOptions; }
  bool OwnsLobOptions() const { return FOwnedLobOptions != nullptr; }

 private:
  std::unique_ptr<TLobConvertOptions> FOwnedLobOptions;
  TLobConvertOptions* FLobOptions = nullptr;
};

// The source-to-destination pairs a session processes.
class TTableMapOptions : public TDataConvertModel {
 public:
  bool SameAs(const TDataConvertModel& other) const override;

  virtual int GetCount() const;
  virtual int GetSelectedCount() const;
  virtual bool IsExcluded(int index) const;
  virtual std::string GetSourceName(int index) const;
  virtual std::string GetDestName(int index) const;

  TStringList SourceNames;  // delimited by commas
  TStringList DestNames;
};

// How tolerant a run is and where interactive runs log.
class TConvertOptions : public TDataConvertModel {
 public:
  static constexpr int64_t DefaultErrorsToAllow = 50;  // when a file has no "ErrorsToAllow"

  void SaveToFile(const std::string& fileName, const std::string& section) override;
  // Raises ESessionValueError for an "ErrorsToAllow" that is not a whole number of 0
  // (no limit) or more, or a "Verify" that is no yes/no value.
  void LoadFromFile(const std::string& fileName, const std::string& section) override;
  bool SameAs(const TDataConvertModel& other) const override;

  int64_t ErrorsToAllow = 0;
  std::string LogFile;
  // After each item the destination's row count is checked against the rows converted.
  // Saved as "Verify=1" only when set, so files of sessions without it stay as they were.
  bool Verify = false;
};
