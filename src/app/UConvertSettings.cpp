#include "app/UConvertSettings.h"

#include "app/UUserSettings.h"
#include "base/UExceptions.h"
#include "base/USettingsStore.h"
#include "base/UStrings.h"

TAppSettings::TAppSettings() {
  const std::string key = "Software\\Quillmark\\Ferrovan";
  TSettingsStore store = UserSettingsStore();
  try {
    // The value is created empty on the first start, as the start window expects it to exist.
    if (!store.ValueExists(key, "NotShowLaunch")) store.WriteString(key, "NotShowLaunch", "");
    ShowLaunch = !StrToBoolDef(store.ReadString(key, "NotShowLaunch"), false);
  } catch (const std::exception& e) {
    Warnings.push_back("The settings of the start window are not kept: " + ExceptionMessage(e));
  }
  for (auto& w : store.TakeWarnings()) Warnings.push_back(std::move(w));
}
