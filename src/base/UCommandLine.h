#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a command-line text into words: blanks and control characters outside
// double quotes separate, double quotes group and are removed, and two double quotes
// inside a quoted stretch stand for one literal double quote.
std::vector<std::string> SplitCommandLine(std::string_view text);

// One argument as the shell handed it over: the same quote rules, without splitting.
std::string UnquoteArgument(std::string_view argument);
