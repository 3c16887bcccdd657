#pragma once
// A thread that drives one queue of a task manager: it asks the manager to
// run the queue's head and decides from the result how long to wait before
// the next turn (4: 3000 ms, 3: 5000 ms, otherwise at once). Every wait is on
// the pump's wake-up event with a time-out of the process clock, so a signal
// ends it early and tests move time instead of sleeping.
//
// A pump with nothing to do blocks until its manager says that work arrived
// or a run ended (the work event, on the manager's wake list; the up pumps'
// is on the online state's too), or until a long safety time-out; a wait after a result is not cut short by new work,
// so a failing head keeps its pace. A run held back before it began (the
// file-event filter's hold, folder changes first) waits for work instead.
//
// Made and owned by SyncLogic: created paused and started at once, un-paused
// by the start-up workflow, stopped with SignalStop then Stop. Whoever changes
// the paused flag wakes the pump (Wake).
#include <atomic>
#include <condition_variable>
#include <initializer_list>
#include <mutex>
#include <vector>

#include <juce_core/juce_core.h>

#include "win32/WinDef.h"

class SyncWakeList;

class SyncTaskPump : public juce::Thread {
 public:
  // The safety time-out of an idle wait: a pump looks again after it even
  // when no signal came.
  static constexpr DWORD kIdleWaitMs = 60000;
  // The pause after the queues drained, and the probe period while offline.
  static constexpr DWORD kTurnWaitMs = 1000;
  static constexpr DWORD kWaitResultMs = 3000;
  static constexpr DWORD kRetryResultMs = 5000;

  // Adds the pump's work event to the wake lists (its manager's, and for
  // the up pumps the online state's); null ones are left out.
  SyncTaskPump(const juce::String& name, std::initializer_list<SyncWakeList*> wakeLists);
  // Joins a thread that still runs (after setting stop).
  ~SyncTaskPump() override;

  void run() override;
  virtual void step() = 0;

  // Ends a wait at once.
  void Wake();
  // Sets stop and wakes the pump.
  void SignalStop();
  // SignalStop, then waits up to timeoutMs for the thread to end; never kills
  // it. True when it has ended.
  bool Stop(int timeoutMs);

  // The idle wait's time-out (INFINITE: only a signal ends it); set before
  // the thread starts.
  void SetIdleWaitMs(DWORD ms) { m_nIdleWaitMs.store(ms); }

  // The time-out of the wait the pump is in now, 0 when it is not waiting.
  DWORD GetCurrentWaitMs() const { return m_nWaitingMs.load(); }
  // How many waits the pump has begun.
  juce::uint64 GetWaitCount();
  // Blocks (up to realTimeoutMs of real time) until the pump has begun its
  // wait number `number`; returns that wait's time-out, or 0 when it did not
  // come. For watching a pump without sleeping.
  DWORD WaitForWaitNumber(juce::uint64 number, int realTimeoutMs);

  std::atomic<bool> m_bPaused{false};
  std::atomic<bool> m_bStop{false};

 protected:
  // A wait that only a signal (Wake, stop) ends early.
  void WaitMs(DWORD ms);
  // A wait that new work ends early too.
  void WaitForWork(DWORD ms);
  // Nothing to do: waits for work up to the idle time-out.
  void WaitIdle() { WaitForWork(m_nIdleWaitMs.load()); }
  // The event the manager sets for this pump (a pump's own run need not
  // wake it again).
  HANDLE WorkEvent() const { return m_hWorkArrived; }
  // The common result handling: 4 and 3 wait, anything else goes on at once.
  void AfterResult(int result);
  // A 4 that ran nothing, because another thread held the queue: the wait
  // (a result's at most) ends with the work event, which the end of that hold
  // sets. True when the run was held back.
  bool HeldBack(bool heldBack);

 private:
  void Wait(DWORD ms, bool forWork);

  std::vector<SyncWakeList*> m_wakeLists;
  HANDLE m_hWakeUp;
  HANDLE m_hWorkArrived;
  std::atomic<DWORD> m_nIdleWaitMs{kIdleWaitMs};
  std::atomic<DWORD> m_nWaitingMs{0};
  std::mutex m_waitLock;
  std::condition_variable m_waitBegun;
  juce::uint64 m_nWaitCount = 0;
  DWORD m_nLastWaitMs = 0;
};
