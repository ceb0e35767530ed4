#include "base/USettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/UStrings.h"
#include "base/UTextFile.h"

namespace {

using Keys = std::vector<TSettingsStore::Key>;

std::string NormalKey(const std::string& key) {
  std::string k = key;
  while (!k.empty() && k.front() == '\\') k.erase(k.begin());
  while (!k.empty() && k.back() == '\\') k.pop_back();
  return k;
}

Keys::iterator FindKey(Keys& keys, const std::string& key) {
  return std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return SameText(k.Path, key); });
}

Keys::const_iterator FindKey(const Keys& keys, const std::string& key) {
  return std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return SameText(k.Path, key); });
}

const TSettingsStore::Value* FindValue(const Keys& keys, const std::string& key, const std::string& name) {
  auto k = FindKey(keys, NormalKey(key));
  if (k == keys.end()) return nullptr;
  for (const auto& v : k->Values)
    if (SameText(v.Name, name)) return &v;
  return nullptr;
}

std::string Quote(const std::string& s) {
  std::string r = "\"";
  for (char c : s) {
    switch (c) {
      case '\\': r += "\\\\"; break;
      case '"': r += "\\\""; break;
      case '\n': r += "\\n"; break;
      case '\r': r += "\\r"; break;
      default: r += c;
    }
  }
  return r + "\"";
}

// Reads a quoted text starting at pos (on the opening quote); pos ends after the closing one.
bool Unquote(const std::string& line, size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  ++pos;
  out.clear();
  while (pos < line.size()) {
    char c = line[pos++];
    if (c == '"') return true;
    if (c == '\\' && pos < line.size()) {
      char e = line[pos++];
      out += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
    } else {
      out += c;
    }
  }
  return false;
}

}  // namespace

TSettingsStore::TSettingsStore(std::string fileName, std::string header)
    : File(std::move(fileName)), Header(std::move(header)) {}

std::vector<TSettingsStore::Key> TSettingsStore::Load() const {
  Keys keys;
  if (!FileExists(File)) return keys;
  TStringList lines;
  lines.SetText(ReadTextFile(File));
  Key* current = nullptr;
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string& line = lines[i];
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      keys.push_back({line.substr(1, line.size() - 2), {}});
      current = &keys.back();
      continue;
    }
    size_t pos = 0;
    Value v;
    if (!current || !Unquote(line, pos, v.Name) || pos >= line.size() || line[pos] != '=')
      throw Exception("Settings file \"" + File + "\" is damaged at line " + std::to_string(i + 1));
    ++pos;
    if (line.compare(pos, 6, "dword:") == 0) {
      v.IsInteger = true;
      v.Integer = StrToIntDef(line.substr(pos + 6), 0);
    } else if (!Unquote(line, pos, v.Text)) {
      throw Exception("Settings file \"" + File + "\" is damaged at line " + std::to_string(i + 1));
    }
    current->Values.push_back(std::move(v));
  }
  return keys;
}

void TSettingsStore::Save(const Keys& keys) const {
  std::string text = Header.empty() ? std::string() : "; " + Header + "\n";
  for (const auto& k : keys) {
    text += "[" + k.Path + "]\n";
    for (const auto& v : k.Values)
      text += Quote(v.Name) + "=" + (v.IsInteger ? "dword:" + std::to_string(v.Integer) : Quote(v.Text)) + "\n";
  }
  std::string folder = ExtractFilePath(File);
  if (!folder.empty() && !ForceDirectories(folder, 0700))
    throw EInOutError("Cannot create \"" + folder + "\"");
  std::string temp = File + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) throw EInOutError("Cannot write settings file \"" + temp + "\". " + std::strerror(errno));
  fchmod(fd, 0600);
  bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ok = ::close(fd) == 0 && ok;
  if (!ok || ::rename(temp.c_str(), File.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw EInOutError("Cannot write settings file \"" + File + "\". " + std::strerror(errno));
  }
}

bool TSettingsStore::KeyExists(const std::string& key) const {
  Keys keys = Load();
  return FindKey(keys, NormalKey(key)) != keys.end();
}

void TSettingsStore::CreateKey(const std::string& key) {
  Keys keys = Load();
  std::string k = NormalKey(key);
  if (FindKey(keys, k) != keys.end()) return;
  keys.push_back({k, {}});
  Save(keys);
}

void TSettingsStore::DeleteKey(const std::string& key) {
  Keys keys = Load();
  std::string k = NormalKey(key);
  auto size = keys.size();
  std::erase_if(keys, [&](const Key& x) { return SameText(x.Path, k) || StartsText(k + "\\", x.Path); });
  if (keys.size() != size) Save(keys);
}

