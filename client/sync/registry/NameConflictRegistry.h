#pragma once
// When an upload ends with the server keeping the file under another name and
// the local rename to that name fails because the file is in use, the up file
// operation records the case here and its task waits; the up manager then
// asks the registry to retry the rename instead of running the operation
// again. Once the rename succeeds the file's row is written under its new
// path and, for an add or modify, the file is reported synced.
#include <map>

#include <juce_core/juce_core.h>

#include "client/core/db/SyncFileData.h"

struct NameConflictEntry {
  juce::String m_sOldPath;  // the local file's current path
  juce::String m_sNewPath;  // its path under the server's name
  SyncFileData m_fileData;  // its row as the upload left it
  int m_nOp = 0;            // the up task's op code (1 add, 5 modify, ...)
  int m_nNotified = 0;      // 0: send the occupied notice
};

class NameConflictRegistry {
 public:
  // Made by the first call; ended at exit.
  static NameConflictRegistry* GetInstance();
  static void DeleteInstance();

  // Stores (or replaces) the key's entry; with m_nNotified 0 tells the user
  // that the file is occupied and lists it among the tips.
  void Record(const juce::String& key, const NameConflictEntry& entry);
  // True when the file now carries its new name. Otherwise false with result
  // 4 (try again later) or 1 (the file is gone, or its new name is taken by
  // another file: the task ends as cancelled and the file stays as it is).
  bool Retry(const juce::String& key, int& result);
  bool HasEntry(const juce::String& key);

  ~NameConflictRegistry();

 private:
  NameConflictRegistry() = default;
  static void NotifyResolved(NameConflictEntry entry);

  std::map<juce::String, NameConflictEntry> m_entries;
  juce::CriticalSection m_lock;
};
