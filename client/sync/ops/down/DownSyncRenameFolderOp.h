#pragma once
// A folder renamed on the server is renamed locally (never over an existing
// folder or file); the rows of everything below it follow. Where the user
// made a folder of the new name meanwhile, an empty old folder gives way to it.
#include "client/sync/ops/SyncDownFolderBaseOperation.h"

class DownSyncRenameFolderOp : public SyncDownFolderBaseOperation {
 public:
  explicit DownSyncRenameFolderOp(DownSyncFolder* item) : SyncDownFolderBaseOperation(item) {}
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;

  juce::String m_sOldPath;
  juce::String m_sDownloadFilePath;  // the new path

 private:
  // Another folder holds the new name (its row, or its change still on its
  // way): the task waits for it, a few times; false once the waits are spent.
  bool NewNameHeldByAnother(DownSyncTask& task);
  // The empty old folder removed in favour of the user's folder of the new
  // name; false when either is not so.
  bool TakeFolderOfNewName();
};
