#include "base/UIniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "base/UUtf16.h"

namespace {

enum class TIniEncoding { Plain, Utf8Bom, Utf16Le, Utf16Be };

struct TIniDocument {
  std::vector<std::string> Lines;
  std::string LineBreak = "\r\n";
  TIniEncoding Encoding = TIniEncoding::Plain;
};

enum class TLineKind { Other, Section, Key };

struct TLineInfo {
  TLineKind Kind = TLineKind::Other;
  std::string Name;
  size_t ValuePos = 0;  // first byte after "=" of a key line
};

TLineInfo Classify(const std::string& line) {
  TLineInfo info;
  std::string t = TrimLeft(line);
  if (t.empty() || t[0] == ';') return info;
  if (t[0] == '[') {
    size_t close = t.find(']');
    if (close != std::string::npos) {
      info.Kind = TLineKind::Section;
      info.Name = Trim(t.substr(1, close - 1));
    }
    return info;
  }
  size_t eq = line.find('=');
  if (eq == std::string::npos) return info;
  info.Name = Trim(line.substr(0, eq));
  if (info.Name.empty()) return info;
  info.Kind = TLineKind::Key;
  info.ValuePos = eq + 1;
  return info;
}

std::string SwapByteOrder(std::string_view utf16) {
  std::string swapped(utf16);
  for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
  return swapped;
}

TIniDocument LoadDocument(const std::string& fileName) {
  TIniDocument doc;
  struct stat st;
  if (stat(fileName.c_str(), &st) != 0 && errno == ENOENT) return doc;
  std::string bytes = ReadFileBytes(fileName);
  std::string text;
  auto startsWith = [&](std::string_view bom) { return bytes.compare(0, bom.size(), bom) == 0; };
  if (startsWith("\xEF\xBB\xBF")) {
    doc.Encoding = TIniEncoding::Utf8Bom;
    text = bytes.substr(3);
  } else if (startsWith("\xFF\xFE")) {
    doc.Encoding = TIniEncoding::Utf16Le;
    text = Utf16ToUtf8(std::string_view(bytes).substr(2), false);
  } else if (startsWith("\xFE\xFF")) {
    doc.Encoding = TIniEncoding::Utf16Be;
    text = Utf16ToUtf8(std::string_view(bytes).substr(2), true);
  } else {
    text = std::move(bytes);
  }
  if (text.find("\r\n") != std::string::npos)
    doc.LineBreak = "\r\n";
  else if (text.find('\n') != std::string::npos)
    doc.LineBreak = "\n";
  else if (text.find('\r') != std::string::npos)
    doc.LineBreak = "\r";
  TStringList lines;
  lines.SetText(text);
  doc.Lines = lines.Strings();
  return doc;
}

[[noreturn]] void RaiseWriteError(const std::string& fileName, int error) {
  throw EIniFileException("Unable to write to " + fileName + " (" + std::strerror(error) + ")");
}

// The file a write replaces: the target of a symbolic link rather than the link.
std::string ResolveTarget(const std::string& fileName) {
  struct stat st;
  if (lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(fileName.c_str(), resolved)) return resolved;
  }
  return fileName;
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw errno;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void SaveDocument(const std::string& fileName, const TIniDocument& doc) {
  std::string text;
  for (const auto& line : doc.Lines) text += line + doc.LineBreak;
  std::string bytes;
  switch (doc.Encoding) {
    case TIniEncoding::Plain:
      bytes = std::move(text);
      break;
    case TIniEncoding::Utf8Bom:
      bytes = "\xEF\xBB\xBF" + text;
      break;
    case TIniEncoding::Utf16Le:
      bytes = "\xFF\xFE" + Utf8ToUtf16Le(text);
      break;
    case TIniEncoding::Utf16Be:
      bytes = "\xFE\xFF" + SwapByteOrder(Utf8ToUtf16Le(text));
      break;
  }

  std::string target = ResolveTarget(fileName);
  std::filesystem::path targetPath(target);
  std::string folder = targetPath.parent_path().string();
  if (folder.empty()) folder = ".";
  struct stat old;
  bool replacing = stat(target.c_str(), &old) == 0;

  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = folder + "/." + targetPath.filename().string() + ".tmp-" + std::to_string(getpid()) + "-" +
           std::to_string(counter++);
    // 0666 lets the umask decide a new file's permissions, as for any other new file.
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) RaiseWriteError(fileName, errno);
  }
  if (fd < 0) RaiseWriteError(fileName, EEXIST);
  try {
    if (replacing && fchmod(fd, old.st_mode & 07777) != 0) throw errno;
    WriteAll(fd, bytes);
    if (fsync(fd) != 0) throw errno;
    if (::close(fd) != 0) {
      fd = -1;
      throw errno;
    }
    fd = -1;
    if (std::rename(temp.c_str(), target.c_str()) != 0) throw errno;
  } catch (int error) {
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    RaiseWriteError(fileName, error);
  }
  int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    ::close(dirFd);
  }
}

