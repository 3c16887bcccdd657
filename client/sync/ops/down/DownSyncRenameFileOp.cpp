#include "client/sync/ops/down/DownSyncRenameFileOp.h"

#include "client/core/LogWriter.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/down/DownFileRelocation.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/status/SyncStatusTracker.h"
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
    task->m_nOp = DOWN_OP_FILE_ADD;
    WriteMessageLog(ErrorLog, "Down rename file Not exist, change to down file, Path is " + m_sOldFilePath);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  m_sDownloadFilePath = DownOps::WithSeparator(DownOps::ParentOf(m_sOldFilePath)) + record.m_FileName;
  if (CheckPathLength(task, m_sDownloadFilePath, true)) return SYNC_RESULT_CANCEL;
  if (m_sDownloadFilePath == m_sOldFilePath) return SYNC_RESULT_SUCCESS;
  const int result = DownOps::RelocateFile(*this, task, m_sOldFilePath, m_sDownloadFilePath, DownOps::IGNORE_RENAME,
                                           "Rename File failed");
  if (result == SYNC_RESULT_SUCCESS)
    SHChangeNotify(SHCNE_RENAMEITEM, SHCNF_PATHW, m_sOldFilePath.toWideCharPointer(),
                   m_sDownloadFilePath.toWideCharPointer());
  return result;
}

int DownSyncRenameFileOp::Success_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || !task->m_pFileData) return SYNC_RESULT_ERROR_REMOVE;
  const SyncFileData& record = *task->m_pFileData;
  DownOps::WriteRelocatedRow(record, m_row, m_sDownloadFilePath);
  LogSuccess("Down Rename File", m_sDownloadFilePath, record.m_FileID, record.m_VersionValue);
  ReportPathDone(m_sDownloadFilePath, 0, task->m_nOp);
  RemoveFromTips(m_sOldFilePath);
  if (SyncStatusTracker* tracker = GetSyncStatusTracker())
    tracker->AddChangeNote(m_sDownloadFilePath, m_sDownloadFilePath, m_sOldFilePath, task->m_nOp);
  if (task->m_nWaitState == DOWN_WAIT_OCCUPIED) ClearTransferEntry(record.m_FileID);
  return SYNC_RESULT_SUCCESS;
}
