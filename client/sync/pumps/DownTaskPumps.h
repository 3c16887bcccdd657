#pragma once
// The two down pumps: one for the normal queue, one for the wait-and-retry
// queue of the down task manager. They run whether or not the engine is
// online. When everything has been applied, the normal pump lets the status
// tracker announce the changes in one balloon and refreshes the tray.
#include <optional>

#include "client/core/db/DBConnection.h"
#include "client/sync/pumps/SyncTaskPump.h"

class SyncDownTaskManager;

class DownNormalTaskPump : public SyncTaskPump {
 public:
  DownNormalTaskPump(const juce::String& name, SyncDownTaskManager* manager);
  ~DownNormalTaskPump() override;
  void step() override;

  // Rows of the downloads that follow one another quickly (a listing's small
  // files) share a commit, up to this many.
  static constexpr size_t kRowsPerCommit = 256;
  // A run that takes longer commits what the batch holds: rows never wait
  // uncommitted behind a long transfer for long.
  static constexpr int kQuickRunMs = 200;

 private:
  SyncDownTaskManager* m_pManager;
  std::optional<DBCommitGroup> m_rows;  // the batch of the runs in progress
};

class DownWaitAndRetryTaskPump : public SyncTaskPump {
 public:
  DownWaitAndRetryTaskPump(const juce::String& name, SyncDownTaskManager* manager);
  ~DownWaitAndRetryTaskPump() override;
  void step() override;

 private:
  SyncDownTaskManager* m_pManager;
};