// Index of the header of the first section of that name, or -1.
int FindSection(const TIniDocument& doc, std::string_view section) {
  std::string name = Trim(section);
  for (size_t i = 0; i < doc.Lines.size(); ++i) {
    TLineInfo info = Classify(doc.Lines[i]);
    if (info.Kind == TLineKind::Section && SameText(info.Name, name)) return static_cast<int>(i);
  }
  return -1;
}

// One past the last line of the section whose header is at index header.
size_t SectionEnd(const TIniDocument& doc, int header) {
  size_t i = static_cast<size_t>(header) + 1;
  while (i < doc.Lines.size() && Classify(doc.Lines[i]).Kind != TLineKind::Section) ++i;
  return i;
}

std::string CutToCharacters(std::string value, size_t maxChars) {
  if (maxChars == TIniFile::NoLimit || value.size() <= maxChars) return value;
  size_t chars = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    // Count UTF-8 lead bytes only, so a character is never cut in half.
    if ((static_cast<unsigned char>(value[i]) & 0xC0) != 0x80) {
      if (chars == maxChars) {
        value.resize(i);
        break;
      }
      ++chars;
    }
  }
  return value;
}

std::string DecodeValue(std::string_view raw, size_t maxChars) {
  std::string value = Trim(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return CutToCharacters(std::move(value), maxChars);
}

// A value that reading would change (blanks at its ends, or a pair of enclosing
// quotes of its own) is written inside double quotes, which reading takes off again.
std::string EncodeValue(std::string_view value) {
  bool quotedByItself =
      value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
  if (quotedByItself || Trim(value) != value) return "\"" + std::string(value) + "\"";
  return std::string(value);
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

void CheckNames(const std::string& fileName, std::string_view section, std::string_view ident) {
  std::string key = Trim(ident);
  if (HasLineBreak(section) || section.find(']') != std::string_view::npos)
    throw EIniFileException("Invalid ini section name \"" + std::string(section) + "\" for " + fileName);
  if (key.empty() || HasLineBreak(key) || key.find('=') != std::string::npos || key[0] == '[' || key[0] == ';')
    throw EIniFileException("Invalid ini key name \"" + std::string(ident) + "\" for " + fileName);
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName) : TIniFile(fileName, NoLimit) {}

TIniFile::TIniFile(const std::string& fileName, size_t maxValueLength)
    : FFileName(fileName.empty() ? fileName : std::filesystem::absolute(fileName).string()),
      FMaxValueLength(maxValueLength) {}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 const std::string& defaultValue) const {
  TIniDocument doc = LoadDocument(FFileName);
  int header = FindSection(doc, section);
  if (header < 0) return defaultValue;
  std::string key = Trim(ident);
  size_t end = SectionEnd(doc, header);
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
    TLineInfo info = Classify(doc.Lines[i]);
    if (info.Kind == TLineKind::Key && SameText(info.Name, key))
      return DecodeValue(std::string_view(doc.Lines[i]).substr(info.ValuePos), FMaxValueLength);
  }
  return defaultValue;
}

