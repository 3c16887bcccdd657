#pragma once
// A local folder renamed in its parent: renameDir, then the folder's row and
// the stored paths of everything below it. A folder the database does not
// know, or one the service no longer has (another device deleted it), becomes
// a folder add, and what it holds goes up with it.
#include "client/sync/ops/up/SyncUpFolderBaseOperation.h"

class UpSyncRenameFolderOp : public SyncUpFolderBaseOperation {
 public:
  using SyncUpFolderBaseOperation::SyncUpFolderBaseOperation;

  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_SyncOperation(int result) override;
  int Error_BeforeSyncOperation(int result) override;

 private:
  juce::int64 m_nFolderID = 0;
};
