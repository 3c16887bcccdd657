#include "client/sync/ops/up/RegisterUpSyncOperations.h"

#include "client/sync/dispatch/SyncOperationTable.h"
#include "client/sync/ops/up/SyncUploadFileOp.h"
#include "client/sync/ops/up/UpSyncCreateFolderOp.h"
#include "client/sync/ops/up/UpSyncDeleteFileOp.h"
#include "client/sync/ops/up/UpSyncDeleteFolderOp.h"
#include "client/sync/ops/up/UpSyncMoveFileOp.h"
#include "client/sync/ops/up/UpSyncRenameFileOp.h"
#include "client/sync/ops/up/UpSyncRenameFolderOp.h"

namespace {

template <class Op>
SyncOperationTable::UpFileFactory FileOp() {
  return [](UpSyncFile& item) { return std::make_shared<Op>(&item); };
}

template <class Op>
SyncOperationTable::UpFolderFactory FolderOp() {
  return [](UpSyncFolder& item) { return std::make_shared<Op>(&item); };
}

}  // namespace

void RegisterUpSyncOperations(SyncOperationTable& table) {
  table.SetUpFileOp(1, FileOp<SyncUploadFileOp>());
  table.SetUpFileOp(5, FileOp<SyncUploadFileOp>());
  table.SetUpFileOp(2, FileOp<UpSyncMoveFileOp>());
  table.SetUpFileOp(3, FileOp<UpSyncDeleteFileOp>());
  table.SetUpFileOp(4, FileOp<UpSyncRenameFileOp>());
  table.SetUpFolderOp(6, FolderOp<UpSyncCreateFolderOp>());
  table.SetUpFolderOp(7, FolderOp<UpSyncDeleteFolderOp>());
  table.SetUpFolderOp(8, FolderOp<UpSyncRenameFolderOp>());
}
