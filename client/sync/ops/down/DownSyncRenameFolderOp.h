#pragma once
// A folder renamed on the server is renamed locally (never over an existing
// folder or file); the rows of everything below it follow.
#include "client/sync/ops/SyncDownFolderBaseOperation.h"

class DownSyncRenameFolderOp : public SyncDownFolderBaseOperation {
 public:
  explicit DownSyncRenameFolderOp(DownSyncFolder* item) : SyncDownFolderBaseOperation(item) {}
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;

  juce::String m_sOldPath;
  juce::String m_sDownloadFilePath;  // the new path
};
