#include "app/UUserSettings.h"

#include <cstdlib>

#include "base/UPaths.h"

std::string UserSettingsFileName() {
  if (const char* f = std::getenv("FERROVAN_SETTINGS_FILE"); f && *f) return f;
  std::string base;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
    base = x;
  else
    base = HomeDir() + "/.config";
  return IncludeTrailingPathDelimiter(base) + "quillmark/settings.reg";
}

TSettingsStore UserSettingsStore() { return TSettingsStore(UserSettingsFileName(), "Ferrovan per-user settings"); }
