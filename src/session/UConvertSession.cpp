#include "session/UConvertSession.h"

#include <cstdio>
#include <filesystem>

#include "base/UExceptions.h"
#include "base/ULogSink.h"
#include "base/UPaths.h"
#include "base/USettingsStore.h"
#include "base/UTextFile.h"
#include "session/UDBConvertOptions.h"
#include "session/UTableMapOptions.h"

// --- TMruList

void TMruList::Add(const std::string& fileName) {
  if (RegistryKey.empty() || !Store) return;
  TSettingsStore& store = *Store;
  try {
    AddRecentFile(store, RegistryKey, fileName, MaxItems);
  } catch (const std::exception& e) {
    Warnings.push_back("The list of recent sessions was not updated: " + ExceptionMessage(e));
  }
  for (auto& w : store.TakeWarnings()) Warnings.push_back(std::move(w));
}

std::vector<std::string> TMruList::Items() const {
  if (RegistryKey.empty() || !Store) return {};
  TSettingsStore& store = *Store;
  std::vector<std::string> items;
  try {
    items = ReadRecentFiles(store, RegistryKey);
  } catch (const std::exception& e) {
    Warnings.push_back("The list of recent sessions cannot be read: " + ExceptionMessage(e));
  }
  for (auto& w : store.TakeWarnings()) Warnings.push_back(std::move(w));
  return items;
}

// --- TTaskSession

TTaskSession::TTaskSession() : MruList(std::make_unique<TMruList>()) {}
TTaskSession::~TTaskSession() = default;

void TTaskSession::SaveToFile(const std::string& fileName) {
  FileName = fileName;
  if (FileExists(fileName)) {
    // One backup: the first one made is kept, and later saves rewrite the file in place.
    std::string backup = fileName + ".bak";
    std::error_code ec;
    if (!std::filesystem::exists(backup, ec) && !ec) std::filesystem::rename(fileName, backup, ec);
  }
  MruList->Add(fileName);
}

void TTaskSession::LoadFromFile(const std::string& fileName) {
  FileName = fileName;
  MruList->Add(fileName);
}

bool TTaskSession::IsChanged() {
  if (FileName.empty()) return true;
  auto saved = CreateSameKind();
  saved->MruList->Store = MruList->Store;
  saved->LoadFromFile(FileName);
  return !SameAs(*saved);
}

std::string TTaskSession::GetCaption() const { return FileName.empty() ? GetDescription() : FileName; }

// --- TConvertSession

TConvertSession::TConvertSession(TDBObjectFactory* sourceDBObjectFactory, TDBObjectFactory* destDBObjectFactory,
                                 TConvertObjectFactory* sourceConvertObjectFactory,
                                 TConvertObjectFactory* destConvertObjectFactory)
    : SourceDBObjectFactory(sourceDBObjectFactory),
      DestDBObjectFactory(destDBObjectFactory),
      SourceConvertObjectFactory(sourceConvertObjectFactory),
      DestConvertObjectFactory(destConvertObjectFactory) {}

TConvertSession::~TConvertSession() {
  SourceOptions.reset();
  DestOptions.reset();
  TableMapOptions.reset();
  ConvertOptions.reset();
}

void TConvertSession::Initialize() {
  CreateSourceOptions();
  CreateDestOptions();
  CreateTableMapOptions();
  ConvertOptions = std::make_unique<TConvertOptions>();
  InitSessionInfo();
}

void TConvertSession::SaveToFile(const std::string& fileName) {
  // A name the file cannot hold is refused before the old file is set aside, so a
  // refused save leaves the file, its backup and the recent list as they were.
  if (auto* dest = dynamic_cast<TTableDestOptions*>(DestOptions.get())) dest->CheckFieldsStorable();
  if (auto* map = dynamic_cast<TTransveyTableMapOptions*>(TableMapOptions.get())) map->CheckStorable();
  TTaskSession::SaveToFile(fileName);
  SaveOptions(fileName);
}

