#include "ui/UFrontEnd.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace {
bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}
}  // namespace

bool DisplayAvailable() {
  // A platform named explicitly is the user's word (or the tests').
  if (Set("QT_QPA_PLATFORM")) return true;
  if (!Set("DISPLAY")) return false;
  // A display that is named but does not answer (a job started from a desktop session
  // that has ended, a forwarded display that is gone) would make Qt abort the process:
  // it counts as none, so the run ends with its exit code and message.
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  bool answers = !xcb_connection_has_error(connection);
  xcb_disconnect(connection);
  return answers;
}
