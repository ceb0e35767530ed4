#pragma once

#include <memory>
#include <string>

#include "base/UIniFile.h"
#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "dialect/USqlCreator.h"
#include "engine/UConvertObjectFactory.h"
#include "engine/UDataReader.h"
#include "engine/UDataWriter.h"
#include "engine/UDateFormatParser.h"
#include "sqlite/USqliteReader.h"

// A convert-object factory handing out the engine's base objects: the options only
// keep and pass them on, which is all these tests look at.
class TPlainConvertObjectFactory : public TConvertObjectFactory {
 public:
  std::unique_ptr<TDBReader> CreateReader() override { return std::make_unique<TSqliteReader>(); }
  std::unique_ptr<TDataWriter> CreateWriter() override { return std::make_unique<TDataWriter>(); }
  std::unique_ptr<TSqlCreator> CreateSqlCreator() override { return std::make_unique<TSqlCreator>(); }
  std::unique_ptr<TDateFormatParser> CreateDateFormatParser() override { return nullptr; }
};

// The key names of section in file order, joined by "|".
inline std::string KeysOf(const std::string& fileName, const std::string& section = "Load") {
  TStringList keys;
  TIniFile(fileName).ReadSection(section, keys);
  std::string joined;
  for (int i = 0; i < keys.Count(); ++i) joined += (i ? "|" : "") + keys[i];
  return joined;
}

inline std::string ValueOf(const std::string& fileName, const std::string& key, const std::string& section = "Load") {
  return TIniFile(fileName).ReadString(section, key, "<missing>");
}

inline std::string Joined(const TStringList& list) {
  std::string joined;
  for (int i = 0; i < list.Count(); ++i) joined += (i ? "|" : "") + list[i];
  return joined;
}
