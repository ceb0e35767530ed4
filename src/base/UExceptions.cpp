#include "base/UExceptions.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>

#include <cstdlib>
#include <memory>

Exception::Exception(std::string message) : Message(std::move(message)), StackTrace(CaptureStackTrace(2)) {}

namespace {

std::string Demangle(const char* name) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(name, nullptr, nullptr, &status),
                                                        &std::free);
  return status == 0 && demangled ? std::string(demangled.get()) : std::string(name);
}

}  // namespace

std::string CaptureStackTrace(int skipFrames) {
  void* frames[64];
  int count = backtrace(frames, 64);
  std::string result;
  for (int i = skipFrames; i < count; ++i) {
    Dl_info info{};
    std::string line;
    if (dladdr(frames[i], &info) && info.dli_sname) {
      line = Demangle(info.dli_sname);
    } else if (info.dli_fname) {
      line = std::string(info.dli_fname) + " (unknown)";
    } else {
      line = "(unknown)";
    }
    char address[32];
    std::snprintf(address, sizeof address, " [%p]", frames[i]);
    result += line + address + "\n";
  }
  return result;
}

std::string ExceptionMessage(const std::exception& e) {
  if (auto* own = dynamic_cast<const Exception*>(&e)) return own->Message;
  return e.what();
}
