#pragma once

#include <exception>
#include <string>

// Base of every error the program raises. The stack trace is captured where the
// error is constructed, so an error report shows where it came from, not where it
// was caught.
class Exception : public std::exception {
public:
  explicit Exception(std::string message);
  ~Exception() override = default;

  const char* what() const noexcept override { return Message.c_str(); }
  const std::string& GetMessage() const { return Message; }
  const std::string& GetStackTrace() const { return StackTrace; }

  std::string Message;
  std::string StackTrace;
};

// A text that could not be read as the value asked for (a number, a boolean).
class EConvertError : public Exception {
public:
  using Exception::Exception;
};

// A file that could not be created, opened, read or written.
class EInOutError : public Exception {
public:
  using Exception::Exception;
};

// Demangled call stack of the caller, one frame a line, innermost first.
std::string CaptureStackTrace(int skipFrames = 1);

// The message of any exception, for the places that catch everything.
std::string ExceptionMessage(const std::exception& e);
