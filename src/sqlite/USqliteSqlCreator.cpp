#include "sqlite/USqliteSqlCreator.h"

#include "sqlite/USqliteDBDictionary.h"

std::unique_ptr<TDBHelper> TSqliteSqlCreator::CreateHelper() { return std::make_unique<TSqliteDBHelper>(); }
