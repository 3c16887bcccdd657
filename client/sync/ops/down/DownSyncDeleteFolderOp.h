#pragma once
// A folder deleted on the server is deleted locally, file by file: a file goes
// only while its content is the database's and its version is not newer than
// the folder's; what the user changed or added stays, with its folders.
#include "client/sync/ops/SyncDownFolderBaseOperation.h"

class DownSyncDeleteFolderOp : public SyncDownFolderBaseOperation {
 public:
  explicit DownSyncDeleteFolderOp(DownSyncFolder* item) : SyncDownFolderBaseOperation(item) {}
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;

  juce::String m_sDownloadFilePath;  // the folder's local path

  // Deletes one file or empty folder (0 when gone already); 4 when another
  // program holds it, 1 for any other failure. Shared with the folder move.
  static int DeleteLocalItem(SyncDownBaseOperation& op, DownSyncTask* task, const juce::String& path,
                             const juce::String& reportPath);

 private:
  int Walk(DownSyncTask* task);
  void DeleteUnchangedFiles(const juce::String& folder, const std::vector<juce::String>& files,
                            const juce::String& folderVersion);
  bool m_bOccupied = false;
};
