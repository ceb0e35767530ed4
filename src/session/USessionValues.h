#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "base/UExceptions.h"

class TIniFile;

// A session-file value that is present but cannot be used, or a name that a session
// file cannot hold. The session is refused as a whole: a run that guessed (a load
// type, an error limit, where a name ends) could write rows nobody asked for.
class ESessionValueError : public Exception {
 public:
  using Exception::Exception;
  ESessionValueError(std::string message, std::string detail)
      : Exception(std::move(message)), Detail(std::move(detail)) {}

  // For a message whose text is fixed: what key and value it is about; else empty.
  std::string Detail;
};

// The text RefuseSessionValue raises.
std::string SessionValueMessage(const TIniFile& ini, std::string_view key, std::string_view value,
                                std::string_view expected);

// Raises ESessionValueError naming the key, the value as read and what the key takes.
[[noreturn]] void RefuseSessionValue(const TIniFile& ini, std::string_view key, std::string_view value,
                                     std::string_view expected);

// A number of rows or errors. Missing or empty: defaultValue. Otherwise decimal, or
// hexadecimal after "0x" or "$", and not negative; anything else is refused.
int64_t ReadSessionCount(const TIniFile& ini, const std::string& section, const char* key, int64_t defaultValue);

// A yes/no value. Missing or empty: defaultValue. Otherwise a number (0 is false, any
// other true) or "true"/"false" in any case; anything else is refused.
bool ReadSessionFlag(const TIniFile& ini, const std::string& section, const char* key, bool defaultValue);

// The characters the maps of a session file use to separate their parts, which no name
// or other text stored in them may hold: a name holding one would be cut in two when
// the file is read again.
namespace session_map_chars {
// "Fields": entries split at "|", parts at ";"; the field names key name=value lists.
inline constexpr std::string_view FieldName = ";|=\r\n";
inline constexpr std::string_view FieldPart = ";|\r\n";
// "TableMaps": pairs split at "|", parts at ";".
inline constexpr std::string_view TablePair = ";|\r\n";
// "FieldsMaps": items split at "," with every double quote removed, each item a
// name=map; the map split at "|" and ";". Destination fields key name=value lists.
inline constexpr std::string_view FieldsMapTable = ";|=,\"\r\n";
inline constexpr std::string_view FieldsMapPart = ";|,\"\r\n";
inline constexpr std::string_view FieldsMapDestField = ";|=,\"\r\n";
}  // namespace session_map_chars

// Raises ESessionValueError when text, stored in the map key, holds one of forbidden;
// what names the text ("the name", "the null-if text of ID").
void CheckMapText(std::string_view key, std::string_view what, std::string_view text, std::string_view forbidden);
