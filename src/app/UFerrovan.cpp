#include "app/UFerrovan.h"

#include "app/UFactories.h"
#include "dialect/db2/UDB2DBObjectFactory.h"
#include "dialect/sqlite/USqliteDBObjectFactory.h"

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

// The conversion side of the bindings (readers, writers) plugs in here as it lands.
std::unique_ptr<TConvertObjectFactory> TFerrovan::CreateSourceConvertObjectFactory() { return nullptr; }
std::unique_ptr<TConvertObjectFactory> TFerrovan::CreateDestConvertObjectFactory() { return nullptr; }

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
