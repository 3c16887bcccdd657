#include "client/sync/dispatch/SyncOperationTable.h"

// Each operation class adds its line here as it comes, for example
//   table.SetUpFileOp(1, [](UpSyncFile& item) { return std::make_shared<SyncUploadFileOp>(&item); });
// The two down delete operations set their record flag right after they are made.
void RegisterSyncOperations(SyncOperationTable& table) { (void)table; }
