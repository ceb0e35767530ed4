#pragma once

#include "base/UStrings.h"

class TUniConnection;

// How one kind of database logs on: from the command-line parameters for an
// unattended run, or through its logon window.
class TDBLogon {
public:
  virtual ~TDBLogon() = default;
  void SetConnection(TUniConnection* connection) { Connection = connection; }
  TUniConnection* GetConnection() const { return Connection; }

  // Logs on with the parameters; true when the connection is open afterwards.
  // A connect error propagates as an exception.
  virtual bool LogonByParams(const TStringList& params) = 0;
  virtual bool TestConnection() = 0;
  virtual void Logoff() = 0;
  virtual bool IsConnected() const = 0;

protected:
  TUniConnection* Connection = nullptr;
};
