#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

// A private folder for the files a target must go through (ini files are read from
// disk on every call), made once per process under TMPDIR and removed at exit.
inline const std::string& FuzzScratchDir() {
  struct TScratch {
    std::string Path;
    TScratch() {
      const char* tmp = std::getenv("TMPDIR");
      std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ferrovan-fuzz-XXXXXX";
      if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
      }
      Path = pattern;
    }
    ~TScratch() {
      std::error_code ec;
      std::filesystem::remove_all(Path, ec);
    }
  };
  static TScratch scratch;
  return scratch.Path;
}

// Stops the run as a fault: libFuzzer records the input that got here.
[[noreturn]] inline void FuzzFault(std::string_view what, std::string_view detail) {
  std::fprintf(stderr, "FUZZ FAULT: %.*s\n%.*s\n", static_cast<int>(what.size()), what.data(),
               static_cast<int>(detail.size()), detail.data());
  std::abort();
}
