#include "client/sync/LocalPathGuard.h"
#include "client/sync/ops/up/SyncUpBaseOperation.h"

#include "client/core/LogWriter.h"
#include "client/core/context/SyncCancelToken.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/ops/up/UpErrorCodes.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "common/PathText.h"

namespace {
const char* const kConflictTag = "SyncBaseOperation::ProcessNameConflict";
}

int SyncUpBaseOperation::ProcessUploadConflict(const juce::String& path) {
  SyncFileData row;
  juce::String version;
  juce::int64 folderID = 0;
  if (SyncFileDataManager::SelectSyncFileData(path, row)) {
    WriteMessageLog(KeyPoint, "Upload Conflict, Client Auto to Update from Server, Version is " + row.m_VersionValue);
    version = row.m_VersionValue;
    folderID = row.m_ParentID;
  } else {
    WriteMessageLog(KeyPoint, "Upload Conflict, Can not find Data From DB, Using Global Version");
    version = SyncRootFolder::GetInstance()->GetGlobalVersion();
    folderID = SyncRootFolder::GetInstance()->GetRootFolderID();
  }
  if (GetSyncLogic()) {
    if (auto pull = GetSyncEngineLinks().pullFolderFromServer) pull(version, folderID);
  }
  return SYNC_RESULT_SUCCESS;
}

int SyncUpBaseOperation::ProcessDirNotExist(int result, UpSyncTask* task) {
  if (!task) return result;
  task->m_nWaitReason = UP_WAIT_NO_PARENT_ID;
  task->m_nParentID = 0;
  SyncFileDataManager::DeleteFolderByPath(Common::String_GetParentPath(task->m_sPath));
  return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
}

int SyncUpBaseOperation::ProcessDirLayersExceed(int result, UpSyncTask* task) {
  if (!task) return result;
  task->m_nDepthFlag = 1;
  if (SyncPathList* tips = GetSyncTipList()) tips->AddUnique(task->m_sPath, TIP_FOLDER_DEPTH_LIMIT);
  return SYNC_RESULT_ERROR_REMOVE;
}

int SyncUpBaseOperation::ProcessFileNameTooLong(int result, UpSyncTask* task) {
  if (!task) return result;
  if (ISyncNotifyUI* sink = GetSyncNotifyUI())
    sink->NotifySyncEvent(
        SyncNotifyInfo{SNT_NAME_TOO_LONG, task->m_sPath, juce::File(task->m_sPath).isDirectory() ? "Folder" : "File"});
  if (SyncPathList* tips = GetSyncTipList()) tips->AddUnique(task->m_sPath, TIP_NAME_TOO_LONG);
  return SYNC_RESULT_ERROR_REMOVE;
}

int SyncUpBaseOperation::ReportAccountLimit(int result, UpSyncTask* task, int waitReason, int notifyType,
                                            int tipKind) {
  if (!task) return result;
  if (task->m_nWaitReason != waitReason) {
    if (ISyncNotifyUI* sink = GetSyncNotifyUI()) {
      sink->NotifySyncEvent(SyncNotifyInfo{notifyType, Common::String_GetFileName(task->m_sPath), juce::String()});
      sink->NotifyPathStatus(task->m_sPath, SYNC_PATH_FAILED);
    }
    if (SyncPathList* tips = GetSyncTipList()) tips->AddUnique(task->m_sPath, tipKind);
  }
  task->m_nWaitReason = waitReason;
  return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
}

bool SyncUpBaseOperation::ConflictTargetPath(const juce::String& localPath, const juce::String& serverName,
                                             juce::int64 parentID, juce::String& newPath) {
  newPath = juce::String();
  juce::String reason;
  if (!LocalPathGuard::IsValidName(serverName, &reason)) {
    WriteLog(ErrorLog, kConflictTag, "The server's name is no file name (" + reason + "), skipped: " + serverName);
    return false;
  }
  juce::String parent = Common::String_GetParentPath(localPath);
  if (!juce::File(parent).isDirectory()) parent = SyncFileDataManager::GetFolderPathByID(parentID);
  if (parent.isEmpty() || !juce::File(parent).isDirectory()) {
    WriteLog(ErrorLog, kConflictTag, "ParentPath is not exist: " + parent);
    return false;
  }
  if (!parent.endsWith("/")) parent += "/";
  newPath = parent + serverName;
  return LocalPathGuard::IsInsideRoot(newPath, kConflictTag);
}

void SyncUpBaseOperation::AnnounceChange(const juce::String& from, const juce::String& to) {
  if (auto add = GetSyncEngineLinks().ignoreProgramChange) add(from, to, kIgnoreRename);
}

void SyncUpBaseOperation::ForgetChange(const juce::String& from, const juce::String& to) {
  if (auto forget = GetSyncEngineLinks().unignoreProgramChange) forget(from, to, kIgnoreRename);
  WriteLog(ErrorLog, kConflictTag, "Rename conflicted Failed: OldPath is " + from + ", new path is " + to);
}

void SyncUpBaseOperation::MarkCancelTokenPath(UpSyncTask* task) {
  if (task && m_pCancelToken) m_pCancelToken->m_sText = task->m_sPath;
}

bool SyncUpBaseOperation::HandleCommonCode(int code, int result, UpSyncTask* task, int& handled) {
  switch (code) {
    case FILE_SYNCOP_ERROR_DIR_NOT_EXIST: handled = ProcessDirNotExist(result, task); return true;
    case FILE_SYNCOP_ERROR_DIR_LAYERS_EXCEED: handled = ProcessDirLayersExceed(result, task); return true;
    case FILE_SYNCOP_ERROR_FILE_NAME_TOOLONG: handled = ProcessFileNameTooLong(result, task); return true;
    case FILE_SYNCOP_ERROR_FILE_VER_NOT_FOUND: handled = ProcessFileVerNotFound(result, task); return true;
    case FILE_SYNCOP_ERROR_FILE_NOT_FOUND: handled = ProcessFileNotFound(result, task); return true;
    default: return false;
  }
}
