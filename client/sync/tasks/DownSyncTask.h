#pragma once
// One server change that must reach the local disk. Owned by the down task
// manager while queued; the same sharing rules as UpSyncTask.
#include <atomic>
#include <memory>

#include <juce_core/juce_core.h>

#include "client/core/db/SyncFileData.h"
#include "client/core/db/SyncFolderData.h"
#include "client/sync/tasks/SyncOperationSlot.h"
#include "client/sync/tasks/SyncTaskPlacement.h"

// Operation codes of down tasks.
enum DownSyncOp {
  DOWN_OP_NONE = 0,
  DOWN_OP_FILE_ADD = 1,
  DOWN_OP_FILE_MODIFY = 2,
  DOWN_OP_FILE_DELETE = 3,
  DOWN_OP_FILE_RENAME = 4,
  DOWN_OP_FILE_MOVE = 5,
  DOWN_OP_FILE_OTHER = 6,
  DOWN_OP_FOLDER_ADD = 7,
  DOWN_OP_FOLDER_DELETE = 8,
  DOWN_OP_FOLDER_RENAME = 9,
  DOWN_OP_FOLDER_MOVE = 10,
  DOWN_OP_FOLDER_OTHER = 11,
};

enum DownSyncQueue { DOWN_QUEUE_NORMAL = 1, DOWN_QUEUE_WAIT_AND_RETRY = 2 };

// Why an operation asked to wait (result 4).
// DOWN_WAIT_SERVICE: the service failed in a way it gets over (5xx, a
// dropped connection); the task is tried again after a growing delay.
// DOWN_WAIT_NAME_TAKEN: another synced item still stands at the target's
// name; tried again after a growing delay while the change that moves it runs.
enum DownWaitState {
  DOWN_WAIT_NONE = 0,
  DOWN_WAIT_OCCUPIED = 3,
  DOWN_WAIT_DISK_SPACE = 4,
  DOWN_WAIT_SERVICE = 5,
  DOWN_WAIT_NAME_TAKEN = 6
};

class DownSyncTask {
 public:
  DownSyncTask();
  DownSyncTask(const DownSyncTask&) = delete;
  DownSyncTask& operator=(const DownSyncTask&) = delete;

  // The record's VersionValue (file record for a file task, else folder).
  juce::String GetVersion() const;
  // The record's id; -1 without a record of the task's kind.
  juce::int64 GetRecordID() const;
  bool HasRecord() const { return m_bIsFile ? m_pFileData != nullptr : m_pFolderData != nullptr; }

  juce::int64 m_nSequence = 0;
  juce::int64 m_nReserved = 0;
  int m_bIsFile = 1;
  std::unique_ptr<SyncFileData> m_pFileData;
  std::unique_ptr<SyncFolderData> m_pFolderData;
  juce::int64 m_nServerID = 0;
  juce::int64 m_nParentID = 0;
  int m_nQueue = DOWN_QUEUE_NORMAL;
  int m_nOp = DOWN_OP_NONE;
  SyncOperationSlot m_operation;
  int m_nWaitState = DOWN_WAIT_NONE;
  int m_nRetryCount = 0;
  // Transient service failures in a row, and the process-clock time before
  // which the task is not tried again (DOWN_WAIT_SERVICE).
  int m_nServiceFailures = 0;
  juce::uint64 m_nRetryAfterMs = 0;
  int m_nNameWaits = 0;  // DOWN_WAIT_NAME_TAKEN waits so far
  std::atomic<bool> m_bSaveOnCancel{false};
  std::atomic<bool> m_bCancelled{false};
  int m_bOccupiedReported = 0;
  int m_nPriority = PLACE_APPEND;
  juce::String m_sNote;
  std::atomic<bool> m_bRunning{false};
  // Whether finishing the task may advance the root's stored global version.
  // Only a pull of the whole root lists every change up to its version; the
  // tasks of a pull of one folder must leave the root's version alone, or the
  // changes elsewhere that lie below it would never be pulled.
  bool m_bTracksVersion = true;
  // The engine itself asks for the folder at its row's place again (a row
  // whose folder went missing): a row of the same version does not mean the
  // folder is there.
  bool m_bRestores = false;
  // Guarded by the manager's queue lock: listed among the files in transfer;
  // taken out of its queue while it ran (its pump frees it).
  bool m_bInTransfer = false;
  bool m_bDetached = false;
};
