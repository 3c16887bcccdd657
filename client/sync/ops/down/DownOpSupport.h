#pragma once
// What the down operations share: the ignore-list entries they announce
// before a disk change, the content test that guards every local file they
// overwrite, move or delete, the rows they read, and the posting of one
// request task to a pool.
#include <juce_core/juce_core.h>

#include "base/MyThreadsPool.h"
#include "client/core/db/SyncFileData.h"
#include "client/core/db/SyncFolderData.h"

namespace DownOps {

// Change types of the program-change ignore list.
enum IgnoreType { IGNORE_ADD = 1, IGNORE_DELETE = 2, IGNORE_MODIFY = 3, IGNORE_RENAME = 4, IGNORE_MOVE = 5 };

void Ignore(const juce::String& path, const juce::String& newPath, int type);
void Unignore(const juce::String& path, const juce::String& newPath, int type);

juce::String WithSeparator(const juce::String& folder);
juce::String ParentOf(const juce::String& path);

// True when both texts are non-empty and the file's content has that MD5.
bool FileHasMD5(const juce::String& path, const juce::String& md5);

bool SelectFileByID(juce::int64 id, SyncFileData& row);
bool SelectFilesByParentID(juce::int64 id, std::vector<SyncFileData>& rows);
bool SelectFoldersByParentID(juce::int64 id, std::vector<SyncFolderData>& rows);

// A service rename or move of a folder whose local source is gone (deleted
// here meanwhile): its stale rows go and a full pull brings the folder, with
// what the service holds in it, to its new place. The down task ends (1).
int BringFolderFromService(juce::int64 folderID);

// A change (the item's id and version) inside a folder that has no row here
// (deleted here while another device added to it, and the service kept it
// for that): a full pull brings the folder with what it holds. Asked once
// per change, so that a folder that cannot be made here brings no endless pulls.
void BringParentFromService(juce::int64 parentID, juce::int64 itemID, const juce::String& version);

// Posts the wait-and-release task, waits for it, hands it to read and lets
// it go; the task's success.
template <class Task, class Read>
bool PostAndWait(juce::MyThreadsPool* pool, Task* task, Read read) {
  if (!pool) {
    delete task;
    return false;
  }
  pool->PostWorkTask(task, true);
  task->WaitExecuteFinishEvent();
  const bool success = task->IsSuccess();
  read(*task);
  task->SignReleaseEvent();
  return success;
}

}  // namespace DownOps
