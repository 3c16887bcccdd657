#pragma once
// A local file that was deleted: delFile with the row's version, then the row
// goes. An answer that the file is gone counts as done.
#include "client/sync/ops/up/SyncUpFileBaseOperation.h"

class UpSyncDeleteFileOp : public SyncUpFileBaseOperation {
 public:
  using SyncUpFileBaseOperation::SyncUpFileBaseOperation;

  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_BeforeSyncOperation(int result) override;

  juce::int64 m_nFileID = 0;
  juce::String m_sVersion;
};
