#pragma once

#include <functional>
#include <string>

class TDBObjectFactory;
class TConvertSession;

// Writes batch files that run a saved session unattended. The front end supplies the
// batch-file window through ShowDialogForSession.
class TConvertBatchFileCreator {
 public:
  TConvertBatchFileCreator(TDBObjectFactory* sourceFactory, TDBObjectFactory* destFactory)
      : SourceFactory(sourceFactory), DestFactory(destFactory) {}
  virtual ~TConvertBatchFileCreator() = default;

  // Opens the batch-file window for a session file; without a front end nothing opens.
  void ShowDialogForSession(const std::string& sessionFile) {
    if (OnShowDialogForSession) OnShowDialogForSession(sessionFile);
  }
  std::function<void(const std::string& sessionFile)> OnShowDialogForSession;

  TDBObjectFactory* SourceFactory;
  TDBObjectFactory* DestFactory;
};

// What the "Save Session" window gives back.
struct TSessionSaveDialogResult {
  bool Saved = false;
  bool MakeBatch = false;
  std::string FileName;  // checked by ResolveSessionFileName
};

// The "Save Session" window, as the front end shows it: given the session's file name,
// filter, default extension and the description line.
using TSessionSaveDialog =
    std::function<TSessionSaveDialogResult(const std::string& fileName, const std::string& filter,
                                           const std::string& defaultExt, const std::string& description)>;

// Asks, around one session, whether it is to be saved.
class TSessionSaver {
 public:
  // True when the session is not blank, has changed against its file, and the user
  // answers Yes to "Save changed session now?". Without a way to ask, false.
  static bool AskSave(TConvertSession& session, const std::function<bool(const std::string& text)>& confirm);
};

// Saves sessions, asking first where the user must decide.
class TSessionManager {
 public:
  explicit TSessionManager(TConvertBatchFileCreator* batchFileCreator) : BatchFileCreator(batchFileCreator) {}
  virtual ~TSessionManager() = default;

  // Shows the save window, saves, and opens the batch-file window when asked. True when
  // the session's file exists afterwards.
  bool SaveSession(TConvertSession& session);
  // The text above the file name in the save window.
  static std::string SaveDescription(TConvertSession& session);

  TSessionSaveDialog SaveDialog;
  TConvertBatchFileCreator* BatchFileCreator;
};
