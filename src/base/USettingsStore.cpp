#include "base/USettingsStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

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

// Holds the lock file locked, exclusively, for one read or read-modify-write of the
// store. flock belongs to the open file, so two threads of one process exclude each
// other as two processes do. A holder that never lets go (a stopped process) makes the
// caller give up with an error after timeoutMs instead of hanging a scheduled run.
class TStoreLock {
 public:
  TStoreLock(const std::string& lockFile, bool required, int timeoutMs) {
    Fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (Fd < 0) {
      if (required) throw EInOutError("Cannot open settings lock file \"" + lockFile + "\". " + std::strerror(errno));
      return;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::milliseconds(1);
    while (::flock(Fd, LOCK_EX | LOCK_NB) != 0) {
      int error = errno;
      if (error == EINTR) continue;
      if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
        ::close(Fd);
        throw EInOutError("Cannot lock settings file \"" + lockFile + "\". " +
                          (error == EWOULDBLOCK ? std::string("Another process holds it.") : std::strerror(error)));
      }
      std::this_thread::sleep_for(pause);
      pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
  }
  ~TStoreLock() {
    if (Fd >= 0) ::close(Fd);  // closing releases the lock
  }
  TStoreLock(const TStoreLock&) = delete;
  TStoreLock& operator=(const TStoreLock&) = delete;

 private:
  int Fd = -1;
};

}  // namespace

TSettingsStore::TSettingsStore(std::string fileName, std::string header)
    : File(std::move(fileName)), Header(std::move(header)) {}

std::vector<TSettingsStore::Key> TSettingsStore::Load() const {
  if (Held) return *Held;
  if (!FileExists(File)) return {};
  // A folder where the lock file cannot be made is read without it: nobody can
  // write there either.
  TStoreLock lock(LockFileName(), false, LockTimeoutMs);
  return LoadLocked();
}

std::vector<TSettingsStore::Key> TSettingsStore::LoadLocked() const {
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
    bool ok = current && Unquote(line, pos, v.Name) && pos < line.size() && line[pos] == '=';
    if (ok) {
      ++pos;
      if (line.compare(pos, 6, "dword:") == 0) {
        v.IsInteger = true;
        v.Integer = StrToIntDef(line.substr(pos + 6), 0);
      } else {
        ok = Unquote(line, pos, v.Text);
      }
    }
    if (!ok) {
      // What is left of a damaged file is not trusted: it is kept for a look, and
      // the lists and flags it held start anew.
      SetAside("is damaged at line " + std::to_string(i + 1));
      return {};
    }
    current->Values.push_back(std::move(v));
  }
  return keys;
}

void TSettingsStore::SetAside(const std::string& reason) const {
  std::string aside = File + ".damaged";
  for (int n = 1; FileExists(aside) || DirectoryExists(aside); ++n) aside = File + ".damaged" + std::to_string(n);
  if (::rename(File.c_str(), aside.c_str()) == 0)
    Warnings.push_back("Settings file \"" + File + "\" " + reason + "; it was set aside as \"" + aside +
                       "\" and started anew.");
  else
    Warnings.push_back("Settings file \"" + File + "\" " + reason + " and cannot be set aside (" +
                       std::strerror(errno) + "); it is ignored.");
}

void TSettingsStore::Modify(const std::function<bool(Keys& keys)>& change) {
  if (Held) {
    if (change(*Held)) HeldChanged = true;
    return;
  }
  std::string folder = ExtractFilePath(File);
  if (!folder.empty() && !ForceDirectories(folder, 0700)) throw EInOutError("Cannot create \"" + folder + "\"");
  TStoreLock lock(LockFileName(), true, LockTimeoutMs);
  Keys keys = LoadLocked();
  if (change(keys)) Save(keys);
}

