#include "client/sync/dispatch/SyncTaskDispatcher.h"

#include <algorithm>

#include "client/core/LogWriter.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/LocalPathGuard.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/items/DownSyncFile.h"
#include "client/sync/items/DownSyncFolder.h"
#include "client/sync/items/UpSyncFile.h"
#include "client/sync/items/UpSyncFolder.h"
#include "client/sync/ops/SyncResult.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "client/sync/tasks/SyncDownTaskManager.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "common/PathText.h"

namespace {

void Log(const juce::String& text) { WriteMessageLog(KeyPoint, text); }

juce::String WithSeparator(const juce::String& folder) {
  const juce::String separator = juce::File::getSeparatorString();
  return folder.endsWith(separator) ? folder : folder + separator;
}

bool SelectFileByID(juce::int64 id, SyncFileData& row) {
  GlobalContext* context = GetGlobalContext();
  return context && context->m_pFileDBManager && context->m_pFileDBManager->SelectFileByID(id, row) == 0 &&
         row.m_FileID != -1;
}

void SetSyncing(int waitReason, const SyncControllerHooks& hooks) {
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  if (!tracker) return;
  const bool spaceExhausted = waitReason == UP_WAIT_CAPACITY || waitReason == 800;
  const bool downTasks = hooks.hasDownTasks && hooks.hasDownTasks();
  tracker->m_nSyncState.store(spaceExhausted && !downTasks ? SyncStatusTracker::SYNC_ERROR
                                                           : SyncStatusTracker::SYNC_SYNCING);
  tracker->PushTrayState();
}

}  // namespace

SyncTaskDispatcher::SyncTaskDispatcher() { RegisterSyncOperations(m_table); }

SyncTaskDispatcher::SyncTaskDispatcher(EmptyTable) {}

void SyncTaskDispatcher::SetControllerHooks(const SyncControllerHooks& hooks) {
  const juce::ScopedLock hold(m_hooksLock);
  m_hooks = hooks;
}

SyncControllerHooks SyncTaskDispatcher::GetControllerHooks() {
  const juce::ScopedLock hold(m_hooksLock);
  return m_hooks;
}

juce::String SyncTaskDispatcher::GetUpSourcePath() {
  const juce::ScopedLock hold(m_pathLock);
  return m_upInFlight.empty() ? juce::String() : m_upInFlight.back().first;
}

juce::String SyncTaskDispatcher::GetUpTargetPath() {
  const juce::ScopedLock hold(m_pathLock);
  return m_upInFlight.empty() ? juce::String() : m_upInFlight.back().second;
}

juce::String SyncTaskDispatcher::GetDownMoverFolderPath() {
  const juce::ScopedLock hold(m_pathLock);
  return m_sDownMoverFolderPath;
}

int SyncTaskDispatcher::DispatchUpTask(UpSyncTask& task) {
  if (task.m_bCancelled.load()) {
    Log("UpTask is Cancel, Path is " + task.m_sPath);
    return SYNC_RESULT_CANCEL;
  }
  const juce::String root = SyncRootFolder::GetInstance()->GetRootPath();
  if (task.m_sSrcPath.isNotEmpty() && task.m_sPath.isNotEmpty() && root.isNotEmpty() &&
      !SyncHelper::IsUnderFolder(root, task.m_sPath)) {
    WriteMessageLog(ErrorLog, "Path is not in root and return cancel, path is " + task.m_sPath + "Root Path is " + root);
    return SYNC_RESULT_CANCEL;
  }
  // The item may have become a link since its change was queued: a link is
  // never read, created or renamed on the service.
  const bool deletion = task.m_nOp == UP_OP_FILE_DELETE || task.m_nOp == UP_OP_FOLDER_DELETE;
  if (!deletion && task.m_sPath.isNotEmpty() && LocalPathGuard::IsThroughLink(task.m_sPath)) {
    WriteMessageLog(NormalLog, "A symbolic link is not synced, the task is dropped, path is " + task.m_sPath);
    return SYNC_RESULT_CANCEL;
  }
  {
    const juce::ScopedLock hold(m_pathLock);
    if (m_sDownMoverFolderPath.isNotEmpty()) {
      WriteMessageLog(ErrorLog,
                      "m_sDownMoverFolderPath is not empty, return redo again, path is " + m_sDownMoverFolderPath);
      task.m_nWaitReason = UP_WAIT_NONE;
      return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
    }
    m_upInFlight.emplace_back(task.m_sSrcPath, task.m_sPath);
  }
  const std::pair<juce::String, juce::String> inFlight(task.m_sSrcPath, task.m_sPath);
  SetSyncing(task.m_nWaitReason, GetControllerHooks());
  Log("UpTask SourcePath is " + task.m_sSrcPath + ", TargetPath is " + task.m_sPath);
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->UpdateTransferState();

  const int result = task.m_bIsFile ? RunUpFile(task) : RunUpFolder(task);

  {
    const juce::ScopedLock hold(m_pathLock);
    auto at = std::find(m_upInFlight.begin(), m_upInFlight.end(), inFlight);
    if (at != m_upInFlight.end()) m_upInFlight.erase(at);
  }
  if (result == SYNC_RESULT_CANCEL) SyncBaseOperation::RemoveFromTips(task.m_sPath);
  return result;
}

