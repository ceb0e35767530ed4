#pragma once

#include <string>

#include "base/UExceptions.h"
#include "base/UStrings.h"

// An error reported by a database engine or driver; the message is its own text.
class EDatabaseError : public Exception {
public:
  using Exception::Exception;
};

// One connection to a database, chosen by provider name ("Sqlite", "DB2"). The
// parameter texts and provider options are set before Connect. The back ends are
// not part of this build yet: connecting reports that plainly.
class TUniConnection {
public:
  TUniConnection() = default;
  ~TUniConnection() = default;
  TUniConnection(const TUniConnection&) = delete;
  TUniConnection& operator=(const TUniConnection&) = delete;

  std::string ProviderName;
  std::string Username;
  std::string Password;
  std::string Server;
  std::string Database;
  TStringList SpecificOptions;
  bool LoginPrompt = false;

  void Connect();
  void Disconnect() {}
  bool Connected() const { return false; }
  std::string ServerVersion() const { return ""; }
};