void TSettingsStore::Transaction(const std::function<void()>& change) {
  if (Held) {
    change();
    return;
  }
  std::string folder = ExtractFilePath(File);
  if (!folder.empty() && !ForceDirectories(folder, 0700)) throw EInOutError("Cannot create \"" + folder + "\"");
  TStoreLock lock(LockFileName(), true, LockTimeoutMs);
  Held = LoadLocked();
  HeldChanged = false;
  try {
    change();
  } catch (...) {
    Held.reset();
    throw;
  }
  Keys keys = std::move(*Held);
  Held.reset();
  if (HeldChanged) Save(keys);
}

std::vector<std::string> TSettingsStore::TakeWarnings() { return std::exchange(Warnings, {}); }

void TSettingsStore::Save(const Keys& keys) const {
  std::string text = Header.empty() ? std::string() : "; " + Header + "\n";
  for (const auto& k : keys) {
    text += "[" + k.Path + "]\n";
    for (const auto& v : k.Values)
      text += Quote(v.Name) + "=" + (v.IsInteger ? "dword:" + std::to_string(v.Integer) : Quote(v.Text)) + "\n";
  }
  // A temporary file of this call's own, complete on disk before it takes the
  // settings file's name: a reader sees the old file or the new one, never a mix.
  std::string temp = File + ".XXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) throw EInOutError("Cannot write settings file \"" + File + "\". " + std::strerror(errno));
  bool ok = ::fchmod(fd, 0600) == 0;
  size_t done = 0;
  while (ok && done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temp.c_str(), File.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    throw EInOutError("Cannot write settings file \"" + File + "\". " + std::strerror(error));
  }
}

bool TSettingsStore::KeyExists(const std::string& key) const {
  Keys keys = Load();
  return FindKey(keys, NormalKey(key)) != keys.end();
}

void TSettingsStore::CreateKey(const std::string& key) {
  std::string k = NormalKey(key);
  Modify([&](Keys& keys) {
    if (FindKey(keys, k) != keys.end()) return false;
    keys.push_back({k, {}});
    return true;
  });
}

void TSettingsStore::DeleteKey(const std::string& key) {
  std::string k = NormalKey(key);
  Modify([&](Keys& keys) {
    auto size = keys.size();
    std::erase_if(keys, [&](const Key& x) { return SameText(x.Path, k) || StartsText(k + "\\", x.Path); });
    return keys.size() != size;
  });
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
  Modify([&](Keys& keys) {
    Put(keys, key, Value{name, false, value, 0});
    return true;
  });
}

void TSettingsStore::WriteInteger(const std::string& key, const std::string& name, int value) {
  Modify([&](Keys& keys) {
    Put(keys, key, Value{name, true, "", value});
    return true;
  });
}

void TSettingsStore::WriteBool(const std::string& key, const std::string& name, bool value) {
  WriteInteger(key, name, value ? 1 : 0);
}

void TSettingsStore::DeleteValue(const std::string& key, const std::string& name) {
  Modify([&](Keys& keys) {
    auto it = FindKey(keys, NormalKey(key));
    if (it == keys.end()) return false;
    auto size = it->Values.size();
    std::erase_if(it->Values, [&](const Value& v) { return SameText(v.Name, name); });
    return it->Values.size() != size;
  });
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
  store.Transaction([&] {
    for (const auto& name : store.GetValueNames(key))
      if (StartsText("File", name)) store.DeleteValue(key, name);
    store.CreateKey(key);
    for (size_t i = 0; i < files.size(); ++i) store.WriteString(key, "File" + std::to_string(i), files[i]);
  });
}

void AddRecentFile(TSettingsStore& store, const std::string& key, const std::string& file, size_t maxCount) {
  // One transaction: a run adding its file at the same moment as another keeps both.
  store.Transaction([&] {
    std::vector<std::string> files = ReadRecentFiles(store, key);
    std::erase(files, file);
    files.insert(files.begin(), file);
    if (files.size() > maxCount) files.resize(maxCount);
    WriteRecentFiles(store, key, files);
  });
}
