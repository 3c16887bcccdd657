#pragma once
class SyncOperationTable;

// The up file operations (op 1-5) and the up folder operations (op 6-8).
void RegisterUpSyncOperations(SyncOperationTable& table);
