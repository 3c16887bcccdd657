#pragma once
// The base of the operations that carry a local change to the service. It
// adds the repairs of a task that the service's answer asks for (an unknown
// parent folder, a folder too deep, a name too long, an item or version the
// service does not know, an account limit), and the pull of a folder after
// the service kept an uploaded file under another name.
#include <juce_core/juce_core.h>

#include "client/sync/ops/SyncBaseOperation.h"

class UpSyncTask;

class SyncUpBaseOperation : public SyncBaseOperation {
 public:
  // Pulls the folder of the file's row from the row's version (the root from
  // the global version when the path has no row). Returns 0.
  static int ProcessUploadConflict(const juce::String& path);

  // Each handler returns result unchanged without a task.
  virtual int ProcessDirNotExist(int result, UpSyncTask* task);
  virtual int ProcessDirLayersExceed(int result, UpSyncTask* task);
  virtual int ProcessFileNameTooLong(int result, UpSyncTask* task);
  virtual int ProcessFileVerNotFound(int result, UpSyncTask* task) = 0;
  virtual int ProcessFileNotFound(int result, UpSyncTask* task) = 0;

 protected:
  // The handlers for the codes both kinds repair (704, 705, 612, 556, 555);
  // false for another code.
  bool HandleCommonCode(int code, int result, UpSyncTask* task, int& handled);
  // An account limit: the notice and the tip once per task (while the task's
  // wait reason is not yet waitReason), then the wait.
  static int ReportAccountLimit(int result, UpSyncTask* task, int waitReason, int notifyType, int tipKind);
  // The path under the service's name: beside localPath, or in the folder the
  // database knows by parentID when localPath's parent is gone. False (logged)
  // when neither exists.
  static bool ConflictTargetPath(const juce::String& localPath, const juce::String& serverName,
                                 juce::int64 parentID, juce::String& newPath);
  static void AnnounceChange(const juce::String& from, const juce::String& to);
  static void ForgetChange(const juce::String& from, const juce::String& to);
  // The cancel token names the task's path (for the exit's report).
  void MarkCancelTokenPath(UpSyncTask* task);
};

// The type of change an up conflict step announces to the ignore list.
constexpr int kIgnoreRename = 4;
