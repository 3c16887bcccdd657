#pragma once
// A local file renamed in its folder: renameFile, then the row under the new
// name. A source the database does not know becomes an add.
#include "client/sync/ops/up/SyncUpFileBaseOperation.h"

class UpSyncRenameFileOp : public SyncUpFileBaseOperation {
 public:
  using SyncUpFileBaseOperation::SyncUpFileBaseOperation;

  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_SyncOperation(int result) override;
};
