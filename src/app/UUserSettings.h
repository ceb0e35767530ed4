#pragma once

#include <string>

#include "base/USettingsStore.h"

// The product's per-user settings store: the file named by FERROVAN_SETTINGS_FILE, or
// else ${XDG_CONFIG_HOME:-~/.config}/quillmark/settings.reg.
std::string UserSettingsFileName();
TSettingsStore UserSettingsStore();
