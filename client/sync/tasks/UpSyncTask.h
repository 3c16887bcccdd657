#pragma once
// One local change that must reach the service. Owned by the up task manager
// while queued; the pump that runs it and the manager's other callers meet
// under the manager's queue lock, except for the flags other threads set on
// a running task (cancelled, running) and its operation (SyncOperationSlot).
#include <atomic>

#include <juce_core/juce_core.h>

#include "client/sync/tasks/SyncOperationSlot.h"
#include "client/sync/tasks/SyncTaskPlacement.h"

// Operation codes of up tasks.
enum UpSyncOp {
  UP_OP_NONE = 0,
  UP_OP_FILE_ADD = 1,
  UP_OP_FILE_MOVE = 2,
  UP_OP_FILE_DELETE = 3,
  UP_OP_FILE_RENAME = 4,
  UP_OP_FILE_MODIFY = 5,
  UP_OP_FOLDER_ADD = 6,
  UP_OP_FOLDER_DELETE = 7,
  UP_OP_FOLDER_RENAME = 8,
};

// Queues of the up task manager.
enum UpSyncQueue { UP_QUEUE_NO_DEPEND = 1, UP_QUEUE_FILE_AND_DEPEND = 2, UP_QUEUE_WAIT_AND_DEPEND = 3 };

// Why an operation asked to wait (result 4).
enum UpWaitReason {
  UP_WAIT_NONE = 0,
  UP_WAIT_NO_PARENT_ID = 1,
  UP_WAIT_NAME_CONFLICT = 3,
  UP_WAIT_DIRS_NUM = 5,
  UP_WAIT_FILES_NUM = 6,
  UP_WAIT_CAPACITY = 7,
  // Waits for the pull to catch up with a version this computer made; the
  // changes behind it go on meanwhile, since that pull may wait for them.
  UP_WAIT_FOR_PULL = 8,
};

class UpSyncTask {
 public:
  // Takes the next number of the process-wide sequence (the first task gets 1).
  UpSyncTask();
  UpSyncTask(const UpSyncTask&) = delete;
  UpSyncTask& operator=(const UpSyncTask&) = delete;

  juce::int64 m_nSequence = 0;
  int m_nReserved1 = 0;
  int m_nReserved2 = 0;
  int m_bIsFile = 1;
  juce::String m_sPath;
  juce::String m_sSrcPath;
  juce::String m_sMd5;
  juce::int64 m_nSize = 0;
  juce::Time m_time;
  juce::int64 m_nID = 0;
  juce::int64 m_nSrcID = 0;
  juce::int64 m_nParentID = 0;
  juce::int64 m_nSrcParentID = 0;
  SyncOperationSlot m_operation;
  int m_nOp = UP_OP_NONE;
  int m_nQueue = UP_QUEUE_NO_DEPEND;
  int m_nWaitReason = UP_WAIT_NONE;
  int m_nDepthFlag = 0;
  int m_nRetryCount = 0;
  // Turns a folder's delete has waited for the pull of its own newer version.
  int m_nPullWaits = 0;
  int m_bRenamePending = 0;
  juce::String m_sNewName;
  std::atomic<bool> m_bCancelled{false};
  int m_nPlacement = PLACE_APPEND;
  std::atomic<bool> m_bRunning{false};
  // Guarded by the manager's queue lock: taken out of its queue while it ran
  // (its pump frees it).
  bool m_bDetached = false;
};
