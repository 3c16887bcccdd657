#include "client/sync/ops/down/DownSyncMoveFolderOp.h"

#include "client/core/LogWriter.h"
#include "client/sync/LocalPathGuard.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/ops/down/DownSyncDeleteFolderOp.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "common/PathText.h"
#include "win32/Windows.h"

namespace {
const char* const kTag = "DownSyncMoveFolderOp::Execute_SyncOperation";

bool IsHeld(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION; }
}  // namespace

DownSyncMoveFolderOp::~DownSyncMoveFolderOp() {
  m_sourceFiles.clear();
  m_sourceFolders.clear();
}

int DownSyncMoveFolderOp::Execute_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "DownSyncMoveFolderOp::Execute_SyncOperation DownSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  if (const int found = FindSourceAndTarget(task); found != SYNC_RESULT_SUCCESS) return found;
  return Move(task);
}

int DownSyncMoveFolderOp::FindSourceAndTarget(DownSyncTask* task) {
  if (!task->m_pFolderData) {
    WriteMessageLog(ErrorLog, "DownSyncMoveFolderOp pSyncFolderData is 0");
    task->m_bSaveOnCancel.store(true);
    return SYNC_RESULT_CANCEL;
  }
  const SyncFolderData& record = *task->m_pFolderData;
  const juce::String id(record.m_FolderID);
  auto cancel = [&] {
    task->m_bSaveOnCancel.store(true);
    return SYNC_RESULT_CANCEL;
  };
  if (SyncFileDataManager::SelectSyncFolderDataByID(record.m_FolderID, m_folderRow)) {
    WriteMessageLog(KeyPoint, "Mover Folder,Can find ID from DB,id is " + id);
    m_sSourcePath = m_folderRow.m_FolderPath;
  } else {
    WriteMessageLog(KeyPoint, "Mover Folder,Can not find ID from DB,id is " + id);
    const juce::String oldParent = SyncFileDataManager::GetFolderPathByID(task->m_nParentID);
    if (oldParent.isEmpty()) {
      WriteLog(ErrorLog, kTag, "Can not find folderID from DataBase and return Cancel, FolderId is " + id);
      return cancel();
    }
    m_sSourcePath = DownOps::WithSeparator(oldParent) + record.m_FolderName;
    SyncFolderData pathRow;
    if (!SyncFileDataManager::SelectSyncFolderData(m_sSourcePath, pathRow)) {
      if (juce::File(m_sSourcePath).exists()) WriteMessageLog(KeyPoint, "Folder exist but not data in db");
      return cancel();
    }
    if (pathRow.m_FolderID != record.m_FolderID) {
      WriteMessageLog(KeyPoint, "data.m_FolderID != folderID return Cancel, DBFolderID is " + juce::String(pathRow.m_FolderID));
      return cancel();
    }
    WriteMessageLog(KeyPoint, "data.m_FolderID == folderID and folder id is " + id);
    m_folderRow = pathRow;
  }
  SyncFolderData parent;
  if (!SyncFileDataManager::SelectSyncFolderDataByID(record.m_ParentID, parent)) {
    WriteLog(ErrorLog, kTag,
             "Can not find parent folder id from DataBase and return Cancel, parent Folder Id is " +
                 juce::String(record.m_ParentID));
    return cancel();
  }
  if (!juce::File(parent.m_FolderPath).isDirectory()) {
    WriteLog(ErrorLog, kTag, "Parent folder path not exist, Path is " + parent.m_FolderPath);
    return cancel();
  }
  m_sDownloadFilePath = DownOps::WithSeparator(parent.m_FolderPath) + record.m_FolderName;
  if (!IsSafePath(task, m_sSourcePath) || !IsSafePath(task, m_sDownloadFilePath)) return SYNC_RESULT_CANCEL;
  return SYNC_RESULT_SUCCESS;
}

