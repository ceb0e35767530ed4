#pragma once

// The destination end of a transfer.
class TDataWriter {
public:
  virtual ~TDataWriter() = default;
};
