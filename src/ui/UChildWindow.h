#pragma once

#include <string>

// What the main window asks of a window it hosts in a tab. Import and SQL windows
// implement it; a plain widget in a tab is treated as idle, closable and without a file.
class TChildWindow {
 public:
  virtual ~TChildWindow() = default;
  // The window's own close check (it may ask to save); false keeps it open.
  virtual bool CloseQuery() = 0;
  // What a workspace records for the window: it saves its session or SQL file first
  // (the user may cancel), then returns the file's name; empty when it was never saved.
  virtual std::string GetActiveFileName() = 0;
  // True while a run is going on inside the window: its events are being processed
  // between rows, so the window must not be closed or freed under it.
  virtual bool IsRunning() const = 0;
};
