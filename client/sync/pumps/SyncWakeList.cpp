#include "client/sync/pumps/SyncWakeList.h"

#include <algorithm>

#include "win32/Event.h"

void SyncWakeList::Add(HANDLE event) {
  if (!event) return;
  std::lock_guard<std::mutex> hold(m_lock);
  m_events.push_back(event);
}

void SyncWakeList::Remove(HANDLE event) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_events.erase(std::remove(m_events.begin(), m_events.end(), event), m_events.end());
}

void SyncWakeList::SetAll(HANDLE except) {
  // Under the lock: a waiter that removed its event may close it at once.
  std::lock_guard<std::mutex> hold(m_lock);
  for (HANDLE event : m_events)
    if (event != except) SetEvent(event);
}
