#pragma once
// The wake-up events of the threads that wait for a task manager's queues to
// change: its pumps, and the server-update filter, which waits for the down
// side to be idle. The manager sets them all when work arrives and when a run
// ends, so that an idle thread can block until then instead of polling.
//
// Each event is auto-reset and belongs to its waiter, which adds it before it
// starts waiting and removes it before it closes it. A set that comes while
// its waiter is busy stays set, so no change is missed between a look at the
// queues and the wait that follows it.
#include <mutex>
#include <vector>

#include "win32/WinDef.h"

class SyncWakeList {
 public:
  void Add(HANDLE event);
  void Remove(HANDLE event);
  // Sets every event but `except` (the caller's own).
  void SetAll(HANDLE except = nullptr);

 private:
  std::mutex m_lock;
  std::vector<HANDLE> m_events;
};
