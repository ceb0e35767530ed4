#include "dac/sqlite/USqliteTypes.h"

#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

struct TNamedType {
  const char* Name;
  TFieldType Type;
};

const TNamedType KnownTypes[] = {
    {"INTEGER", TFieldType::ftInteger},
    {"INT", TFieldType::ftInteger},
    {"MEDIUMINT", TFieldType::ftInteger},
    {"BIGINT", TFieldType::ftLargeint},
    {"INT8", TFieldType::ftLargeint},
    {"UNSIGNED BIG INT", TFieldType::ftLargeint},
    {"SMALLINT", TFieldType::ftSmallint},
    {"INT2", TFieldType::ftSmallint},
    {"TINYINT", TFieldType::ftSmallint},
    {"BOOLEAN", TFieldType::ftBoolean},
    {"BOOL", TFieldType::ftBoolean},
    {"BIT", TFieldType::ftBoolean},
    {"REAL", TFieldType::ftFloat},
    {"FLOAT", TFieldType::ftFloat},
    {"DOUBLE", TFieldType::ftFloat},
    {"DOUBLE PRECISION", TFieldType::ftFloat},
    {"NUMERIC", TFieldType::ftBCD},
    {"DECIMAL", TFieldType::ftBCD},
    {"NUMBER", TFieldType::ftBCD},
    {"MONEY", TFieldType::ftCurrency},
    {"CURRENCY", TFieldType::ftCurrency},
    {"CHAR", TFieldType::ftFixedChar},
    {"CHARACTER", TFieldType::ftFixedChar},
    {"NCHAR", TFieldType::ftFixedWideChar},
    {"NATIVE CHARACTER", TFieldType::ftFixedWideChar},
    {"VARCHAR", TFieldType::ftString},
    {"VARCHAR2", TFieldType::ftString},
    {"CHARACTER VARYING", TFieldType::ftString},
    {"VARYING CHARACTER", TFieldType::ftString},
    {"STRING", TFieldType::ftString},
    {"NVARCHAR", TFieldType::ftWideString},
    {"NVARCHAR2", TFieldType::ftWideString},
    {"NATIONAL VARCHAR", TFieldType::ftWideString},
    {"TEXT", TFieldType::ftMemo},
    {"CLOB", TFieldType::ftMemo},
    {"MEMO", TFieldType::ftMemo},
    {"LONGTEXT", TFieldType::ftMemo},
    {"MEDIUMTEXT", TFieldType::ftMemo},
    {"LONGVARCHAR", TFieldType::ftMemo},
    {"NTEXT", TFieldType::ftWideMemo},
    {"NCLOB", TFieldType::ftWideMemo},
    {"BLOB", TFieldType::ftBlob},
    {"IMAGE", TFieldType::ftBlob},
    {"LONGBLOB", TFieldType::ftBlob},
    {"MEDIUMBLOB", TFieldType::ftBlob},
    {"LONGVARBINARY", TFieldType::ftBlob},
    {"BINARY", TFieldType::ftBytes},
    {"VARBINARY", TFieldType::ftVarBytes},
    {"DATE", TFieldType::ftDate},
    {"TIME", TFieldType::ftTime},
    {"DATETIME", TFieldType::ftDateTime},
    {"TIMESTAMP", TFieldType::ftDateTime},
    {"GUID", TFieldType::ftGuid},
    {"UNIQUEIDENTIFIER", TFieldType::ftGuid},
};

bool HasSize(TFieldType t) {
  switch (t) {
    case TFieldType::ftFixedChar:
    case TFieldType::ftFixedWideChar:
    case TFieldType::ftString:
    case TFieldType::ftWideString:
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
      return true;
    default:
      return false;
  }
}

}  // namespace

TSqliteTypeMapping MapSqliteDeclaredType(std::string_view declared, int storageClass) {
  TSqliteTypeMapping result;
  // Name words joined by single blanks, upper case; numbers from the parentheses.
  std::string name;
  std::vector<int> numbers;
  size_t open = declared.find('(');
  std::string_view namePart = declared.substr(0, open);
  for (char c : namePart) {
    if (static_cast<unsigned char>(c) <= 32) {
      if (!name.empty() && name.back() != ' ') name += ' ';
    } else {
      name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (open != std::string_view::npos) {
    long long current = -1;
    for (size_t i = open + 1; i < declared.size() && declared[i] != ')'; ++i) {
      char c = declared[i];
      if (c >= '0' && c <= '9') {
        current = (current < 0 ? 0 : current) * 10 + (c - '0');
        if (current > 1000000000) current = 1000000000;
      } else if (c == ',') {
        numbers.push_back(current < 0 ? 0 : static_cast<int>(current));
        current = -1;
      }
    }
    if (current >= 0) numbers.push_back(static_cast<int>(current));
  }

  if (name.empty()) {
    switch (storageClass) {
      case SQLITE_INTEGER: result.Type = TFieldType::ftLargeint; break;
      case SQLITE_FLOAT: result.Type = TFieldType::ftFloat; break;
      case SQLITE_BLOB: result.Type = TFieldType::ftBlob; break;
      default: result.Type = TFieldType::ftString; break;
    }
    return result;
  }

  bool found = false;
  for (const auto& known : KnownTypes)
    if (name == known.Name) {
      result.Type = known.Type;
      found = true;
      break;
    }
  if (!found) {
    auto has = [&](const char* part) { return name.find(part) != std::string::npos; };
    if (has("INT"))
      result.Type = TFieldType::ftInteger;
    else if (has("CHAR") || has("CLOB") || has("TEXT"))
      result.Type = TFieldType::ftString;
    else if (has("BLOB"))
      result.Type = TFieldType::ftBlob;
    else if (has("REAL") || has("FLOA") || has("DOUB"))
      result.Type = TFieldType::ftFloat;
    else
      result.Type = TFieldType::ftString;
  }

  if (result.Type == TFieldType::ftBCD) {
    if (numbers.empty()) {
      result.Type = TFieldType::ftFloat;
    } else {
      result.Precision = numbers[0];
      result.Size = numbers.size() > 1 ? numbers[1] : 0;
      if (result.Precision > 18) result.Type = TFieldType::ftFMTBcd;
    }
  } else if (HasSize(result.Type) && !numbers.empty()) {
    result.Size = numbers[0];
  }
  return result;
}
