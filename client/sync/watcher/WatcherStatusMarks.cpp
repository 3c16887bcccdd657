#include "client/sync/watcher/WatcherStatusMarks.h"

#include <mutex>

#include "client/sync/SyncEngineLinks.h"
#include "client/sync/status/CStatusCache.h"

namespace {

std::mutex g_lock;
WatcherStatusMarks g_marks;

WatcherStatusMarks Marks() {
  std::lock_guard guard(g_lock);
  return g_marks;
}

}  // namespace

void InstallWatcherStatusMarks(const WatcherStatusMarks& marks) {
  std::lock_guard guard(g_lock);
  if (marks.setPathStatus) g_marks.setPathStatus = marks.setPathStatus;
  if (marks.removePath) g_marks.removePath = marks.removePath;
  if (marks.renamePath) g_marks.renamePath = marks.renamePath;
}

void ClearWatcherStatusMarks() {
  std::lock_guard guard(g_lock);
  g_marks = WatcherStatusMarks{};
}

void LinkWatcherStatusMarksToStatusCache() {
  InstallWatcherStatusMarks(
      {[](const juce::String& path, int status) { CStatusCache::GetInstance()->SetPathStatus(path, status); },
       [](const juce::String& path) { CStatusCache::GetInstance()->RemovePath(path); },
       [](const juce::String& oldPath, const juce::String& newPath) {
         CStatusCache::GetInstance()->RenamePath(oldPath, newPath);
       }});
}

namespace WatcherStatus {

void SetPathStatus(const juce::String& path, int status) {
  WatcherStatusMarks marks = Marks();
  if (marks.setPathStatus) {
    marks.setPathStatus(path, status);
    return;
  }
  SyncEngineLinks links = GetSyncEngineLinks();
  if (links.setPathStatus) links.setPathStatus(path, status);
}

void RemovePath(const juce::String& path) {
  WatcherStatusMarks marks = Marks();
  if (marks.removePath) marks.removePath(path);
}

void RenamePath(const juce::String& oldPath, const juce::String& newPath) {
  WatcherStatusMarks marks = Marks();
  if (marks.renamePath) marks.renamePath(oldPath, newPath);
}

}  // namespace WatcherStatus
