#include "base/UDateUtils.h"

#include <ctime>

std::string FormatLogTime(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
  if (ms < 0) ms += 1000;
  std::time_t seconds = system_clock::to_time_t(when);
  if (system_clock::from_time_t(seconds) > when) --seconds;  // to_time_t may round up
  std::tm local{};
  localtime_r(&seconds, &local);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d:%03d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
  return buffer;
}

std::string NowLogTime() { return FormatLogTime(std::chrono::system_clock::now()); }
