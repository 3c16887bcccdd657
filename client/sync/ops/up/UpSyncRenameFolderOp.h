#pragma once
// A local folder renamed in its parent: renameDir, then the folder's row and
// the stored paths of everything below it. A folder the database does not
// know becomes a folder add.
#include "client/sync/ops/up/SyncUpFolderBaseOperation.h"

class UpSyncRenameFolderOp : public SyncUpFolderBaseOperation {
 public:
  using SyncUpFolderBaseOperation::SyncUpFolderBaseOperation;

  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_SyncOperation(int result) override;
};