int DownSyncMoveFolderOp::Move(DownSyncTask* task) {
  if (task->m_bCancelled.load()) return SYNC_RESULT_CANCEL;
  if (!juce::File(m_sSourcePath).isDirectory()) {
    WriteMessageLog(ErrorLog, "Move Folder Source Folder is not exist");
    return DownOps::BringFolderFromService(task->m_pFolderData->m_FolderID);
  }
  CollectSource();
  RebuildAtTarget(task);
  for (const juce::String& folder : m_sourceFolders)
    if (juce::File(folder).isDirectory() && SyncHelper::IsFolderEmpty(folder))
      DownSyncDeleteFolderOp::DeleteLocalItem(*this, task, folder, m_sSourcePath);

  // What is left in the old place is the user's: it goes up as new items.
  if (juce::File(m_sSourcePath).isDirectory()) {
    const SyncEngineLinks links = GetSyncEngineLinks();
    std::deque<juce::String> queue{m_sSourcePath};
    while (!queue.empty()) {
      const juce::String folder = queue.front();
      queue.pop_front();
      if (links.queueLocalFolderAdd) links.queueLocalFolderAdd(folder);
      std::vector<juce::String> subfolders, files;
      LocalPathGuard::ListFolder(folder, subfolders, files);
      for (const juce::String& path : subfolders) queue.push_back(path);
      if (links.queueLocalFileAdd)
        for (const juce::String& path : files) links.queueLocalFileAdd(path);
    }
  }
  if (!m_bOccupied) return SYNC_RESULT_SUCCESS;
  if (ISyncNotifyUI* sink = GetSyncNotifyUI()) sink->NotifySyncEvent(SyncNotifyInfo{SNT_OCCUPIED, m_sSourcePath, "Folder"});
  task->m_sNote = m_sSourcePath;
  task->m_nWaitState = DOWN_WAIT_OCCUPIED;
  return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
}

void DownSyncMoveFolderOp::CollectSource() {
  std::deque<juce::String> queue{m_sSourcePath};
  while (!queue.empty()) {
    const juce::String folder = queue.front();
    queue.pop_front();
    m_sourceFolders.push_front(folder);
    std::vector<juce::String> subfolders, files;
    LocalPathGuard::ListFolder(folder, subfolders, files, &m_sourceLinks);
    for (const juce::String& path : subfolders) queue.push_back(path);
    for (const juce::String& path : files) {
      if (SyncHelper::IsIgnoredFileName(Common::String_GetFileName(path)))
        DeleteFileW(path.toWideCharPointer());
      else
        m_sourceFiles[path] = SyncHelper::GetFileMD5(path);
    }
  }
}

void DownSyncMoveFolderOp::RebuildAtTarget(DownSyncTask* task) {
  const SyncFolderData& record = *task->m_pFolderData;
  std::deque<SyncFolderData> work{m_folderRow};
  bool first = true;
  while (!work.empty()) {
    SyncFolderData row = work.front();
    work.pop_front();
    std::vector<SyncFolderData> children;
    DownOps::SelectFoldersByParentID(row.m_FolderID, children);
    for (const SyncFolderData& child : children) work.push_back(child);

    const juce::int64 parentID = first ? record.m_ParentID : row.m_ParentID;
    const juce::String oldPath = row.m_FolderPath;
    SyncFolderData parent;
    if (!SyncFileDataManager::SelectSyncFolderDataByID(parentID, parent)) {
      WriteMessageLog(ErrorLog, "Can not find parent data form db, parentID is " + juce::String(parentID));
      first = false;
      continue;
    }
    if (first) row.m_FolderName = record.m_FolderName;
    const juce::String newPath = DownOps::WithSeparator(parent.m_FolderPath) + row.m_FolderName;
    DownOps::Ignore(newPath, newPath, DownOps::IGNORE_ADD);
    if (!juce::File(newPath).isDirectory() && !CreateDirectoryW(newPath.toWideCharPointer(), nullptr)) {
      WriteMessageLog(ErrorLog, "Move Folder: Creat Folder failed, Path is  " + newPath);
      DownOps::Unignore(newPath, newPath, DownOps::IGNORE_ADD);
      first = false;
      continue;
    }
    if (first) {
      row.m_ParentID = record.m_ParentID;
      row.m_VersionValue = record.m_VersionValue;
    }
    row.m_FolderPath = newPath;
    row.m_ParentPath = parent.m_ParentPath + juce::String(parent.m_FolderID) + "/";
    SaveSyncFolderData(row);
    MoveFolderFiles(row, oldPath);
    MoveFolderLinks(oldPath, newPath);
    first = false;
  }
}

