#include "client/sync/ops/down/DownSyncRenameFileOp.h"

#include "client/core/LogWriter.h"
#include "client/sync/ops/down/DownFileRelocation.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "win32/Windows.h"

int DownSyncRenameFileOp::Execute_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "DownSyncRenameFileOp::Execute_SyncOperation DownSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  if (!task->m_pFileData) {
    WriteMessageLog(ErrorLog, "pData is 0 and return SYNC_RESULT_ERROR_REMOVE");
    return SYNC_RESULT_ERROR_REMOVE;
  }
  const SyncFileData& record = *task->m_pFileData;
  if (!DownOps::SelectFileByID(record.m_FileID, m_row)) {
    WriteMessageLog(ErrorLog, "Down Rename find DB Data Error, File ID is " + juce::String(record.m_FileID));
    task->m_nOp = DOWN_OP_FILE_ADD;
    WriteMessageLog(ErrorLog, "Down rename file Not exist, change to down file, Path is " + m_sOldFilePath);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  m_sOldFilePath = m_row.m_FilePath;
  if (m_sOldFilePath.isEmpty()) {
    WriteMessageLog(KeyPoint, "m_sOldFilePath is empty");
    return SYNC_RESULT_CANCEL;
  }
  if (!juce::File(m_sOldFilePath).existsAsFile()) {
    if (DownOps::WaitsForFolderChange(task, m_sOldFilePath)) return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
    task->m_nOp = DOWN_OP_FILE_ADD;
    WriteMessageLog(ErrorLog, "Down rename file Not exist, change to down file, Path is " + m_sOldFilePath);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  m_sDownloadFilePath = DownOps::WithSeparator(DownOps::ParentOf(m_sOldFilePath)) + record.m_FileName;
  if (!IsSafePath(task, m_sOldFilePath) || !IsSafePath(task, m_sDownloadFilePath)) return SYNC_RESULT_CANCEL;
  if (CheckPathLength(task, m_sDownloadFilePath, true)) return SYNC_RESULT_CANCEL;
  if (m_sDownloadFilePath == m_sOldFilePath) return SYNC_RESULT_SUCCESS;
  if (DownOps::FileIsAnotherItems(m_row)) {
    // Moved, it would leave that item and come back as a stray copy: this
    // item's content is fetched into its new place instead.
    task->m_nOp = DOWN_OP_FILE_ADD;
    WriteMessageLog(ErrorLog, "Down rename: the file is another item's, change to down file, Path is " + m_sOldFilePath);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  const int result = DownOps::RelocateFile(*this, task, m_sOldFilePath, m_sDownloadFilePath, DownOps::IGNORE_RENAME,
                                           "Rename File failed");
  if (result == SYNC_RESULT_SUCCESS)
    SHChangeNotify(SHCNE_RENAMEITEM, SHCNF_PATHW, m_sOldFilePath.toWideCharPointer(),
                   m_sDownloadFilePath.toWideCharPointer());
  return result;
}

int DownSyncRenameFileOp::Success_SyncOperation() {
  return DownOps::FinishRelocation(*this, m_pItem ? m_pItem->m_pTask : nullptr, m_row, m_sOldFilePath, m_sDownloadFilePath,
                                   "Down Rename File");
}