int SyncTaskDispatcher::RunUpFile(UpSyncTask& task) {
  switch (task.m_nOp) {
    case UP_OP_FILE_ADD: Log("Begin Up Add File, Path is " + task.m_sPath); break;
    case UP_OP_FILE_MOVE: Log("Begin Up Move File, TargetPath is " + task.m_sPath + ", SrcPath is " + task.m_sSrcPath); break;
    case UP_OP_FILE_DELETE: Log("Begin Up Delete File, Path is " + task.m_sPath); break;
    case UP_OP_FILE_RENAME: Log("Begin Up Rename File, TargetPath is " + task.m_sPath + ", SrcPath is " + task.m_sSrcPath); break;
    case UP_OP_FILE_MODIFY: Log("Begin Up Modify File, Path is " + task.m_sPath); break;
    default: return SYNC_RESULT_SUCCESS;  // not a file code: nothing to build
  }
  if (task.m_bCancelled.load()) return SYNC_RESULT_CANCEL;
  UpSyncFile item(&task);
  task.m_operation.Reset();
  std::shared_ptr<SyncBaseOperation> operation = m_table.MakeUpFileOp(task.m_nOp, item);
  if (!operation) {
    WriteMessageLog(ErrorLog, "No operation for up file op " + juce::String(task.m_nOp) + ", path is " + task.m_sPath);
    return SYNC_RESULT_SUCCESS;
  }
  // The task keeps its file operation; the manager frees it with the task.
  task.m_operation.Set(operation);
  return operation->Run();
}

int SyncTaskDispatcher::RunUpFolder(UpSyncTask& task) {
  switch (task.m_nOp) {
    case UP_OP_FOLDER_ADD: Log("Begin Up Add Folder, Path is " + task.m_sPath); break;
    case UP_OP_FOLDER_DELETE: Log("Begin Up Delete Folder, Path is " + task.m_sPath); break;
    case UP_OP_FOLDER_RENAME: Log("Begin Up Rename Folder, Path is " + task.m_sPath); break;
    default: return SYNC_RESULT_SUCCESS;
  }
  UpSyncFolder item(&task);
  std::shared_ptr<SyncBaseOperation> operation = m_table.MakeUpFolderOp(task.m_nOp, item);
  if (!operation) {
    WriteMessageLog(ErrorLog, "No operation for up folder op " + juce::String(task.m_nOp) + ", path is " + task.m_sPath);
    return SYNC_RESULT_SUCCESS;
  }
  // A folder operation lives for one run; the task shows it meanwhile so that
  // stop and cancel reach it.
  task.m_operation.Set(operation);
  const int result = operation->Run();
  task.m_operation.Reset();
  return result;
}

int SyncTaskDispatcher::DispatchDownTask(DownSyncTask& task) {
  if (task.m_bCancelled.load()) {
    Log("DownTask is Cancel, ID is " + juce::String(task.GetRecordID()));
    return SYNC_RESULT_CANCEL;
  }
  if (!task.HasRecord()) return SYNC_RESULT_SUCCESS;
  int result = SYNC_RESULT_SUCCESS;
  if (!CheckDownTask(task, result)) return result;
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) {
    tracker->m_nSyncState.store(SyncStatusTracker::SYNC_SYNCING);
    tracker->PushTrayState();
    tracker->UpdateTransferState();
  }
  return task.m_bIsFile ? RunDownFile(task) : RunDownFolder(task);
}

