#pragma once

#include <string>
#include <string_view>

// UTF-8 <-> UTF-16 LE (no byte-order mark); raise EConvertError on malformed input.
std::string Utf8ToUtf16Le(std::string_view utf8);
std::string Utf16ToUtf8(std::string_view utf16, bool bigEndian = false);
