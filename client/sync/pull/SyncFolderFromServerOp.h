#pragma once
// The incremental pull: the entries that syncDir lists as changed since a
// version become down tasks, one each.
#include <juce_core/juce_core.h>

#include "client/sync/ops/SyncBaseOperation.h"

class SyncDownTaskManager;
class DownSyncTask;

class SyncFolderFromServerOp : public SyncBaseOperation {
 public:
  SyncFolderFromServerOp(const juce::String& version, juce::int64 folderID, SyncDownTaskManager* manager);
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override { return SYNC_RESULT_SUCCESS; }

  // Set the task's op code from its record and the database; a changed
  // file's log text comes back in opText.
  static void TranslateFileDownOp(DownSyncTask& task, juce::String& opText);
  static void TranslateDirDownOp(DownSyncTask& task, juce::String& opText);

  // A folder's pull lists an item that moved out of the folder as deleted
  // (at the move's own version): true for such a deletion of an item this
  // device holds outside the folder already. The pull of the whole root
  // brings every real deletion.
  bool LeftTheFolder(const DownSyncTask& task) const;

  juce::String m_sVersion;
  juce::int64 m_nFolderID = 0;
  SyncDownTaskManager* m_pDownManager = nullptr;  // not owned
};
