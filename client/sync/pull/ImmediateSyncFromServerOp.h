#pragma once
// The full pull: the whole tree below the sync root (getDirFiles) is compared
// with the database and the local disk, folder by folder, and every
// difference becomes a down task. Local files go only while their content is
// the one of the last sync.
//
// A listing that is not of the sync root, a sync root missing on disk, or an
// empty listing against a database that knows items below the root is
// refused before anything local is deleted: an unmounted folder or a wrong
// reply must never delete the account's files.
#include <atomic>

#include <juce_core/juce_core.h>

#include "client/sync/ops/SyncBaseOperation.h"

class DownSyncTask;
class SyncDownTaskManager;
struct DirContent;

class ImmediateSyncFromServerOp : public SyncBaseOperation {
 public:
  explicit ImmediateSyncFromServerOp(SyncDownTaskManager* manager) : m_pDownManager(manager) {}
  int Execute_SyncOperation() override;
  int Success_SyncOperation() override { return SYNC_RESULT_SUCCESS; }

  SyncDownTaskManager* m_pDownManager = nullptr;  // not owned
  std::atomic<int> m_bFullPull{1};
  std::atomic<int> m_bCompleted{1};

 private:
  void AnalyseDir(const DirContent& dir, bool isRoot);
  void AnalyseFiles(const DirContent& dir);
  void DeleteLocalIfUnchanged(const juce::String& path, const juce::String& md5, const char* failText);
  void QueueTask(DownSyncTask* task, const juce::String& opText);
  int Pull();

  // Tasks of this pull that move the stored version when they are done.
  int m_nVersionedTasks = 0;
};
