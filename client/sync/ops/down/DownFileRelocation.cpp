#include "client/sync/ops/down/DownFileRelocation.h"

#include "client/core/LogWriter.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "client/sync/ops/SyncDownBaseOperation.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "win32/Windows.h"

namespace DownOps {

bool FileIsAnotherItems(const SyncFileData& row) {
  std::vector<SyncFileData> siblings;
  if (!SelectFilesByParentID(row.m_ParentID, siblings)) return false;
  juce::String md5;  // read only when another row claims the path
  for (const SyncFileData& other : siblings) {
    if (other.m_FileID == row.m_FileID || other.m_FilePath != row.m_FilePath) continue;
    if (md5.isEmpty()) md5 = SyncHelper::GetFileMD5(row.m_FilePath);
    if (md5 != row.m_Md5 && md5 == other.m_Md5) return true;
  }
  return false;
}

bool WaitsForFolderChange(DownSyncTask* task, const juce::String& source) {
  if (!task || task->m_nRetryCount > 0 || juce::File(source).getParentDirectory().isDirectory()) return false;
  WriteMessageLog(KeyPoint, "The folder of the file is not here, its change goes up first, Path is " + source);
  return true;
}

int RelocateFile(SyncDownBaseOperation& op, DownSyncTask* task, const juce::String& source,
                 const juce::String& target, int ignoreType, const juce::String& failedText) {
  Ignore(source, target, ignoreType);
  if (SyncHelper::MoveWithoutReplace(source, target)) return SYNC_RESULT_SUCCESS;
  const DWORD error = GetLastError();
  bool occupied = false;
  const int result = op.CheckOccupied(task, source, occupied);
  if (occupied) {
    WriteMessageLog(KeyPoint, failedText + ", File be Occupy, Path is " + source);
    return result;
  }
  Unignore(source, target, ignoreType);
  if (error == ERROR_ALREADY_EXISTS)
    WriteMessageLog(ErrorLog, "Target exists, nothing replaced, source is " + source + ", target is " + target);
  else
    WriteMessageLog(KeyPoint, failedText + ", File not be Occupy, Path is " + source);
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

void WriteRelocatedRow(const SyncFileData& record, const SyncFileData& oldRow, const juce::String& newPath) {
  SyncFileData row(record);
  row.m_FilePath = newPath;
  if (oldRow.m_FileID != -1 && oldRow.m_Md5 != record.m_Md5) {
    row.m_Md5 = oldRow.m_Md5;
    row.m_VersionValue = oldRow.m_VersionValue;
    row.m_FileSize = oldRow.m_FileSize;
    SaveSyncFileData(row);
    // The server's content follows, into the new place.
    const SyncEngineLinks links = GetSyncEngineLinks();
    if (links.queueServerFileAdd) links.queueServerFileAdd(record);
    return;
  }
  SaveSyncFileData(row);
}

int FinishRelocation(SyncDownBaseOperation& op, DownSyncTask* task, const SyncFileData& oldRow,
                     const juce::String& from, const juce::String& to, const juce::String& opName) {
  if (!task || !task->m_pFileData) return SYNC_RESULT_ERROR_REMOVE;
  const SyncFileData& record = *task->m_pFileData;
  WriteRelocatedRow(record, oldRow, to);
  SyncBaseOperation::LogSuccess(opName, to, record.m_FileID, record.m_VersionValue);
  op.ReportPathDone(to, 0, task->m_nOp);
  SyncBaseOperation::RemoveFromTips(from);
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->AddChangeNote(to, to, from, task->m_nOp);
  if (task->m_nWaitState == DOWN_WAIT_OCCUPIED) SyncDownBaseOperation::ClearTransferEntry(record.m_FileID);
  return SYNC_RESULT_SUCCESS;
}

}  // namespace DownOps
