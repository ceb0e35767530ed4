#pragma once

// One configured transfer, as loaded from a session file.
class TConvertSession {
public:
  virtual ~TConvertSession() = default;
};
