#pragma once
// A local folder that was deleted: delDir with the files below it that the
// service has in a newer version than the last pull, then the rows go. An
// answer that the folder is gone counts as done; one that newer items stayed
// pulls them. A folder whose own version is newer than the last pull waits
// for that pull.
#include <vector>

#include "client/core/protocol/DirRequests.h"
#include "client/sync/ops/up/SyncUpFolderBaseOperation.h"

class UpSyncDeleteFolderOp : public SyncUpFolderBaseOperation {
 public:
  using SyncUpFolderBaseOperation::SyncUpFolderBaseOperation;

  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_BeforeSyncOperation(int result) override;

  // The files below the folder whose stored version is newer than version,
  // appended to list; false when the folder's files could not be read.
  static bool CollectNewerFiles(juce::int64 folderID, const juce::String& version,
                                std::vector<OverwrittenFile>& list);

  // The newest version of the folder and the folders below it.
  static juce::String NewestFolderVersion(const SyncFolderData& folder);

  juce::int64 m_nFolderID = 0;
  bool m_bWaitsForPull = false;

 private:
  void DeleteRows();
};
