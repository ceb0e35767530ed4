#include "dialect/UDBLogon.h"

#include <algorithm>

#include "dac/UDataAccess.h"

std::string ParamWithFallback(const TStringList& params, const std::string& key, const std::string& fallbackKey) {
  std::string value = Trim(params.Values(key));
  return value.empty() ? Trim(params.Values(fallbackKey)) : value;
}

std::string QuoteCmdLineValue(const std::string& value) {
  // Every character the splitter takes for a blank (tabs, line breaks and the other
  // control characters too) needs the quotes, or the value comes back in pieces.
  bool plain =
      std::none_of(value.begin(), value.end(), [](char c) { return c == '"' || static_cast<unsigned char>(c) <= 32; });
  if (plain) return value;
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