int SyncTaskDispatcher::RunDownFile(DownSyncTask& task) {
  static const char* const kBegin[] = {"",
                                       "Begin Download add File, ID is ",
                                       "Begin Download Modify File, ID is ",
                                       "Begin Download delete File, ID is ",
                                       "Begin Download Rename File, ID is ",
                                       "Begin Download move File, ID is ",
                                       "Begin Download other File, ID is "};
  if (task.m_nOp < DOWN_OP_FILE_ADD || task.m_nOp > DOWN_OP_FILE_OTHER) return SYNC_RESULT_SUCCESS;
  const SyncFileData& record = *task.m_pFileData;
  Log(kBegin[task.m_nOp] + juce::String(record.m_FileID) + ",FileName is " + record.m_FileName);
  if (task.m_nOp == DOWN_OP_FILE_OTHER) return ResolveOtherFile(task);
  if (task.m_bCancelled.load()) return SYNC_RESULT_CANCEL;
  DownSyncFile item(&task);
  task.m_operation.Reset();
  std::shared_ptr<SyncBaseOperation> operation = m_table.MakeDownFileOp(task.m_nOp, item);
  if (!operation) {
    WriteMessageLog(ErrorLog, "No operation for down file op " + juce::String(task.m_nOp));
    return SYNC_RESULT_SUCCESS;
  }
  task.m_operation.Set(operation);
  return operation->Run();
}

int SyncTaskDispatcher::RunDownFolder(DownSyncTask& task) {
  if (task.m_nOp < DOWN_OP_FOLDER_ADD || task.m_nOp > DOWN_OP_FOLDER_OTHER) return SYNC_RESULT_SUCCESS;
  const SyncFolderData& record = *task.m_pFolderData;
  const juce::String id(record.m_FolderID);
  switch (task.m_nOp) {
    case DOWN_OP_FOLDER_ADD: Log("Begin Download Add Folder, ID is " + id + ",FolderName is " + record.m_FolderName); break;
    case DOWN_OP_FOLDER_DELETE: Log("Begin Download Delete Folder, ID is " + id + ", FolderName is " + record.m_FolderName); break;
    case DOWN_OP_FOLDER_RENAME: Log("Begin Download Rename Folder, ID is " + id + ",FolderName is " + record.m_FolderName); break;
    case DOWN_OP_FOLDER_MOVE: Log("Begin Download Move Folder, ID is " + id + ",FolderName is " + record.m_FolderName); break;
    default: Log("Begin Download Other Folder, ID is " + id + ",FolderName is " + record.m_FolderName); break;
  }
  if (task.m_nOp == DOWN_OP_FOLDER_OTHER) return ResolveOtherFolder(task);

  // A folder renamed or moved here re-paths the records of all it holds: an
  // upload under it that finished meanwhile would write its record under the
  // old path, and the file would later seem new here. The two wait for each
  // other.
  const bool move = task.m_nOp == DOWN_OP_FOLDER_MOVE || task.m_nOp == DOWN_OP_FOLDER_RENAME;
  if (move) {
    const juce::String mover = GetMoverFolderPath(task);
    const juce::ScopedLock hold(m_pathLock);
    m_sDownMoverFolderPath = mover;
    auto up = std::find_if(m_upInFlight.begin(), m_upInFlight.end(), [&mover](const auto& paths) {
      return SyncHelper::IsUnderFolder(mover, paths.first) || SyncHelper::IsUnderFolder(mover, paths.second);
    });
    if (up != m_upInFlight.end()) {
      Log("Down Mover Folder Sync UpTask, return redo again,Move Folder SrcPath is " + mover +
          ",UpTask SrcPath is " + up->first + ",UpTask TargetPath is " + up->second);
      task.m_nWaitState = DOWN_WAIT_NONE;
      // A rename holds back no upload while it waits: should it end another
      // way (a later pull may pass it over), nothing would lift the hold.
      if (task.m_nOp == DOWN_OP_FOLDER_RENAME) m_sDownMoverFolderPath = juce::String();
      return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
    }
  }
  DownSyncFolder item(&task);
  std::shared_ptr<SyncBaseOperation> operation = m_table.MakeDownFolderOp(task.m_nOp, item);
  int result = SYNC_RESULT_SUCCESS;
  if (operation) {
    task.m_operation.Set(operation);
    result = operation->Run();
    task.m_operation.Reset();
  } else {
    WriteMessageLog(ErrorLog, "No operation for down folder op " + juce::String(task.m_nOp));
  }
  if (move) {
    const juce::ScopedLock hold(m_pathLock);
    m_sDownMoverFolderPath = juce::String();
  }
  return result;
}