void TConvertSession::SaveOptions(const std::string& fileName) {
  std::string section = Section();
  SourceOptions->SaveToFile(fileName, section);
  DestOptions->SaveToFile(fileName, section);
  TableMapOptions->SaveToFile(fileName, section);
  ConvertOptions->SaveToFile(fileName, section);
}

void TConvertSession::LoadFromFile(const std::string& fileName) {
  TTaskSession::LoadFromFile(fileName);
  std::string section = Section();
  SourceOptions->LoadFromFile(fileName, section);
  DestOptions->LoadFromFile(fileName, section);
  TableMapOptions->LoadFromFile(fileName, section);
  ConvertOptions->LoadFromFile(fileName, section);
}

bool TConvertSession::SameAs(const TTaskSession& other) const {
  auto* o = dynamic_cast<const TConvertSession*>(&other);
  return o && SourceOptions->SameAs(*o->SourceOptions) && DestOptions->SameAs(*o->DestOptions) &&
         TableMapOptions->SameAs(*o->TableMapOptions) && ConvertOptions->SameAs(*o->ConvertOptions);
}

int TConvertSession::GetItemCount() const { return TableMapOptions->GetCount(); }
int TConvertSession::GetSelectedItemCount() const { return TableMapOptions->GetSelectedCount(); }
std::string TConvertSession::GetItemSourceName(int index) const { return TableMapOptions->GetSourceName(index); }
std::string TConvertSession::GetItemDestName(int index) const { return TableMapOptions->GetDestName(index); }
bool TConvertSession::IsItemSkipped(int index) const { return TableMapOptions->IsExcluded(index); }

void TConvertSession::DumpSession() {
  if (!LogSink || !LogSink->AppGUIMode()) return;
  TLogSink& log = *LogSink;
  log.LogToMemory("Session Desc: " + GetCaption());
  std::string path;
  try {
    path = GetAppDataDir("Ferrovan") + "recent." + DefaultExt;
    WriteFileBytes(path, "\r\n");
  } catch (const std::exception& e) {
    log.LogToMemory("Cannot create template session file \"" + path + "\": " + ExceptionMessage(e));
    return;
  }
  try {
    SaveOptions(path);
    log.LogToMemory(ReadTextFile(path));
  } catch (const Exception& e) {
    log.LogToMemory("Cannot dump session file: " + e.Message + "\r\n" + e.StackTrace);
  } catch (const std::exception& e) {
    log.LogToMemory("Cannot dump session file: " + ExceptionMessage(e));
  }
}

// --- TLoadSession

void TLoadSession::CreateDestOptions() {
  DestOptions = std::make_unique<TTableDestOptions>(DestDBObjectFactory, DestConvertObjectFactory);
}

void TLoadSession::CreateTableMapOptions() { TableMapOptions = std::make_unique<T1To1TableMapOptions>(); }

bool TLoadSession::IsBlank() const { return FileName.empty() && TableDestOptions().DestTable.empty(); }

TTableDestOptions& TLoadSession::TableDestOptions() const { return static_cast<TTableDestOptions&>(*DestOptions); }

// --- TBatchLoadSession

void TBatchLoadSession::CreateDestOptions() {
  auto dest = std::make_unique<TBatchDBDestOptions>(DestDBObjectFactory, DestConvertObjectFactory);
  TableDestOptions = dest->TableDestOptions.get();
  DestOptions = std::move(dest);
}

void TBatchLoadSession::InitSessionInfo() {
  MruList->RegistryKey = "Software\\Quillmark\\Ferrovan\\AllSessions";
  FileFilter = "Batch Load Session(*.ula)|*.ula";
  DefaultExt = "ula";
  SectionName = "Load";
}

bool TBatchLoadSession::IsBlank() const { return FileName.empty() && TableMapOptions->GetCount() == 0; }

TBatchDBDestOptions& TBatchLoadSession::BatchDestOptions() const {
  return static_cast<TBatchDBDestOptions&>(*DestOptions);
}
