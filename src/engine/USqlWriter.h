#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/UDataWriter.h"

// The base of the writers that produce a file.
class TFileWriter : public TDataWriter {
 public:
  std::string GetDescription() override { return "To File: " + DisplayName; }

  // UTF-16 little endian when set, UTF-8 (this program's 8-bit code page) otherwise.
  void SetUnicode(bool flag) { Unicode = flag; }
  // The file is written under the name exactly as given; only the description shows
  // the date placeholders #yyyy#, #mm#, #dd#, #hh#, #mi#, #ss# (any letter case) replaced.
  void SetFileName(const std::string& name);
  const std::string& GetFileName() const { return FileName; }
  const std::string& GetDisplayName() const { return DisplayName; }

  // The name with its date placeholders replaced by the local time of when.
  static std::string ReplaceDatePlaceholders(const std::string& name, std::chrono::system_clock::time_point when);

 protected:
  bool Unicode = false;
  std::string FileName;
  std::string DisplayName;
};

// Writes the statements that would load the destination into a SQL script file, one
// per row, with the values filled in as literals by the SQL creator.
class TSqlWriter : public TFileWriter {
 public:
  ~TSqlWriter() override;

  // Raises EInOutError when the file cannot be created or opened.
  void BeginWrite() override;
  void EndWrite() override;
  void BeginRow() override;
  // Raises EConvertError for a value its column's type cannot take.
  void SetValue(int index, const std::string& value) override;
  void SetNull(int index) override;
  // Raises EInOutError, also when BeginWrite did not open the file.
  void WriteRow() override;

  // Moves an existing file to its name + ".bak" (replacing an older one) and leaves an
  // empty file under the name. Raises EInOutError.
  void BackupFile();

  void SetSqlCreator(TSqlCreator* creator) { SqlCreator = creator; }
  bool GetAppend() const { return Append; }

 private:
  void Write(const std::string& utf8);
  void Close();

  TSqlCreator* SqlCreator = nullptr;  // not owned
  std::FILE* Stream = nullptr;
  bool Append = false;
  std::string Template;
  std::string Current;
};