int TIniFile::ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const {
  return StrToIntDef(ReadString(section, ident, ""), defaultValue);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value) {
  CheckNames(FFileName, section, ident);
  if (HasLineBreak(value))
    throw EIniFileException("The value of \"" + std::string(ident) + "\" holds a line break and cannot be written to " +
                            FFileName);
  TIniDocument doc = LoadDocument(FFileName);
  std::string key = Trim(ident);
  std::string line = key + "=" + EncodeValue(value);
  int header = FindSection(doc, section);
  if (header < 0) {
    doc.Lines.push_back("[" + Trim(section) + "]");
    doc.Lines.push_back(line);
  } else {
    size_t end = SectionEnd(doc, header);
    size_t insertAt = static_cast<size_t>(header) + 1;
    bool replaced = false;
    for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
      TLineInfo info = Classify(doc.Lines[i]);
      if (info.Kind == TLineKind::Key && SameText(info.Name, key)) {
        doc.Lines[i] = line;
        replaced = true;
        break;
      }
      // Blank lines that separate this section from the next stay after the new key.
      if (!Trim(doc.Lines[i]).empty()) insertAt = i + 1;
    }
    if (!replaced) doc.Lines.insert(doc.Lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
  }
  SaveDocument(FFileName, doc);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

bool TIniFile::SectionExists(std::string_view section) const {
  return FindSection(LoadDocument(FFileName), section) >= 0;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const {
  TStringList idents;
  ReadSection(section, idents);
  return idents.IndexOf(Trim(ident)) >= 0;
}

void TIniFile::ReadSection(std::string_view section, TStringList& idents) const {
  idents.Clear();
  TIniDocument doc = LoadDocument(FFileName);
  int header = FindSection(doc, section);
  if (header < 0) return;
  size_t end = SectionEnd(doc, header);
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
    TLineInfo info = Classify(doc.Lines[i]);
    if (info.Kind == TLineKind::Key && idents.IndexOf(info.Name) < 0) idents.Add(info.Name);
  }
}

void TIniFile::ReadSections(TStringList& sections) const {
  sections.Clear();
  TIniDocument doc = LoadDocument(FFileName);
  for (const auto& line : doc.Lines) {
    TLineInfo info = Classify(line);
    if (info.Kind == TLineKind::Section && sections.IndexOf(info.Name) < 0) sections.Add(info.Name);
  }
}

void TIniFile::ReadSectionValues(std::string_view section, TStringList& values) const {
  values.Clear();
  TIniDocument doc = LoadDocument(FFileName);
  int header = FindSection(doc, section);
  if (header < 0) return;
  TStringList seen;
  size_t end = SectionEnd(doc, header);
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
    TLineInfo info = Classify(doc.Lines[i]);
    if (info.Kind != TLineKind::Key || seen.IndexOf(info.Name) >= 0) continue;
    seen.Add(info.Name);
    values.Add(info.Name + "=" + DecodeValue(std::string_view(doc.Lines[i]).substr(info.ValuePos), FMaxValueLength));
  }
}

void TIniFile::EraseSection(std::string_view section) {
  TIniDocument doc = LoadDocument(FFileName);
  bool changed = false;
  for (int header; (header = FindSection(doc, section)) >= 0;) {
    size_t end = SectionEnd(doc, header);
    doc.Lines.erase(doc.Lines.begin() + header, doc.Lines.begin() + static_cast<std::ptrdiff_t>(end));
    changed = true;
  }
  if (changed) SaveDocument(FFileName, doc);
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
  TIniDocument doc = LoadDocument(FFileName);
  int header = FindSection(doc, section);
  if (header < 0) return;
  std::string key = Trim(ident);
  size_t end = SectionEnd(doc, header);
  bool changed = false;
  for (size_t i = end; i-- > static_cast<size_t>(header) + 1;) {
    TLineInfo info = Classify(doc.Lines[i]);
    if (info.Kind == TLineKind::Key && SameText(info.Name, key)) {
      doc.Lines.erase(doc.Lines.begin() + static_cast<std::ptrdiff_t>(i));
      changed = true;
    }
  }
  if (changed) SaveDocument(FFileName, doc);
}
