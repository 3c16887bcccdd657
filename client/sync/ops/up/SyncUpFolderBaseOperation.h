#pragma once
// The base of the up folder operations: the folder item, the service's
// answer, the repairs for the folder codes and the local rename after the
// service kept a folder under another name.
#include "client/core/protocol/DirReplies.h"
#include "client/sync/items/UpSyncFolder.h"
#include "client/sync/ops/up/SyncUpBaseOperation.h"

class SyncUpFolderBaseOperation : public SyncUpBaseOperation {
 public:
  explicit SyncUpFolderBaseOperation(UpSyncFolder* item) : m_pItem(item) {}

  int Error_SyncOperation(int result) override;
  int Error_BeforeSyncOperation(int result) override;
  int ProcessFileVerNotFound(int result, UpSyncTask* task) override;
  int ProcessFileNotFound(int result, UpSyncTask* task) override;
  virtual int ProcessUserDirsNumExceed(int result, UpSyncTask* task);

  // The service keeps the folder at localPath as serverName: the local folder
  // is renamed to that name (its contents with it, and the database paths
  // below it follow), newPath is its new path and the task's later queued
  // tasks take the new name. 0 done; 3 when the parent is gone or the rename
  // failed (an item of that name already there, a file held open below).
  int ProcessNameConflict(juce::String& newPath, const juce::String& localPath, const juce::String& serverName,
                          juce::int64 parentID);

  // The success step of a create or rename: the local folder follows a name
  // the service chose, its row is written at the folder's final path, and the
  // rows below oldPrefix (a rename's old path; empty for none) take that path.
  int FinishFolder(const char* tag, const juce::String& opName, const juce::String& oldPath);

  UpSyncTask* Task() const { return m_pItem ? m_pItem->m_pTask : nullptr; }

  UpSyncFolder* m_pItem = nullptr;  // not owned
  DirReply m_reply;
};
