#pragma once

// Turns date and time texts into texts a destination accepts.
class TDateFormatParser {
public:
  virtual ~TDateFormatParser() = default;
};
