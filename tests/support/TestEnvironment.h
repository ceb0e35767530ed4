#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// Takes the DB2 test server's environment from the file CTest names, so the tests and
// the product processes they start find the server, and points every per-user folder
// at a new folder of this process, so no test reads or writes the settings, data or
// documents of the user who runs the suites. Returns that folder (empty when it cannot
// be made); the caller removes it at the end.
inline std::string PrepareTestEnvironment() {
  if (const char* file = std::getenv("FERROVAN_TEST_ENV_FILE")) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
      auto eq = line.find('=');
      if (eq != std::string::npos && eq > 0) setenv(line.substr(0, eq).c_str(), line.substr(eq + 1).c_str(), 1);
    }
  }
  std::string user = (std::filesystem::temp_directory_path() / "ferrovan-user-XXXXXX").string();
  if (!mkdtemp(user.data())) return "";
  // Tests that check how these are chosen set them for their own scope; the product
  // processes the tests start inherit them.
  setenv("FERROVAN_SETTINGS_FILE", (user + "/config/quillmark/settings.reg").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (user + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (user + "/data").c_str(), 1);
  setenv("XDG_DOCUMENTS_DIR", (user + "/documents").c_str(), 1);
  return user;
}
