#pragma once
// The process-wide record of the sync root: its FolderList row, local path,
// name, folder id and the global version up to which server changes have been
// applied. The engine's threads read it while the down manager and the wizard
// write it, so every field is read and written under the item's lock and the
// getters hand out copies.
#include "client/sync/records/SyncFolder.h"

class SyncRootFolder : public SyncFolder {
 public:
  // Made by the first call (the UI thread at start-up); ended at exit.
  static SyncRootFolder* GetInstance();
  static void DeleteInstance();

  juce::String GetGlobalVersion();
  juce::String GetRootPath();
  juce::String GetRootFolderName();
  // A copy of the root's row as last read or written.
  SyncFolderData GetFolderData();

  // Reads the root row and its version, then caches its path, name and id.
  void Reload();
  // Marks record as the root's row at path, stores version and writes the
  // row with it; caches path and name (the cached id stays).
  void SetRootFolder(const juce::String& path, const juce::String& version, const SyncFolderData& record);
  // The cached id, else the row's, else the reloaded row's; 0 (logged) when
  // there is no root row.
  juce::int64 GetRootFolderID();
  // True when FolderList exists and its root row has an id above 0, a version
  // and a path. The argument is not used.
  bool IsRootRecordValid(const juce::String& unused = {});
  // Forgets the cached root path (a change of account).
  void ClearRootPath();

 private:
  SyncRootFolder();

  juce::String m_sVersion = "-1";
  juce::String m_sRootPath;
  juce::String m_sRootName;
  juce::int64 m_nRootID = 0;
};
