#pragma once

// Converter-wide settings.
class TConvertSettings {
public:
  virtual ~TConvertSettings() = default;
  // Rows a reader fetches per round trip; 50 unless set.
  static int FetchRows() { return 50; }
};

// Settings of the application read once at start: whether the start window shows.
class TAppSettings {
public:
  TAppSettings();
  bool ShowLaunch = true;
};
