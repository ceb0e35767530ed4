#pragma once

#include <QApplication>
#include <QtTest>

#include <filesystem>
#include <iostream>

#include "support/TestEnvironment.h"

// The main of a front-end suite: the tests' own user folders and the DB2 test server's
// environment, as every suite has, then a QApplication and the QtTest run of one class.
#define FERROVAN_QTEST_MAIN(TestClass)                                           \
  int main(int argc, char** argv) {                                              \
    std::string user = PrepareTestEnvironment();                                 \
    if (user.empty()) {                                                          \
      std::cerr << "Cannot create a folder for the tests' user settings\n";      \
      return 1;                                                                  \
    }                                                                            \
    int result;                                                                  \
    {                                                                            \
      QApplication app(argc, argv);                                              \
      TestClass test;                                                            \
      result = QTest::qExec(&test, argc, argv);                                  \
    }                                                                            \
    std::error_code ec;                                                          \
    std::filesystem::remove_all(user, ec);                                       \
    return result;                                                               \
  }
