#pragma once

#include <string>

// What the main window asks of a window it hosts in a tab. Import and SQL windows
// implement it; a plain widget in a tab is treated as idle, closable and without a file.
class TChildWindow {
 public:
  virtual ~TChildWindow() = default;
  // The window's own close check (it may ask to save); false keeps it open.
  virtual bool CloseQuery() = 0;
  // Saves the window's session or SQL file when needed and returns its name; empty when
  // the window has none or the save was cancelled.
  virtual std::string GetSessionFileName() = 0;
  // True while a run is going on inside the window: its events are being processed
  // between rows, so the window must not be closed or freed under it.
  virtual bool IsRunning() const = 0;
};
