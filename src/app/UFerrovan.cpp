#include "app/UFerrovan.h"

#include "db2/UDB2ConvertObjectFactory.h"
#include "db2/UDB2DBObjectFactory.h"
#include "dialect/UDBObjectFactory.h"
#include "engine/UConvertObjectFactory.h"
#include "sqlite/USqliteConvertObjectFactory.h"
#include "sqlite/USqliteDBObjectFactory.h"

TApp& TFerrovan::GetInstance() {
  if (!TApp::HasInstance()) {
    auto* app = new TFerrovan();
    try {
      app->Initialize();
    } catch (...) {
      delete app;
      throw;
    }
  }
  return TApp::GetInstance();
}

std::unique_ptr<TConvertObjectFactory> TFerrovan::CreateSourceConvertObjectFactory() {
  return std::make_unique<TSqliteConvertObjectFactory>();
}

std::unique_ptr<TConvertObjectFactory> TFerrovan::CreateDestConvertObjectFactory() {
  return std::make_unique<TDB2ConvertObjectFactory>();
}

std::unique_ptr<TDBObjectFactory> TFerrovan::CreateSourceDBObjectFactory() {
  auto factory = std::make_unique<TSqliteDBObjectFactory>();
  factory->Initialize();
  return factory;
}

std::unique_ptr<TDBObjectFactory> TFerrovan::CreateDestDBObjectFactory() {
  auto factory = std::make_unique<TDB2DBObjectFactory>();
  factory->Initialize();
  return factory;
}
