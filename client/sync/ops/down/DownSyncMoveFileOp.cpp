#include "client/sync/ops/down/DownSyncMoveFileOp.h"

#include "client/core/LogWriter.h"
#include "client/sync/ops/down/DownFileRelocation.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/tasks/DownSyncTask.h"

namespace {
const char* const kTag = "DownSyncMoveFileOp::Execute_SyncOperation";
}

int DownSyncMoveFileOp::Execute_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "DownSyncMoveFileOp::Execute_SyncOperation DownSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  if (!task->m_pFileData) return SYNC_RESULT_CANCEL;
  const SyncFileData& record = *task->m_pFileData;
  const juce::int64 id = task->m_nServerID > 0 ? task->m_nServerID : record.m_FileID;
  if (!DownOps::SelectFileByID(id, m_row)) {
    WriteLog(ErrorLog, kTag, "Get SyncFileData error id is " + juce::String(id));
    task->m_nOp = DOWN_OP_FILE_ADD;
    WriteMessageLog(ErrorLog, "Down Remove file Not exist, change to down file, Path is " + m_sSourcePath);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  m_sSourcePath = m_row.m_FilePath;
  if (m_sSourcePath.isEmpty()) {
    WriteLog(ErrorLog, kTag, "move file sSrcPath is empty");
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  SyncFolderData parent;
  if (!SyncFileDataManager::SelectSyncFolderDataByID(record.m_ParentID, parent)) {
    WriteLog(ErrorLog, kTag, "Get Parent Folder data  error id is " + juce::String(record.m_ParentID));
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  if (parent.m_FolderPath.isEmpty()) {
    WriteLog(ErrorLog, kTag, "move file sTargetParentPath is empty");
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  m_sDownloadFilePath = DownOps::WithSeparator(parent.m_FolderPath) + record.m_FileName;
  if (!IsSafePath(task, m_sSourcePath) || !IsSafePath(task, m_sDownloadFilePath)) return SYNC_RESULT_CANCEL;
  if (CheckPathLength(task, m_sDownloadFilePath, true)) return SYNC_RESULT_CANCEL;
  if (!juce::File(m_sSourcePath).existsAsFile()) {
    if (DownOps::WaitsForFolderChange(task, m_sSourcePath)) return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
    task->m_nOp = DOWN_OP_FILE_ADD;
    WriteMessageLog(ErrorLog, "Down Remove file Not exist, change to down file, Path is " + m_sSourcePath);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  if (m_sSourcePath == m_sDownloadFilePath) return SYNC_RESULT_SUCCESS;
  if (DownOps::FileIsAnotherItems(m_row)) {
    // Moved, it would leave that item and come back as a stray copy: this
    // item's content is fetched into its new place instead.
    task->m_nOp = DOWN_OP_FILE_ADD;
    WriteMessageLog(ErrorLog, "Down move: the file is another item's, change to down file, Path is " + m_sSourcePath);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  const int result = DownOps::RelocateFile(*this, task, m_sSourcePath, m_sDownloadFilePath, DownOps::IGNORE_MOVE,
                                           "Remove File Failed");
  if (result == SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK)
    WriteLog(ErrorLog, kTag, "move file Error source path is" + m_sSourcePath + " ,targetPath is " + m_sDownloadFilePath);
  return result;
}

int DownSyncMoveFileOp::Success_SyncOperation() {
  return DownOps::FinishRelocation(*this, m_pItem ? m_pItem->m_pTask : nullptr, m_row, m_sSourcePath, m_sDownloadFilePath,
                                   "Down Move File");
}
