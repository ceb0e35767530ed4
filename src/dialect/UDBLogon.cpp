#include "dialect/UDBLogon.h"

#include "dac/UDataAccess.h"

std::string ParamWithFallback(const TStringList& params, const std::string& key, const std::string& fallbackKey) {
  std::string value = Trim(params.Values(key));
  return value.empty() ? Trim(params.Values(fallbackKey)) : value;
}

std::string QuoteCmdLineValue(const std::string& value) {
  if (value.find_first_of(" \"") == std::string::npos) return value;
  return "\"" + ReplaceAll(value, "\"", "\"\"") + "\"";
}

void TDBLogon::FillLogonOption(TDBLogonOption& option) { option.LoadFromConnection(*Connection); }

bool TDBLogon::LogonByParams(const TStringList& params) {
  auto option = CreateLogonOption();
  option->LoadFromParams(params);
  option->ApplyToConnection(*Connection);
  Connection->Connect();
  bool result = Connection->Connected();
  option.reset();
  AfterLogon();
  return result;
}

void TDBLogon::Logoff() {
  if (Connection) Connection->Disconnect();
}

bool TDBLogon::IsConnected() const { return Connection && Connection->Connected(); }
