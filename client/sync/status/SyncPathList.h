#pragma once
// A small locked, bounded list of (path, kind) entries. The engine keeps two:
// the tip list of the global context (1000 entries, the newest 3 shown in the
// tray's tip), which collects the paths the user must hear about, and the
// tracker's recent files (10 entries, newest first, kind 1 for a deletion),
// saved per account in RecentlyUpdateFile.xml. Paths compare exactly.
#include <list>

#include <juce_core/juce_core.h>

#include "mfc/Afx.h"

// Kinds of tip-list entries.
enum SyncTipKind {
  TIP_DISK_FULL = 1,
  TIP_SPACE_EXHAUSTED = 2,
  TIP_FILE_COUNT_LIMIT = 3,
  TIP_FOLDER_DEPTH_LIMIT = 4,
  TIP_OCCUPIED = 5,
  TIP_FILE_TOO_BIG = 6,
  TIP_NAME_TOO_LONG = 7,
  TIP_FOLDER_COUNT_LIMIT = 8,
};

struct SyncPathEntry {
  juce::String m_sPath;
  int m_nKind = 0;
};

class SyncPathList {
 public:
  SyncPathList() = default;
  ~SyncPathList();
  SyncPathList(const SyncPathList&) = delete;
  SyncPathList& operator=(const SyncPathList&) = delete;

  // Removes every entry; the caller holds the lock or owns the list alone.
  void Clear();
  // Under the source's lock: the target (this list, which no other thread may
  // use meanwhile) becomes a copy of the source's entries.
  void CopyFrom(SyncPathList& source);
  // Tip list: nothing when the same path is listed with the same kind; else
  // appended at the back, the oldest dropped first when the list is full.
  void AddUnique(const juce::String& path, int kind);
  // Recent files: the path's first entry removed, the new one put in front,
  // the last dropped past the maximum.
  void AddMoveToFront(const juce::String& path, int kind);
  // Removes every entry whose path contains path (equal ones included); true
  // when one was removed.
  bool RemovePath(const juce::String& path);
  // The tip text: the newest m_nShown entries, oldest first, each after a
  // line break, while they fit in 127 - reserve characters. Always true.
  bool ComposeTipText(CString& text, int reserve);

  // RecentlyUpdateFile.xml: root RecentlyFiles, one File element per entry
  // with the attributes Path (UTF-8) and Deleted (0 or 1).
  bool LoadFromXml(const juce::File& file);
  bool SaveToXml(const juce::File& file);

  // A copy of the entries, front first.
  std::list<SyncPathEntry> GetEntries();
  int GetCount();

  std::list<SyncPathEntry> m_entries;
  int m_nCount = 0;
  juce::CriticalSection m_lock;
  int m_nMax = 0;
  int m_nShown = 0;
};