juce::String SyncTaskDispatcher::FindLocalPath(bool isFile, juce::int64 id, juce::int64 parentID,
                                               const juce::String& name) {
  juce::String path;
  if (isFile) {
    SyncFileData row;
    if (SelectFileByID(id, row)) path = row.m_FilePath;
  } else {
    SyncFolderData row;
    if (SyncFileDataManager::SelectSyncFolderDataByID(id, row)) path = row.m_FolderPath;
  }
  if (path.isEmpty()) {
    SyncFolderData parent;
    if (SyncFileDataManager::SelectSyncFolderDataByID(parentID, parent) && parent.m_FolderPath.isNotEmpty())
      path = WithSeparator(parent.m_FolderPath) + name;
  }
  return path;
}

bool SyncTaskDispatcher::CheckDownTask(DownSyncTask& task, int& result) {
  result = SYNC_RESULT_SUCCESS;
  if (!task.HasRecord()) return false;
  juce::int64 id, parentID;
  juce::String version, name, localPath, rowVersion;
  juce::int64 rowParentID = 0;
  bool found = false;
  if (task.m_bIsFile) {
    id = task.m_pFileData->m_FileID;
    parentID = task.m_pFileData->m_ParentID;
    version = task.m_pFileData->m_VersionValue;
    name = task.m_pFileData->m_FileName;
    SyncFileData row;
    if ((found = SelectFileByID(id, row))) {
      localPath = row.m_FilePath;
      rowVersion = row.m_VersionValue;
      rowParentID = row.m_ParentID;
    }
  } else {
    id = task.m_pFolderData->m_FolderID;
    parentID = task.m_pFolderData->m_ParentID;
    version = task.m_pFolderData->m_VersionValue;
    name = task.m_pFolderData->m_FolderName;
    SyncFolderData row;
    if ((found = SyncFileDataManager::SelectSyncFolderDataByID(id, row))) {
      localPath = row.m_FolderPath;
      rowVersion = row.m_VersionValue;
      rowParentID = row.m_ParentID;
    }
  }

  if (found) {
    const int compared = CompareServerVersion(version, rowVersion);
    if (compared < 0) {
      Log("Server Version < DB Version, return Success");
      return false;
    }
    if (compared > 0) {
      Log("Server Version > DB Version");
      // A rename or move of the past: the queued later version brings the
      // item's name and place of now. Applied first, it could bring back a
      // name the service has left since (this device's own rename went up
      // meanwhile), and the later version, sorted against the row before,
      // would then leave the item there.
      const bool relocation = task.m_nOp == DOWN_OP_FILE_RENAME || task.m_nOp == DOWN_OP_FILE_MOVE;
      SyncDownTaskManager* queues = relocation ? GetDownTaskManager() : nullptr;
      if (queues && queues->HoldsNewerVersion(task)) {
        Log("A later version of the item is queued, its older rename or move is passed over, ID is " +
            juce::String(id));
        return false;
      }
      // The pull listed the file under a name it has left here since (a
      // rename or move made here went up), and a newer change of the service
      // already places it where it is now: that change brings its content.
      // Made under the old name, it would stay there as a copy.
      SyncDownTaskManager* manager = GetDownTaskManager();
      const juce::String here = Common::String_GetFileName(localPath);
      if (task.m_bIsFile && task.m_nOp == DOWN_OP_FILE_ADD && manager &&
          (rowParentID != parentID || here != name) && manager->HasNewerFileTaskAt(task, rowParentID, here)) {
        Log("The pulled name is old, a newer change of the file follows, path is " + localPath);
        return false;
      }
    } else if ((task.m_nOp == DOWN_OP_FILE_DELETE || task.m_nOp == DOWN_OP_FOLDER_DELETE) && rowParentID != parentID) {
      // This very version stands in another folder here: the listing of one
      // folder names an item that left it as deleted there, and a deletion
      // itself would carry a newer version.
      Log("Server Version = DB Version and the item is in another folder, it only left the listed one, path is " +
          localPath);
      return false;
    } else if (task.m_nOp != DOWN_OP_FILE_DELETE && task.m_nOp != DOWN_OP_FOLDER_DELETE &&
               localPath.isNotEmpty()) {
      if (juce::File(localPath).exists()) {
        Log("File exist, Server Version = DB Version, return Success");
        return false;
      }
      // This device holds the folder at this very version (often it made the
      // folder itself): gone from its place, it was deleted, renamed or moved
      // here since, and that change is on its way up, perhaps still in the
      // watcher. Making it again would undo the user's change. (The engine
      // moves files aside itself, to keep both sides of a conflict, without
      // their rows: a file of the row's version is brought back.)
      if (!task.m_bIsFile && !task.m_bRestores) {
        Log("Server Version = DB Version and the folder is gone here, its local change goes up, path is " + localPath);
        return false;
      }
    }
  }

  if (localPath.isEmpty()) {
    SyncFolderData parent;
    if (SyncFileDataManager::SelectSyncFolderDataByID(parentID, parent) && parent.m_FolderPath.isNotEmpty())
      localPath = WithSeparator(parent.m_FolderPath) + name;
  }
  if (localPath.isEmpty()) {
    if (name.isEmpty()) return true;
    juce::String upSource, upTarget;
    {
      const juce::ScopedLock hold(m_pathLock);
      for (const auto& [source, target] : m_upInFlight) {
        if (name != Common::String_GetFileName(source) && name != Common::String_GetFileName(target)) continue;
        upSource = Common::String_GetFileName(source);
        upTarget = Common::String_GetFileName(target);
        break;
      }
    }
    if (upSource.isNotEmpty() || upTarget.isNotEmpty()) {
      Log("Up And Down Sync, Down FileName is " + name + ", sUpSourceFileName is " + upSource +
          ", sUpTargetFileName is " + upTarget);
      task.m_nWaitState = DOWN_WAIT_NONE;
      result = SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
      return false;
    }
    return true;
  }

  const SyncControllerHooks hooks = GetControllerHooks();
  if (hooks.isPathQueued && hooks.isPathQueued(localPath)) {
    Log("Up And Down Sync, file is in up task array, sUpdateFilePath is " + localPath);
    task.m_nWaitState = DOWN_WAIT_NONE;
    result = SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
    return false;
  }
  return true;
}

