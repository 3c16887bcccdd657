#pragma once
// What the user sees of the engine's progress: running, paused or offline;
// the root synced, syncing or in error; the files in transfer each way with
// their sizes, rates and time left; the recent files; the paths found
// occupied; and the down changes waiting to be announced. It turns this into
// the tray code sent to the windows and gathers the down changes into one
// balloon each time the down pump runs dry.
#include <atomic>
#include <map>
#include <vector>

#include <juce_core/juce_core.h>

#include "client/sync/status/SyncPathList.h"

// A down change waiting for its balloon.
struct SyncChangeNote {
  juce::String m_sPath;
  juce::String m_sText1;  // the path
  juce::String m_sText2;  // the path again, or the old path of a rename or move
  int m_nOp = 0;          // 1 add, 2 modify, 3 delete, 4 file rename, 5 file move, 9 folder rename
};

class SyncStatusTracker {
 public:
  // Engine states.
  static constexpr int ENGINE_NONE = 0, ENGINE_PAUSED = 1, ENGINE_SIGNING_IN = 2, ENGINE_CHOOSE_FOLDER = 3,
                       ENGINE_RUNNING = 4;
  // Sync states.
  static constexpr int SYNC_SYNCED = 1, SYNC_SYNCING = 2, SYNC_ERROR = 3;
  // Transfer states.
  static constexpr int TRANSFER_IDLE = 1, TRANSFER_UP = 2, TRANSFER_DOWN = 3, TRANSFER_BOTH = 4;
  // Net states.
  static constexpr int NET_ONLINE = 0, NET_LOCAL_DOWN = 1, NET_SERVICE_UNREACHABLE = 2, NET_PROXY_UNREACHABLE = 3;

  SyncStatusTracker();
  ~SyncStatusTracker();
  SyncStatusTracker(const SyncStatusTracker&) = delete;
  SyncStatusTracker& operator=(const SyncStatusTracker&) = delete;

  // Zeroes every number and empties every collection (recent files included).
  void Reset();
  // Empties the recent files, both transfer maps, the change notes and the
  // occupied paths.
  void Clear();

  void AddUpBytes(int n);
  void AddDownBytes(int n);
  void AddUpFile(const juce::String& path, int size);
  void RenameUpFile(const juce::String& oldPath, const juce::String& newPath);
  void RemoveUpFile(const juce::String& path);
  void AddDownFile(juce::int64 id, int size);
  void RemoveDownFile(juce::int64 id);
  // Empties both transfer maps (the engine is idle), then updates the state.
  void ClearTransfers();
  // 2-4 from the maps (true), 1 when both are empty (false); the tray state is
  // pushed. With an occupied path listed nothing changes (true).
  bool UpdateTransferState();
  // The sync state from the status cache's root state, then the tray. An
  // idle engine syncs nothing, whatever the root's state says (an error
  // stays).
  void UpdateSyncStateFromRoot(bool idle = false);
  // Sends the tray code of the current states to the windows.
  void PushTrayState();
  // The tray code of the current states; 0 when none is to be sent.
  int GetTrayCode() const;

  void AddChangeNote(const juce::String& path, const juce::String& text1, const juce::String& text2, int op);
  // One balloon for the waiting notes (when the notification switch is on and
  // the windows listen); the notes are emptied in any case. Always false.
  bool FlushChangeNotes();
  bool HasChangeNotes();

  void AddRecentFile(const juce::String& path, int kind);
  bool LoadRecentFiles(const juce::String& account);
  bool SaveRecentFiles(const juce::String& account);
  SyncPathList& GetRecentFiles() { return m_recentFiles; }

  void AddOccupiedPath(const juce::String& path);
  void RemoveOccupiedPath(const juce::String& path);
  bool HasOccupiedPaths();

  // The four state words, read and written by any thread.
  std::atomic<int> m_nEngineState{0};
  std::atomic<int> m_nSyncState{0};
  std::atomic<int> m_nTransferState{0};
  std::atomic<int> m_nNetState{0};

  // Read under the matching lock (GetUpFigures, GetDownFigures).
  struct TransferFigures {
    int fileCount = 0;
    juce::int64 rate = 0;
    juce::int64 timeLeft = 0;
    juce::int64 bytesLeft = 0;
  };
  TransferFigures GetUpFigures();
  TransferFigures GetDownFigures();

 private:
  struct Direction {
    juce::CriticalSection lock;
    TransferFigures figures;
    juce::int64 windowStart = 0;
    juce::int64 windowBytes = 0;
    juce::int64 listedBytes = 0;  // the sizes in the direction's file map, kept as it changes
  };
  static void AddBytes(Direction& direction, int n);
  static void ZeroNumbers(Direction& direction);
  template <typename Map>
  static void Recount(Direction& direction, const Map& map);
  // The file maps change only through these, which keep listedBytes: a
  // first sync lists thousands of files, and summing them at every change
  // would cost a walk over all of them.
  template <typename Map, typename Key>
  static void SetListed(Direction& direction, Map& map, const Key& key, int size);
  template <typename Map, typename Key>
  static void EraseListed(Direction& direction, Map& map, const Key& key);
  template <typename Map>
  static void ClearListed(Direction& direction, Map& map);
  void NotifyOneChange(const SyncChangeNote& note);
  void NotifyChangeSummary(const std::vector<SyncChangeNote>& notes);

  SyncPathList m_recentFiles;
  Direction m_up;
  Direction m_down;
  std::map<juce::int64, int> m_downFiles;
  std::map<juce::String, int> m_upFiles;
  std::map<juce::String, SyncChangeNote> m_changeNotes;
  juce::CriticalSection m_changeNotesLock;
  std::vector<juce::String> m_occupiedPaths;
  juce::CriticalSection m_occupiedLock;
};
