#pragma once
#include "client/sync/items/SyncFile.h"

class DownSyncTask;

class DownSyncFile : public SyncFile {
 public:
  explicit DownSyncFile(DownSyncTask* task) : m_pTask(task) {}
  ~DownSyncFile() override { m_pTask = nullptr; }

  DownSyncTask* m_pTask = nullptr;  // not owned
};
