#pragma once

#include <string_view>

#include "dac/UDataAccess.h"

// The field type of a SQLite column from its declared type, the single table all
// SQLite result columns go through. The name is compared without regard to case and
// blanks, sizes in parentheses are taken apart:
//
//   declared type                                   field type       Size / Precision
//   INTEGER INT MEDIUMINT                           ftInteger        (values may be 64-bit)
//   BIGINT INT8 "UNSIGNED BIG INT"                  ftLargeint
//   SMALLINT INT2 TINYINT                           ftSmallint
//   BOOLEAN BOOL BIT                                ftBoolean
//   REAL FLOAT DOUBLE "DOUBLE PRECISION"            ftFloat
//   NUMERIC DECIMAL NUMBER (p,s) p <= 18            ftBCD            Size = s, Precision = p
//   NUMERIC DECIMAL NUMBER (p,s) p > 18             ftFMTBcd         Size = s, Precision = p
//   NUMERIC DECIMAL NUMBER without (p,s)            ftFloat          (SQLite keeps them as numbers)
//   MONEY CURRENCY                                  ftCurrency
//   CHAR CHARACTER (n)                              ftFixedChar      Size = n
//   NCHAR "NATIVE CHARACTER" (n)                    ftFixedWideChar  Size = n
//   VARCHAR VARCHAR2 "CHARACTER VARYING" "VARYING CHARACTER" STRING
//                                                   ftString         Size = n (0 without)
//   NVARCHAR NVARCHAR2 "NATIONAL VARCHAR"           ftWideString     Size = n
//   TEXT CLOB MEMO LONGTEXT MEDIUMTEXT LONGVARCHAR  ftMemo
//   NTEXT NCLOB                                     ftWideMemo
//   BLOB IMAGE LONGBLOB MEDIUMBLOB LONGVARBINARY    ftBlob
//   BINARY (n)                                      ftBytes          Size = n
//   VARBINARY (n)                                   ftVarBytes       Size = n
//   DATE                                            ftDate
//   TIME                                            ftTime
//   DATETIME TIMESTAMP                              ftDateTime
//   GUID UNIQUEIDENTIFIER                           ftGuid
//   any other name, by SQLite's own affinity rules: containing INT ftInteger; CHAR,
//   CLOB or TEXT ftString; BLOB ftBlob; REAL, FLOA or DOUB ftFloat; else ftString.
//   no declared type (expressions): the storage class of the first row: INTEGER
//   ftLargeint, REAL ftFloat, BLOB ftBlob, TEXT, NULL or no row ftString.
//
// The field type describes the column only: every value is handed out as what SQLite
// holds, so a DATE column holding 1700000000 gives "1700000000" and an INTEGER
// column holding 'abc' gives "abc".
struct TSqliteTypeMapping {
  TFieldType Type = TFieldType::ftString;
  int Size = 0;
  int Precision = 0;
};

// storageClass: SQLITE_INTEGER ... SQLITE_NULL of the first row, for columns
// without a declared type.
TSqliteTypeMapping MapSqliteDeclaredType(std::string_view declared, int storageClass);
