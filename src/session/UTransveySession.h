#pragma once

#include <memory>
#include <string>

#include "session/UConvertSession.h"

class TTableSourceOptions;
class TQuerySourceOptions;
class TTransveyBatchDBSourceOptions;
class TTransveyTableMapOptions;

// One source table into one destination table (".uld").
class TTransveyTableLoadSession : public TLoadSession {
 public:
  TTransveyTableLoadSession(TDBObjectFactory* sourceDBObjectFactory, TDBObjectFactory* destDBObjectFactory,
                            TConvertObjectFactory* sourceConvertObjectFactory,
                            TConvertObjectFactory* destConvertObjectFactory);

  void CreateSourceOptions() override;
  void InitSessionInfo() override;
  std::string GetDescription() const override;
  std::unique_ptr<TTaskSession> CreateSameKind() const override;

  TTableSourceOptions& TableSourceOptions() const;
};

// The result of one query into one destination table (".ulq").
class TTransveyQueryLoadSession : public TLoadSession {
 public:
  // Longer query texts are cut for the description.
  static constexpr size_t DescriptionSqlLength = 80;

  TTransveyQueryLoadSession(TDBObjectFactory* sourceDBObjectFactory, TDBObjectFactory* destDBObjectFactory,
                            TConvertObjectFactory* sourceConvertObjectFactory,
                            TConvertObjectFactory* destConvertObjectFactory);

  void CreateSourceOptions() override;
  void InitSessionInfo() override;
  std::string GetDescription() const override;
  std::unique_ptr<TTaskSession> CreateSameKind() const override;

  TQuerySourceOptions& QuerySourceOptions() const;
};

// The tables of one source schema into tables of one destination schema (".ula").
class TTransveyBatchLoadSession : public TBatchLoadSession {
 public:
  // Given to the columns of type DATE or TIMESTAMP of a table created during a run.
  static constexpr const char* CreatedTableDateFormat = "YYYY-MM-DD HH24:MI:SS";

  TTransveyBatchLoadSession(TDBObjectFactory* sourceDBObjectFactory, TDBObjectFactory* destDBObjectFactory,
                            TConvertObjectFactory* sourceConvertObjectFactory,
                            TConvertObjectFactory* destConvertObjectFactory);

  void CreateSourceOptions() override;
  void CreateTableMapOptions() override;
  std::string GetDescription() const override;
  std::unique_ptr<TTaskSession> CreateSameKind() const override;

  // Selects the pair's source table and reads its columns; creates a destination
  // named "To Be Created" (in any letter case) under the source table's name and maps
  // it column by column; otherwise applies the pair's stored field map.
  void ConfigOne(int index) override;

  TTransveyBatchDBSourceOptions& BatchSourceOptions() const;
  TTransveyTableMapOptions& TransveyTableMap() const;
  // The table currently selected, inside the batch source options.
  TTableSourceOptions* TableSourceOptions = nullptr;

 protected:
  // Reads the selected table's column names (and first rows) into TableSourceOptions.
  virtual void LoadItemPreview();

 private:
  // Creates the destination table for sourceName and returns its name; mappedFields
  // gets name=type of the source columns that became columns, in order.
  std::string CreateDestTable(const std::string& sourceName, TStringList& mappedFields);
  // The map of a table just created: the n-th destination column takes the n-th source
  // column that became a column.
  void MapCreatedTable(const TStringList& mappedFields);
};
