#pragma once
#include "client/sync/records/SyncFolder.h"

class DownSyncTask;

class DownSyncFolder : public SyncFolder {
 public:
  explicit DownSyncFolder(DownSyncTask* task) : m_pTask(task) {}
  ~DownSyncFolder() override { m_pTask = nullptr; }

  DownSyncTask* m_pTask = nullptr;  // not owned
};
