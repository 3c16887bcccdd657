#pragma once
// Tells Explorer which paths changed so that it asks for their overlays again.
// Paths are queued from any thread; a thread of its own sends the notices once
// per timer period, each path once per period however often it was queued,
// and sleeps without a timer while nothing is queued. The
// first period after the thread starts sends nothing. The period comes from the
// string table ("STRID_REFRSH_RATE", milliseconds).
#include <atomic>
#include <list>
#include <unordered_map>

#include <juce_core/juce_core.h>

#include "mfc/Afx.h"
#include "win32/Windows.h"

class CExplorerRefresher {
 public:
  CExplorerRefresher();
  ~CExplorerRefresher();  // Stop()
  CExplorerRefresher(const CExplorerRefresher&) = delete;
  CExplorerRefresher& operator=(const CExplorerRefresher&) = delete;

  // Queues the path (nothing for an empty one) and starts the thread on first
  // use. recurse: every folder below it too (not its files). Otherwise its
  // parent folders too, as long as they are at least rootLength long.
  void QueueRefresh(const CString& path, bool recurse, int rootLength);
  // Ends the thread and empties the queue; the refresher can't be used again.
  void Stop();

  // One timer tick: what the thread does each period.
  void OnTimerTick();
  // Ticks handled since the thread started.
  int TickCount() const { return m_nTickCount.load(); }
  // The paths waiting, oldest first.
  std::list<CString> QueuedPaths() const;

 private:
  struct CStringHash {
    std::size_t operator()(const CString& text) const { return std::hash<std::wstring>()(text.str()); }
  };
  static constexpr UINT kArmTimer = WM_USER + 1;

  static DWORD WINAPI ThreadProc(LPVOID self);
  void Run();
  void QueueFolderTree(const CString& folder, int rootLength);

  UINT_PTR m_nTimerId = 0;
  std::atomic<int> m_nTickCount{0};
  HANDLE m_hThread = nullptr;
  DWORD m_dwThreadId = 0;
  HANDLE m_hQueueReady = nullptr;  // set once the thread has its message queue
  std::list<CString> m_queue;
  std::unordered_map<CString, std::list<CString>::iterator, CStringHash> m_queued;  // each queued path's entry
  juce::CriticalSection m_queueLock;
  int m_bStarted = 0;
  bool m_bStopped = false;
  bool m_bThreadReady = false;  // the thread's queue takes messages
  bool m_bTimerArmed = false;   // the period's timer runs (it rests while the queue is empty)
};
