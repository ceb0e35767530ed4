#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of texts that doubles as a name=value map. Names are compared
// without regard to case; giving a name an empty value removes its entry, which is
// what every map of the program (field types, date formats, provider options,
// command-line parameters) relies on.
class TStringList {
public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> items) : Items(items) {}

  int Count() const { return static_cast<int>(Items.size()); }
  bool Empty() const { return Items.empty(); }
  const std::string& operator[](int index) const { return Items.at(static_cast<size_t>(index)); }
  std::string& operator[](int index) { return Items.at(static_cast<size_t>(index)); }
  const std::vector<std::string>& Strings() const { return Items; }

  int Add(const std::string& item);
  void Insert(int index, const std::string& item);
  void Delete(int index);
  void Clear() { Items.clear(); }
  void AddStrings(const TStringList& other);

  // Index of the entry equal to item without regard to case, or -1.
  int IndexOf(std::string_view item) const;

  // name=value access. An entry without "=" has an empty name.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  int IndexOfName(std::string_view name) const;
  std::string Values(std::string_view name) const;
  void SetValue(std::string_view name, const std::string& value);

  // The entries joined, each followed by CR LF.
  std::string Text() const;
  // Splits at CR LF, LF or CR; a final line break adds no empty entry.
  void SetText(std::string_view text);

  // Delimited text with double-quote quoting and doubled embedded quotes. With
  // strictDelimiter, only the delimiter separates; otherwise blanks and control
  // characters separate too (and items containing them are quoted on output).
  std::string DelimitedText(char delimiter = ',', char quote = '"', bool strictDelimiter = false) const;
  void SetDelimitedText(std::string_view text, char delimiter = ',', char quote = '"', bool strictDelimiter = false);
  std::string CommaText() const { return DelimitedText(','); }
  void SetCommaText(std::string_view text) { SetDelimitedText(text, ','); }

  bool operator==(const TStringList& other) const = default;

private:
  std::vector<std::string> Items;
};

// Blanks and control characters (every code up to 32) removed at both ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

std::string UpperCase(std::string_view s);  // ASCII letters only, as identifiers need
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);  // <0, 0, >0 without regard to case
bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);
bool ContainsText(std::string_view s, std::string_view part);

// Every occurrence of from replaced by to (case-sensitive).
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// Lengths in characters of UTF-8 text, not bytes: a limit on a name or a description
// must never cut a character in two.
size_t CharCount(std::string_view s);
// The first count characters, or the whole text when it has fewer.
std::string FirstChars(std::string_view s, size_t count);

// Integers: optional sign, decimal digits, or hex written "0x..." or "$...".
// Surrounding blanks are allowed; anything else makes the text invalid.
bool TryStrToInt64(std::string_view s, int64_t& value);
bool TryStrToInt(std::string_view s, int& value);
int StrToInt(std::string_view s);  // raises EConvertError
int StrToIntDef(std::string_view s, int defaultValue);
int64_t StrToInt64Def(std::string_view s, int64_t defaultValue);

// Boolean texts: "true"/"false" in any case, or a number (0 is false, any other
// number true). Written back as "True"/"False".
bool TryStrToBool(std::string_view s, bool& value);
bool StrToBool(std::string_view s);  // raises EConvertError
bool StrToBoolDef(std::string_view s, bool defaultValue);
std::string BoolToStr(bool value);

// Floats read and written with a decimal separator of the caller's choice (the
// user's locale one by default); never affected by the process locale.
char LocaleDecimalSeparator();
bool TryStrToFloat(std::string_view s, double& value, char decimalSeparator = LocaleDecimalSeparator());
double StrToFloat(std::string_view s, char decimalSeparator = LocaleDecimalSeparator());  // raises EConvertError
double StrToFloatDef(std::string_view s, double defaultValue, char decimalSeparator = LocaleDecimalSeparator());
// Shortest text that reads back as the same double.
std::string FloatToStr(double value, char decimalSeparator = LocaleDecimalSeparator());

std::string IntToStr(int64_t value);
