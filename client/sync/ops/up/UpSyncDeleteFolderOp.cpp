#include "client/sync/ops/up/UpSyncDeleteFolderOp.h"

#include "client/core/LogWriter.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/db/FolderDBManager.h"
#include "client/core/tasks/FolderTasks.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/up/UpDeleteFailure.h"
#include "client/sync/ops/up/UpErrorCodes.h"
#include "client/sync/ops/up/UpRequest.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/tasks/UpSyncTask.h"

namespace {

// delDir's reply type when items newer than the request's version stayed.
constexpr int kSomeItemsKept = 1;
// About a minute of turns of the waiting queue.
constexpr int kMaxPullWaits = 20;

}  // namespace

int UpSyncDeleteFolderOp::Execute_SyncOperation() {
  UpSyncTask* task = Task();
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "UpSyncDeleteFolderOp::Execute_SyncOperation UpSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  const juce::String& path = task->m_sPath;
  SyncFolderData row;
  if (!SyncFileDataManager::SelectSyncFolderData(path, row)) {
    WriteMessageLog(ErrorLog, "Up Delete Folder Error, SelectFolderSyncData from db is false, Path is " + path);
    return SYNC_RESULT_CANCEL;
  }
  m_nFolderID = row.m_FolderID;
  if (m_nFolderID == 0) {
    WriteMessageLog(ErrorLog, "Up Delete Folder Error,folder id is 0, Path is " + path);
    return SYNC_RESULT_ERROR_REMOVE;
  }
  WriteMessageLog(KeyPoint, "Folder Version: " + row.m_VersionValue);
  const juce::String global = SyncRootFolder::GetInstance()->GetGlobalVersion();
  WriteMessageLog(KeyPoint, "Global Version: " + global);
  WriteMessageLog(KeyPoint, "Folder ID is : " + juce::String(m_nFolderID));
  // The service deletes only what it changed up to the version sent. A folder
  // this computer made or renamed itself (it or one below it) carries a newer
  // version until the pull brings the service's report of that change back:
  // sent now, the delete would leave the folder there for good.
  // The stored version can stay behind for good (a pulled change that could
  // not be applied here holds it until the next start): after a while the
  // delete goes with it, the service keeps what is newer, and the pull that
  // follows brings that back rather than leaving the engine waiting.
  if (SyncHelper::CompareVersionValue(NewestFolderVersion(row), global) > 0) {
    if (++task->m_nPullWaits <= kMaxPullWaits) {
      WriteMessageLog(KeyPoint, "Up Delete Folder waits for the pull of its own newer version, Path is " + path);
      task->m_nWaitReason = UP_WAIT_FOR_PULL;
      m_bWaitsForPull = true;
      return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
    }
    WriteMessageLog(KeyPoint, "Up Delete Folder waited long enough for the pull, it goes now, Path is " + path);
  }
  DelDirRequest request(*m_pRequestHeader, m_nFolderID, global.toStdString(), true, false);
  if (!CollectNewerFiles(m_nFolderID, global, request.extraFiles)) request.extraFiles.clear();
  if (!request.extraFiles.empty()) {
    WriteMessageLog(KeyPoint, "Sub File Version > GlobalVersion");
    for (const OverwrittenFile& file : request.extraFiles)
      WriteMessageLog(KeyPoint, "File ID is " + juce::String(file.id) + ",  Version is " +
                                    juce::String::fromUTF8(file.versionValue.c_str()));
  } else {
    WriteMessageLog(KeyPoint, "All Sub File Version < GlobalVersion");
  }
  if (PostUpRequest(new DeleteFolderTask("DeleteFolderTask", request), m_reply)) return SYNC_RESULT_SUCCESS;
  if (m_reply.code == FILE_SYNCOP_ERROR_DIR_NOT_EXIST) {
    WriteMessageLog(KeyPoint, "Up Delete Folder Code is 704 and return success, Path is " + path);
    return SYNC_RESULT_SUCCESS;
  }
  m_nServerCode = m_reply.code;
  WriteLog(ErrorLog, "UpSyncDeleteFolderOp::Execute_SyncOperation", "Delete folder error,code is " + juce::String(m_reply.code));
  return SYNC_RESULT_ERROR_REMOVE;
}

bool UpSyncDeleteFolderOp::CollectNewerFiles(juce::int64 folderID, const juce::String& version,
                                             std::vector<OverwrittenFile>& list) {
  GlobalContext* context = GetGlobalContext();
  if (!context || !context->m_pFileDBManager || !context->m_pFolderDBManager) return false;
  std::vector<SyncFileData> files;
  const bool ok = context->m_pFileDBManager->SelectFilesByParentID(folderID, files) == 0;
  for (const SyncFileData& file : files) {
    if (SyncHelper::CompareVersionValue(file.m_VersionValue, version) != 1) continue;
    OverwrittenFile entry;
    entry.id = file.m_FileID;
    entry.ownerId = file.m_OwnerID;
    entry.versionValue = file.m_VersionValue.toStdString();
    list.push_back(entry);
  }
  std::vector<SyncFolderData> folders;
  context->m_pFolderDBManager->SelectFoldersByParentID(folderID, folders);
  for (const SyncFolderData& folder : folders) {
    std::vector<OverwrittenFile> below;
    if (CollectNewerFiles(folder.m_FolderID, version, below)) list.insert(list.end(), below.begin(), below.end());
  }
  return ok;
}

juce::String UpSyncDeleteFolderOp::NewestFolderVersion(const SyncFolderData& folder) {
  juce::String newest = folder.m_VersionValue;
  GlobalContext* context = GetGlobalContext();
  if (!context || !context->m_pFolderDBManager) return newest;
  std::vector<SyncFolderData> folders;
  context->m_pFolderDBManager->SelectFoldersByParentID(folder.m_FolderID, folders);
  for (const SyncFolderData& sub : folders) {
    const juce::String below = NewestFolderVersion(sub);
    if (SyncHelper::CompareVersionValue(below, newest) > 0) newest = below;
  }
  return newest;
}

void UpSyncDeleteFolderOp::DeleteRows() {
  SyncFileDataManager::DeleteFolderContents(m_nFolderID);
  SyncFileDataManager::DeleteFolderByID(m_nFolderID);
}

int UpSyncDeleteFolderOp::Success_SyncOperation() {
  WriteMessageLog(KeyPoint, "Up Delete Folder Success, Path is " + (Task() ? Task()->m_sPath : juce::String()));
  DeleteRows();
  // The service kept what is newer there than this computer's last pull
  // (another device's additions), and the folder with it. The rows are gone
  // and the next pulls list only what changes later: a full pull brings the
  // kept items here.
  if (m_reply.type == kSomeItemsKept) {
    WriteMessageLog(KeyPoint, "The service kept newer items of the deleted folder, they are pulled");
    if (auto pull = GetSyncEngineLinks().startImmediatePull) pull();
  }
  return SYNC_RESULT_SUCCESS;
}

int UpSyncDeleteFolderOp::Error_BeforeSyncOperation(int result) {
  if (m_bWaitsForPull) return result;
  const int code = m_nServerCode.load();
  const juce::String path = Task() ? Task()->m_sPath : juce::String();
  WriteMessageLog(ErrorLog, "Up Delete Folder Error, ErrorCode is " + juce::String(code) + ", Path is " + path);
  const int kept = KeepUpDeleteResult(code);
  if (kept >= 0) return kept;
  DeleteRows();
  if (GetSyncLogic()) {
    if (auto pull = GetSyncEngineLinks().startImmediatePull) pull();
  }
  return SYNC_RESULT_ERROR_REMOVE;
}