int SyncTaskDispatcher::CompareServerVersion(const juce::String& server, const juce::String& db) {
  Log("Server Version is " + server + ",DB Version is " + db);
  return SyncHelper::CompareVersionValue(server, db);
}

juce::String SyncTaskDispatcher::GetMoverFolderPath(DownSyncTask& task) {
  if (!task.m_pFolderData) return {};
  SyncFolderData row;
  if (SyncFileDataManager::SelectSyncFolderDataByID(task.m_pFolderData->m_FolderID, row)) {
    Log("Mover Folder,Can find ID from DB,id is " + juce::String(row.m_FolderID));
    return row.m_FolderPath;
  }
  SyncFolderData parent;
  if (SyncFileDataManager::SelectSyncFolderDataByID(task.m_pFolderData->m_ParentID, parent))
    return WithSeparator(parent.m_FolderPath) + task.m_pFolderData->m_FolderName;
  return {};
}

int SyncTaskDispatcher::ResolveOtherFile(DownSyncTask& task) {
  SyncFileData& record = *task.m_pFileData;
  const juce::String path = FindLocalPath(true, record.m_FileID, record.m_ParentID, record.m_FileName);
  if (path.isEmpty()) {
    task.m_bSaveOnCancel.store(true);
    return SYNC_RESULT_CANCEL;
  }
  if (juce::File(path).existsAsFile()) {
    record.m_FilePath = path;
    SaveSyncFileData(record);
    return SYNC_RESULT_SUCCESS;
  }
  const SyncControllerHooks hooks = GetControllerHooks();
  if (!hooks.isPathQueued || hooks.isPathQueued(path)) return SYNC_RESULT_SUCCESS;
  if (task.m_nRetryCount < 1) return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  if (SyncDownTaskManager* manager = GetDownTaskManager())
    manager->QueueServerFileAdd(record, record.m_FileID, record.m_ParentID);
  return SYNC_RESULT_SUCCESS;
}

int SyncTaskDispatcher::ResolveOtherFolder(DownSyncTask& task) {
  SyncFolderData& record = *task.m_pFolderData;
  const juce::String path = FindLocalPath(false, record.m_FolderID, record.m_ParentID, record.m_FolderName);
  if (path.isEmpty()) {
    task.m_bSaveOnCancel.store(true);
    return SYNC_RESULT_CANCEL;
  }
  if (juce::File(path).exists()) {
    Log("OtherFolder,Folder exist,Path is " + path);
    record.m_FolderPath = path;
    SaveSyncFolderData(record);
    return SYNC_RESULT_SUCCESS;
  }
  Log("OtherFolder,Folder not exist,Path is " + path);
  const SyncControllerHooks hooks = GetControllerHooks();
  if (!hooks.isPathQueued || hooks.isPathQueued(path)) return SYNC_RESULT_SUCCESS;
  if (task.m_nRetryCount < 1) return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  if (SyncDownTaskManager* manager = GetDownTaskManager())
    manager->QueueServerFolderAdd(record, record.m_FolderID, record.m_ParentID);
  return SYNC_RESULT_SUCCESS;
}
