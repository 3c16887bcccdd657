#pragma once
// A thread that drives one queue of a task manager: it asks the manager to
// run the queue's head and decides from the result how long to wait before
// the next turn (4: 3000 ms, 3: 5000 ms, otherwise at once). Every wait is on
// the pump's wake-up event with a time-out of the process clock, so a signal
// ends it early and tests move time instead of sleeping.
//
// Made and owned by SyncLogic: created paused and started at once, un-paused
// by the start-up workflow, stopped with SignalStop then Stop. The paused and
// stop flags are written by other threads and read at least once a second.
#include <atomic>
#include <condition_variable>
#include <mutex>

#include <juce_core/juce_core.h>

#include "win32/WinDef.h"

class SyncTaskPump : public juce::Thread {
 public:
  static constexpr DWORD kIdleWaitMs = 1000;
  static constexpr DWORD kWaitResultMs = 3000;
  static constexpr DWORD kRetryResultMs = 5000;

  explicit SyncTaskPump(const juce::String& name);
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
  void WaitMs(DWORD ms);
  // The common result handling: 4 and 3 wait, anything else goes on at once.
  void AfterResult(int result);

 private:
  HANDLE m_hWakeUp;
  std::atomic<DWORD> m_nWaitingMs{0};
  std::mutex m_waitLock;
  std::condition_variable m_waitBegun;
  juce::uint64 m_nWaitCount = 0;
  DWORD m_nLastWaitMs = 0;
};
