#pragma once

#include <cstddef>
#include <string>

#include "base/UIniFile.h"

// The ini file every session load reads through: long enough for SQL texts and
// field lists, and cutting longer values at this length.
class TMyIniFile : public TIniFile {
 public:
  static constexpr size_t MaxValueChars = 307200;

  explicit TMyIniFile(const std::string& fileName) : TIniFile(fileName, MaxValueChars) {}
};
