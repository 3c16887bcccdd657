#pragma once
// A folder created on the server is made locally, under the folder's parent
// row. A folder the database already knows under another path turns its task
// into a folder rename.
#include "client/sync/ops/SyncDownFolderBaseOperation.h"

class DownSyncCreateFolderOp : public SyncDownFolderBaseOperation {
 public:
  explicit DownSyncCreateFolderOp(DownSyncFolder* item) : SyncDownFolderBaseOperation(item) {}
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_BeforeSyncOperation(int result) override;
  // 0 built (or set), 1 cancel, 3 after turning the task into a rename.
  int BuildDownloadFolderPath();

  juce::String m_sDownloadFilePath;   // the folder's local path
  juce::String m_sParentFolderPath;   // with a trailing separator

 private:
  bool m_bHeld = false;
};
