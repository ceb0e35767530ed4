// The date/time detector and parser. An input is a format text on its first line and
// the values of one column on the following lines, parsed in order as a writer parses
// the rows of a write: by the DB2 and the SQLite parser, in the C, German and Greek
// locales (month words, local AM/PM words, a decimal comma).
//
// The one legitimate exception is EConvertError for a value in a spreadsheet format
// ("Excel Date", "Excel Time", "Excel DateTime") that is no serial number in range, as
// the parser documents. Any other exception, a sanitizer report or a hang is a fault.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "base/UExceptions.h"
#include "base/UStrings.h"
#include "engine/UDateFormatDetector.h"
#include "engine/UDateFormatParser.h"

namespace {

std::vector<std::unique_ptr<TDateFormatParser>> MakeParsers() {
  std::vector<std::unique_ptr<TDateFormatParser>> parsers;
  for (const char* locale : {"C", "de_DE.UTF-8", "el_GR.UTF-8"}) {
    try {
      parsers.push_back(std::make_unique<TDB2DateFormatParser>(locale));
      parsers.push_back(std::make_unique<TSqliteDateFormatParser>(locale));
    } catch (const Exception&) {
      // A locale that is not installed here (scripts/install-packages.sh makes them).
    }
  }
  return parsers;
}

bool IsSpreadsheetFormat(const std::string& name) {
  return SameText(name, "Excel DateTime") || SameText(name, "Excel Date") || SameText(name, "Excel Time");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Built once: each parser compiles some fifty patterns.
  static const TDateFormatDetector detector;
  static const std::vector<std::unique_ptr<TDateFormatParser>> parsers = MakeParsers();

  TStringList lines;
  lines.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (lines.Empty()) return 0;
  const std::string format = lines[0];

  TDB2DateFormatParser::GetSqlFormat(format);
  TDateFormatParser::IsFixedFormat(format);
  for (int i = 1; i < lines.Count(); ++i) detector.Detect(lines[i]);

  for (const auto& parser : parsers) {
    parser->ResetRunMemory();
    parser->FormatNameOf(format);
    for (int i = 1; i < lines.Count(); ++i) {
      try {
        parser->Parse(lines[i], format);
      } catch (const EConvertError& e) {
        if (!IsSpreadsheetFormat(parser->GetCurrentFormat()))
          FuzzFault("EConvertError outside a spreadsheet format", e.Message);
      }
    }
    if (lines.Count() > 1) parser->DetectDBFormat(lines[1]);
  }
  return 0;
}