std::vector<std::string> TSettingsStore::GetKeyNames(const std::string& key) const {
  std::string prefix = NormalKey(key) + "\\";
  std::vector<std::string> names;
  for (const auto& k : Load()) {
    if (!StartsText(prefix, k.Path)) continue;
    std::string rest = k.Path.substr(prefix.size());
    std::string child = rest.substr(0, rest.find('\\'));
    if (child.empty()) continue;
    if (std::none_of(names.begin(), names.end(), [&](const auto& n) { return SameText(n, child); }))
      names.push_back(child);
  }
  return names;
}

std::vector<std::string> TSettingsStore::GetValueNames(const std::string& key) const {
  std::vector<std::string> names;
  Keys keys = Load();
  auto k = FindKey(keys, NormalKey(key));
  if (k != keys.end())
    for (const auto& v : k->Values) names.push_back(v.Name);
  return names;
}

bool TSettingsStore::ValueExists(const std::string& key, const std::string& name) const {
  return FindValue(Load(), key, name) != nullptr;
}

std::string TSettingsStore::ReadString(const std::string& key, const std::string& name,
                                       const std::string& defaultValue) const {
  Keys keys = Load();
  const Value* v = FindValue(keys, key, name);
  if (!v) return defaultValue;
  return v->IsInteger ? std::to_string(v->Integer) : v->Text;
}

int TSettingsStore::ReadInteger(const std::string& key, const std::string& name, int defaultValue) const {
  Keys keys = Load();
  const Value* v = FindValue(keys, key, name);
  if (!v) return defaultValue;
  return v->IsInteger ? v->Integer : StrToIntDef(v->Text, defaultValue);
}

bool TSettingsStore::ReadBool(const std::string& key, const std::string& name, bool defaultValue) const {
  return ReadInteger(key, name, defaultValue ? 1 : 0) != 0;
}

namespace {

void Put(Keys& keys, const std::string& key, TSettingsStore::Value value) {
  std::string k = NormalKey(key);
  auto it = FindKey(keys, k);
  if (it == keys.end()) {
    keys.push_back({k, {}});
    it = keys.end() - 1;
  }
  for (auto& v : it->Values) {
    if (SameText(v.Name, value.Name)) {
      value.Name = v.Name;
      v = std::move(value);
      return;
    }
  }
  it->Values.push_back(std::move(value));
}

}  // namespace

void TSettingsStore::WriteString(const std::string& key, const std::string& name, const std::string& value) {
  Keys keys = Load();
  Put(keys, key, Value{name, false, value, 0});
  Save(keys);
}

void TSettingsStore::WriteInteger(const std::string& key, const std::string& name, int value) {
  Keys keys = Load();
  Put(keys, key, Value{name, true, "", value});
  Save(keys);
}

void TSettingsStore::WriteBool(const std::string& key, const std::string& name, bool value) {
  WriteInteger(key, name, value ? 1 : 0);
}

void TSettingsStore::DeleteValue(const std::string& key, const std::string& name) {
  Keys keys = Load();
  auto it = FindKey(keys, NormalKey(key));
  if (it == keys.end()) return;
  auto size = it->Values.size();
  std::erase_if(it->Values, [&](const Value& v) { return SameText(v.Name, name); });
  if (it->Values.size() != size) Save(keys);
}

std::vector<std::string> ReadRecentFiles(const TSettingsStore& store, const std::string& key) {
  std::vector<std::string> files;
  for (int i = 0;; ++i) {
    std::string name = "File" + std::to_string(i);
    if (!store.ValueExists(key, name)) break;
    files.push_back(store.ReadString(key, name));
  }
  return files;
}

void WriteRecentFiles(TSettingsStore& store, const std::string& key, const std::vector<std::string>& files) {
  for (const auto& name : store.GetValueNames(key))
    if (StartsText("File", name)) store.DeleteValue(key, name);
  store.CreateKey(key);
  for (size_t i = 0; i < files.size(); ++i) store.WriteString(key, "File" + std::to_string(i), files[i]);
}

void AddRecentFile(TSettingsStore& store, const std::string& key, const std::string& file, size_t maxCount) {
  std::vector<std::string> files = ReadRecentFiles(store, key);
  std::erase(files, file);
  files.insert(files.begin(), file);
  if (files.size() > maxCount) files.resize(maxCount);
  WriteRecentFiles(store, key, files);
}
