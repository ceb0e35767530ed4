#include "base/UTextFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/UExceptions.h"
#include "base/UUtf16.h"

std::string ReadFileBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EInOutError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) throw EInOutError("Cannot read file \"" + fileName + "\"");
  return buffer.str();
}

void WriteFileBytes(const std::string& fileName, std::string_view bytes) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out) throw EInOutError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw EInOutError("Cannot write file \"" + fileName + "\"");
}

std::string ReadTextFile(const std::string& fileName) {
  std::string bytes = ReadFileBytes(fileName);
  auto startsWith = [&](std::string_view bom) { return bytes.compare(0, bom.size(), bom) == 0; };
  if (startsWith("\xEF\xBB\xBF")) return bytes.substr(3);
  if (startsWith("\xFF\xFE")) return Utf16ToUtf8(std::string_view(bytes).substr(2), false);
  if (startsWith("\xFE\xFF")) return Utf16ToUtf8(std::string_view(bytes).substr(2), true);
  return bytes;
}
