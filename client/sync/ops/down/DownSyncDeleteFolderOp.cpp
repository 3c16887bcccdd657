#include "client/sync/ops/down/DownSyncDeleteFolderOp.h"

#include <deque>

#include "client/core/LogWriter.h"
#include "client/sync/LocalPathGuard.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/ops/down/SyncDownloadFileOp.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "common/PathText.h"
#include "win32/Windows.h"

namespace {
const char* const kTag = "DownSyncDeleteFolderOp::Execute_SyncOperation";
}

int DownSyncDeleteFolderOp::DeleteLocalItem(SyncDownBaseOperation& op, DownSyncTask* task, const juce::String& path,
                                            const juce::String& reportPath) {
  // Asked without following a link: a link is removed itself, never what it points at.
  const DWORD attributes = GetFileAttributesW(path.toWideCharPointer());
  if (attributes == INVALID_FILE_ATTRIBUTES) return SYNC_RESULT_SUCCESS;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  DownOps::Ignore(path, path, DownOps::IGNORE_DELETE);
  const BOOL deleted = folder ? RemoveDirectoryW(path.toWideCharPointer()) : DeleteFileW(path.toWideCharPointer());
  if (deleted) return SYNC_RESULT_SUCCESS;
  const DWORD error = GetLastError();
  DownOps::Unignore(path, path, DownOps::IGNORE_DELETE);
  WriteMessageLog(ErrorLog, "file.deleteFile() == false, GetLastErrorCode is " + juce::String(static_cast<juce::int64>(error)));
  if (error == ERROR_SHARING_VIOLATION) return op.ReportOccupied(task, reportPath);
  WriteMessageLog(KeyPoint, "Delete File Failed and return Cancel, Path is " + path);
  return SYNC_RESULT_CANCEL;
}

int DownSyncDeleteFolderOp::Execute_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "DownSyncDeleteFolderOp::Execute_SyncOperation DownSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  if (!task->m_pFolderData) {
    WriteMessageLog(ErrorLog, "pSyncFolderData is 0");
    task->m_bSaveOnCancel.store(true);
    return SYNC_RESULT_CANCEL;
  }
  const SyncFolderData& record = *task->m_pFolderData;
  const juce::String id(record.m_FolderID);
  // The sync root itself is never emptied by a server change.
  if (record.m_FolderID == SyncRootFolder::GetInstance()->GetRootFolderID()) {
    WriteMessageLog(ErrorLog, "The sync root is not deleted, id is " + id);
    return SYNC_RESULT_CANCEL;
  }
  SyncFolderData row;
  if (SyncFileDataManager::SelectSyncFolderDataByID(record.m_FolderID, row)) {
    WriteMessageLog(KeyPoint, "Can find ID from DB,id is " + id);
    m_sDownloadFilePath = row.m_FolderPath;
  } else {
    WriteMessageLog(KeyPoint, "Can not find ID from DB,id is " + id);
    const juce::String parent = SyncFileDataManager::GetFolderPathByID(record.m_ParentID);
    if (parent.isEmpty()) {
      WriteLog(ErrorLog, kTag, "Can not find folderID from DataBase and return Cancel, FolderId is " + id);
      task->m_bSaveOnCancel.store(true);
      return SYNC_RESULT_CANCEL;
    }
    m_sDownloadFilePath = DownOps::WithSeparator(parent) + record.m_FolderName;
    SyncFolderData pathRow;
    if (SyncFileDataManager::SelectSyncFolderData(m_sDownloadFilePath, pathRow)) {
      if (pathRow.m_FolderID != record.m_FolderID) {
        WriteMessageLog(KeyPoint, "data.m_FolderID != folderID return cancel DB Folderid is " + juce::String(pathRow.m_FolderID));
        task->m_bSaveOnCancel.store(true);
        return SYNC_RESULT_CANCEL;
      }
      WriteMessageLog(KeyPoint, "data.m_FolderID == folderID and folder id is " + id);
    } else if (!juce::File(m_sDownloadFilePath).exists()) {
      return SYNC_RESULT_SUCCESS;
    } else {
      WriteMessageLog(KeyPoint, "Folder exist but not data in db");
    }
  }
  if (task->m_bCancelled.load()) return SYNC_RESULT_CANCEL;
  if (m_sDownloadFilePath.isNotEmpty() && !IsSafePath(task, m_sDownloadFilePath)) return SYNC_RESULT_CANCEL;
  if (m_sDownloadFilePath.isEmpty() || !juce::File(m_sDownloadFilePath).isDirectory()) return SYNC_RESULT_SUCCESS;
  if (const int walked = Walk(task); walked != SYNC_RESULT_SUCCESS) return walked;
  if (!juce::File(m_sDownloadFilePath).exists()) return SYNC_RESULT_SUCCESS;
  // An unchanged file that another program holds is deleted on a later run.
  if (m_bOccupied) return ReportOccupied(task, m_sDownloadFilePath);
  if (SyncHelper::IsFolderEmpty(m_sDownloadFilePath))
    return DeleteLocalItem(*this, task, m_sDownloadFilePath, m_sDownloadFilePath);
  task->m_bSaveOnCancel.store(true);
  WriteMessageLog(ErrorLog, "Delete Folder is not empty, Path is " + m_sDownloadFilePath);
  return SYNC_RESULT_CANCEL;
}

