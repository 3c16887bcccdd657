#include "client/sync/LocalPathGuard.h"
#include "client/sync/ops/SyncDownBaseOperation.h"

#include "client/core/LogWriter.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "win32/Clock.h"

namespace {

constexpr int kNameWaits = 4;
constexpr juce::uint64 kFirstNameWaitMs = 1000;

}  // namespace

bool SyncDownBaseOperation::WaitForName(DownSyncTask* task, const juce::String& why, const juce::String& path) {
  if (!task || task->m_nNameWaits >= kNameWaits) return false;
  const juce::uint64 delay = kFirstNameWaitMs << task->m_nNameWaits++;
  task->m_nRetryAfterMs = win32::CurrentClock().NowMs() + delay;
  task->m_nWaitState = DOWN_WAIT_NAME_TAKEN;
  WriteLog(NormalLog, "SyncDownBaseOperation::WaitForName", why + path + ", tried again in " + juce::String(delay) + " ms");
  return true;
}

bool SyncDownBaseOperation::IsWaitingForName(const DownSyncTask* task) {
  return task && task->m_nWaitState == DOWN_WAIT_NAME_TAKEN && win32::CurrentClock().NowMs() < task->m_nRetryAfterMs;
}

int SyncDownBaseOperation::CheckOccupied(DownSyncTask* task, const juce::String& path, bool& occupied) {
  occupied = false;
  if (SyncHelper::IsFileOccupied(path)) {
    occupied = true;
    return ReportOccupied(task, path);
  }
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int SyncDownBaseOperation::ReportOccupied(DownSyncTask* task, const juce::String& path) {
  if (task && !task->m_bOccupiedReported) {
    if (ISyncNotifyUI* sink = GetSyncNotifyUI())
      sink->NotifySyncEvent(
          SyncNotifyInfo{SNT_OCCUPIED, path, juce::File(path).isDirectory() ? "Folder" : "File"});
    if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->AddOccupiedPath(path);
    if (SyncPathList* tips = GetSyncTipList()) tips->AddUnique(path, TIP_OCCUPIED);
    task->m_bOccupiedReported = 1;
  }
  if (task) task->m_nWaitState = DOWN_WAIT_OCCUPIED;
  return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
}

bool SyncDownBaseOperation::IsSafePath(DownSyncTask* task, const juce::String& path) {
  if (LocalPathGuard::IsInsideRoot(path, "SyncDownBaseOperation::IsSafePath")) return true;
  if (task) task->m_bSaveOnCancel.store(true);
  return false;
}

void SyncDownBaseOperation::ClearTransferEntry(juce::int64 fileID) {
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->RemoveDownFile(fileID);
}

bool SyncDownBaseOperation::CheckPathLength(DownSyncTask* task, const juce::String& path, bool isFile) {
  // The notices put the path first and the kind second, as the windows read
  // every notice of these two types. The narrow encoding of file names here is UTF-8.
  if (static_cast<int>(path.getNumBytesAsUTF8()) <= kMaxLocalPathBytes) return false;
  if (ISyncNotifyUI* sink = GetSyncNotifyUI())
    sink->NotifySyncEvent(SyncNotifyInfo{SNT_LOCAL_PATH_TOO_LONG, path, isFile ? "File" : "Folder"});
  if (task) task->m_bSaveOnCancel.store(true);
  return true;
}
