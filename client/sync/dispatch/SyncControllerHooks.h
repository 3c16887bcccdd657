#pragma once
// What the dispatcher, the task managers and the pumps ask of the engine's
// controller (SyncLogic): whether a local change of a path is still queued,
// whether down tasks are queued, the pull after the uploads have drained and
// whether the server-update filter still holds versions. The controller sets
// them when it creates its workers; an unset entry answers false (no engine)
// or does nothing.
#include <functional>

#include <juce_core/juce_core.h>

struct SyncControllerHooks {
  // SyncLogic::IsPathQueued: the up manager or the file-event filter holds a
  // change of the path. Set means "there is an engine".
  std::function<bool(const juce::String& path)> isPathQueued;
  // SyncLogic::HasDownTasks.
  std::function<bool()> hasDownTasks;
  // SyncLogic::UpdateFromServerWhenUpIdle.
  std::function<void()> updateFromServerWhenUpIdle;
  // The server-update filter has versions queued.
  std::function<bool()> hasQueuedServerVersions;
};
