#include "dac/odbc/UOdbcTypes.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>

TOdbcTypeMapping MapOdbcSqlType(int sqlType, long long columnSize, int decimalDigits) {
  TOdbcTypeMapping m;
  auto size = static_cast<int>(std::clamp<long long>(columnSize, 0, 0x7fffffff));
  switch (sqlType) {
    case SQL_CHAR:
      m.Type = TFieldType::ftFixedChar;
      m.Size = size;
      break;
    case SQL_VARCHAR:
      m.Type = TFieldType::ftString;
      m.Size = size;
      break;
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SqlVarGraphic:
      m.Type = TFieldType::ftWideString;
      m.Size = size;
      break;
    case SqlGraphic:
      m.Type = TFieldType::ftFixedWideChar;
      m.Size = size;
      break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
    case SqlLongVarGraphic:
    case SqlClob:
    case SqlDbClob:
    case SqlXml:
      m.Type = TFieldType::ftMemo;
      break;
    case SqlBlob:
    case SQL_LONGVARBINARY:
      m.Type = TFieldType::ftBlob;
      break;
    case SQL_BINARY:
      m.Type = TFieldType::ftBytes;
      m.Size = size;
      break;
    case SQL_VARBINARY:
      m.Type = TFieldType::ftVarBytes;
      m.Size = size;
      break;
    case SQL_SMALLINT:
    case SQL_TINYINT:
      m.Type = TFieldType::ftSmallint;
      break;
    case SQL_INTEGER:
      m.Type = TFieldType::ftInteger;
      break;
    case SQL_BIGINT:
      m.Type = TFieldType::ftLargeint;
      break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      m.Type = size > 18 ? TFieldType::ftFMTBcd : TFieldType::ftBCD;
      m.Precision = size;
      m.Size = decimalDigits;
      break;
    case SqlDecFloat:
      m.Type = TFieldType::ftFMTBcd;
      m.Precision = size;
      break;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      m.Type = TFieldType::ftFloat;
      break;
    case SQL_BIT:
    case SqlBoolean:
      m.Type = TFieldType::ftBoolean;
      break;
    case SQL_TYPE_DATE:
    case SQL_DATE:
      m.Type = TFieldType::ftDate;
      break;
    case SQL_TYPE_TIME:
    case SQL_TIME:
      m.Type = TFieldType::ftTime;
      break;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      m.Type = TFieldType::ftDateTime;
      break;
    case SQL_GUID:
      m.Type = TFieldType::ftGuid;
      m.Size = 36;
      break;
    default:
      m.Type = TFieldType::ftUnknown;
      break;
  }
  return m;
}
