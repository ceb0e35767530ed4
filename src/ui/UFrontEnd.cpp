#include "ui/UFrontEnd.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace {
bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// A display that is named but does not answer (a job started from a desktop session that
// has ended, a forwarded display that is gone) would make Qt abort the process: it counts
// as none, so the run ends with its exit code and message.
bool DisplayAnswers() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  bool answers = !xcb_connection_has_error(connection);
  xcb_disconnect(connection);
  return answers;
}

}  // namespace

bool DisplayAvailable() {
  // A platform named explicitly is the user's word (or the tests').
  if (Set("QT_QPA_PLATFORM")) return true;
  return Set("DISPLAY") && DisplayAnswers();
}

std::string DisplayProblem() {
  if (Set("QT_QPA_PLATFORM") || !Set("DISPLAY") || DisplayAnswers()) return "";
  return std::string("The display \"") + std::getenv("DISPLAY") + "\" does not answer: no window can open.";
}
