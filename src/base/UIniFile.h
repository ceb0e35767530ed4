#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

#include "base/UExceptions.h"

class TStringList;

// A write to an ini file that could not be carried out (the file could not be
// written, or the name or value would not survive a read).
class EIniFileException : public Exception {
 public:
  using Exception::Exception;
};

// A Windows-style profile file: "[Section]" headers followed by "Key=Value" lines.
//
// Every operation goes to the file itself, as profile functions do: a read sees what
// is on disk now, and a write is on disk when it returns. That keeps several objects
// that open the same file one after another (each option object of a session) from
// overwriting each other's keys.
//
// - Names of sections and keys compare without regard to case; the first section and
//   the first key of a name win.
// - A write replaces the line of its key in place, adds a new key after the last line
//   of its section and a new section at the end of the file. Every other line (other
//   keys, comments, blank lines) stays as it was.
// - On reading, blanks around a value are dropped and a value enclosed in a pair of
//   double or single quotes loses that pair. A write quotes a value that would
//   otherwise come back changed, so what is written is what is read.
// - A file's byte-order mark (UTF-8, UTF-16) and its line breaks (CR LF or LF) are kept;
//   a new file is UTF-8 without a mark, with CR LF line breaks.
// - A file is replaced by writing a temporary file next to it and renaming that over
//   it, so a failed write never leaves a half-written file behind.
class TIniFile {
 public:
  static constexpr size_t NoLimit = std::numeric_limits<size_t>::max();

  // A relative name is made absolute against the current folder here, once.
  explicit TIniFile(const std::string& fileName);
  virtual ~TIniFile() = default;

  const std::string& FileName() const { return FFileName; }
  // Values read longer than this many characters are cut to it.
  size_t MaxValueLength() const { return FMaxValueLength; }

  std::string ReadString(std::string_view section, std::string_view ident, const std::string& defaultValue) const;
  // Decimal, or hexadecimal after "0x" or "$"; an unreadable number gives the default.
  int ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const;
  // Read as an integer: 0 is false, any other number true, anything else the default.
  bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;

  // Raise EIniFileException when the file cannot be written, or when a name holds a
  // line break (or a section name a "]", a key name a "=") or a value a line break.
  void WriteString(std::string_view section, std::string_view ident, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view ident, int value);
  void WriteBool(std::string_view section, std::string_view ident, bool value);  // "1" or "0"

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view ident) const;
  // The key names of a section, in file order, each name once.
  void ReadSection(std::string_view section, TStringList& idents) const;
  // The section names, in file order, each name once.
  void ReadSections(TStringList& sections) const;
  // name=value for every key of a section, values read as ReadString reads them.
  void ReadSectionValues(std::string_view section, TStringList& values) const;

  // Remove a section with all its lines, or one key (every line of that key).
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view ident);

 protected:
  TIniFile(const std::string& fileName, size_t maxValueLength);

 private:
  std::string FFileName;
  size_t FMaxValueLength;
};
