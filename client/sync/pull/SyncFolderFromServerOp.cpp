#include "client/sync/pull/SyncFolderFromServerOp.h"

#include "client/core/LogWriter.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/tasks/PullTasks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/pull/DownTaskQueueing.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "common/PathText.h"

namespace {

void LogContradiction(const char* tag, const char* format, int status, int type) {
  WriteLog(ErrorLog, tag, juce::String::formatted(format, status, type));
}

}  // namespace

SyncFolderFromServerOp::SyncFolderFromServerOp(const juce::String& version, juce::int64 folderID,
                                               SyncDownTaskManager* manager)
    : m_sVersion(version), m_nFolderID(folderID), m_pDownManager(manager) {}

int SyncFolderFromServerOp::Execute_SyncOperation() {
  SyncDirRequest request(*m_pRequestHeader, m_nFolderID, m_sVersion.toStdString(), false, true, true);
  std::unique_ptr<SyncDirReply> reply;
  const bool ok = DownOps::PostAndWait(GetDownThreadsPool(), new SyncFolderFromServerTask("SyncFolderFromServerTask", request),
                                       [&](SyncFolderFromServerTask& task) { reply = std::move(task.m_pReply); });
  if (!ok || !reply) return SYNC_RESULT_ERROR_REMOVE;
  // Only a pull of the whole root lists every change up to its versions.
  const bool wholeRoot = m_nFolderID == SyncRootFolder::GetInstance()->GetRootFolderID();
  for (const auto& entry : reply->dirFiles) {
    if (m_bCancel.load() || m_bStop.load()) break;
    if (!entry) continue;
    DownSyncTask* task = nullptr;
    juce::String opText;
    if (entry->isDir && entry->dir) {
      SyncFolderData record;
      SyncHelper::ServerDirToSyncFolderData(*entry->dir, record);
      task = PullQueue::MakeFolderTask(record);
      TranslateDirDownOp(*task, opText);
    } else if (!entry->isDir && entry->file) {
      SyncFileData record;
      SyncHelper::ServerFileToSyncFileData(*entry->file, record);
      task = PullQueue::MakeFileTask(record);
      TranslateFileDownOp(*task, opText);
    }
    if (!task) continue;
    task->m_bTracksVersion = wholeRoot;
    if (!wholeRoot && LeftTheFolder(*task)) {
      WriteLog(KeyPoint, "SyncFolderFromServerOp::Execute_SyncOperation",
               "Listed as gone from the pulled folder, the item is elsewhere here already: " + opText);
      task->m_nOp = DOWN_OP_NONE;
    }
    if (task->m_nOp == DOWN_OP_NONE) {
      delete task;
      continue;
    }
    PullQueue::Queue(m_pDownManager, task, opText);
  }
  return SYNC_RESULT_SUCCESS;
}

bool SyncFolderFromServerOp::LeftTheFolder(const DownSyncTask& task) const {
  if (task.m_nOp != DOWN_OP_FILE_DELETE && task.m_nOp != DOWN_OP_FOLDER_DELETE) return false;
  juce::String path;
  if (task.m_bIsFile) {
    SyncFileData row;
    if (task.m_pFileData && DownOps::SelectFileByID(task.m_pFileData->m_FileID, row)) path = row.m_FilePath;
  } else if (task.m_pFolderData) {
    path = SyncFileDataManager::GetFolderPathByID(task.m_pFolderData->m_FolderID);
  }
  const juce::String folder = SyncFileDataManager::GetFolderPathByID(m_nFolderID);
  return path.isNotEmpty() && folder.isNotEmpty() && !path.startsWith(DownOps::WithSeparator(folder));
}

