#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A per-user store of settings that outlive a run, organised as the per-user registry
// it stands in for: keys named by backslash paths ("Software\Maker\Program") holding
// named string and integer values; key and value names compare without regard to case
// and keep the spelling they were created with.
//
// The store is one file, named by the caller, who also gives the header line written
// at its top (none when empty). Every call reads the file anew and every change
// rewrites it at once, so two windows or two processes never work on a stale copy. It
// can hold passwords: it is created readable and writable by its owner only.
//
// Several processes of one user may use the store at once (scheduled jobs starting
// together): every read and every read-modify-write holds an exclusive lock on the
// lock file beside it (the file name plus ".lock"), and a change is written to a
// temporary file of its own in the same folder and renamed over the old one, so no
// reader ever sees half a file. A damaged file is renamed aside (".damaged", then
// ".damaged1", ...) and the store starts empty; the warning is kept for the caller
// (TakeWarnings). Files that cannot be read or written, and a lock that stays taken
// longer than LockTimeoutMs, raise EInOutError.
class TSettingsStore {
public:
  explicit TSettingsStore(std::string fileName, std::string header = "");

  const std::string& FileName() const { return File; }

  bool KeyExists(const std::string& key) const;
  void CreateKey(const std::string& key);
  void DeleteKey(const std::string& key);  // with its subkeys
  // Names of the direct subkeys, in the order they were created.
  std::vector<std::string> GetKeyNames(const std::string& key) const;
  std::vector<std::string> GetValueNames(const std::string& key) const;

  bool ValueExists(const std::string& key, const std::string& name) const;
  std::string ReadString(const std::string& key, const std::string& name, const std::string& defaultValue = "") const;
  int ReadInteger(const std::string& key, const std::string& name, int defaultValue = 0) const;
  bool ReadBool(const std::string& key, const std::string& name, bool defaultValue = false) const;
  // Writing creates the key when it is missing.
  void WriteString(const std::string& key, const std::string& name, const std::string& value);
  void WriteInteger(const std::string& key, const std::string& name, int value);
  void WriteBool(const std::string& key, const std::string& name, bool value);  // stored as integer 1 or 0
  void DeleteValue(const std::string& key, const std::string& name);

  // Runs change with the store locked: the reads and writes it makes on this object
  // see one copy of the file, written back once when change returns (nothing is
  // written when it raises). Another TSettingsStore of the same file must not be used
  // inside: it would wait for this lock.
  void Transaction(const std::function<void()>& change);

  // What went wrong but did not stop the call (a damaged file set aside), oldest
  // first; taking them clears the list.
  std::vector<std::string> TakeWarnings();

  // How long a call waits for another process to release the lock.
  int LockTimeoutMs = 20000;

  struct Value {
    std::string Name;
    bool IsInteger = false;
    std::string Text;
    int Integer = 0;
  };
  struct Key {
    std::string Path;
    std::vector<Value> Values;
  };

private:
  // The keys as they stand: the transaction's copy, or the file read under the lock.
  std::vector<Key> Load() const;
  // Reads the file; the caller holds the lock.
  std::vector<Key> LoadLocked() const;
  // Sets a damaged file aside, with the warning that says so.
  void SetAside(const std::string& reason) const;
  // Applies change to the keys under the lock; writes them when it returns true.
  void Modify(const std::function<bool(std::vector<Key>& keys)>& change);
  // Writes the file; the caller holds the lock.
  void Save(const std::vector<Key>& keys) const;
  std::string LockFileName() const { return File + ".lock"; }

  std::string File;
  std::string Header;
  mutable std::vector<std::string> Warnings;
  // Inside Transaction: the copy every call works on, and whether it changed.
  std::optional<std::vector<Key>> Held;
  bool HeldChanged = false;
};

// A most-recently-used list of file paths kept under one key, newest first, as
// values "File0", "File1", ...; adding a path moves it to the front.
std::vector<std::string> ReadRecentFiles(const TSettingsStore& store, const std::string& key);
void WriteRecentFiles(TSettingsStore& store, const std::string& key, const std::vector<std::string>& files);
void AddRecentFile(TSettingsStore& store, const std::string& key, const std::string& file, size_t maxCount = 10);
