#include "dac/UniDac.h"

void TUniConnection::Connect() {
  throw EDatabaseError("No data-access provider \"" + ProviderName + "\" is available in this build");
}
