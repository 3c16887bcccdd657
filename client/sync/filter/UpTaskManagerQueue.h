#pragma once
// The up task manager as the file-watch message filter uses it. Not owned.
//
// NOTE: the manager offers its busy state as a plain get and set, so the hold
// is taken in two steps: an up operation that starts between them runs while
// the change is translated (the manager's queues are locked on their own, so
// this costs order, not consistency).
#include "client/sync/filter/UpTaskQueue.h"

class SyncUpTaskManager;

class UpTaskManagerQueue : public IUpTaskQueue {
 public:
  explicit UpTaskManagerQueue(SyncUpTaskManager* manager) : m_pManager(manager) {}

  bool HoldForTranslation() override;
  void EndTranslation() override;
  void ClassifyTask(UpSyncTask* task) override;
  void AddTask(UpSyncTask* task) override;
  bool FindTaskByPath(const juce::String& path, int& isFile) override;
  bool IsFileLeaving(const juce::String& path) override;
  void AddWaiter(HANDLE event) override;
  void RemoveWaiter(HANDLE event) override;

 private:
  SyncUpTaskManager* m_pManager;
};
