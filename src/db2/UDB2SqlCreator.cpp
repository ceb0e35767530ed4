#include "db2/UDB2SqlCreator.h"

#include <cstdint>

#include "base/UExceptions.h"
#include "db2/UDB2DBDictionary.h"
#include "engine/UDateFormatParser.h"

namespace {

bool IsDateType(const std::string& type) { return type == "time" || type == "date" || type == "timestamp"; }

}  // namespace

std::unique_ptr<TDBHelper> TDB2SqlCreator::CreateHelper() { return std::make_unique<TDB2DBHelper>(); }

std::string TDB2SqlCreator::GetParamRef(int index) {
  const std::string plain = ":" + GetParamName(index);
  if (!IsDateType(FieldTypeOf(index))) return plain;
  const std::string format = DateFormats.Values(Fields[index]);
  // A format that fixes no shape must not become TIMESTAMP_FORMAT's argument: the
  // database would reject every value against it.
  if (!TDateFormatParser::IsFixedFormat(format)) return plain;
  const std::string sqlFormat = TDB2DateFormatParser::GetSqlFormat(format);
  if (LowerCase(sqlFormat) == "auto detect") return plain;
  return "TIMESTAMP_FORMAT(" + plain + ",'" + Helper()->QuoteValue(sqlFormat) + "')";
}

std::string TDB2SqlCreator::FillValue(const std::string& statement, int index, const std::string& value) {
  const std::string type = FieldTypeOf(index);
  std::string ref = ":" + GetParamName(index);
  std::string v = QuoteLiteralText(NormalizeNull(index, value));
  const bool isNull = v == "null" || v.empty();
  std::string literal;
  if (type == "integer" || type == "bigint" || type == "smallint" || type == "bit") {
    int64_t number = 0;
    if (isNull)
      literal = "null";
    else if (TryStrToInt64(v, number))
      literal = IntToStr(number);
    else
      throw EConvertError("'" + value + "' is not a valid integer value");
  } else if (StartsText("decimal", type) || StartsText("numeric", type) || type == "float" || type == "real" ||
             type == "double") {
    // Written with "." whatever the locale: a "3,5" in the script would be two values.
    if (isNull)
      literal = "null";
    else if (!TryDecimalText(v, DecimalSeparator, literal))
      throw EConvertError("'" + value + "' is not a valid floating point value");
  } else if (IsDateType(type)) {
    if (isNull) {
      literal = "null";
      ref = GetParamRef(index);
    } else {
      literal = "'" + v + "'";
    }
  } else {
    literal = v == "null" ? "null" : "'" + v + "'";
  }
  return ReplaceParamRef(statement, ref, literal);
}
