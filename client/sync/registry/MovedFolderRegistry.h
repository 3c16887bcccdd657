#pragma once
// When a folder moved on the server is carried out locally, a file that can't
// be moved because another program holds it is recorded here and the move's
// task waits. Each time the wait-and-retry pump comes to such a task, the
// down manager asks the registry to finish what is pending: a file that is
// free now is moved to its place in the new tree, or, if it changed
// meanwhile, downloaded again. When nothing is pending the old folder is
// cleaned up and the task is done.
#include <map>

#include <juce_core/juce_core.h>

#include "client/core/db/SyncFileData.h"

class MovedFolderRegistry {
 public:
  // Made by the first call; ended at exit.
  static MovedFolderRegistry* GetInstance();
  static void DeleteInstance();

  // Records the file bound for targetPath (row: its FileList row, FilePath
  // still its old place); a target already recorded keeps its first entry.
  void Add(const juce::String& targetPath, const SyncFileData& row);
  // Finishes what can be finished; true when nothing is pending any more,
  // after the old folder (sourceFolderPath, the path the waiting folder move
  // kept) has been cleaned up: its empty folders removed and whatever is
  // still in it queued for upload.
  bool RunPending(const juce::String& sourceFolderPath);
  // Forgets everything (a change of account or sync root).
  void Clear();
  int GetCount();

  ~MovedFolderRegistry();

 private:
  struct Entry {
    juce::String m_sTargetPath;
    SyncFileData m_fileData;
  };

  MovedFolderRegistry() = default;
  static void CleanUpSourceFolder(const juce::String& sourceFolderPath);

  juce::CriticalSection m_lock;
  std::map<juce::String, Entry> m_entries;
};
