#include "client/sync/pumps/UpTaskPumps.h"

#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/ops/SyncResult.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncUpTaskManager.h"

namespace {

bool IsOffline() { return !LocalNetErrorManager::GetInstance()->IsOnline(); }

// The no-depend and file-and-depend pumps wait a turn after their last task
// when every up queue is empty.
bool AllDrained(SyncUpTaskManager* manager, int result) {
  return result == SYNC_RESULT_SUCCESS && manager->AreQueuesEmpty();
}

}  // namespace

UpNoDepandTaskPump::UpNoDepandTaskPump(const juce::String& name, SyncUpTaskManager* manager)
    : SyncTaskPump(name, {manager ? &manager->GetWakeList() : nullptr, &LocalNetErrorManager::GetInstance()->GetWakeList()}), m_pManager(manager) {}
UpNoDepandTaskPump::~UpNoDepandTaskPump() {
  SignalStop();
  waitForThreadToExit(-1);
  m_pManager = nullptr;
}

void UpNoDepandTaskPump::step() {
  if (IsOffline()) {
    LocalNetErrorManager* net = LocalNetErrorManager::GetInstance();
    if (net->Probe()) {
      net->SetBackOnline();
      if (SyncStatusTracker* tracker = GetSyncStatusTracker()) {
        tracker->m_nNetState.store(SyncStatusTracker::NET_ONLINE);
        tracker->PushTrayState();
      }
    }
    WaitMs(kTurnWaitMs);
    return;
  }
  if (m_bPaused.load() || !m_pManager || !m_pManager->IsEnabled()) {
    WaitIdle();
    return;
  }
  if (!m_pManager->HasTasks(UP_QUEUE_NO_DEPEND)) {
    SyncHelper::RefreshTrayWhenIdle();
    WaitIdle();
    return;
  }
  bool heldBack = false;
  const int result = m_pManager->RunNotDepandUpTask(&heldBack);
  if (HeldBack(heldBack)) return;
  m_pManager->WakePumps(WorkEvent());
  AfterResult(result);
  if (AllDrained(m_pManager, result)) {
    WaitMs(kTurnWaitMs);
    if (!m_bStop.load()) m_pManager->UpdateFromServerWhenIdle();
  }
}

UpFileAndDepandTaskPump::UpFileAndDepandTaskPump(const juce::String& name, SyncUpTaskManager* manager)
    : SyncTaskPump(name, {manager ? &manager->GetWakeList() : nullptr, &LocalNetErrorManager::GetInstance()->GetWakeList()}), m_pManager(manager) {}
UpFileAndDepandTaskPump::~UpFileAndDepandTaskPump() {
  SignalStop();
  waitForThreadToExit(-1);
  m_pManager = nullptr;
}

void UpFileAndDepandTaskPump::step() {
  if (m_bPaused.load() || IsOffline() || !m_pManager || !m_pManager->IsEnabled() ||
      !m_pManager->HasTasks(UP_QUEUE_FILE_AND_DEPEND)) {
    WaitIdle();
    return;
  }
  bool heldBack = false;
  const int result = m_pManager->RunUpFileAndDepandUpTask(&heldBack);
  if (HeldBack(heldBack)) return;
  m_pManager->WakePumps(WorkEvent());
  AfterResult(result);
  if (AllDrained(m_pManager, result)) WaitMs(kTurnWaitMs);
}

UpWaitAndDepandTaskPump::UpWaitAndDepandTaskPump(const juce::String& name, SyncUpTaskManager* manager)
    : SyncTaskPump(name, {manager ? &manager->GetWakeList() : nullptr, &LocalNetErrorManager::GetInstance()->GetWakeList()}), m_pManager(manager) {}
UpWaitAndDepandTaskPump::~UpWaitAndDepandTaskPump() {
  SignalStop();
  waitForThreadToExit(-1);
  m_pManager = nullptr;
}

void UpWaitAndDepandTaskPump::step() {
  if (m_bPaused.load() || IsOffline() || !m_pManager || !m_pManager->IsEnabled() ||
      !m_pManager->HasTasks(UP_QUEUE_WAIT_AND_DEPEND)) {
    WaitIdle();
    return;
  }
  const int result = m_pManager->RunWaitAndDepandUpTask();
  m_pManager->WakePumps(WorkEvent());
  AfterResult(result);
  if (AllDrained(m_pManager, result)) WaitMs(kTurnWaitMs);
}
