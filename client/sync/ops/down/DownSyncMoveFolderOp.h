#pragma once
// A folder moved on the server is rebuilt at its new place, folder by folder
// from the database: unchanged files are moved there, files whose content is
// elsewhere in the old tree are copied from where it is, anything else is
// downloaded again, and what is left in the old place (the user's own
// changes) is queued for upload. A file that another program holds is left
// to the moved-folder registry and the task waits.
#include <deque>
#include <map>
#include <vector>

#include "client/core/db/SyncFileData.h"
#include "client/sync/ops/SyncDownFolderBaseOperation.h"

class DownSyncMoveFolderOp : public SyncDownFolderBaseOperation {
 public:
  explicit DownSyncMoveFolderOp(DownSyncFolder* item) : SyncDownFolderBaseOperation(item) {}
  ~DownSyncMoveFolderOp() override;
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override;

  juce::String m_sSourcePath;
  juce::String m_sDownloadFilePath;  // the target path
  SyncFolderData m_folderRow;
  std::map<juce::String, juce::String> m_sourceFiles;  // path -> MD5
  std::deque<juce::String> m_sourceFolders;             // deepest first
  std::vector<juce::String> m_sourceLinks;              // moved as links, never followed
  bool m_bOccupied = false;

 private:
  int FindSourceAndTarget(DownSyncTask* task);
  int Move(DownSyncTask* task);
  void CollectSource();
  void RebuildAtTarget(DownSyncTask* task);
  void MoveFolderFiles(const SyncFolderData& folder, const juce::String& oldFolderPath);
  // The links the old folder held go with it as links.
  void MoveFolderLinks(const juce::String& oldFolderPath, const juce::String& newFolderPath);
  void HandOverOccupied(const juce::String& newPath, const SyncFileData& row);
  static void QueueDownload(SyncFileData row, const juce::String& newPath);
};
