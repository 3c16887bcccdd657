#include "client/sync/pumps/SyncTaskPump.h"

#include "client/sync/ops/SyncResult.h"
#include "client/sync/pumps/SyncWakeList.h"
#include "win32/Event.h"
#include "win32/Handle.h"
#include "win32/Wait.h"

SyncTaskPump::SyncTaskPump(const juce::String& name, std::initializer_list<SyncWakeList*> wakeLists)
    : juce::Thread(name),
      m_hWakeUp(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_hWorkArrived(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  for (SyncWakeList* list : wakeLists) {
    if (!list) continue;
    list->Add(m_hWorkArrived);
    m_wakeLists.push_back(list);
  }
}

SyncTaskPump::~SyncTaskPump() {
  SignalStop();
  waitForThreadToExit(-1);
  for (SyncWakeList* list : m_wakeLists) list->Remove(m_hWorkArrived);
  if (m_hWorkArrived) CloseHandle(m_hWorkArrived);
  if (m_hWakeUp) CloseHandle(m_hWakeUp);
}

void SyncTaskPump::run() {
  while (!m_bStop.load()) step();
}

void SyncTaskPump::Wake() {
  if (m_hWakeUp) SetEvent(m_hWakeUp);
}

void SyncTaskPump::SignalStop() {
  m_bStop.store(true);
  Wake();
}

bool SyncTaskPump::Stop(int timeoutMs) {
  SignalStop();
  return waitForThreadToExit(timeoutMs);
}

void SyncTaskPump::WaitMs(DWORD ms) { Wait(ms, false); }

void SyncTaskPump::WaitForWork(DWORD ms) { Wait(ms, true); }

void SyncTaskPump::Wait(DWORD ms, bool forWork) {
  if (m_bStop.load() || !m_hWakeUp) return;
  m_nWaitingMs.store(ms);
  {
    std::lock_guard<std::mutex> hold(m_waitLock);
    ++m_nWaitCount;
    m_nLastWaitMs = ms;
  }
  m_waitBegun.notify_all();
  if (forWork && m_hWorkArrived) {
    const HANDLE either[] = {m_hWakeUp, m_hWorkArrived};
    WaitForMultipleObjects(2, either, FALSE, ms);
  } else {
    WaitForSingleObject(m_hWakeUp, ms);
  }
  m_nWaitingMs.store(0);
}

void SyncTaskPump::AfterResult(int result) {
  if (result == SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN)
    WaitMs(kWaitResultMs);
  else if (result == SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK)
    WaitMs(kRetryResultMs);
}

bool SyncTaskPump::HeldBack(bool heldBack) {
  if (heldBack) WaitForWork(kWaitResultMs);
  return heldBack;
}

juce::uint64 SyncTaskPump::GetWaitCount() {
  std::lock_guard<std::mutex> hold(m_waitLock);
  return m_nWaitCount;
}

DWORD SyncTaskPump::WaitForWaitNumber(juce::uint64 number, int realTimeoutMs) {
  std::unique_lock<std::mutex> hold(m_waitLock);
  if (!m_waitBegun.wait_for(hold, std::chrono::milliseconds(realTimeoutMs), [&] { return m_nWaitCount >= number; }))
    return 0;
  return m_nWaitCount == number ? m_nLastWaitMs : 0;
}
