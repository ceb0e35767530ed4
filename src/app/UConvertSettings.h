#pragma once

#include <string>
#include <vector>

// Converter-wide settings.
class TConvertSettings {
public:
  virtual ~TConvertSettings() = default;
  // Rows a reader fetches per round trip; 50 unless set.
  static int FetchRows() { return 50; }
};

// Settings of the application read once at start: whether the start window shows.
// A store that cannot be read or written leaves the default and a warning: no run
// stops for it.
class TAppSettings {
public:
  TAppSettings();
  bool ShowLaunch = true;
  std::vector<std::string> Warnings;
};
