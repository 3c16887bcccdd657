#pragma once
// Turns the link channel's answers into pulls from the service. The link
// thread queues each new global version (LinkServiceCallBack); the filter's
// own thread, "ServerUpdateMessageFilter", runs one folder pull of the root
// for the newest queued version once the down side is idle, then drops every
// queued version the pull covered. A pull that fails keeps its versions and
// is tried again after kRetryDelayMs, so a change on the service is not lost
// to a passing error. The same object starts and restarts the link channel
// and runs pulls on request (PullFromServer, on the caller's thread).
//
// Threads: the link thread (callback), the filter thread, and the callers of
// PullFromServer (start-up thread, up pumps) and of the control calls (UI
// thread). The queue lock guards the versions and is never held during a
// pull; the pull lock serialises pulls; the current pull is shared so that
// other threads can flag it while it runs.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <juce_core/juce_core.h>

#include "client/core/link/LinkServiceHolder.h"
#include "win32/Windows.h"

class SyncBaseOperation;
class SyncDownTaskManager;

class ServerUpdateMessageFilter : public juce::Thread {
 public:
  // Makes the folder pull of one folder from a stored version (the server
  // pull operation); it queues its down tasks on the down manager.
  using PullFactory = std::function<std::shared_ptr<SyncBaseOperation>(
      SyncDownTaskManager* downManager, const juce::String& versionText, juce::int64 folderId)>;

  // The safety time-out of the idle wait: the thread looks again after it
  // even when no signal came.
  static constexpr DWORD kIdleWaitMs = 60000;
  static constexpr DWORD kExitWaitMs = 500;
  static constexpr DWORD kRetryDelayMs = 5000;

  // Starts the thread (running, not held). Without a factory the pulls are
  // the server pull operation, SyncFolderFromServerOp.
  ServerUpdateMessageFilter(const juce::String& name, SyncDownTaskManager* downManager, PullFactory makePull = {});
  ~ServerUpdateMessageFilter() override;

  void InitLinkService();
  void RestartLinkService();
  // On the link thread: one answer of the long poll.
  void LinkServiceCallBack(int code, const std::string& account, juce::int64 version);
  static void LinkServiceCallBackEntry(void* self, int code, const std::string& account, int64_t version);

  // Queues the number after the first "|" of the text (in front of the queue
  // unless it is empty) and wakes the thread; a text without a valid number
  // is ignored.
  void AddVersion(const juce::String& versionText);
  // Runs one pull on the caller's thread; its result (SyncResult), or
  // SYNC_RESULT_CANCEL when stopped or when no pull can be made.
  int PullFromServer(const juce::String& versionText, juce::int64 folderId);
  int UpdateFromServer(const juce::String& versionText, juce::int64 folderId);
  void ClearQueue();
  void SignExit();
  // Stops the link poll and a pull under way and joins the filter's thread;
  // nothing of the filter runs afterwards (the destructor's first step).
  void EndThreads();

  void SetHold(bool hold) { m_bHold.store(hold); }
  void SetRun(bool run) { m_bRun.store(run); }
  void Wake() { SetEvent(m_hWake); }
  // The idle wait's time-out (INFINITE: only a signal ends it).
  void SetIdleWaitMs(DWORD ms) { m_nIdleWaitMs.store(ms); }
  bool HasQueuedVersions();
  std::vector<juce::int64> GetQueuedVersions();
  juce::String GetLinkAccount();

  void run() override;

 private:
  enum class LinkStart { OnlyFirst, Again };
  void StartLink(LinkStart mode);
  std::shared_ptr<SyncBaseOperation> CurrentPull();
  // One turn of the thread: a pull for the newest queued version.
  void PullNewest();

  SyncDownTaskManager* m_pDownManager;
  std::vector<juce::int64> m_versions;
  std::unique_ptr<LinkServiceHolder> m_pLinkHolder;
  std::atomic<bool> m_bStop{false};
  HANDLE m_hExited;
  HANDLE m_hWake;
  std::shared_ptr<SyncBaseOperation> m_pCurrentPull;
  std::atomic<bool> m_bHold{false};
  std::atomic<bool> m_bRun{true};
  juce::CriticalSection m_queueLock;
  juce::String m_sLinkAccount;
  juce::CriticalSection m_pullLock;
  std::mutex m_currentLock;  // m_pCurrentPull, m_sLinkAccount
  std::mutex m_linkLock;     // m_pLinkHolder
  PullFactory m_makePull;
  ULONGLONG m_nRetryAfterMs = 0;  // filter thread only
  std::atomic<DWORD> m_nIdleWaitMs{kIdleWaitMs};
};
