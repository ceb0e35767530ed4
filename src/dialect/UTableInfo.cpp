#include "dialect/UTableInfo.h"

void TTableInfo::AddField(const std::string& name, const std::string& dataType, const std::string& notNull,
                          const std::string& primaryKey, const std::string& autoIncrement, const std::string& index) {
  FieldNames.Add(name);
  FieldTypes.Add(dataType);
  NotNulls.Add(notNull);
  PrimaryKeys.Add(primaryKey);
  AutoIncrements.Add(autoIncrement);
  Indexes.Add(index);
}

void TTableInfo::Clear() {
  FieldNames.Clear();
  FieldTypes.Clear();
  NotNulls.Clear();
  PrimaryKeys.Clear();
  AutoIncrements.Clear();
  Indexes.Clear();
}
