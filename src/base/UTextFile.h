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
