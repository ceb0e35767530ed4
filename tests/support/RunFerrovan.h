#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "base/UPaths.h"
#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "support/TempDir.h"

namespace ferrovan_test {

struct TProcessResult {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
};

// The shell command that runs the built program as a scheduler would: no display, the
// user folders of the test's folder (the settings file and the data folder in it).
// environment holds more NAME='value' assignments, which win over these.
inline std::string FerrovanCommand(const TempDir& dir, const std::string& args, const std::string& environment = "") {
  return "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_DATA_HOME='" + dir.Path() +
         "/data' FERROVAN_SETTINGS_FILE='" + dir.Path() + "/settings.reg' " + environment + " '" FERROVAN_BINARY "' " +
         args;
}

// Runs the built program (see FerrovanCommand) and waits for it.
inline TProcessResult RunFerrovan(const TempDir& dir, const std::string& args, const std::string& environment = "") {
  std::string errFile = dir.Path() + "/stderr.txt";
  std::string command = FerrovanCommand(dir, args, environment) + " 2>'" + errFile + "'";
  TProcessResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer{};
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.Out.append(buffer.data(), n);
  int status = pclose(pipe);
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.Err = FileExists(errFile) ? ReadFileBytes(errFile) : "";
  return result;
}

// Texts of the log lines, timestamps removed; a line without one continues the
// message before it (the logger writes a multi-line message as it is).
inline std::vector<std::string> LogTexts(const std::string& file) {
  std::vector<std::string> texts;
  if (!FileExists(file)) return texts;
  TStringList lines;
  lines.SetText(ReadFileBytes(file));
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string& l = lines[i];
    texts.push_back(l.size() > 26 && l[0] == '[' && l[24] == ']' ? l.substr(26) : "(continued) " + l);
  }
  return texts;
}

}  // namespace ferrovan_test

using ferrovan_test::FerrovanCommand;
using ferrovan_test::LogTexts;
using ferrovan_test::RunFerrovan;
using ferrovan_test::TProcessResult;
