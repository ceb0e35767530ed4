// The main of every GoogleTest suite.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
  std::string user = PrepareTestEnvironment();
  if (user.empty()) {
    std::cerr << "Cannot create a folder for the tests' user settings\n";
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(user, ec);
  return result;
}
