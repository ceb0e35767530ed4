#pragma once

#include <string>
#include <vector>

// A per-user store of settings that outlive a run, organised as the per-user registry
// it stands in for: keys named by backslash paths ("Software\Maker\Program") holding
// named string and integer values; key and value names compare without regard to case
// and keep the spelling they were created with.
//
// The store is one file, named by the caller, who also gives the header line written
// at its top (none when empty). Every call reads the file anew and every change
// rewrites it at once (through a temporary file), so two windows or two processes
// never work on a stale copy. It can hold passwords: it is created readable and
// writable by its owner only.
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
  std::vector<Key> Load() const;
  void Save(const std::vector<Key>& keys) const;

  std::string File;
  std::string Header;
};

// A most-recently-used list of file paths kept under one key, newest first, as
// values "File0", "File1", ...; adding a path moves it to the front.
std::vector<std::string> ReadRecentFiles(const TSettingsStore& store, const std::string& key);
void WriteRecentFiles(TSettingsStore& store, const std::string& key, const std::vector<std::string>& files);
void AddRecentFile(TSettingsStore& store, const std::string& key, const std::string& file, size_t maxCount = 10);
