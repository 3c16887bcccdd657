#pragma once
// What the file-watch message filter needs of the up task manager: its busy
// state (held while a change is translated, so that no up operation starts
// meanwhile), the classification and queueing of a new task, and the look-up
// of a queued task by path or of a file leaving a path. The up task manager
// implements it.
#include <juce_core/juce_core.h>

#include "win32/WinDef.h"

class UpSyncTask;

class IUpTaskQueue {
 public:
  virtual ~IUpTaskQueue() = default;

  // Under the busy lock: false when an operation runs (state 2); otherwise the
  // state becomes 1 (hold) and true is returned.
  virtual bool HoldForTranslation() = 0;
  // Under the busy lock: the state becomes 0.
  virtual void EndTranslation() = 0;
  // Chooses the task's queue and prunes the tasks it makes unnecessary.
  virtual void ClassifyTask(UpSyncTask* task) = 0;
  // Takes the task (one with op 0 or no queue is deleted).
  virtual void AddTask(UpSyncTask* task) = 0;
  // A queued task whose path or source path is `path`; its is-file flag in isFile.
  virtual bool FindTaskByPath(const juce::String& path, int& isFile) = 0;
  // Whether a queued rename or move takes a file away from `path`.
  virtual bool IsFileLeaving(const juce::String& path) = 0;
  // An event set whenever an up run ends or a task is queued, until removed.
  virtual void AddWaiter(HANDLE) {}
  virtual void RemoveWaiter(HANDLE) {}
};
