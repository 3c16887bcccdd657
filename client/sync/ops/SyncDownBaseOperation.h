#pragma once
// The base of the operations that bring a server change to the local disk:
// the occupied-file test and notice, and the path-length test of a download.
#include <juce_core/juce_core.h>

#include "client/sync/ops/SyncBaseOperation.h"

class DownSyncTask;

class SyncDownBaseOperation : public SyncBaseOperation {
 public:
  // A local path longer than this many bytes (in the system's narrow
  // encoding) is not written.
  static constexpr int kMaxLocalPathBytes = 255;

  // occupied := whether another program holds the file; when it does, the
  // result of ReportOccupied, else 3 (callers act on occupied).
  virtual int CheckOccupied(DownSyncTask* task, const juce::String& path, bool& occupied);
  // The first time for the task: the notice, the tracker's occupied list and
  // the tip list. Every time: wait state 3 and result 4.
  virtual int ReportOccupied(DownSyncTask* task, const juce::String& path);

  // The one test before a down operation touches a path made from the
  // service's data (LocalPathGuard::IsInsideRoot). A refused path ends the
  // task for good: it is skipped with its log line and its version counts as
  // done, so the same change is not pulled again and again.
  static bool IsSafePath(DownSyncTask* task, const juce::String& path);

  // Another item still stands at the name the task takes (its change is on
  // its way): the task waits 1 + 2 + 4 + 8 s, one step per call, with a log
  // line of why and the path. False once the waits are spent.
  static bool WaitForName(DownSyncTask* task, const juce::String& why, const juce::String& path);
  // True while such a wait has not run out yet.
  static bool IsWaitingForName(const DownSyncTask* task);

  // Takes the file out of the tracker's in-transfer list.
  static void ClearTransferEntry(juce::int64 fileID);
  // True (with the notice, and the task's save-on-cancel set) when the path
  // is too long to be written locally.
  static bool CheckPathLength(DownSyncTask* task, const juce::String& path, bool isFile);
};
