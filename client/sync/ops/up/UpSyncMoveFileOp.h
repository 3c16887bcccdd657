#pragma once
// A local file moved to another folder under the same name: moveFile, naming
// the file it replaces there when the database knows one. A source the
// database does not know becomes an add and a full pull.
#include "client/sync/ops/up/SyncUpFileBaseOperation.h"

class UpSyncMoveFileOp : public SyncUpFileBaseOperation {
 public:
  using SyncUpFileBaseOperation::SyncUpFileBaseOperation;

  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_SyncOperation(int result) override;

 private:
  int FallBackToAdd();
};
