#include "app/UConvertSettings.h"

#include "base/UExceptions.h"
#include "base/USettingsStore.h"
#include "base/UStrings.h"

TAppSettings::TAppSettings() {
  const std::string key = "Software\\Quillmark\\Ferrovan";
  TSettingsStore store;
  try {
    // The value is created empty on the first start, as the start window expects it to exist.
    if (!store.ValueExists(key, "NotShowLaunch")) store.WriteString(key, "NotShowLaunch", "");
    ShowLaunch = !StrToBoolDef(store.ReadString(key, "NotShowLaunch"), false);
  } catch (const std::exception& e) {
    Warnings.push_back("The settings of the start window are not kept: " + ExceptionMessage(e));
  }
  for (auto& w : store.TakeWarnings()) Warnings.push_back(std::move(w));
}
