#pragma once
// The changes the program is about to make to the local disk itself (a
// download, a local create, rename, move or delete for the service), listed
// before the disk is touched so that the watcher's report of them is not sent
// back to the service. The file-watch message filter consumes an entry when
// the matching report arrives; the code that added it removes it again when
// its change did not happen.
//
// Entries do not live for ever: one whose report never came is dropped after
// kEntryLifetimeMs, so a stale entry cannot swallow a later change the user
// makes. The removal of a folder also covers the removals of what was inside
// it, which arrive as reports of their own, for kContentsWindowMs after the
// folder's own report (or until the entry expires), while no folder is at its
// path again. Time is the process clock.
//
// Any thread; one lock makes Add and CheckAndRemove atomic with each other.
//
// A burst of downloads lists thousands of entries before the watcher's reports
// of them come through; entries are found by their paths, and the list is
// walked for expired entries only once one may have expired.
#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

#include <juce_core/juce_core.h>

#include "win32/WinDef.h"

class ProgramChangeIgnoreList {
 public:
  static constexpr ULONGLONG kEntryLifetimeMs = 10 * 60 * 1000;
  static constexpr ULONGLONG kContentsWindowMs = 60 * 1000;

  // Types are the watcher's: 1 added, 2 removed, 3 modified (path = new path
  // = the changed path), 4 renamed, 5 moved (path = old, new path = new).
  // An equal entry that is still waiting is not listed twice (its time starts
  // again).
  void Add(const juce::String& path, const juce::String& newPath, int type);
  // True when a waiting entry matches (and is consumed): equal paths, exactly,
  // and the same type, where additions and modifications match each other. A
  // removal also matches when a removal of a folder above it is listed.
  bool CheckAndRemove(const juce::String& path, const juce::String& newPath, int type);

  // The change announced did not happen: the first waiting entry that
  // matches as in CheckAndRemove is dropped whole (a removal is not kept for
  // contents that stay). True when one was.
  bool Withdraw(const juce::String& path, const juce::String& newPath, int type);

  // The user removed what stands at the path: an addition or change of it
  // that the program announced and whose report is still to come is no
  // longer the program's, and does not swallow what the user puts there next.
  void ForgetAdditionsAt(const juce::String& path);

  // The path a file inside a folder the program renamed or moved has now,
  // while the watcher's report of that folder's relocation is still to come:
  // path rewritten by the waiting renames and moves above it, in the order
  // listed (path itself when none is).
  juce::String FollowRelocations(const juce::String& path);

  // Entries still listed (waiting or covering a folder's contents).
  int GetCount();

  // Makes this list the one the engine's operations and registries add to and
  // withdraw from (SyncEngineLinks::ignoreProgramChange and
  // unignoreProgramChange); the owner clears the links before the list ends.
  void InstallAsEngineLink();

 private:
  struct Entry {
    juce::String path;
    juce::String newPath;
    int type = 0;
    ULONGLONG addedMs = 0;
    bool consumed = false;  // a folder removal kept for its contents
    ULONGLONG consumedMs = 0;
  };

  using Entries = std::list<Entry>;
  using Paths = std::pair<juce::String, juce::String>;  // path, new path
  struct PathsHash {
    size_t operator()(const Paths& paths) const {
      // Unsigned, so the mixing wraps instead of overflowing.
      return static_cast<size_t>(paths.first.hashCode64()) * 31 + static_cast<size_t>(paths.second.hashCode64());
    }
  };

  static bool TypesMatch(int entryType, int type);
  static ULONGLONG ExpiryOf(const Entry& e);
  void DropExpired(ULONGLONG nowMs);
  // The first waiting entry with these paths whose type matches, in the order listed.
  Entries::iterator FindWaiting(const juce::String& path, const juce::String& newPath, int type, bool sameType);
  void Erase(Entries::iterator it);

  juce::CriticalSection m_lock;
  Entries m_entries;  // in the order they were listed
  // The entries of each pair of paths, in the order they were listed.
  std::unordered_map<Paths, std::vector<Entries::iterator>, PathsHash> m_byPaths;
  std::vector<Entries::iterator> m_removals;  // the removals, in the order they were listed
  std::vector<Entries::iterator> m_relocations;  // the renames and moves, in the order they were listed
  // No entry expires before this time (it may be earlier than the first expiry).
  ULONGLONG m_nextExpiryMs = ~0ULL;
};
