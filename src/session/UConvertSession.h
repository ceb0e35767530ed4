#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "session/UConvertOptions.h"

class TDBObjectFactory;
class TConvertObjectFactory;
class TLogSink;
class TSettingsStore;
class TTableDestOptions;
class TBatchDBDestOptions;

// The recent session files of one session kind, newest first, kept in the per-user
// settings store under RegistryKey. Without a key or a store nothing is kept.
class TMruList {
 public:
  static constexpr size_t MaxItems = 10;

  // Moves fileName to the front, adding it when new; the oldest beyond MaxItems go.
  // The list is a convenience: when the store cannot be read or written, the list is
  // left as it is and the reason is kept in Warnings; nothing is raised.
  void Add(const std::string& fileName);
  // The list, or nothing when the store cannot be read (the reason goes to Warnings).
  std::vector<std::string> Items() const;
  // Takes the reasons kept so far, oldest first.
  std::vector<std::string> TakeWarnings() { return std::exchange(Warnings, {}); }

  std::string RegistryKey;
  // The per-user store, handed in by whoever makes the session (not owned).
  TSettingsStore* Store = nullptr;

 private:
  mutable std::vector<std::string> Warnings;
};

// The root of all sessions: a file it was loaded from or saved to, and the recent list
// of its kind.
class TTaskSession {
 public:
  TTaskSession();
  virtual ~TTaskSession();
  TTaskSession(const TTaskSession&) = delete;
  TTaskSession& operator=(const TTaskSession&) = delete;

  // Two lines joined by CR LF: "From : ..." and "To : ...".
  virtual std::string GetDescription() const = 0;
  // FileName := fileName; an existing file becomes fileName + ".bak" unless that name
  // is taken, in which case the file is rewritten in place; the recent list is updated.
  virtual void SaveToFile(const std::string& fileName);
  // FileName := fileName and the recent list is updated.
  virtual void LoadFromFile(const std::string& fileName);
  virtual bool SameAs(const TTaskSession& other) const = 0;
  // Writes the keys only: neither FileName nor the recent list change.
  virtual void SaveOptions(const std::string& fileName) = 0;
  // A new session holding nothing worth saving.
  virtual bool IsBlank() const = 0;
  // A new, empty session of the same class with the same factories; its recent list
  // and log sink are the caller's to hand in.
  virtual std::unique_ptr<TTaskSession> CreateSameKind() const = 0;

  // True when there is no file, or when the file on disk holds other values.
  bool IsChanged();
  // FileName, or the description for a session never saved.
  std::string GetCaption() const;

  std::unique_ptr<TMruList> MruList;
  std::string FileFilter;
  std::string DefaultExt;   // without the dot
  std::string SectionName;  // "Convert" is used when empty
  std::string FileName;

 protected:
  std::string Section() const { return SectionName.empty() ? "Convert" : SectionName; }
};

// One configured transfer: source, destination, the pairs of items and the run options,
// and the factories of the two databases (not owned).
class TConvertSession : public TTaskSession {
 public:
  TConvertSession(TDBObjectFactory* sourceDBObjectFactory, TDBObjectFactory* destDBObjectFactory,
                  TConvertObjectFactory* sourceConvertObjectFactory, TConvertObjectFactory* destConvertObjectFactory);
  ~TConvertSession() override;

  // Raises ESessionValueError, before touching the file, for a field or table name
  // the session file cannot hold.
  void SaveToFile(const std::string& fileName) override;
  // Exceptions of the options pass to the caller, the session then partly loaded; a
  // value that is present but does not parse raises ESessionValueError.
  void LoadFromFile(const std::string& fileName) override;
  bool SameAs(const TTaskSession& other) const override;
  void SaveOptions(const std::string& fileName) override;

  virtual void CreateSourceOptions() = 0;
  virtual void CreateDestOptions() = 0;
  virtual void CreateTableMapOptions() = 0;
  // Sets MruList's key, FileFilter, DefaultExt and SectionName.
  virtual void InitSessionInfo() = 0;
  virtual void BeforeExecute() {}
  // Called after every run, a failed one too.
  virtual void AfterExecute() {}
  // Prepares item index of the run.
  virtual void ConfigOne(int) {}
  virtual int GetItemCount() const;
  virtual int GetSelectedItemCount() const;
  virtual std::string GetItemSourceName(int index) const;
  virtual std::string GetItemDestName(int index) const;
  bool IsItemSkipped(int index) const;

  // In GUI mode, puts the caption and the session's keys into LogSink's memory log for
  // an error report, through the file "recent.<ext>" in the application-data folder.
  // Nothing of it reaches the user or stops the run.
  void DumpSession();

  std::unique_ptr<TSourceOptions> SourceOptions;
  std::unique_ptr<TDestOptions> DestOptions;
  std::unique_ptr<TTableMapOptions> TableMapOptions;
  std::unique_ptr<TConvertOptions> ConvertOptions;

  TDBObjectFactory* SourceDBObjectFactory;
  TDBObjectFactory* DestDBObjectFactory;
  TConvertObjectFactory* SourceConvertObjectFactory;
  TConvertObjectFactory* DestConvertObjectFactory;
  // Where the session dump and the statements of tables it creates go (not owned);
  // none: nowhere.
  TLogSink* LogSink = nullptr;

 protected:
  // The options and the session information. The constructor of each concrete class
  // calls it, since the creation operations are its overrides.
  void Initialize();
};

// A session with one destination table and one pair.
class TLoadSession : public TConvertSession {
 public:
  using TConvertSession::TConvertSession;

  void CreateDestOptions() override;
  void CreateTableMapOptions() override;
  // No file and no destination table.
  bool IsBlank() const override;

  TTableDestOptions& TableDestOptions() const;
};

// A session that copies many tables of one source schema into one destination schema.
class TBatchLoadSession : public TConvertSession {
 public:
  using TConvertSession::TConvertSession;

  void CreateDestOptions() override;
  void InitSessionInfo() override;
  // No file and no pair.
  bool IsBlank() const override;

  TBatchDBDestOptions& BatchDestOptions() const;
  // The destination of the item being run, inside the batch destination options.
  TTableDestOptions* TableDestOptions = nullptr;
};
