#include "client/sync/pull/ImmediateSyncFromServerOp.h"

#include "client/core/LogWriter.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/protocol/NetReachable.h"
#include "client/core/tasks/PullTasks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/pull/DownTaskQueueing.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "client/sync/tasks/PendingVersionList.h"
#include "common/PathText.h"
#include "win32/Windows.h"

namespace {

const char* const kTag = "ImmediateSyncFromServerOp::Execute_SyncOperation";

// The newest version in the listing. The listing is one look at the tree, so
// every change after it has a newer version: pulling from this one later
// misses nothing.
juce::String NewestVersion(const DirContent& dir) {
  juce::String newest = juce::String(dir.versionValue);
  auto consider = [&](const std::string& version) {
    if (SyncHelper::CompareVersionValue(juce::String(version), newest) > 0) newest = juce::String(version);
  };
  for (const auto& file : dir.files)
    if (file) consider(file->versionValue);
  for (const auto& sub : dir.subdirs)
    if (sub) consider(NewestVersion(*sub).toStdString());
  return newest;
}

bool HasAnyRowBelow(juce::int64 rootID) {
  std::vector<SyncFileData> files;
  std::vector<SyncFolderData> folders;
  DownOps::SelectFilesByParentID(rootID, files);
  DownOps::SelectFoldersByParentID(rootID, folders);
  return !files.empty() || !folders.empty();
}

}  // namespace

int ImmediateSyncFromServerOp::Execute_SyncOperation() {
  if (m_bFullPull.load() == 0) return SYNC_RESULT_SUCCESS;
  m_bCompleted.store(1);
  m_bFullPull.store(0);
  const int result = Pull();
  m_bFullPull.store(1);
  return result;
}

int ImmediateSyncFromServerOp::Pull() {
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  const juce::int64 rootID = root->GetRootFolderID();
  const juce::String rootPath = root->GetRootPath();
  // An unmounted or vanished sync root is no reason to fetch (or delete) anything.
  if (rootID == 0 || rootPath.isEmpty() || !juce::File(rootPath).isDirectory()) {
    WriteLog(ErrorLog, kTag, "The sync root is missing, nothing pulled, path is " + rootPath);
    m_bCompleted.store(0);
    return SYNC_RESULT_ERROR_REMOVE;
  }
  GetDirFilesRequest request;
  request.header = *m_pRequestHeader;
  request.id = rootID;
  request.owner = m_pRequestHeader->userId;
  request.recursive = true;
  request.getFiles = true;
  WriteMessageLog(KeyPoint, "ImmediateSyncFromServer Begin Post Request");
  std::unique_ptr<DirFilesReply> reply;
  const bool ok = DownOps::PostAndWait(GetDownThreadsPool(), new ImmediateSyncFromServerTask("ImmediateSyncFromServerTask", request),
                                       [&](ImmediateSyncFromServerTask& task) { reply = std::move(task.m_pReply); });
  WriteMessageLog(KeyPoint, "ImmediateSyncFromServer Post Request Get Return Result");
  if (!reply) {
    m_bCompleted.store(0);
    return SYNC_RESULT_ERROR_REMOVE;
  }
  if (!ok) {
    WriteMessageLog(KeyPoint, "ImmediateSyncFromServer Error");
    m_bCompleted.store(0);
    LocalNetErrorManager* net = LocalNetErrorManager::GetInstance();
    if (CheckNetReachable()) {
      net->SetOnline(true);
      net->ResetLastReportTime();
      if (SyncStatusTracker* tracker = GetSyncStatusTracker()) {
        tracker->m_nNetState.store(0);
        tracker->PushTrayState();
      }
      WriteErrorCodeLog(kTag, juce::String(reply->code), "ImmediateSyncFromServer Error");
    } else {
      net->ResetLastReportTime();
      net->SetOnline(false);
      net->ProcessLocalNetError();
    }
    return SYNC_RESULT_ERROR_REMOVE;
  }
  if (reply->dir.id != rootID) {
    WriteLog(ErrorLog, kTag, "The listing is not of the sync root, id is " + juce::String(reply->dir.id));
    m_bCompleted.store(0);
    return SYNC_RESULT_ERROR_REMOVE;
  }
  if (reply->dir.files.empty() && reply->dir.subdirs.empty() && HasAnyRowBelow(rootID)) {
    WriteLog(ErrorLog, kTag, "The server lists nothing below the sync root while the database does, nothing pulled");
    m_bCompleted.store(0);
    return SYNC_RESULT_ERROR_REMOVE;
  }
  WriteMessageLog(KeyPoint, "ImmediateSyncFromServer Begin Analysis");
  m_nVersionedTasks = 0;
  AnalyseDir(reply->dir, true);
  WriteMessageLog(KeyPoint, "ImmediateSyncFromServer End Analysis");
  // Nothing to apply (an empty service folder, or both sides in step): no
  // task will move the stored version, so the listing's newest one is stored
  // now, or every start would pull everything again.
  const juce::String newest = NewestVersion(reply->dir);
  if (m_nVersionedTasks == 0 && !ShouldEnd() && SyncHelper::CompareVersionValue(newest, root->GetGlobalVersion()) > 0) {
    juce::int64 number = 0;
    if (PendingVersionList::ParseVersionNumber(newest, number)) {
      WriteMessageLog(KeyPoint, "Save to DB Last GlobalVersion is " + newest);
      root->SetRootFolder(root->GetRootPath(), newest, root->GetFolderData());
    }
  }
  return SYNC_RESULT_SUCCESS;
}

