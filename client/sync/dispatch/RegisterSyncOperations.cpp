#include "client/sync/dispatch/SyncOperationTable.h"
#include "client/sync/ops/down/DownSyncCreateFolderOp.h"
#include "client/sync/ops/down/DownSyncDeleteFileOp.h"
#include "client/sync/ops/down/DownSyncDeleteFolderOp.h"
#include "client/sync/ops/down/DownSyncMoveFileOp.h"
#include "client/sync/ops/down/DownSyncMoveFolderOp.h"
#include "client/sync/ops/down/DownSyncRenameFileOp.h"
#include "client/sync/ops/down/DownSyncRenameFolderOp.h"
#include "client/sync/ops/down/SyncDownloadFileOp.h"
#include "client/sync/ops/up/RegisterUpSyncOperations.h"

namespace {

template <class Op, class Item>
std::shared_ptr<SyncBaseOperation> Make(Item& item) {
  return std::make_shared<Op>(&item);
}

void RegisterDownOperations(SyncOperationTable& table) {
  table.SetDownFileOp(1, Make<SyncDownloadFileOp, DownSyncFile>);
  table.SetDownFileOp(2, Make<SyncDownloadFileOp, DownSyncFile>);
  table.SetDownFileOp(3, [](DownSyncFile& item) {
    auto op = std::make_shared<DownSyncDeleteFileOp>(&item);
    op->m_bRecord = 1;
    return std::shared_ptr<SyncBaseOperation>(op);
  });
  table.SetDownFileOp(4, Make<DownSyncRenameFileOp, DownSyncFile>);
  table.SetDownFileOp(5, Make<DownSyncMoveFileOp, DownSyncFile>);
  table.SetDownFolderOp(7, Make<DownSyncCreateFolderOp, DownSyncFolder>);
  table.SetDownFolderOp(8, Make<DownSyncDeleteFolderOp, DownSyncFolder>);
  table.SetDownFolderOp(9, Make<DownSyncRenameFolderOp, DownSyncFolder>);
  table.SetDownFolderOp(10, Make<DownSyncMoveFolderOp, DownSyncFolder>);
}

}  // namespace

// Each side registers its operation classes: the op code's factory makes the
// operation for a task's item. The two down delete operations set their record
// flag right after they are made.
void RegisterSyncOperations(SyncOperationTable& table) {
  RegisterUpSyncOperations(table);
  RegisterDownOperations(table);
}
