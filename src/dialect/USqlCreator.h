#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/UStrings.h"

class TDBHelper;

// The statement texts of one destination: the probe that learns the column types, the
// delete of a Replace load, and the parameterised insert or update. It also fills a
// parameterised statement with literals for the SQL script output.
//
// Names reach the SQL text only through the helper's QuoteName, literals only through
// QuoteLiteralText, so no column, table or value can end its quoting early.
class TSqlCreator {
 public:
  TSqlCreator();
  virtual ~TSqlCreator();
  TSqlCreator(const TSqlCreator&) = delete;
  TSqlCreator& operator=(const TSqlCreator&) = delete;

  virtual std::unique_ptr<TDBHelper> CreateHelper();
  // The text that stands for the field's value in a statement: ":" + parameter name.
  virtual std::string GetParamRef(int index);
  // The statement with the field's parameter reference replaced by the value's literal.
  // Raises EConvertError for a value its column's type cannot take. Here: null for NULL
  // and markers, otherwise the value as a quoted literal.
  virtual std::string FillValue(const std::string& statement, int index, const std::string& value);
  virtual std::string GetParamName(int index);

  // Fields, then ParamNames rebuilt from them.
  void SetFields(const TStringList& list);
  void SetFieldTypes(const TStringList& list) { FieldTypes = list; }
  void SetDateFormats(const TStringList& list) { DateFormats = list; }
  void SetNullValues(const TStringList& list) { NullValues = list; }
  const TStringList& GetFields() const { return Fields; }
  const TStringList& GetParamNames() const { return ParamNames; }
  const TStringList& GetFieldTypes() const { return FieldTypes; }
  const TStringList& GetDateFormats() const { return DateFormats; }

  std::string GetFullTableName();
  std::string GetSelectEmptySql();
  std::string GetDeleteSql();
  // The update form when LoadType is "update" in any letter case, the insert form
  // otherwise. Raises Exception for an update whose key is not among the fields: the
  // statement would update every row with each row's values.
  std::string GetWriteSql();
  // False for the text NULL in any letter case and for the column's null marker.
  bool IsNotNullValue(int index, const std::string& value);
  // "'&" becomes "&", then single quotes are doubled; the enclosing quotes are the caller's.
  std::string QuoteLiteralText(const std::string& text);
  // Blanks, "-" and "@" become "_", "[" and "]" go, and only the part before a "/" stays.
  static std::string MakeParamName(const std::string& fieldName);

  // The lower-cased FieldTypes entry of the field at index.
  std::string FieldTypeOf(int index) const;
  // The separator of the number texts a value may hold (the user's locale by default).
  void SetDecimalSeparator(char separator) { DecimalSeparator = separator; }

  TDBHelper* Helper();

  std::string Schema;
  std::string Table;
  std::string LoadType;
  std::string UpdateKey;

 protected:
  // The statement with every ref outside quoted text and comments replaced by literal;
  // a ref is only found whole, so ":ID" is not found inside ":ID2".
  static std::string ReplaceParamRef(const std::string& statement, const std::string& ref, const std::string& literal);
  // Null normalisation: the column's marker and NULL in any letter case become "null".
  std::string NormalizeNull(int index, const std::string& value);

  TStringList ParamNames;
  TStringList Fields;
  TStringList FieldTypes;
  TStringList DateFormats;
  TStringList NullValues;
  char DecimalSeparator;

 private:
  std::unique_ptr<TDBHelper> FHelper;
};

// The text as an exact decimal number with "." as separator: sign, digits and one
// decimal separator of the given kind, optionally an exponent, which is worked into the
// digits. False for anything else. Numbers never pass through a double on their way to
// a DECIMAL column, so no digit is lost.
bool TryDecimalText(std::string_view text, char decimalSeparator, std::string& result);
