#include "client/sync/pumps/DownTaskPumps.h"

#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/dispatch/SyncTaskDispatcher.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncDownTaskManager.h"

DownNormalTaskPump::DownNormalTaskPump(const juce::String& name, SyncDownTaskManager* manager)
    : SyncTaskPump(name, {manager ? &manager->GetWakeList() : nullptr}), m_pManager(manager) {}
DownNormalTaskPump::~DownNormalTaskPump() {
  SignalStop();
  waitForThreadToExit(-1);
  m_pManager = nullptr;
}

void DownNormalTaskPump::step() {
  if (m_bPaused.load() || !m_pManager || !m_pManager->IsEnabled()) {
    WaitIdle();
    return;
  }
  if (m_pManager->HasTasks(DOWN_QUEUE_NORMAL)) {
    const int result = m_pManager->RunDownTask(DOWN_QUEUE_NORMAL);
    m_pManager->WakePumps(WorkEvent());
    AfterResult(result);
    return;
  }
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
  WaitMs(kWaitResultMs);
  if (m_bStop.load()) return;
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
