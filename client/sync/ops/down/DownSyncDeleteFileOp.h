#pragma once
// A file deleted on the server is deleted locally, but only while its content
// is the one the database knows: a file changed since the last sync, or one
// that is not the database's, stays.
#include "client/sync/ops/SyncDownFileBaseOperation.h"

class DownSyncDeleteFileOp : public SyncDownFileBaseOperation {
 public:
  explicit DownSyncDeleteFileOp(DownSyncFile* item) : SyncDownFileBaseOperation(item) {}
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;

  juce::String m_sDownloadFilePath;
  // Set by the dispatcher's table; cleared when the path was not the
  // database's own file (then the tracker records nothing).
  int m_bRecord = 1;
};
