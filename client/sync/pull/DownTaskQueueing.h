#pragma once
// How the two server pulls hand a server record to the down task manager: a
// down task with a copy of the record, the log line of the change, then the
// manager's classification and queue.
#include <juce_core/juce_core.h>

#include "client/core/db/SyncFileData.h"
#include "client/core/db/SyncFolderData.h"

class SyncDownTaskManager;
class DownSyncTask;

namespace PullQueue {

DownSyncTask* MakeFileTask(const SyncFileData& record);
DownSyncTask* MakeFolderTask(const SyncFolderData& record);
// Logs the change and queues the task (a task left with op 0 is dropped).
void Queue(SyncDownTaskManager* manager, DownSyncTask* task, const juce::String& opText);

// The version that a folder the server no longer has carries on its delete
// task: above every file's, so the walk may delete any unchanged file, and
// within 64 bits. Such a task never moves the root's stored version.
extern const char* const kDeleteAnyVersion;

}  // namespace PullQueue
