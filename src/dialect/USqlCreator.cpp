#include "dialect/USqlCreator.h"

#include <cctype>
#include <cstdlib>

#include "base/UExceptions.h"
#include "dac/USqlLexer.h"
#include "dialect/UDBDictionary.h"

namespace {

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool IsAsciiNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

bool TryDecimalText(std::string_view text, char decimalSeparator, std::string& result) {
  std::string s = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::string whole, fraction;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) whole += s[i++];
  if (i < s.size() && s[i] == decimalSeparator) {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) fraction += s[i++];
  }
  if (whole.empty() && fraction.empty()) return false;
  long exponent = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExponent = s[i++] == '-';
    std::string digits;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) digits += s[i++];
    // No decimal column holds more than a few dozen digits; a longer exponent is no
    // number any destination takes.
    if (digits.empty() || digits.size() > 3) return false;
    exponent = std::strtol(digits.c_str(), nullptr, 10);
    if (negativeExponent) exponent = -exponent;
  }
  if (i != s.size()) return false;

  std::string digits = whole + fraction;
  long point = static_cast<long>(whole.size()) + exponent;
  if (exponent < 0) {
    // The fraction keeps the digits it was written with; only the point moves.
    if (point <= 0) {
      digits = std::string(static_cast<size_t>(-point), '0') + digits;
      point = 0;
    }
  } else if (point > static_cast<long>(digits.size())) {
    digits += std::string(static_cast<size_t>(point - static_cast<long>(digits.size())), '0');
  }
  std::string intPart = digits.substr(0, static_cast<size_t>(point));
  std::string fracPart = digits.substr(static_cast<size_t>(point));
  size_t firstNonZero = intPart.find_first_not_of('0');
  intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
  result = (negative ? "-" : "") + intPart;
  if (!fracPart.empty()) result += "." + fracPart;
  return true;
}

// ---------------------------------------------------------------------------

TSqlCreator::TSqlCreator() : DecimalSeparator(LocaleDecimalSeparator()) {}

TSqlCreator::~TSqlCreator() = default;

std::unique_ptr<TDBHelper> TSqlCreator::CreateHelper() { return std::make_unique<TDBHelper>(); }

TDBHelper* TSqlCreator::Helper() {
  // Made on first use: the kind's CreateHelper cannot run from the base constructor.
  if (!FHelper) FHelper = CreateHelper();
  return FHelper.get();
}

std::string TSqlCreator::GetParamRef(int index) { return ":" + GetParamName(index); }

std::string TSqlCreator::GetParamName(int index) { return ParamNames[index]; }

std::string TSqlCreator::MakeParamName(const std::string& fieldName) {
  std::string result;
  for (char c : fieldName) {
    if (c == ' ' || c == '-' || c == '@')
      result += '_';
    else if (c != '[' && c != ']')
      result += c;
  }
  size_t slash = result.find('/');
  if (slash != std::string::npos) result.erase(slash);
  return result;
}

void TSqlCreator::SetFields(const TStringList& list) {
  Fields = list;
  ParamNames.Clear();
  for (int i = 0; i < Fields.Count(); ++i) {
    // The data-access layer reads a parameter name as letters, digits and "_", and one
    // name used twice is one parameter: any other character would end the name early,
    // and two fields on one name would both receive the last value set.
    std::string name = MakeParamName(Fields[i]);
    for (char& c : name)
      if (!IsAsciiNameChar(c)) c = '_';
    if (name.empty()) name = "P";
    std::string unique = name;
    for (int n = 2; ParamNames.IndexOf(unique) >= 0; ++n) unique = name + "_" + std::to_string(n);
    ParamNames.Add(unique);
  }
}

std::string TSqlCreator::FieldTypeOf(int index) const { return Trim(LowerCase(FieldTypes.Values(Fields[index]))); }

std::string TSqlCreator::GetFullTableName() { return Helper()->GetFullName(Schema, Table); }

std::string TSqlCreator::GetSelectEmptySql() {
  return "select " + Helper()->JoinNames(Fields) + " from " + GetFullTableName() + " where 1=0";
}

std::string TSqlCreator::GetDeleteSql() { return "delete from " + GetFullTableName(); }

std::string TSqlCreator::GetWriteSql() {
  const std::string table = GetFullTableName();
  if (LowerCase(LoadType) == "update") {
    int key = -1;
    for (int i = 0; i < Fields.Count() && key < 0; ++i)
      if (SameText(Fields[i], UpdateKey)) key = i;
    if (key < 0) throw Exception("The update key \"" + UpdateKey + "\" is not among the fields of " + table);
    std::string assignments;
    for (int i = 0; i < Fields.Count(); ++i) {
      if (i == key) continue;
      if (!assignments.empty()) assignments += ",";
      assignments += Helper()->QuoteName(Fields[i]) + "=" + GetParamRef(i);
    }
    return "update " + table + " set " + assignments + "\r\n" + "where " + Helper()->QuoteName(Fields[key]) + "=" +
           GetParamRef(key) + " ";
  }
  std::string names, refs;
  for (int i = 0; i < Fields.Count(); ++i) {
    if (i > 0) names += ",", refs += ",";
    names += Helper()->QuoteName(Fields[i]);
    refs += GetParamRef(i);
  }
  return "insert into " + table + " (" + names + ") " + "\r\n" + "  values (" + refs + ") ";
}

bool TSqlCreator::IsNotNullValue(int index, const std::string& value) {
  const std::string& field = Fields[index];
  if (NullValues.IndexOfName(field) >= 0 && SameText(value, NullValues.Values(field))) return false;
  return !SameText(value, "NULL");
}

// The text goes into the script exactly as it is: only the quote is doubled. (Dropping
// the apostrophe of "'&", as some script runners want, would change the stored value.)
std::string TSqlCreator::QuoteLiteralText(const std::string& text) { return Helper()->QuoteValue(text); }

std::string TSqlCreator::NormalizeNull(int index, const std::string& value) {
  return IsNotNullValue(index, value) ? value : std::string("null");
}

std::string TSqlCreator::ReplaceParamRef(const std::string& statement, const std::string& ref,
                                         const std::string& literal) {
  if (ref.empty()) return statement;
  std::string result;
  size_t i = 0;
  const size_t n = statement.size();
  while (i < n) {
    // Quoted text (a literal of an earlier fill, a format, a quoted name) and comments
    // are copied as they stand.
    size_t next = dac_detail::SkipQuotedOrComment(statement, i);
    if (next != i) {
      result.append(statement, i, next - i);
      i = next;
      continue;
    }
    char c = statement[i];
    bool startsClean = !IsNameChar(ref.front()) || i == 0 || !IsNameChar(statement[i - 1]);
    if (startsClean && statement.compare(i, ref.size(), ref) == 0) {
      size_t after = i + ref.size();
      bool endsClean = !IsNameChar(ref.back()) || after >= n || !IsNameChar(statement[after]);
      if (endsClean) {
        result += literal;
        i = after;
        continue;
      }
    }
    result += c;
    ++i;
  }
  return result;
}

// ---------------------------------------------------------------------------

std::string TSqlCreator::FillValue(const std::string& statement, int index, const std::string& value) {
  std::string v = NormalizeNull(index, value);
  std::string literal = v == "null" ? v : "'" + QuoteLiteralText(v) + "'";
  return ReplaceParamRef(statement, GetParamRef(index), literal);
}
