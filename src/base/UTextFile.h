#pragma once

#include <string>
#include <string_view>

// Reads a whole text file as UTF-8: the encoding is taken from a byte-order mark
// (UTF-8, UTF-16 LE or BE) and is UTF-8 without one. Raises EInOutError when the
// file cannot be read, EConvertError when its UTF-16 content is malformed.
std::string ReadTextFile(const std::string& fileName);

// The raw bytes of a file; raises EInOutError.
std::string ReadFileBytes(const std::string& fileName);

// Writes bytes to a file, replacing it; raises EInOutError.
void WriteFileBytes(const std::string& fileName, std::string_view bytes);

// UTF-8 <-> UTF-16 LE (no byte-order mark); raise EConvertError on malformed input.
std::string Utf8ToUtf16Le(std::string_view utf8);
std::string Utf16ToUtf8(std::string_view utf16, bool bigEndian = false);
