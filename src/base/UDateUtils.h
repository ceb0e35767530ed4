#pragma once

#include <chrono>
#include <string>

// Local time as "yyyy-mm-dd hh:mm:ss:zzz", the stamp of every log line.
std::string FormatLogTime(std::chrono::system_clock::time_point when);
std::string NowLogTime();
