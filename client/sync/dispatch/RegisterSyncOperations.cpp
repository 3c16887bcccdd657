#include "client/sync/dispatch/SyncOperationTable.h"
#include "client/sync/ops/up/RegisterUpSyncOperations.h"

// Each side registers its operation classes here, for example
//   table.SetUpFileOp(1, [](UpSyncFile& item) { return std::make_shared<SyncUploadFileOp>(&item); });
// The two down delete operations set their record flag right after they are made.
void RegisterSyncOperations(SyncOperationTable& table) { RegisterUpSyncOperations(table); }
