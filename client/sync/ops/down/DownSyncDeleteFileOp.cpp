#include "client/sync/ops/down/DownSyncDeleteFileOp.h"

#include "client/core/LogWriter.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "win32/Windows.h"

namespace {
const char* const kTag = "DownSyncDeleteFileOp::Execute_SyncOperation";
}

int DownSyncDeleteFileOp::Execute_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "DownSyncDeleteFileOp::Execute_SyncOperation DownSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  if (!task->m_pFileData) {
    WriteLog(ErrorLog, kTag, "pSyncFileData is 0");
    return SYNC_RESULT_CANCEL;
  }
  const SyncFileData& record = *task->m_pFileData;
  bool mayDelete = false;
  SyncFileData row;
  if (DownOps::SelectFileByID(record.m_FileID, row)) {
    WriteMessageLog(KeyPoint, "Delete File Data Can find from DB");
    m_sDownloadFilePath = row.m_FilePath;
    mayDelete = DownOps::FileHasMD5(m_sDownloadFilePath, row.m_Md5);
  } else {
    WriteMessageLog(KeyPoint, "Delete File Data Can not find from DB");
    const juce::String parent = SyncFileDataManager::GetFolderPathByID(record.m_ParentID);
    if (parent.isEmpty()) {
      task->m_bSaveOnCancel.store(true);
      WriteLog(ErrorLog, kTag,
               "Can not find File ID from DataBase and return Cancel, FileID is " + juce::String(record.m_FileID));
      return SYNC_RESULT_CANCEL;
    }
    m_sDownloadFilePath = DownOps::WithSeparator(parent) + record.m_FileName;
    SyncFileData pathRow;
    if (SyncFileDataManager::SelectSyncFileData(m_sDownloadFilePath, pathRow)) {
      if (pathRow.m_FileID == record.m_FileID) {
        WriteMessageLog(KeyPoint, "dbPathData.m_FileID == fileID, ID is " + juce::String(record.m_FileID));
        mayDelete = DownOps::FileHasMD5(m_sDownloadFilePath, pathRow.m_Md5);
      } else {
        WriteMessageLog(KeyPoint, "dbPathData.m_FileID != fileID, bCanDelete = false");
        m_bRecord = 0;
      }
    } else if (!juce::File(m_sDownloadFilePath).existsAsFile()) {
      // Nothing, or a folder the user put in the file's place: no file of
      // this deletion (a folder's content can't be read and looks empty).
      m_bRecord = 0;
      return SYNC_RESULT_SUCCESS;
    } else {
      WriteMessageLog(KeyPoint, "File exist but not data in db");
      mayDelete = DownOps::FileHasMD5(m_sDownloadFilePath, record.m_Md5);
      m_bRecord = 0;
    }
  }

  if (!IsSafePath(task, m_sDownloadFilePath)) {
    m_bRecord = 0;
    return SYNC_RESULT_CANCEL;
  }
  if (mayDelete) {
    if (!juce::File(m_sDownloadFilePath).existsAsFile()) return SYNC_RESULT_SUCCESS;
    // Announced before the delete: the watcher may report it at once.
    DownOps::Ignore(m_sDownloadFilePath, m_sDownloadFilePath, DownOps::IGNORE_DELETE);
    if (DeleteFileW(m_sDownloadFilePath.toWideCharPointer())) return SYNC_RESULT_SUCCESS;
    const DWORD error = GetLastError();
    WriteMessageLog(ErrorLog, "file.deleteFile() == false, GetLastErrorCode is " +
                                  juce::String(static_cast<juce::int64>(error)));
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) {
      WriteMessageLog(ErrorLog, "Delete File failed, File be Occupy, Path is " + m_sDownloadFilePath);
      DownOps::Unignore(m_sDownloadFilePath, m_sDownloadFilePath, DownOps::IGNORE_DELETE);
      return ReportOccupied(task, m_sDownloadFilePath);
    }
    WriteMessageLog(ErrorLog, "Delete File failed, File not be Occupy, Path is " + m_sDownloadFilePath);
  }
  DownOps::Unignore(m_sDownloadFilePath, m_sDownloadFilePath, DownOps::IGNORE_DELETE);
  WriteLog(ErrorLog, kTag,
           "delete file failed, return Cancel, bCanDelete is " + juce::String(mayDelete ? "true, Path is " : "false, Path is ") +
               m_sDownloadFilePath);
  return SYNC_RESULT_CANCEL;
}

int DownSyncDeleteFileOp::Success_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || !task->m_pFileData) return SYNC_RESULT_SUCCESS;
  const SyncFileData& record = *task->m_pFileData;
  if (!SyncFileDataManager::DeleteFileByID(record.m_FileID))
    WriteMessageLog(KeyPoint, "Down Delete File Record Error, id is " + juce::String(record.m_FileID));
  LogSuccess("Down Delete File", m_sDownloadFilePath, record.m_FileID, record.m_VersionValue);
  ReportPathDone(m_sDownloadFilePath, 0, task->m_nOp);
  RemoveFromTips(m_sDownloadFilePath);
  if (m_sDownloadFilePath.isNotEmpty() && m_bRecord == 1)
    if (SyncStatusTracker* tracker = GetSyncStatusTracker())
      tracker->AddChangeNote(m_sDownloadFilePath, m_sDownloadFilePath, m_sDownloadFilePath, task->m_nOp);
  if (task->m_nWaitState == DOWN_WAIT_OCCUPIED) ClearTransferEntry(record.m_FileID);
  return SYNC_RESULT_SUCCESS;
}
