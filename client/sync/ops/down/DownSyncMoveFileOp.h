#pragma once
// A file moved on the server to another folder is moved locally, never over
// a local file of the same name; a source missing locally turns the task
// into a download.
#include "client/sync/ops/SyncDownFileBaseOperation.h"

class DownSyncMoveFileOp : public SyncDownFileBaseOperation {
 public:
  explicit DownSyncMoveFileOp(DownSyncFile* item) : SyncDownFileBaseOperation(item) {}
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;

  juce::String m_sSourcePath;
  juce::String m_sDownloadFilePath;  // the target path

 private:
  SyncFileData m_row;
};
