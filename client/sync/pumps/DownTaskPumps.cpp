#include "client/sync/pumps/DownTaskPumps.h"

#include "client/core/db/LocalDatabases.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/SyncResult.h"
#include "client/sync/dispatch/SyncTaskDispatcher.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncDownTaskManager.h"

DownNormalTaskPump::DownNormalTaskPump(const juce::String& name, SyncDownTaskManager* manager)
    : SyncTaskPump(name, {manager ? &manager->GetWakeList() : nullptr}), m_pManager(manager) {}
DownNormalTaskPump::~DownNormalTaskPump() {
  SignalStop();
  waitForThreadToExit(-1);
  m_rows.reset();
  m_pManager = nullptr;
}

void DownNormalTaskPump::step() {
  if (m_bPaused.load() || !m_pManager || !m_pManager->IsEnabled()) {
    m_rows.reset();
    WaitIdle();
    return;
  }
  if (m_pManager->HasTasks(DOWN_QUEUE_NORMAL)) {
    // The batch ends (its rows committed) before the pump waits, after a
    // failure, after a long run and when the queue runs dry; the stored
    // version, written on this thread as runs settle, goes with its rows.
    if (!m_rows) m_rows.emplace(LocalDatabases::UserConnection(), kRowsPerCommit);
    const juce::uint32 start = juce::Time::getMillisecondCounter();
    const int result = m_pManager->RunDownTask(DOWN_QUEUE_NORMAL);
    if (result != SYNC_RESULT_SUCCESS || m_bStop.load() ||
        juce::Time::getMillisecondCounter() - start > static_cast<juce::uint32>(kQuickRunMs) ||
        !m_pManager->HasTasks(DOWN_QUEUE_NORMAL))
      m_rows.reset();
    m_pManager->WakePumps(WorkEvent());
    AfterResult(result);
    return;
  }
  m_rows.reset();
  // The down side may be the last to drain: the tray then shows synced.
  SyncHelper::RefreshTrayWhenIdle();
  // Changes to announce wait until everything has been applied; with none,
  // the pump has nothing to do until work arrives.
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  if (!tracker || !tracker->HasChangeNotes()) {
    WaitIdle();
    return;
  }
  WaitForWork(kTurnWaitMs);
  if (m_bStop.load() || !m_pManager->AreQueuesEmpty()) return;
  WaitForWork(kWaitResultMs);
  // A task queued meanwhile ended the wait: it runs before any summary.
  if (m_bStop.load() || !m_pManager->AreQueuesEmpty()) return;
  SyncTaskDispatcher* dispatcher = m_pManager->GetDispatcher();
  const SyncControllerHooks hooks = dispatcher ? dispatcher->GetControllerHooks() : SyncControllerHooks();
  if (hooks.hasQueuedServerVersions && hooks.hasQueuedServerVersions()) return;
  if (SyncStatusTracker* now = GetSyncStatusTracker()) now->FlushChangeNotes();
}

DownWaitAndRetryTaskPump::DownWaitAndRetryTaskPump(const juce::String& name, SyncDownTaskManager* manager)
    : SyncTaskPump(name, {manager ? &manager->GetWakeList() : nullptr}), m_pManager(manager) {}
DownWaitAndRetryTaskPump::~DownWaitAndRetryTaskPump() {
  SignalStop();
  waitForThreadToExit(-1);
  m_pManager = nullptr;
}

void DownWaitAndRetryTaskPump::step() {
  if (m_bPaused.load() || !m_pManager || !m_pManager->IsEnabled() ||
      !m_pManager->HasTasks(DOWN_QUEUE_WAIT_AND_RETRY)) {
    WaitIdle();
    return;
  }
  const int result = m_pManager->RunWaitAndRetryTask();
  m_pManager->WakePumps(WorkEvent());
  AfterResult(result);
}
