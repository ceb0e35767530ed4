#include "app/UConvertSettings.h"

#include "app/UUserSettings.h"
#include "base/USettingsStore.h"
#include "base/UStrings.h"

TAppSettings::TAppSettings() {
  const std::string key = "Software\\Quillmark\\Ferrovan";
  TSettingsStore store = UserSettingsStore();
  // The value is created empty on the first start, as the start window expects it to exist.
  if (!store.ValueExists(key, "NotShowLaunch")) store.WriteString(key, "NotShowLaunch", "");
  ShowLaunch = !StrToBoolDef(store.ReadString(key, "NotShowLaunch"), false);
}
