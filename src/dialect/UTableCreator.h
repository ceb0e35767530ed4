#pragma once

// Creates a destination table from a source column list; each kind supplies its own.
class TTableCreator {
public:
  virtual ~TTableCreator() = default;
};
