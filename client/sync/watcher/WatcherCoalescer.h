#pragma once
// The merging rules of the watcher's pipeline: the changes of one period are
// walked once, related ones are merged (a delete and an add of one name become
// a move or a change, an editor's safe save becomes one change, a file made
// and removed again is a removal), a folder that arrived whole is expanded into its
// contents, and a file that cannot be read yet waits for the next pass.
//
// A pass finds the partners of each change through an index by path
// (CWatcherPendingIndex), so it costs time in line with the number of changes.
//
// Not locked: its owner (CWatcherTimer) takes the pending changes out under its
// lock, runs the pass on them in a coalescer of their own without the lock
// (the watcher's thread goes on adding meanwhile) and puts back what waits.
// Paths are compared exactly (file names are case-sensitive here).
#include <utility>
#include <vector>

#include "client/sync/watcher/WatcherEvent.h"

class CWatcherCoalescer {
 public:
  CWatcherCoalescer() = default;
  explicit CWatcherCoalescer(std::vector<WatcherEvent> pending) : m_pending(std::move(pending)) {}

  void Add(const WatcherEvent& event) { m_pending.push_back(event); }
  // Hands the pending changes over; none are left.
  std::vector<WatcherEvent> TakePending() { return std::exchange(m_pending, {}); }
  // Puts changes back in front of those added since they were taken.
  void PutBack(std::vector<WatcherEvent> earlier);
  bool IsEmpty() const { return m_pending.empty(); }
  size_t PendingCount() const { return m_pending.size(); }
  // Whether a pending change names the path, or a folder above it (other
  // than by that folder's addition); with departures, only a removal of it
  // or a rename or move away from it.
  bool HasChangeOf(const CString& path, bool departures = false) const { return AnyChangeOf(m_pending, path, departures); }
  static bool AnyChangeOf(const std::vector<WatcherEvent>& changes, const CString& path, bool departures = false);

  // One pass: the changes that are ready, in delivery order. Changes that
  // wait stay pending.
  std::vector<WatcherEvent> RunPass();

  static bool MergePair(WatcherEvent& a, const WatcherEvent& b);
  static bool MergeTriple(WatcherEvent& a, const WatcherEvent& b, const WatcherEvent& c);
  // Whether an added or modified file that cannot be read is dropped rather
  // than waiting: only temporary files (extension "tmp", any case) are.
  static bool IsDroppedWhenUnreadable(const CString& path);
  static bool CanOpenForReading(const CString& path);
  // Every entry below the folder as an addition, depth first, folder before contents.
  static void ExpandFolder(const CString& folder, std::vector<WatcherEvent>& ready);
  static CString ParentFolder(const CString& path);

 private:
  std::vector<WatcherEvent> m_pending;
};
