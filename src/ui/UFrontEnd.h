#pragma once

#include <string>

// Whether a window can be shown at all: an X display that answers, or a Qt platform
// chosen explicitly (the tests' offscreen platform). Without one the program keeps to
// the command line, as a scheduled job on a server must.
bool DisplayAvailable();

// Why a display that is named cannot be used, for the user; empty when it can or when
// none is named.
std::string DisplayProblem();