void SyncFolderFromServerOp::TranslateFileDownOp(DownSyncTask& task, juce::String& opText) {
  static const char* kTag = "SyncFolderFromServerOp::TranslateFileDownOp";
  const SyncFileData& record = *task.m_pFileData;
  const int status = record.m_FileStatus, type = record.m_VersionType;
  if (status == 1) {
    if (type != 2) LogContradiction(kTag, "\n Server return error 1: filestatus is %d, versionType is %d \n ", status, type);
    task.m_nOp = DOWN_OP_FILE_DELETE;
    opText = "Delete File";
    return;
  }
  if (type == 0) {
    task.m_nOp = DOWN_OP_FILE_ADD;
    opText = "Add File";
    return;
  }
  if (type == 2) {
    LogContradiction(kTag, "\n Server return error 2: filestatus is %d, versionType is %d \n ", status, type);
    task.m_nOp = DOWN_OP_NONE;
    return;
  }
  SyncFileData row;
  if (!DownOps::SelectFileByID(record.m_FileID, row)) {
    task.m_nOp = DOWN_OP_FILE_ADD;
    opText = "Cannot Find File Record from DataBase, Add File";
    return;
  }
  task.m_nServerID = record.m_FileID;
  task.m_nParentID = record.m_ParentID;
  const bool sameName = Common::String_GetFileName(row.m_FilePath) == record.m_FileName;
  if (row.m_ParentID != record.m_ParentID) {
    // A move with a changed content moves first; the move queues the
    // download into the new place, so no stale copy is left behind.
    task.m_nOp = DOWN_OP_FILE_MOVE;
    task.m_nParentID = row.m_ParentID;
    opText = "Move File";
  } else if (!sameName) {
    task.m_nOp = DOWN_OP_FILE_RENAME;
    opText = "Rename File";
  } else if (row.m_Md5 != record.m_Md5) {
    task.m_nOp = DOWN_OP_FILE_MODIFY;
    opText = "Modify File";
  } else if (juce::File(row.m_FilePath).exists()) {
    task.m_nOp = DOWN_OP_FILE_OTHER;
    opText = "Other File";
  } else {
    task.m_nOp = DOWN_OP_FILE_ADD;
    opText = "Add File";
  }
}

void SyncFolderFromServerOp::TranslateDirDownOp(DownSyncTask& task, juce::String& opText) {
  static const char* kTag = "SyncFolderFromServerOp::TranslateDirDownOp";
  const SyncFolderData& record = *task.m_pFolderData;
  const int status = record.m_FolderStatus, type = record.m_VersionType;
  if (status == 1) {
    if (type != 2) LogContradiction(kTag, "\n Server return error 1: Folderstatus is %d, versionType is %d \n ", status, type);
    task.m_nOp = DOWN_OP_FOLDER_DELETE;
    opText = "Delete Folder";
    return;
  }
  if (type == 0) {
    task.m_nOp = DOWN_OP_FOLDER_ADD;
    opText = "Add Folder";
    return;
  }
  if (type == 2) {
    LogContradiction(kTag, "\n Server return error 2: folderStatus is %d, versionType is %d \n ", status, type);
    task.m_nOp = DOWN_OP_NONE;
    return;
  }
  SyncFolderData row;
  if (!SyncFileDataManager::SelectSyncFolderDataByID(record.m_FolderID, row)) {
    task.m_nOp = DOWN_OP_FOLDER_ADD;
    opText = "Can not Find Folder Id From DataBase, Add Folder";
  } else if (row.m_ParentID != record.m_ParentID) {
    task.m_nOp = DOWN_OP_FOLDER_MOVE;
    task.m_nServerID = record.m_FolderID;
    task.m_nParentID = row.m_ParentID;
    opText = "Move Folder";
  } else if (row.m_FolderName != record.m_FolderName) {
    task.m_nOp = DOWN_OP_FOLDER_RENAME;
    opText = "Rename Folder";
  } else if (juce::File(row.m_FolderPath).exists()) {
    task.m_nOp = DOWN_OP_FOLDER_OTHER;
    opText = "Other Folder";
  } else {
    task.m_nOp = DOWN_OP_FOLDER_ADD;
    opText = "Add Folder";
  }
}