void ImmediateSyncFromServerOp::AnalyseDir(const DirContent& dir, bool isRoot) {
  if (ShouldEnd()) return;
  SyncFolderData server;
  SyncHelper::ServerDirToSyncFolderData(dir, server);
  // The sync root keeps its local name and row: only its content is compared.
  if (!isRoot) {
    SyncFolderData row;
    if (!SyncFileDataManager::SelectSyncFolderDataByID(dir.id, row) || !juce::File(row.m_FolderPath).exists()) {
      DownSyncTask* task = PullQueue::MakeFolderTask(server);
      task->m_nOp = DOWN_OP_FOLDER_ADD;
      QueueTask(task, "Add Folder");
    } else if (Common::String_GetFileName(row.m_FolderPath) != server.m_FolderName) {
      DownSyncTask* task = PullQueue::MakeFolderTask(server);
      task->m_nOp = DOWN_OP_FOLDER_RENAME;
      QueueTask(task, "Rename Folder");
    }
  }
  AnalyseFiles(dir);
  if (ShouldEnd() || dir.id == -1) return;

  std::vector<SyncFolderData> rows;
  DownOps::SelectFoldersByParentID(dir.id, rows);
  for (const auto& sub : dir.subdirs) {
    if (ShouldEnd()) return;
    if (!sub) continue;
    AnalyseDir(*sub, false);
    auto row = std::find_if(rows.begin(), rows.end(), [&](const SyncFolderData& r) { return r.m_FolderID == sub->id; });
    if (row != rows.end()) rows.erase(row);
  }
  for (SyncFolderData& row : rows) {
    row.m_VersionValue = PullQueue::kDeleteAnyVersion;
    DownSyncTask* task = PullQueue::MakeFolderTask(row);
    task->m_nOp = DOWN_OP_FOLDER_DELETE;
    task->m_bTracksVersion = false;
    QueueTask(task, "Delete Folder");
  }
}

void ImmediateSyncFromServerOp::AnalyseFiles(const DirContent& dir) {
  std::vector<SyncFileData> rows;
  DownOps::SelectFilesByParentID(dir.id, rows);
  for (const auto& file : dir.files) {
    if (ShouldEnd()) return;
    if (!file) continue;
    SyncFileData server;
    SyncHelper::ServerFileToSyncFileData(*file, server);
    auto row = std::find_if(rows.begin(), rows.end(), [&](const SyncFileData& r) { return r.m_FileID == file->id; });
    int op = DOWN_OP_FILE_ADD;
    juce::String opText = "Add File";
    if (row != rows.end()) {
      const SyncFileData matched = *row;
      rows.erase(row);
      if (juce::File(matched.m_FilePath).exists()) {
        const bool sameName = Common::String_GetFileName(matched.m_FilePath) == server.m_FileName;
        const bool sameMD5 = matched.m_Md5 == server.m_Md5;
        if (sameName && sameMD5) continue;
        if (!sameName && sameMD5) {
          op = DOWN_OP_FILE_RENAME;
          opText = "Rename File";
        } else if (!sameName) {
          // Renamed and changed on the server: the old local copy goes only
          // when the user did not change it since the last sync.
          DeleteLocalIfUnchanged(matched.m_FilePath, matched.m_Md5,
                                 "bSameName = false, bSameMD5 = false,Delete File failed, path is ");
        }
      }
    }
    DownSyncTask* task = PullQueue::MakeFileTask(server);
    task->m_nOp = op;
    QueueTask(task, opText);
  }
  // Files the server no longer has in this folder.
  for (const SyncFileData& row : rows) {
    if (ShouldEnd()) return;
    DeleteLocalIfUnchanged(row.m_FilePath, row.m_Md5, "sFileMD5 ==dbFileIt->m_sMD5, Delete File failed, path is ");
    SyncFileDataManager::DeleteFileByID(row.m_FileID);
  }
}

void ImmediateSyncFromServerOp::QueueTask(DownSyncTask* task, const juce::String& opText) {
  if (task->m_bTracksVersion) ++m_nVersionedTasks;
  PullQueue::Queue(m_pDownManager, task, opText);
}

void ImmediateSyncFromServerOp::DeleteLocalIfUnchanged(const juce::String& path, const juce::String& md5,
                                                       const char* failText) {
  if (!DownOps::FileHasMD5(path, md5)) return;
  DownOps::Ignore(path, path, DownOps::IGNORE_DELETE);
  if (DeleteFileW(path.toWideCharPointer())) return;
  DownOps::Unignore(path, path, DownOps::IGNORE_DELETE);
  WriteMessageLog(ErrorLog, failText + path);
}
