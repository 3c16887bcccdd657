#pragma once
// One piece of sync work (an upload, a download, a local or remote create,
// delete, rename or move, a server pull), run through one template: the steps
// run in a fixed order, the stop and cancel flags are checked between them,
// and a failure ends as one of the five result codes (SyncResult.h). A server
// error code left in m_nServerCode by a step is mapped by SyncErrorManager.
//
// An operation runs on one thread (a pump or the start-up thread); other
// threads set its stop, cancel and running flags at any time (stop-all, the
// managers' cancel, pause and continue). Hold it by shared_ptr when another
// thread may flag it while it runs.
#include <atomic>
#include <memory>

#include <juce_core/juce_core.h>

#include "client/core/protocol/RequestHeader.h"
#include "client/sync/ops/SyncResult.h"

class SyncStatusTracker;
struct SyncCancelToken;

class SyncBaseOperation {
 public:
  // Builds the request header from the signed-in account and the product.
  SyncBaseOperation();
  virtual ~SyncBaseOperation();
  SyncBaseOperation(const SyncBaseOperation&) = delete;
  SyncBaseOperation& operator=(const SyncBaseOperation&) = delete;

  virtual void Resume_SyncOperation();
  virtual void Pause_SyncOperation();
  virtual int Prepare_SyncOperation();
  virtual int Execute_SyncOperation() = 0;
  virtual int After_SyncOperation();
  virtual int Success_SyncOperation() = 0;
  virtual int Cancel_SyncOperation();
  virtual int Error_SyncOperation(int result);
  virtual int Error_BeforeSyncOperation(int result);

  // The template; the server code is back at SYNC_NO_SERVER_CODE afterwards.
  int Run();

  // A deletion (up op 3 or 7, down op 3 or 8) is listed in the recent files
  // as deleted; anything else is reported synced to the windows first and
  // listed as not deleted.
  void ReportPathDone(const juce::String& path, int upOp, int downOp);
  static void LogSuccess(const juce::String& opName, const juce::String& path, juce::int64 id,
                         const juce::String& version);
  // Removes the path and the paths that contain it from the tip list.
  static void RemoveFromTips(const juce::String& path);
  // Copies the signed-in account's ids into the header again.
  void RefreshRequestHeader();

  // For the long transfer loops: while the operation is paused, waits in
  // turns of 1000 ms of the process clock. False once stop or cancel is set.
  bool WaitWhilePaused();
  // Between the blocks or ranges of a transfer: while the operation is paused
  // or the engine is offline, waits in turns of 1000 ms of the process clock.
  // False once stop or cancel is set.
  bool WaitWhilePausedOrOffline();
  bool ShouldEnd() const { return m_bStop.load() || m_bCancel.load(); }

  std::unique_ptr<RequestHeader> m_pRequestHeader;
  SyncStatusTracker* m_pTracker = nullptr;
  SyncCancelToken* m_pCancelToken = nullptr;
  // The last error code a reply gave; SYNC_NO_SERVER_CODE for none.
  std::atomic<int> m_nServerCode{SYNC_NO_SERVER_CODE};
  std::atomic<bool> m_bStop{false};
  std::atomic<bool> m_bRunning{true};
  std::atomic<bool> m_bCancel{false};
};
