#pragma once
// The base of the up file operations: the file item, the service's answer,
// the repairs for the file codes and the local rename after the service kept
// a file under another name.
#include "client/core/protocol/FileReplies.h"
#include "client/sync/items/UpSyncFile.h"
#include "client/sync/ops/up/SyncUpBaseOperation.h"

class SyncUpFileBaseOperation : public SyncUpBaseOperation {
 public:
  explicit SyncUpFileBaseOperation(UpSyncFile* item) : m_pItem(item) {}

  int Error_SyncOperation(int result) override;
  int Error_BeforeSyncOperation(int result) override;
  int ProcessFileVerNotFound(int result, UpSyncTask* task) override;
  int ProcessFileNotFound(int result, UpSyncTask* task) override;
  virtual int ProcessUserFilesNumExceed(int result, UpSyncTask* task);
  virtual int ProcessUserCapacityExceed(int result, UpSyncTask* task);

  // The service keeps the file at localPath as serverName: the file is moved
  // to that name (never over another file). 0 moved; 4 when another program
  // holds it (the name-conflict registry retries, the task waits); 2 when the
  // file is gone; 3 when the parent is gone or the move failed otherwise.
  int ProcessNameConflict(juce::String& newPath, const juce::String& localPath, const juce::String& serverName,
                          juce::int64 parentID);

  UpSyncTask* Task() const { return m_pItem ? m_pItem->m_pTask : nullptr; }
  // The reply's file as a FileList row at path, written.
  void WriteFileRecord(const juce::String& path);
  // The success step of a move or rename: the local file follows a name the
  // service chose (finalPath is where it now is), the row is written at
  // rowAtFinal ? finalPath : the task's path, the path is reported in step.
  // A content that differs from the service's is queued for upload.
  int FinishRelocation(const char* tag, bool rowAtFinal, juce::String& finalPath);
  // The task becomes an add of its path with the file's fresh digest.
  static void TurnIntoAdd(UpSyncTask* task);

  UpSyncFile* m_pItem = nullptr;  // not owned
  FileReply m_reply;
};
