#include "engine/USqlWriter.h"

#include <sys/file.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "base/UExceptions.h"
#include "base/UUtf16.h"
#include "dialect/USqlCreator.h"

namespace {

std::string ReplaceText(const std::string& s, const std::string& from, const std::string& to) {
  const std::string lower = LowerCase(s);
  std::string result;
  size_t start = 0;
  for (size_t pos; (pos = lower.find(from, start)) != std::string::npos; start = pos + from.size())
    result += s.substr(start, pos - start) + to;
  return result + s.substr(start);
}

std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

bool Exists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(name, ec);
}

void CreateEmpty(const std::string& name) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) throw EInOutError("Cannot create file \"" + name + "\". " + std::strerror(errno));
  std::fclose(f);
}

}  // namespace

std::string TFileWriter::ReplaceDatePlaceholders(const std::string& name, std::chrono::system_clock::time_point when) {
  if (name.empty() || name.find('#') == std::string::npos) return name;
  std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&t, &local);
  std::string result = ReplaceText(name, "#yyyy#", std::to_string(local.tm_year + 1900));
  result = ReplaceText(result, "#mm#", TwoDigits(local.tm_mon + 1));
  result = ReplaceText(result, "#dd#", TwoDigits(local.tm_mday));
  result = ReplaceText(result, "#hh#", TwoDigits(local.tm_hour));
  result = ReplaceText(result, "#mi#", TwoDigits(local.tm_min));
  return ReplaceText(result, "#ss#", TwoDigits(local.tm_sec));
}

void TFileWriter::SetFileName(const std::string& name) {
  FileName = name;
  DisplayName = ReplaceDatePlaceholders(name, std::chrono::system_clock::now());
}

// ---------------------------------------------------------------------------

TSqlWriter::~TSqlWriter() { Close(); }

void TSqlWriter::Close() {
  if (Stream) std::fclose(Stream);
  Stream = nullptr;
}

void TSqlWriter::BackupFile() {
  if (Exists(FileName)) {
    const std::string backup = FileName + ".bak";
    std::error_code ec;
    if (Exists(backup) && !std::filesystem::remove(backup, ec))
      throw EInOutError("Cannot delete file \"" + backup + "\". " + ec.message());
    std::filesystem::rename(FileName, backup, ec);
    if (ec) throw EInOutError("Cannot rename file \"" + FileName + "\" to \"" + backup + "\". " + ec.message());
  }
  CreateEmpty(FileName);
}

void TSqlWriter::Write(const std::string& utf8) {
  if (!Stream) throw EInOutError("Cannot write file \"" + FileName + "\": it is not open");
  const std::string bytes = Unicode ? Utf8ToUtf16Le(utf8) : utf8;
  if (std::fwrite(bytes.data(), 1, bytes.size(), Stream) != bytes.size() || std::fflush(Stream) != 0)
    throw EInOutError("Cannot write file \"" + FileName + "\". " + std::strerror(errno));
}

void TSqlWriter::BeginWrite() {
  Close();
  if (!SqlCreator) throw Exception("The SQL writer has no SQL creator");
  Append = LowerCase(SqlCreator->LoadType) == "append";
  if (!Exists(FileName) || !Append) CreateEmpty(FileName);
  Stream = std::fopen(FileName.c_str(), "r+b");
  if (!Stream) throw EInOutError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
  // Others may read the script while it grows, but not write into it.
  if (flock(fileno(Stream), LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    Close();
    throw EInOutError("Cannot open file \"" + FileName + "\". " + std::strerror(error));
  }
  std::fseek(Stream, 0, SEEK_END);
  // A file that is new, or empty, in append mode still needs its byte-order mark, or
  // no reader would know the text is UTF-16.
  const bool empty = std::ftell(Stream) == 0;
  if (Unicode && (!Append || empty)) {
    static const char bom[2] = {'\xFF', '\xFE'};
    if (std::fwrite(bom, 1, 2, Stream) != 2)
      throw EInOutError("Cannot write file \"" + FileName + "\". " + std::strerror(errno));
  }
  if (SqlCreator->LoadType == "Replace") Write(SqlCreator->GetDeleteSql() + ";" + "\r" + "\n");
  Template = SqlCreator->GetWriteSql() + ";" + "\r" + "\n";
}

void TSqlWriter::BeginRow() { Current = Template; }

void TSqlWriter::SetValue(int index, const std::string& value) {
  Current = SqlCreator->FillValue(Current, index, value);
}

void TSqlWriter::SetNull(int index) { Current = SqlCreator->FillValue(Current, index, "NULL"); }

void TSqlWriter::WriteRow() { Write(Current); }

void TSqlWriter::EndWrite() {
  Close();
  Append = false;
}
