#include "client/sync/pumps/DownTaskPumps.h"

#include "client/sync/SyncLogic.h"
#include "client/sync/dispatch/SyncTaskDispatcher.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncDownTaskManager.h"

DownNormalTaskPump::DownNormalTaskPump(const juce::String& name, SyncDownTaskManager* manager)
    : SyncTaskPump(name), m_pManager(manager) {}
DownNormalTaskPump::~DownNormalTaskPump() {
  SignalStop();
  waitForThreadToExit(-1);
  m_pManager = nullptr;
}

void DownNormalTaskPump::step() {
  if (m_bPaused.load() || !m_pManager || !m_pManager->IsEnabled()) {
    WaitMs(kIdleWaitMs);
    return;
  }
  if (m_pManager->HasTasks(DOWN_QUEUE_NORMAL)) {
    AfterResult(m_pManager->RunDownTask(DOWN_QUEUE_NORMAL));
    return;
  }
  WaitMs(kIdleWaitMs);
  if (m_bStop.load() || !m_pManager->AreQueuesEmpty()) return;
  WaitMs(kWaitResultMs);
  if (m_bStop.load()) return;
  SyncTaskDispatcher* dispatcher = m_pManager->GetDispatcher();
  const SyncControllerHooks hooks = dispatcher ? dispatcher->GetControllerHooks() : SyncControllerHooks();
  if (hooks.hasQueuedServerVersions && hooks.hasQueuedServerVersions()) return;
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->FlushChangeNotes();
}

DownWaitAndRetryTaskPump::DownWaitAndRetryTaskPump(const juce::String& name, SyncDownTaskManager* manager)
    : SyncTaskPump(name), m_pManager(manager) {}
DownWaitAndRetryTaskPump::~DownWaitAndRetryTaskPump() {
  SignalStop();
  waitForThreadToExit(-1);
  m_pManager = nullptr;
}

void DownWaitAndRetryTaskPump::step() {
  if (m_bPaused.load() || !m_pManager || !m_pManager->IsEnabled() ||
      !m_pManager->HasTasks(DOWN_QUEUE_WAIT_AND_RETRY)) {
    WaitMs(kIdleWaitMs);
    return;
  }
  AfterResult(m_pManager->RunWaitAndRetryTask());
}