int DownSyncDeleteFolderOp::Walk(DownSyncTask* task) {
  const juce::String folderVersion = task->m_pFolderData->m_VersionValue;
  std::deque<juce::String> queue{m_sDownloadFilePath};
  std::deque<juce::String> deepestFirst;
  while (!queue.empty()) {
    const juce::String folder = queue.front();
    queue.pop_front();
    std::vector<juce::String> subfolders, files, links;
    LocalPathGuard::ListFolder(folder, subfolders, files, &links);
    for (const juce::String& sub : subfolders) queue.push_back(sub);
    for (const juce::String& link : links) DeleteLocalItem(*this, task, link, m_sDownloadFilePath);
    DeleteUnchangedFiles(folder, files, folderVersion);
    deepestFirst.push_front(folder);
  }
  int result = SYNC_RESULT_SUCCESS;
  for (const juce::String& folder : deepestFirst) {
    if (!SyncHelper::IsFolderEmpty(folder)) continue;
    result = DeleteLocalItem(*this, task, folder, m_sDownloadFilePath);
    if (result == SYNC_RESULT_SUCCESS) SyncFileDataManager::DeleteFolderByPath(folder);
  }
  return result;
}

void DownSyncDeleteFolderOp::DeleteUnchangedFiles(const juce::String& folder, const std::vector<juce::String>& files,
                                                  const juce::String& folderVersion) {
  PartlySyncFileData ids;
  std::vector<SyncFileData> rows;
  if (SyncFileDataManager::SelectFolderIDs(folder, ids) && ids.m_FileID != -1)
    DownOps::SelectFilesByParentID(ids.m_FileID, rows);
  for (const juce::String& path : files) {
    const juce::String md5 = SyncHelper::GetFileMD5(path);
    auto row = std::find_if(rows.begin(), rows.end(), [&](const SyncFileData& r) { return r.m_FilePath == path; });
    if (row == rows.end()) {
      WriteMessageLog(ErrorLog, "Can not find file data from SyncFileData vector, path is " + path);
      // A download's part is the program's own: its download, if it runs,
      // finds it gone and tries again where the file belongs now.
      const juce::String name = Common::String_GetFileName(path);
      if (SyncHelper::IsIgnoredFileName(name) || SyncDownloadFileOp::IsPartName(name))
        DeleteLocalItem(*this, m_pItem->m_pTask, path, m_sDownloadFilePath);
      continue;
    }
    if (row->m_Md5 == md5 && SyncHelper::CompareVersionValue(row->m_VersionValue, folderVersion) <= 0) {
      const int deleted = DeleteLocalItem(*this, m_pItem->m_pTask, path, m_sDownloadFilePath);
      if (deleted == SYNC_RESULT_SUCCESS) SyncFileDataManager::DeleteFileByID(row->m_FileID);
      if (deleted == SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN) m_bOccupied = true;
    } else {
      WriteMessageLog(ErrorLog, "File MD5 != DB MD5, Path is " + path + ", File MD5 is " + md5 + ", DB MD5 is " +
                                    row->m_Md5 + "FolderVersion is " + folderVersion + ", FileVersion is " +
                                    row->m_VersionValue);
    }
    rows.erase(row);
  }
}

int DownSyncDeleteFolderOp::Success_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || !task->m_pFolderData) return SYNC_RESULT_SUCCESS;
  const SyncFolderData& record = *task->m_pFolderData;
  SyncFileDataManager::DeleteFolderByID(record.m_FolderID);
  LogSuccess("Down Delete Folder", m_sDownloadFilePath, record.m_FolderID, record.m_VersionValue);
  ReportPathDone(m_sDownloadFilePath, 0, task->m_nOp);
  RemoveFromTips(m_sDownloadFilePath);
  return SYNC_RESULT_SUCCESS;
}
