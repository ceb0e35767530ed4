#include "session/USessionManager.h"

#include "base/UPaths.h"
#include "session/UConvertSession.h"

bool TSessionSaver::AskSave(TConvertSession& session, const std::function<bool(const std::string& text)>& confirm) {
  if (session.IsBlank() || !session.IsChanged() || !confirm) return false;
  return confirm("Save changed session now?\r\n" + session.GetCaption());
}

std::string TSessionManager::SaveDescription(TConvertSession& session) {
  std::string caption = session.GetCaption();
  auto at = caption.find("\r\n");
  if (at != std::string::npos) caption.replace(at, 2, ", ");
  return "Save Session (" + caption + ")";
}

bool TSessionManager::SaveSession(TConvertSession& session) {
  bool makeBatch = false;
  if (SaveDialog) {
    TSessionSaveDialogResult result =
        SaveDialog(session.FileName, session.FileFilter, session.DefaultExt, SaveDescription(session));
    if (result.Saved) session.SaveToFile(result.FileName);
    makeBatch = result.MakeBatch;
  }
  bool exists = !session.FileName.empty() && FileExists(session.FileName);
  if (exists && makeBatch && BatchFileCreator) BatchFileCreator->ShowDialogForSession(session.FileName);
  return exists;
}
