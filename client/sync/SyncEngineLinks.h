#pragma once
// What the engine's registries and utilities ask of the pieces that are built
// on top of them: the status cache's path states, the task managers' queues,
// the program-change ignore list and the idle test of the queues. Each piece
// installs its entry when it is created and removes it when it ends; a call
// whose entry is missing does nothing (or answers 0 / false).
#include <functional>

#include <juce_core/juce_core.h>

#include "client/core/db/SyncFileData.h"

struct SyncEngineLinks {
  // CStatusCache::SetPathStatus (1 normal, 2 in transfer, 3 error).
  std::function<void(const juce::String& path, int status)> setPathStatus;
  // CStatusCache::GetRootStatus.
  std::function<int()> getRootStatus;
  // The down manager's QueueServerFileAdd: op 1, priority 1, for a copy of the row.
  std::function<void(const SyncFileData& row)> queueServerFileAdd;
  // The up manager's QueueLocalFolderAdd and QueueLocalFileAdd.
  std::function<void(const juce::String& path)> queueLocalFolderAdd;
  std::function<void(const juce::String& path)> queueLocalFileAdd;
  // SyncUpTaskManager::RepathUnder: the up tasks queued below a folder the
  // down side renamed follow it.
  std::function<void(const juce::String& oldFolder, const juce::String& newFolder)> repathUpTasks;
  // ProgramChangeIgnoreList::Add: a change the program makes itself.
  std::function<void(const juce::String& oldPath, const juce::String& newPath, int type)> ignoreProgramChange;
  // ProgramChangeIgnoreList::CheckAndRemove: the change announced did not happen.
  std::function<bool(const juce::String& oldPath, const juce::String& newPath, int type)> unignoreProgramChange;
  // SyncLogic::PullFolderFromServer (version, folder id): the pull of one
  // folder, run on the calling thread.
  std::function<void(const juce::String& version, juce::int64 folderID)> pullFolderFromServer;
  // SyncLogic::StartImmediatePull: a full pull from the service.
  std::function<void()> startImmediatePull;
  // True when the engine, its tracker and both task managers exist, every up
  // and down queue is empty and the server-update filter has no pending version.
  std::function<bool()> isEngineIdle;
  // The watcher or the filter still holds a removal of the path, or a rename
  // or move away from it.
  std::function<bool(const juce::String& path)> isLeavingPath;
  // The watcher, the filter or the up queue still holds a change that names
  // the path (as itself, or as a rename's source or target).
  std::function<bool(const juce::String& path)> isPathPending;
};

// Replaces the entries that are set in links; unset ones stay as they were.
void InstallSyncEngineLinks(const SyncEngineLinks& links);
// Removes every entry (the engine's end; tests).
void ClearSyncEngineLinks();
// A copy of the installed entries, safe to call without any lock held.
SyncEngineLinks GetSyncEngineLinks();
