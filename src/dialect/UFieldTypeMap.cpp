#include "dialect/UFieldTypeMap.h"

#include <map>

namespace {

struct TKindMaps {
  std::map<std::string, TStringList> Source, Dest;
};

TStringList Pairs(std::initializer_list<std::pair<const char*, const char*>> pairs) {
  TStringList list;
  for (const auto& [name, value] : pairs) list.SetValue(name, value);
  return list;
}

const TKindMaps& Maps() {
  static const TKindMaps maps = [] {
    TKindMaps m;
    m.Source["sqlite"] = Pairs({{"integer", "integer"},
                                {"numeric", "float"},
                                {"real", "float"},
                                {"nvarchar", "widestring"},
                                {"nchar", "widestring"},
                                {"varchar", "string"},
                                {"char", "string"},
                                {"date", "date"},
                                {"datetime", "datetime"},
                                {"timestamp", "timestamp"},
                                {"text", "memo"},
                                {"ntext", "memo"},
                                {"clob", "memo"},
                                {"blob", "blob"}});
    m.Source["db2"] = Pairs({{"smallint", "integer"},
                             {"integer", "integer"},
                             {"bigint", "integer"},
                             {"decimal", "float"},
                             {"real", "float"},
                             {"double", "float"},
                             {"char", "string"},
                             {"varchar", "string"},
                             {"graphic", "widestring"},
                             {"vargraphic", "widestring"},
                             {"date", "date"},
                             {"time", "time"},
                             {"timestamp", "timestamp"},
                             {"blob", "blob"},
                             {"clob", "memo"},
                             {"dbclob", "memo"},
                             {"long varchar", "memo"},
                             {"long vargraphic", "memo"}});
    m.Source["access"] = Pairs({{"varchar", "string"},
                                {"longchar", "memo"},
                                {"byte", "integer"},
                                {"integer", "integer"},
                                {"counter", "integer"},
                                {"real", "float"},
                                {"double", "float"},
                                {"currency", "float"},
                                {"guid", "string"},
                                {"datetime", "datetime"},
                                {"date", "date"},
                                {"time", "time"},
                                {"timestamp", "timestamp"},
                                {"bit", "boolean"},
                                {"longbinary", "blob"},
                                {"binary", "bytes"}});
    m.Source["mssql"] = Pairs({{"bigint", "integer"},
                               {"binary", "bytes"},
                               {"bit", "boolean"},
                               {"char", "string"},
                               {"datetime", "datetime"},
                               {"decimal", "float"},
                               {"float", "float"},
                               {"image", "blob"},
                               {"int", "integer"},
                               {"money", "float"},
                               {"nchar", "widestring"},
                               {"ntext", "memo"},
                               {"numeric", "float"},
                               {"nvarchar", "widestring"},
                               {"nvarchar(max)", "memo"},
                               {"real", "float"},
                               {"smalldatetime", "datetime"},
                               {"smallint", "integer"},
                               {"smallmoney", "float"},
                               {"sql_variant", "string"},
                               {"text", "memo"},
                               {"timestamp", "bytes"},  // a row version, not a point in time
                               {"tinyint", "integer"},
                               {"uniqueidentifier", "string"},
                               {"varbinary", "bytes"},
                               {"varbinary(max)", "blob"},
                               {"varchar", "string"},
                               {"varchar(max)", "memo"},
                               {"xml", "memo"}});
    m.Source["oracle"] = Pairs({{"binary_double", "float"},
                                {"binary_float", "float"},
                                {"blob", "blob"},
                                {"clob", "memo"},
                                {"char", "string"},
                                {"date", "datetime"},  // carries the time of day as well
                                {"long", "memo"},
                                {"long raw", "blob"},
                                {"nclob", "memo"},
                                {"number", "float"},
                                {"nvarchar2", "widestring"},
                                {"raw", "bytes"},
                                {"timestamp", "timestamp"},
                                {"varchar2", "string"}});
    m.Source["mysql"] =
        Pairs({{"bigint", "integer"},    {"binary", "bytes"},        {"bit", "boolean"},      {"blob", "blob"},
               {"bool", "boolean"},      {"boolean", "boolean"},     {"char", "string"},      {"date", "date"},
               {"datetime", "datetime"}, {"decimal", "float"},       {"double", "float"},     {"enum", "string"},
               {"float", "float"},       {"int", "integer"},         {"longblob", "blob"},    {"longtext", "memo"},
               {"mediumblob", "blob"},   {"mediumint", "integer"},   {"mediumtext", "memo"},  {"numeric", "float"},
               {"real", "float"},        {"set", "string"},          {"smallint", "integer"}, {"text", "memo"},
               {"time", "time"},         {"timestamp", "timestamp"}, {"tinyblob", "blob"},    {"tinyint", "integer"},
               {"tinytext", "memo"},     {"varbinary", "bytes"},     {"varchar", "string"},   {"year", "integer"}});
    m.Source["postgresql"] = Pairs({{"smallint", "integer"}, {"integer", "integer"},   {"bigint", "integer"},
                                    {"serial", "integer"},   {"bigserial", "integer"}, {"decimal", "float"},
                                    {"numeric", "float"},    {"real", "float"},        {"double", "float"},
                                    {"char", "string"},      {"varchar", "string"},    {"interval", "string"},
                                    {"date", "date"},        {"time", "time"},         {"timestamp", "timestamp"},
                                    {"boolean", "boolean"},  {"bit", "string"},        {"bit varying", "string"},
                                    {"xml", "memo"},         {"text", "memo"},         {"bytea", "blob"},
                                    {"cidr", "string"},      {"inet", "string"},       {"macaddr", "string"}});

    m.Dest["db2"] = Pairs({{"integer", "integer"},
                           {"bytes", "graphic(127)"},
                           {"boolean", "smallint"},
                           {"string", "varchar(255)"},
                           // DB2's DATE has no time of day: a date and time goes whole
                           // into a TIMESTAMP, and text stays text in a CLOB.
                           {"datetime", "timestamp"},
                           {"date", "date"},
                           {"time", "time"},
                           {"float", "double"},
                           {"blob", "blob"},
                           {"widestring", "vargraphic(255)"},
                           {"memo", "clob"},
                           {"unknown", "varchar(255)"},
                           {"timestamp", "timestamp"}});
    m.Dest["sqlite"] = Pairs({{"integer", "integer"},
                              {"bytes", "string"},
                              {"boolean", "integer"},
                              {"string", "varchar(255)"},
                              {"datetime", "datetime"},
                              {"date", "date"},
                              {"time", "time"},
                              {"float", "double"},
                              {"blob", "blob"},
                              {"widestring", "vargraphic(255)"},
                              {"memo", "text"},
                              {"unknown", "varchar(255)"},
                              {"timestamp", "timestamp"}});
    m.Dest["access"] = Pairs({{"integer", "integer"},
                              {"bytes", "binary"},
                              {"boolean", "bit"},
                              {"string", "varchar(255)"},
                              {"datetime", "datetime"},
                              {"date", "datetime"},
                              {"time", "datetime"},
                              {"float", "double"},
                              {"blob", "longbinary"},
                              {"widestring", "varchar(255)"},
                              {"memo", "longchar"},
                              {"unknown", "varchar(255)"},
                              {"timestamp", "datetime"}});
    m.Dest["mssql"] = Pairs({{"integer", "int"},
                             {"bytes", "varbinary(255)"},
                             {"boolean", "bit"},
                             {"string", "varchar(255)"},
                             {"datetime", "datetime"},
                             {"date", "datetime"},
                             {"time", "datetime"},
                             {"float", "float"},
                             {"blob", "image"},
                             {"widestring", "nvarchar(255)"},
                             {"memo", "text"},
                             {"unknown", "varchar(255)"},
                             {"timestamp", "datetime"}});
    m.Dest["oracle"] = Pairs({{"integer", "number(10)"},
                              {"bytes", "raw(255)"},
                              {"boolean", "number(1)"},
                              {"string", "varchar2(255)"},
                              {"datetime", "date"},
                              {"date", "date"},
                              {"time", "date"},
                              {"float", "binary_double"},
                              {"blob", "blob"},
                              {"widestring", "nvarchar2(255)"},
                              {"memo", "clob"},
                              {"unknown", "varchar2(255)"},
                              {"timestamp", "timestamp"}});
    m.Dest["mysql"] = Pairs({{"integer", "int"},
                             {"bytes", "varbinary(255)"},
                             {"boolean", "tinyint(1)"},
                             {"string", "varchar(255)"},
                             {"datetime", "datetime"},
                             {"date", "date"},
                             {"time", "time"},
                             {"float", "double"},
                             {"blob", "longblob"},
                             {"widestring", "varchar(255)"},
                             {"memo", "longtext"},
                             {"unknown", "varchar(255)"},
                             {"timestamp", "timestamp"}});
    m.Dest["postgresql"] = Pairs({{"integer", "integer"},
                                  {"bytes", "bytea"},
                                  {"boolean", "boolean"},
                                  {"string", "varchar(255)"},
                                  {"datetime", "timestamp"},
                                  {"date", "date"},
                                  {"time", "time"},
                                  {"float", "double precision"},
                                  {"blob", "bytea"},
                                  {"widestring", "varchar(255)"},
                                  {"memo", "text"},
                                  {"unknown", "varchar(255)"},
                                  {"timestamp", "timestamp"}});
    return m;
  }();
  return maps;
}

const TStringList* Find(const std::map<std::string, TStringList>& maps, const std::string& kind) {
  auto it = maps.find(LowerCase(kind));
  return it == maps.end() ? nullptr : &it->second;
}

}  // namespace

TFieldTypeMap::TFieldTypeMap() = default;

void TFieldTypeMap::SetSourceDB(const std::string& kind) { FSource = Find(Maps().Source, kind); }

void TFieldTypeMap::SetDestDB(const std::string& kind) { FDest = Find(Maps().Dest, kind); }

std::string TFieldTypeMap::NormaliseType(const std::string& nativeType) {
  std::string type = LowerCase(Trim(nativeType));
  size_t open = type.find('(');
  // Trimmed again, so "numeric (10,2)" is numeric rather than an unknown type.
  if (open != std::string::npos && type.find("(max)") == std::string::npos) type = Trim(type.substr(0, open));
  return type;
}

std::string TFieldTypeMap::MapType(const std::string& nativeType) const {
  if (!FSource || !FDest) return std::string();
  std::string generic = FSource->Values(NormaliseType(nativeType));
  if (generic.empty()) generic = "unknown";
  return FDest->Values(generic);
}

std::string DBKindOfProvider(const std::string& providerName) {
  if (providerName == "SQL Server") return "MsSql";
  if (providerName == "MySQL") return "Mysql";
  if (providerName == "PostgreSQL") return "Postgres";
  if (providerName == "SQLite") return "Sqlite";
  return providerName;
}
