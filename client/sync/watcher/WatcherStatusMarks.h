#pragma once
// Where the watcher's pipeline marks the paths it sees (the status cache's
// SetPathStatus, RemovePath and RenamePath). The engine's controller links
// them to the status cache; until then path states go to the engine's
// setPathStatus link and removals and renames are not marked.
#include <functional>

#include <juce_core/juce_core.h>

struct WatcherStatusMarks {
  std::function<void(const juce::String& path, int status)> setPathStatus;
  std::function<void(const juce::String& path)> removePath;
  std::function<void(const juce::String& oldPath, const juce::String& newPath)> renamePath;
};

// Replaces the entries that are set; unset ones stay.
void InstallWatcherStatusMarks(const WatcherStatusMarks& marks);
void ClearWatcherStatusMarks();
// Points all three marks at the process's status cache (made on first use).
void LinkWatcherStatusMarksToStatusCache();

namespace WatcherStatus {
void SetPathStatus(const juce::String& path, int status);
void RemovePath(const juce::String& path);
void RenamePath(const juce::String& oldPath, const juce::String& newPath);
}  // namespace WatcherStatus
