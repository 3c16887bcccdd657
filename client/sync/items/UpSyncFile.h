#pragma once
#include <juce_core/juce_core.h>

#include "client/sync/items/SyncFile.h"

class UpSyncTask;

class UpSyncFile : public SyncFile {
 public:
  explicit UpSyncFile(UpSyncTask* task) : m_pTask(task) {}
  ~UpSyncFile() override { m_pTask = nullptr; }

  // The task's path; empty without a task.
  juce::String GetPath() const;

  UpSyncTask* m_pTask = nullptr;  // not owned
};
