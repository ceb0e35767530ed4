// A session file loaded from arbitrary bytes: the ini reader on its own (every read
// operation, then writes that must read back as written), and the three session kinds
// loading the same file.
//
// Legitimate outcomes besides success: the project's own exceptions (class Exception
// and its subclasses) raised by a session load or by reading its items, which refuse an
// invalid file with a message; EConvertError from a file marked UTF-16 whose bytes are
// not UTF-16, or a write of text that is not UTF-8 into such a file; EIniFileException
// from a write of a name the ini format cannot hold. Anything else escaping (std::
// exceptions), a sanitizer report, a hang and a value that does not read back as written
// are faults.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "base/UExceptions.h"
#include "base/UIniFile.h"
#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "db2/UDB2ConvertObjectFactory.h"
#include "sqlite/USqliteConvertObjectFactory.h"
#include "session/UMyIniFile.h"
#include "session/UTransveySession.h"

namespace {

struct TSection {
  std::string Name;
  std::vector<std::string> Values;  // name=value, as ReadSectionValues gives them
};

std::vector<TSection> ReadEverything(const TIniFile& ini) {
  std::vector<TSection> all;
  TStringList sections;
  ini.ReadSections(sections);
  for (const std::string& name : sections.Strings()) {
    TStringList values, idents;
    ini.ReadSectionValues(name, values);
    ini.ReadSection(name, idents);
    if (idents.Count() != values.Count()) FuzzFault("ReadSection and ReadSectionValues disagree", name);
    for (int i = 0; i < idents.Count(); ++i) {
      std::string value = ini.ReadString(name, idents[i], "\x01missing");
      if (values.Names(i) != idents[i] || values.ValueFromIndex(i) != value)
        FuzzFault("ReadString disagrees with ReadSectionValues", name + " / " + idents[i]);
      if (!ini.ValueExists(name, idents[i])) FuzzFault("a key read is not there", name + " / " + idents[i]);
    }
    if (!ini.SectionExists(name)) FuzzFault("a section read is not there", name);
    all.push_back({name, values.Strings()});
  }
  return all;
}

bool SameContent(const std::vector<TSection>& a, const std::vector<TSection>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Name != b[i].Name || a[i].Values != b[i].Values) return false;
  return true;
}

// The refusals a write may give: a name the format cannot hold, or text that cannot go
// into the file's encoding.
bool TryWrite(TIniFile& ini, const std::string& section, const std::string& ident, const std::string& value) {
  try {
    ini.WriteString(section, ident, value);
    return true;
  } catch (const EIniFileException&) {
  } catch (const EConvertError&) {
  }
  return false;
}

void FuzzIniFile(const std::string& fileName, const std::string& bytes) {
  WriteFileBytes(fileName, bytes);
  TIniFile ini(fileName);
  std::vector<TSection> before;
  try {
    before = ReadEverything(ini);
  } catch (const EConvertError&) {
    return;  // marked UTF-16 but not UTF-16
  }
  TMyIniFile cut(fileName);
  for (const TSection& section : before) {
    TStringList values;
    cut.ReadSectionValues(section.Name, values);
  }

  // Writing back what was read changes nothing that can be read.
  for (const TSection& section : before) {
    if (section.Values.empty()) continue;
    const std::string& entry = section.Values.front();
    size_t eq = entry.find('=');
    if (!TryWrite(ini, section.Name, entry.substr(0, eq), entry.substr(eq + 1))) continue;
    std::vector<TSection> after = ReadEverything(ini);
    if (!SameContent(before, after)) FuzzFault("writing back a value read changed the file's content", entry);
  }

  // A new value made of the file's own bytes reads back as written.
  std::string value = bytes.substr(bytes.size() / 2);
  std::string section = before.empty() ? std::string("Load") : before.back().Name;
  if (TryWrite(ini, section, "Fuzz Key", value)) {
    std::string read = ini.ReadString(section, "Fuzz Key", "\x01missing");
    if (read != value) FuzzFault("a written value does not read back", value + "\n---\n" + read);
    ini.DeleteKey(section, "Fuzz Key");
    if (ini.ValueExists(section, "Fuzz Key")) FuzzFault("a deleted key is still there", section);
  }
  if (!before.empty()) {
    ini.EraseSection(before.front().Name);
    if (ini.SectionExists(before.front().Name)) FuzzFault("an erased section is still there", before.front().Name);
  }
}

template <typename TSession>
void LoadSession(const std::string& fileName, TConvertObjectFactory* source, TConvertObjectFactory* dest) {
  TSession session(nullptr, nullptr, source, dest);
  // The recent-file list lives in the user's settings: a load here must not touch them.
  session.MruList->RegistryKey.clear();
  try {
    session.LoadFromFile(fileName);
    session.GetDescription();
    session.GetCaption();
    // A selection flag that is no boolean text loads, and raises when the pairs are
    // counted: the run then ends with that message.
    for (int i = 0; i < session.GetItemCount(); ++i) {
      session.GetItemSourceName(i);
      session.GetItemDestName(i);
      session.IsItemSkipped(i);
    }
    session.GetSelectedItemCount();
  } catch (const Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Nothing a session does may reach the real per-user folders.
  const std::string& dir = FuzzScratchDir();
  setenv("FERROVAN_SETTINGS_FILE", (dir + "/settings.reg").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
  setenv("XDG_DOCUMENTS_DIR", (dir + "/documents").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TSqliteConvertObjectFactory sourceFactory;
  static TDB2ConvertObjectFactory destFactory;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string dir = FuzzScratchDir();

  FuzzIniFile(dir + "/fuzz.ini", bytes);

  for (const char* ext : {".uld", ".ulq", ".ula"}) WriteFileBytes(dir + "/session" + ext, bytes);
  LoadSession<TTransveyTableLoadSession>(dir + "/session.uld", &sourceFactory, &destFactory);
  LoadSession<TTransveyQueryLoadSession>(dir + "/session.ulq", &sourceFactory, &destFactory);
  LoadSession<TTransveyBatchLoadSession>(dir + "/session.ula", &sourceFactory, &destFactory);
  return 0;
}