void DownSyncMoveFolderOp::MoveFolderFiles(const SyncFolderData& folder, const juce::String& oldFolderPath) {
  std::vector<SyncFileData> rows;
  DownOps::SelectFilesByParentID(folder.m_FolderID, rows);
  const juce::String oldFolder = DownOps::WithSeparator(oldFolderPath);
  const juce::String newFolder = DownOps::WithSeparator(folder.m_FolderPath);
  // Every row is settled: moved, copied, handed to the registry or
  // downloaded again.
  for (SyncFileData row : rows) {
    const juce::String oldPath = oldFolder + row.m_FileName;
    const juce::String newPath = newFolder + row.m_FileName;
    auto own = m_sourceFiles.find(oldPath);
    if (own != m_sourceFiles.end() && own->second == row.m_Md5) {
      DownOps::Ignore(oldPath, newPath, DownOps::IGNORE_MOVE);
      if (SyncHelper::MoveWithoutReplace(oldPath, newPath)) {
        m_sourceFiles.erase(own);
        row.m_FilePath = newPath;
        SaveSyncFileData(row);
        continue;
      }
      const DWORD error = GetLastError();
      DownOps::Unignore(oldPath, newPath, DownOps::IGNORE_MOVE);
      WriteMessageLog(ErrorLog, "file Move false, GetLastErrorCode is " + juce::String(static_cast<juce::int64>(error)));
      if (IsHeld(error)) {
        row.m_FilePath = oldPath;
        HandOverOccupied(newPath, row);
        m_sourceFiles.erase(own);
      } else {
        QueueDownload(row, newPath);
      }
      continue;
    }
    auto copy = std::find_if(m_sourceFiles.begin(), m_sourceFiles.end(),
                             [&](const auto& entry) { return entry.second == row.m_Md5; });
    if (copy != m_sourceFiles.end()) {
      DownOps::Ignore(newPath, newPath, DownOps::IGNORE_ADD);
      if (CopyFileW(copy->first.toWideCharPointer(), newPath.toWideCharPointer(), TRUE)) {
        row.m_FilePath = newPath;
        SaveSyncFileData(row);
        continue;
      }
      const DWORD error = GetLastError();
      DownOps::Unignore(newPath, newPath, DownOps::IGNORE_ADD);
      WriteMessageLog(ErrorLog, "file Copy false, GetLastErrorCode is " + juce::String(static_cast<juce::int64>(error)));
    }
    QueueDownload(row, newPath);
  }
}

void DownSyncMoveFolderOp::MoveFolderLinks(const juce::String& oldFolderPath, const juce::String& newFolderPath) {
  const juce::String oldFolder = DownOps::WithSeparator(oldFolderPath);
  for (const juce::String& link : m_sourceLinks) {
    if (DownOps::WithSeparator(DownOps::ParentOf(link)) != oldFolder) continue;
    const juce::String target = DownOps::WithSeparator(newFolderPath) + Common::String_GetFileName(link);
    DownOps::Ignore(link, target, DownOps::IGNORE_MOVE);
    if (SyncHelper::MoveWithoutReplace(link, target)) continue;
    DownOps::Unignore(link, target, DownOps::IGNORE_MOVE);
    WriteMessageLog(ErrorLog, "A symbolic link stays in the moved folder's old place, path is " + link);
  }
}

void DownSyncMoveFolderOp::HandOverOccupied(const juce::String& newPath, const SyncFileData& row) {
  m_bOccupied = true;
  MovedFolderRegistry::GetInstance()->Add(newPath, row);
  if (SyncPathList* tips = GetSyncTipList()) tips->AddUnique(row.m_FilePath, TIP_OCCUPIED);
}

void DownSyncMoveFolderOp::QueueDownload(SyncFileData row, const juce::String& newPath) {
  // The row names the file's new place, where nothing is yet: the download
  // is not taken for one whose file is already there.
  row.m_FilePath = newPath;
  SaveSyncFileData(row);
  const SyncEngineLinks links = GetSyncEngineLinks();
  if (links.queueServerFileAdd) links.queueServerFileAdd(row);
}

int DownSyncMoveFolderOp::Success_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || !task->m_pFolderData) return SYNC_RESULT_SUCCESS;
  const SyncFolderData& record = *task->m_pFolderData;
  LogSuccess("Down Move Folder", m_sDownloadFilePath, record.m_FolderID, record.m_VersionValue);
  ReportPathDone(m_sDownloadFilePath, 0, task->m_nOp);
  RemoveFromTips(m_sSourcePath);
  return SYNC_RESULT_SUCCESS;
}
