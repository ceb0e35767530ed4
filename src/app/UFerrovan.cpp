#include "app/UFerrovan.h"

#include "app/UFactories.h"

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

// The SQLite and DB2 bindings plug in here as they land; until then a side without a
// factory cannot log on, and a command-line run says so and ends.
std::unique_ptr<TConvertObjectFactory> TFerrovan::CreateSourceConvertObjectFactory() { return nullptr; }
std::unique_ptr<TConvertObjectFactory> TFerrovan::CreateDestConvertObjectFactory() { return nullptr; }
std::unique_ptr<TDBObjectFactory> TFerrovan::CreateSourceDBObjectFactory() { return nullptr; }
std::unique_ptr<TDBObjectFactory> TFerrovan::CreateDestDBObjectFactory() { return nullptr; }
