#pragma once
// The coalescing timer of one watched directory: the watcher's worker thread
// appends changes (AddEvent); the timer's own thread runs a merging pass every
// period and delivers what is ready through the owning pipeline. Destroying it
// ends the thread; changes still pending are discarded.
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "client/sync/watcher/WatcherCoalescer.h"
#include "win32/Windows.h"

class CAsyncOperation;

class CWatcherTimer {
 public:
  static constexpr UINT kPeriodMs = 1800;

  explicit CWatcherTimer(CAsyncOperation* owner);
  virtual ~CWatcherTimer();
  CWatcherTimer(const CWatcherTimer&) = delete;
  CWatcherTimer& operator=(const CWatcherTimer&) = delete;

  void AddEvent(const WatcherEvent& event);
  // Changes still waiting for a pass (tests).
  size_t PendingCount();
  // Whether a change of the path (or of a folder above it) waits here or is
  // in the pass that is about to deliver it.
  bool HasPendingChange(const CString& path, bool departures = false);
  // Passes run so far (tests wait for a count instead of sleeping).
  unsigned PassCount() const { return m_passes.load(); }

 private:
  void Run(HANDLE ready);
  void RunPass();

  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  UINT_PTR m_timerId = 0;
  std::mutex m_lock;  // the pending changes
  CAsyncOperation* m_owner;
  CWatcherCoalescer m_coalescer;
  std::vector<WatcherEvent> m_inPass;  // taken for the running pass, until delivered
  std::atomic<unsigned> m_passes{0};
};
