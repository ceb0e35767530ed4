// The main of every test suite: takes the DB2 test server's environment from the file
// CTest names, so the tests and the product processes they start find the server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (const char* file = std::getenv("FERROVAN_TEST_ENV_FILE")) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
      auto eq = line.find('=');
      if (eq != std::string::npos && eq > 0) setenv(line.substr(0, eq).c_str(), line.substr(eq + 1).c_str(), 1);
    }
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
