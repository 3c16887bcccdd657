#pragma once
// A local folder that was added: createDir under the parent's service id
// (merging with a folder of that name), then the folder's row.
#include "client/sync/ops/up/SyncUpFolderBaseOperation.h"

class UpSyncCreateFolderOp : public SyncUpFolderBaseOperation {
 public:
  using SyncUpFolderBaseOperation::SyncUpFolderBaseOperation;

  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_SyncOperation(int result) override;
};
