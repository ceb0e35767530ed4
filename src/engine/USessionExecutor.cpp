#include "engine/USessionExecutor.h"

#include "base/UExceptions.h"

void TConvertSessionExecutor::Execute() {
  if (!Session) throw Exception("No session to run");
  throw Exception("This build cannot run sessions yet");
}
