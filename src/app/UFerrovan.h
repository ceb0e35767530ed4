#pragma once

#include "app/UApp.h"

// The product: SQLite on the source side, DB2 on the destination side.
class TFerrovan : public TTransvey {
public:
  // The application object, created on the first call.
  static TApp& GetInstance();

  std::unique_ptr<TConvertObjectFactory> CreateSourceConvertObjectFactory() override;
  std::unique_ptr<TConvertObjectFactory> CreateDestConvertObjectFactory() override;
  std::unique_ptr<TDBObjectFactory> CreateSourceDBObjectFactory() override;
  std::unique_ptr<TDBObjectFactory> CreateDestDBObjectFactory() override;

protected:
  TFerrovan() = default;
};
