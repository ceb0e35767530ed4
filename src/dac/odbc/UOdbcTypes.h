#pragma once

#include "dac/UDataAccess.h"

// Codes of IBM's DB2 CLI driver for its own types (not in the ODBC headers).
constexpr int SqlGraphic = -95;
constexpr int SqlVarGraphic = -96;
constexpr int SqlLongVarGraphic = -97;
constexpr int SqlBlob = -98;
constexpr int SqlClob = -99;
constexpr int SqlDbClob = -350;
constexpr int SqlDecFloat = -360;
constexpr int SqlXml = -370;
constexpr int SqlBoolean = 16;

// Field type of an ODBC result column from the SQL type the driver describes. Both
// the standard codes and those IBM's DB2 driver uses for its own types are known:
//
//   SQL type                                       field type       Size / Precision
//   SQL_CHAR                                       ftFixedChar      Size = characters
//   SQL_VARCHAR                                    ftString         Size = characters
//   SQL_WCHAR, SQL_WVARCHAR                        ftWideString     Size = characters
//   SQL_LONGVARCHAR, SQL_WLONGVARCHAR              ftMemo
//   SQL_GRAPHIC (-95)                              ftFixedWideChar  Size = characters
//   SQL_VARGRAPHIC (-96)                           ftWideString     Size = characters
//   SQL_LONGVARGRAPHIC (-97), SQL_CLOB (-99),
//   SQL_DBCLOB (-350), XML (-370)                  ftMemo
//   SQL_BLOB (-98), SQL_LONGVARBINARY              ftBlob
//   SQL_BINARY                                     ftBytes          Size = bytes
//   SQL_VARBINARY                                  ftVarBytes       Size = bytes
//   SQL_SMALLINT, SQL_TINYINT                      ftSmallint
//   SQL_INTEGER                                    ftInteger
//   SQL_BIGINT                                     ftLargeint
//   SQL_DECIMAL, SQL_NUMERIC  precision <= 18      ftBCD            Size = scale, Precision = precision
//   SQL_DECIMAL, SQL_NUMERIC  precision > 18       ftFMTBcd         Size = scale, Precision = precision
//   DECFLOAT (-360)                                ftFMTBcd
//   SQL_REAL, SQL_FLOAT, SQL_DOUBLE                ftFloat
//   SQL_BIT, SQL_BOOLEAN (16)                      ftBoolean
//   SQL_TYPE_DATE (and ODBC 2 SQL_DATE)            ftDate
//   SQL_TYPE_TIME (and SQL_TIME)                   ftTime
//   SQL_TYPE_TIMESTAMP (and SQL_TIMESTAMP)         ftDateTime
//   SQL_GUID                                       ftGuid
//   anything else                                  ftUnknown (values fetched as text)
struct TOdbcTypeMapping {
  TFieldType Type = TFieldType::ftUnknown;
  int Size = 0;
  int Precision = 0;
};

TOdbcTypeMapping MapOdbcSqlType(int sqlType, long long columnSize, int decimalDigits);
