#pragma once
#include <juce_core/juce_core.h>

#include "client/sync/records/SyncFolder.h"

class UpSyncTask;

class UpSyncFolder : public SyncFolder {
 public:
  explicit UpSyncFolder(UpSyncTask* task) : m_pTask(task) {}

  // The task's path and srcPath; empty without a task.
  juce::String GetPath() const;
  juce::String GetSrcPath() const;

  UpSyncTask* m_pTask = nullptr;  // not owned
};
