#pragma once
// A file renamed on the server is renamed locally. The rename never replaces
// a local file that already has the new name; a source missing locally turns
// the task into a download.
#include "client/sync/ops/SyncDownFileBaseOperation.h"

class DownSyncRenameFileOp : public SyncDownFileBaseOperation {
 public:
  explicit DownSyncRenameFileOp(DownSyncFile* item) : SyncDownFileBaseOperation(item) {}
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;

  juce::String m_sOldFilePath;
  juce::String m_sDownloadFilePath;  // the new path

 private:
  SyncFileData m_row;
};
