#include "dialect/USqlExecutor.h"

#include "dac/UniDac.h"

bool TUniSqlExecutor::Execute(const std::string&) {
  if (!Connection || !Connection->Connected()) throw EDatabaseError("Connection is not open");
  throw EDatabaseError("Scripts cannot run on provider \"" + Connection->ProviderName + "\" in this build");
}
