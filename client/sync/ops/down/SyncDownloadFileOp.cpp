#include "client/sync/ops/down/SyncDownloadFileOp.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "client/core/LogWriter.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/tasks/FileTasks.h"
#include "client/core/transfer/FileRangedDownload.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/down/DownFileRelocation.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "common/PathText.h"
#include "win32/Clock.h"
#include "win32/Windows.h"

namespace {

constexpr int kFileNotFoundOnServer = 555;
// The service no longer holds the content of the listed version: the file
// changed again since, and that newer change is listed after this one.
constexpr int kVersionNotFoundOnServer = 556;
// The delay before the first retry after a transient service failure; it
// doubles with each failure in a row, up to the last.
constexpr juce::uint64 kFirstServiceRetryMs = 5000;
constexpr juce::uint64 kLastServiceRetryMs = 120000;
// How long a name the program freed for the service's version stays free of
// waits: its pull and download come right after.
constexpr juce::uint64 kFreedNameMs = 10 * 60 * 1000;

// Failures the service gets over: its 5xx answers. (A connection that broke
// or never came is the network's: the engine goes offline and the task
// waits, as for every request.)
bool IsTransientServiceFailure(int code) { return code == 500 || code == 502 || code == 503 || code == 504; }

void Error(const char* tag, const juce::String& text) { WriteLog(ErrorLog, tag, text); }

constexpr const char* kPartSuffix = ".dorv-part";

// The part files that running downloads hold, listed while they do: a
// cleanup of an earlier run's files leaves them alone.
std::mutex g_activePartsLock;
std::set<juce::String> g_activeParts;

// Frees space on the staging drive: the parts parked there go (a next run
// fetches its content again). One taken back meanwhile is simply not found.
void EmptyStagingFolder(const juce::String& folder) {
  if (folder.isEmpty()) return;
  for (const auto& entry : juce::RangedDirectoryIterator(juce::File(folder), false, "*", juce::File::findFiles))
    entry.getFile().deleteFile();
}

// A regular file itself at path, never one reached through a link.
bool IsPlainFile(const juce::String& path) {
  struct stat info {};
  return lstat(path.toRawUTF8(), &info) == 0 && S_ISREG(info.st_mode);
}

// The result of a part the disk refused (errno): a full disk is tried
// again; anything else drops the task.
int ResultOfLocalError(int error) {
  return error == ENOSPC || error == EDQUOT ? SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK : SYNC_RESULT_ERROR_REMOVE;
}

// The names the program freed for the service's version, with when.
struct FreedNames {
  std::mutex lock;
  std::map<juce::String, juce::uint64> at;
};
FreedNames g_freedNames;

// Used once: a later change of the name is the user's again.
bool TakeFreedName(const juce::String& path) {
  std::lock_guard<std::mutex> hold(g_freedNames.lock);
  const juce::uint64 now = win32::CurrentClock().NowMs();
  std::erase_if(g_freedNames.at, [now](const auto& entry) { return now - entry.second >= kFreedNameMs; });
  return g_freedNames.at.erase(path) != 0;
}

void SetPathStatus(const juce::String& path, int status) {
  const SyncEngineLinks links = GetSyncEngineLinks();
  if (links.setPathStatus) links.setPathStatus(path, status);
}

}  // namespace

// The part file of one download, listed as running while the operation
// holds it. Let go unplaced, a complete part waits in the staging folder
// (where the next run takes it back), a partial one is deleted.
class SyncDownloadFileOp::Part {
 public:
  Part(const juce::String& path, const juce::String& parking) : m_path(path), m_parking(parking) {
    {
      std::lock_guard<std::mutex> hold(g_activePartsLock);
      g_activeParts.insert(m_path);
    }
    // The name is the program's own: the watcher's reports of it are dropped
    // like those of the target, listed before the file is made, as the
    // watcher may report it at once. An earlier run's file there goes.
    DownOps::Ignore(m_path, m_path, DownOps::IGNORE_ADD);
    juce::File(m_path).deleteFile();
  }
  ~Part() {
    if (!m_bPlaced) {
      const bool parked = m_bComplete && m_parking.isNotEmpty() &&
                          MoveFileExW(m_path.toWideCharPointer(), m_parking.toWideCharPointer(), MOVEFILE_REPLACE_EXISTING);
      if (!parked) juce::File(m_path).deleteFile();
      DownOps::Unignore(m_path, m_path, DownOps::IGNORE_ADD);
    }
    std::lock_guard<std::mutex> hold(g_activePartsLock);
    g_activeParts.erase(m_path);
  }
  Part(const Part&) = delete;
  Part& operator=(const Part&) = delete;

  const juce::String& Path() const { return m_path; }

  // Takes back the content an earlier run parked, when it is the one with
  // md5 (a parked file of another content goes).
  bool Unpark(const juce::String& md5) {
    if (m_parking.isEmpty() || !IsPlainFile(m_parking)) return false;
    m_bComplete = DownOps::FileHasMD5(m_parking, md5) &&
                  MoveFileExW(m_parking.toWideCharPointer(), m_path.toWideCharPointer(), MOVEFILE_REPLACE_EXISTING);
    if (!m_bComplete) juce::File(m_parking).deleteFile();
    return m_bComplete;
  }

  bool m_bComplete = false;  // holds the whole content: worth keeping
  bool m_bPlaced = false;    // renamed to the target: nothing left to let go

 private:
  const juce::String m_path;
  const juce::String m_parking;
};

SyncDownloadFileOp::SyncDownloadFileOp(DownSyncFile* item) : SyncDownFileBaseOperation(item) {}

// A run that stopped between the download and its placement lets the part go here.
SyncDownloadFileOp::~SyncDownloadFileOp() = default;

DownSyncTask* SyncDownloadFileOp::Task() const { return m_pItem ? m_pItem->m_pTask : nullptr; }

const SyncFileData* SyncDownloadFileOp::Record() const {
  DownSyncTask* task = Task();
  return task ? task->m_pFileData.get() : nullptr;
}

juce::String SyncDownloadFileOp::GetStagingPath(const SyncFileData& record) {
  const juce::String folder = SyncHelper::GetDownloadTempDirectory();
  // Named by the file id alone: the service's name never reaches the staging folder.
  if (folder.isEmpty() || record.m_FileID <= 0) return {};
  return folder + juce::String(record.m_FileID);
}

bool SyncDownloadFileOp::IsPartName(const juce::String& name) {
  return name.startsWithChar('.') && name.endsWith(kPartSuffix) &&
         name.length() > 1 + static_cast<int>(std::strlen(kPartSuffix));
}

void SyncDownloadFileOp::NameFreedForService(const juce::String& path) {
  std::lock_guard<std::mutex> hold(g_freedNames.lock);
  g_freedNames.at[path] = win32::CurrentClock().NowMs();
}

void SyncDownloadFileOp::RemoveLeftoverPart(const juce::String& path) {
  std::lock_guard<std::mutex> hold(g_activePartsLock);
  if (!g_activeParts.count(path)) juce::File(path).deleteFile();
}

// Named after the file id, so a name at the file system's limit still has
// room for the part's.
juce::String SyncDownloadFileOp::GetPartPath(const juce::String& target, juce::int64 fileID) {
  return DownOps::WithSeparator(DownOps::ParentOf(target)) + "." + juce::String(fileID) + kPartSuffix;
}

namespace {

// The names a file open at fd has (-1 when unknown). A rename over its name
// takes one away; a file moved away before the rename keeps them all.
long LinksOf(int fd) {
  struct stat info {};
  return fd >= 0 && fstat(fd, &info) == 0 ? static_cast<long>(info.st_nlink) : -1;
}

}  // namespace

bool SyncDownloadFileOp::PlacePart(const juce::String& part, const juce::String& target, bool replace) {
  DownOps::Ignore(part, target, DownOps::IGNORE_RENAME);
  if (MoveFileExW(part.toWideCharPointer(), target.toWideCharPointer(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
    // The watcher reports the rename, never an addition or change of the
    // target: an entry the caller listed for one would wait, and take the
    // user's next change of the file for the program's.
    DownOps::Unignore(target, target, DownOps::IGNORE_ADD);
    return true;
  }
  const DWORD error = GetLastError();
  DownOps::Unignore(part, target, DownOps::IGNORE_RENAME);
  SetLastError(error);
  return false;
}

int SyncDownloadFileOp::BuildDownloadFilePath() {
  static const char* kTag = "SyncDownloadTotalFileOp::BuildDownloadFilePath";
  if (m_sDownloadFilePath.isNotEmpty()) return SYNC_RESULT_SUCCESS;
  DownSyncTask* task = Task();
  const SyncFileData* record = Record();
  if (!task || !record) {
    Error(kTag, "pDownSyncTask is null and return cancel");
    return SYNC_RESULT_CANCEL;
  }
  SyncFileData row;
  if (task->m_nOp == DOWN_OP_FILE_MODIFY && DownOps::SelectFileByID(record->m_FileID, row) && row.m_FilePath.isNotEmpty()) {
    // A new content of a file this device holds lands where it holds it: the
    // pull saw the file in that place, and a rename or move this device sent
    // up since (the download waited for it) has taken the file elsewhere.
    SyncFileData& moved = *task->m_pFileData;
    moved.m_FileName = Common::String_GetFileName(row.m_FilePath);
    moved.m_ParentID = row.m_ParentID;
    m_sParentFolderPath = DownOps::WithSeparator(DownOps::ParentOf(row.m_FilePath));
    m_sDownloadFilePath = row.m_FilePath;
    return SYNC_RESULT_SUCCESS;
  }
  juce::String parent;
  if (record->m_ParentID > 0) parent = SyncFileDataManager::GetFolderPathByID(record->m_ParentID);
  if (parent.isEmpty()) {
    const juce::String own = SyncFileDataManager::GetFilePathByID(record->m_FileID);
    if (own.isEmpty()) {
      task->m_bSaveOnCancel.store(true);
      if (record->m_ParentID > 0)
        DownOps::BringParentFromService(record->m_ParentID, record->m_FileID, record->m_VersionValue);
      Error(kTag, record->m_ParentID > 0
                      ? "parentPath  is empty and return Cancel Remove ParentID  is " + juce::String(record->m_ParentID)
                      : juce::String("parentID  is 0 and return cancel"));
      return SYNC_RESULT_CANCEL;
    }
    parent = DownOps::ParentOf(own);
  }
  m_sParentFolderPath = DownOps::WithSeparator(parent);
  m_sDownloadFilePath = m_sParentFolderPath + record->m_FileName;
  // The pull found the item under this name, yet a rename or move has taken
  // it elsewhere since (one made here went up meanwhile): the new content
  // goes where the item is now, never to the name it left.
  SyncFileData now;
  if ((task->m_nOp == DOWN_OP_FILE_MODIFY || task->m_nOp == DOWN_OP_FILE_OTHER) &&
      DownOps::SelectFileByID(record->m_FileID, now) && now.m_FilePath.isNotEmpty() &&
      now.m_FilePath != m_sDownloadFilePath) {
    WriteLog(NormalLog, kTag, "the item has moved to " + now.m_FilePath + " since the pull, the content goes there");
    m_sParentFolderPath = DownOps::WithSeparator(DownOps::ParentOf(now.m_FilePath));
    m_sDownloadFilePath = now.m_FilePath;
    // The row written on success keeps the item's place.
    task->m_pFileData->m_FileName = Common::String_GetFileName(now.m_FilePath);
    task->m_pFileData->m_ParentID = now.m_ParentID;
  }
  return SYNC_RESULT_SUCCESS;
}

void SyncDownloadFileOp::IsNeedDownloadFile() {
  if (m_sDownloadFilePath.isEmpty() && BuildDownloadFilePath() != SYNC_RESULT_SUCCESS) {
    m_bNeedDownload = false;
    return;
  }
  const SyncFileData* record = Record();
  if (!record) return;
  PartlySyncFileData row;
  if (SyncFileDataManager::SelectPartlySyncFileData(m_sDownloadFilePath, row) && row.m_FileID != -1 &&
      row.m_Md5 == record->m_Md5 && juce::File(m_sDownloadFilePath).existsAsFile() &&
      DownOps::FileHasMD5(m_sDownloadFilePath, row.m_Md5))
    m_bNeedDownload = false;
}

int SyncDownloadFileOp::Prepare_SyncOperation() {
  static const char* kTag = "SyncDownloadFileOp::Prepare_SyncOperation";
  DownSyncTask* task = Task();
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(KeyPoint, "SyncDownloadFileOp::Prepare_SyncOperation Task Cancel ");
    return SYNC_RESULT_CANCEL;
  }
  if ((task->m_nWaitState == DOWN_WAIT_SERVICE || task->m_nWaitState == DOWN_WAIT_NAME_TAKEN) &&
      win32::CurrentClock().NowMs() < task->m_nRetryAfterMs)
    return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  const SyncFileData& record = *Record();
  if (const int built = BuildDownloadFilePath(); built != SYNC_RESULT_SUCCESS) {
    Error(kTag, "BuildDownloadFilePath Error");
    return built;
  }
  if (!IsSafePath(task, m_sDownloadFilePath)) return SYNC_RESULT_CANCEL;
  if (const int carried = CarryEarlierPlacement(); carried != SYNC_RESULT_SUCCESS) return carried;
  if (NameHeldByAnotherItem() || ItemLeftItsName()) return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  m_bTargetExisted = juce::File(m_sDownloadFilePath).exists();
  IsNeedDownloadFile();
  if (!m_bNeedDownload) {
    WriteLog(NormalLog, kTag, "IsNeedDownloadFile return Success");
    ReportPathDone(m_sDownloadFilePath, 0, task->m_nOp);
    RemoveFromTips(m_sDownloadFilePath);
    return SYNC_RESULT_SUCCESS;
  }
  if (CheckPathLength(task, m_sDownloadFilePath, true)) return SYNC_RESULT_CANCEL;
  // A size the wire can't hold is no empty file: refuse it plainly.
  if (record.m_FileSize < 0) {
    Error(kTag, "file size is out of range, path is " + m_sDownloadFilePath);
    if (ISyncNotifyUI* sink = GetSyncNotifyUI())
      sink->NotifySyncEvent(SyncNotifyInfo{SNT_FILE_TOO_BIG, m_sDownloadFilePath, "File"});
    return SYNC_RESULT_ERROR_REMOVE;
  }

  DownSyncPathRegistry::GetInstance()->Acquire(m_sParentFolderPath);
  m_bHeld = true;
  if (juce::File(m_sDownloadFilePath).exists()) SetPathStatus(m_sDownloadFilePath, 2);

  if (record.m_FileSize > 0) {
    // The content is received on the target's drive; parts parked in the
    // staging folder give their room back when that may be the same drive.
    bool targetShort = SyncHelper::IsDiskSpaceLow(m_sDownloadFilePath);
    if (targetShort) {
      EmptyStagingFolder(SyncHelper::GetDownloadTempDirectory());
      targetShort = SyncHelper::IsDiskSpaceLow(m_sDownloadFilePath);
    }
    if (targetShort) {
      if (task->m_nWaitState != DOWN_WAIT_DISK_SPACE) {
        if (ISyncNotifyUI* sink = GetSyncNotifyUI())
          sink->NotifySyncEvent(SyncNotifyInfo{SNT_LOCAL_DISK_FULL, m_sDownloadFilePath, ""});
        if (SyncPathList* tips = GetSyncTipList()) tips->AddUnique(m_sDownloadFilePath, TIP_DISK_FULL);
      }
      task->m_nWaitState = DOWN_WAIT_DISK_SPACE;
      return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
    }
  }
  if (record.m_FileSize == 0) return SYNC_RESULT_SUCCESS;  // nothing to fetch: an empty file is made
  return FetchToken();
}

int SyncDownloadFileOp::FetchToken() {
  const SyncFileData& record = *Record();
  DownloadFileControlRequest request(*m_pRequestHeader, record.m_FileID, record.m_OwnerID, record.m_FileSize,
                                     record.m_VersionValue.toStdString(), std::string());
  TransportTokenReply reply;
  const bool ok = DownOps::PostAndWait(GetUpThreadsPool(), new DownloadFileTokenTask("DownloadFileTokenTask", request),
                                       [&](DownloadFileTokenTask& task) { task.GetResult(reply); });
  m_token = reply;
  if (ok) return SYNC_RESULT_SUCCESS;
  WriteLog(ErrorLog, "DownloadTokenHelper::FetchToken", "Download Prepare Error");
  m_nServerCode.store(reply.code);
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int SyncDownloadFileOp::Execute_SyncOperation() {
  if (!m_bNeedDownload) return SYNC_RESULT_SUCCESS;
  const SyncFileData* record = Record();
  if (!record) {
    Error("SyncDownloadTotalFileOp::Execute_SyncOperation", "pDownSyncTask is null");
    return SYNC_RESULT_CANCEL;
  }
  if (record->m_FileSize == 0) return SYNC_RESULT_SUCCESS;
  const int result = DownloadToPart();
  // A partial part is of no use to a later run.
  if (result != SYNC_RESULT_SUCCESS) m_part.reset();
  return result;
}

int SyncDownloadFileOp::DownloadToPart() {
  static const char* kTag = "SyncDownloadTotalFileOp::Prepare_SyncOperation";
  const SyncFileData& record = *Record();
  m_part = std::make_unique<Part>(GetPartPath(m_sDownloadFilePath, record.m_FileID), GetStagingPath(record));
  if (m_part->Unpark(record.m_Md5)) {  // an earlier run's, that could not be placed then
    m_sReceivedMD5 = record.m_Md5;
    return SYNC_RESULT_SUCCESS;
  }
  // A paused engine starts no transfer.
  if (!WaitWhilePaused()) return SYNC_RESULT_CANCEL;
  FileRangedDownload download(*m_pRequestHeader, m_token.token, juce::File(m_part->Path()));
  // On the disk before it takes the target's name: after a power loss the
  // row's digest would otherwise stand for a file that lost its bytes, and a
  // start would send that loss up as the user's edit.
  download.m_syncToDisk = true;
  download.m_onRangeWritten = [this](int length) {
    if (m_pTracker) m_pTracker->AddDownBytes(length);
    else if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->AddDownBytes(length);
  };
  // A pause or a lost network holds the transfer between ranges.
  download.m_beforeRange = [this] { return WaitWhilePausedOrOffline(); };
  switch (download.Run(record.m_FileSize, [this] { return ShouldEnd(); })) {
    case TransferResult::Done:
      m_part->m_bComplete = true;
      m_sReceivedMD5 = download.GetMD5();
      return SYNC_RESULT_SUCCESS;
    case TransferResult::Cancelled: return SYNC_RESULT_CANCEL;
    case TransferResult::Failed: break;
  }
  if (const int local = download.GetLocalError()) {
    // The disk refused the part: no network failure, and no reason to hold the queue.
    Error(kTag, "the part file cannot be written (errno " + juce::String(local) + "), path is " + m_part->Path());
    return ResultOfLocalError(local);
  }
  const int status = download.GetServerCode();
  WriteErrorCodeLog("SyncDownloadTotalFileOp::Execute_SyncOperation", juce::String(status), "download file content failed");
  // No answer at all is the network's failure; an answer is the service's.
  m_nServerCode.store(status == 0 ? SYNC_TRANSPORT_FAILURE : status);
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int SyncDownloadFileOp::After_SyncOperation() {
  if (!m_bNeedDownload) return SYNC_RESULT_SUCCESS;
  const SyncFileData* record = Record();
  if (!record) {
    Error("SyncDownloadTotalFileOp::After_SyncOperation", "pDownSyncTask is null");
    return SYNC_RESULT_CANCEL;
  }
  const int result = record->m_FileSize == 0 ? MakeEmptyFile() : ReplaceLocalFileByDownloadFile();
  // Whatever was not placed leaves the user's folder now: a complete part
  // waits for the next try out of sight.
  m_part.reset();
  return result;
}

bool SyncDownloadFileOp::NameHeldByAnotherItem() {
  PartlySyncFileData row;
  if (!SyncFileDataManager::SelectPartlySyncFileData(m_sDownloadFilePath, row) || row.m_FileID == -1 ||
      row.m_FileID == Record()->m_FileID || !juce::File(m_sDownloadFilePath).exists())
    return false;
  // The service has moved that item on, and the change that moves it comes
  // in the same pull: this file waits for it rather than taking its place.
  // A row that nothing moves stops the wait; the file there is then treated
  // as one of the user's own and kept.
  return WaitForName("another item still stands at ");
}

bool SyncDownloadFileOp::ItemLeftItsName() {
  DownSyncTask* task = Task();
  if (task->m_nOp != DOWN_OP_FILE_MODIFY && task->m_nOp != DOWN_OP_FILE_OTHER) return false;
  SyncFileData row;
  if (!DownOps::SelectFileByID(Record()->m_FileID, row) || row.m_FilePath != m_sDownloadFilePath ||
      juce::File(m_sDownloadFilePath).exists())
    return false;
  // The file was synced here and has left the name since (renamed, moved or
  // deleted here, and the watcher's report is still on its way): its change
  // goes up first and tells where the new content belongs. Made again at
  // the old name, it would stand beside the file that was moved. The program
  // itself may have freed the name for this content: then none is on its way.
  if (TakeFreedName(m_sDownloadFilePath)) return false;
  return WaitForName("the file has left ");
}

int SyncDownloadFileOp::CarryEarlierPlacement() {
  DownSyncTask* task = Task();
  const SyncFileData& record = *Record();
  SyncFileData row;
  // Two pulls that ran before either's download each found no row and each
  // queued an addition; the older one has run. Left where it is, its file
  // would stay beside the new name's for good, a copy no one made.
  if (task->m_nOp != DOWN_OP_FILE_ADD || !DownOps::SelectFileByID(record.m_FileID, row) ||
      row.m_FilePath.isEmpty() || row.m_FilePath == m_sDownloadFilePath ||
      SyncHelper::CompareVersionValue(record.m_VersionValue, row.m_VersionValue) <= 0 ||
      juce::File(m_sDownloadFilePath).exists() || !juce::File(row.m_FilePath).existsAsFile() ||
      !IsSafePath(task, row.m_FilePath) || !DownOps::FileHasMD5(row.m_FilePath, row.m_Md5))
    return SYNC_RESULT_SUCCESS;
  const bool sameFolder = DownOps::ParentOf(row.m_FilePath) == DownOps::ParentOf(m_sDownloadFilePath);
  const int moved = DownOps::RelocateFile(*this, task, row.m_FilePath, m_sDownloadFilePath,
                                          sameFolder ? DownOps::IGNORE_RENAME : DownOps::IGNORE_MOVE,
                                          "Carry File to its new name failed");
  if (moved != SYNC_RESULT_SUCCESS) return moved;
  WriteLog(NormalLog, "SyncDownloadFileOp::Prepare_SyncOperation",
           "the item stood at " + row.m_FilePath + ", moved to its new name " + m_sDownloadFilePath);
  // The row keeps the content it was synced with: the download then judges
  // the file as one that holds that content.
  row.m_FilePath = m_sDownloadFilePath;
  row.m_FileName = record.m_FileName;
  row.m_ParentID = record.m_ParentID;
  SaveSyncFileData(row);
  return SYNC_RESULT_SUCCESS;
}

bool SyncDownloadFileOp::WaitForName(const juce::String& why) {
  return SyncDownBaseOperation::WaitForName(Task(), why, m_sDownloadFilePath);
}

bool SyncDownloadFileOp::TargetWentMeanwhile() {
  if (!m_bTargetExisted || juce::File(m_sDownloadFilePath).exists()) return false;
  // Written back under the old name, the content would become a second file
  // beside the one the user moved; the move or removal goes up and brings
  // the service's content back by a pull where it belongs.
  Error("SyncDownloadFileOp::TargetWentMeanwhile",
        "the file went while its content downloaded, the download is dropped, path is " + m_sDownloadFilePath);
  return true;
}

int SyncDownloadFileOp::MakeEmptyFile() {
  static const char* kTag = "SyncDownloadTotalFileOp::After_SyncOperation";
  const juce::File target(m_sDownloadFilePath);
  if (target.existsAsFile() && target.getSize() == 0) return SYNC_RESULT_SUCCESS;
  // Made as a part like any download, so that a file standing at the name is
  // judged by the same rules: replaced only where it holds what was last
  // synced. Nothing is worth parking.
  m_part = std::make_unique<Part>(GetPartPath(m_sDownloadFilePath, Record()->m_FileID), juce::String());
  const int fd = open(m_part->Path().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    const int error = errno;
    Error(kTag, "Create empty file failed (errno " + juce::String(error) + "), path is " + m_part->Path());
    return ResultOfLocalError(error);
  }
  close(fd);
  m_part->m_bComplete = true;
  m_sReceivedMD5 = Record()->m_Md5;
  return ReplaceLocalFileByDownloadFile();
}

int SyncDownloadFileOp::ReplaceLocalFileByDownloadFile() {
  static const char* kTag = "SyncDownloadFileOp::ReplaceLocalFileByDownloadFile";
  DownSyncTask* task = Task();
  const SyncFileData* record = Record();
  if (!task || !record || !m_part) return SYNC_RESULT_CANCEL;
  const juce::String& part = m_part->Path();
  // Hashed as it arrived, or when an earlier run's was taken back.
  if (m_sReceivedMD5 != record->m_Md5) {
    // What arrived is not the server's content: fetch it again, from scratch.
    Error(kTag, "sSrcMD5 != taskMD5, sSrcMD5 is " + m_sReceivedMD5 + " , taskMD5 is " + record->m_Md5);
    m_part->m_bComplete = false;
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  if (m_sDownloadFilePath.isEmpty()) {
    Error(kTag, "m_sDownloadFilePath is empty");
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  if (!IsPlainFile(part)) {
    // Removed meanwhile (with its folder, say): the next try finds out where the file belongs.
    Error(kTag, "srcFile not exist filepath is " + part);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  const juce::String& target = m_sDownloadFilePath;
  bool occupied = false;
  if (juce::File(target).exists()) {
    const juce::String localMD5 = SyncHelper::GetFileMD5(target);
    PartlySyncFileData row;
    const bool hasRow = SyncFileDataManager::SelectPartlySyncFileData(target, row) && row.m_FileID != -1;
    // The local file already holds the server's content (whatever the row
    // says): nothing to replace, the row follows.
    if (localMD5 == record->m_Md5) {
      m_part->m_bComplete = false;  // nothing to keep it for
      return SYNC_RESULT_SUCCESS;
    }
    // Only this item's own synced content is replaced: another item's file
    // at the name is not this one's to overwrite.
    if (hasRow && row.m_FileID == record->m_FileID && localMD5 == row.m_Md5) {
      // Held open across the replace, to learn whether it was replaced or
      // moved away (renamed here) a moment before.
      const int held = open(target.toRawUTF8(), O_RDONLY | O_CLOEXEC);
      const long links = LinksOf(held);
      DownOps::Ignore(target, target, DownOps::IGNORE_MODIFY);
      const bool replaced = PlacePart(part, target);
      const bool movedAway = replaced && (links < 0 || LinksOf(held) >= links);
      if (held >= 0) close(held);
      m_part->m_bPlaced = replaced;
      if (movedAway) return TakeBackCopy(target);
      if (replaced) return SYNC_RESULT_SUCCESS;
      const int result = CheckOccupied(task, target, occupied);
      if (occupied) {
        Error(kTag, "copy File failed,File be Occupied, Path is " + target);
        return result;
      }
      Error(kTag, "localMD5 == dbMD5 copy file error and try three times");
      DownOps::Unignore(target, target, DownOps::IGNORE_MODIFY);
      return result;
    }
    // The local file holds a change of its own (or is not the database's):
    // it is never overwritten.
    const int result = CheckOccupied(task, target, occupied);
    if (hasRow)
      Error(kTag, occupied ? "localMD5 != dbMD5,File be Occupied, Path is " + target
                           : juce::String("localMD5 != dbMD5 have record in DB, try three time "));
    else
      Error(kTag, occupied ? "taskMD5 != localMD5 no record in DB, File be Occupied, Path is " + target
                           : "taskMD5 != localMD5 no record in DB, Try three Time, path is " + target);
    return result;
  }
  if (TargetWentMeanwhile()) return SYNC_RESULT_CANCEL;
  DownOps::Ignore(target, target, DownOps::IGNORE_ADD);
  // The name was free a moment ago; a file that takes it meanwhile (the
  // engine's own copy of a conflict, the user's new file) is never replaced:
  // the next try finds it and judges it.
  if (PlacePart(part, target, false)) {
    m_part->m_bPlaced = true;
    return SYNC_RESULT_SUCCESS;
  }
  const DWORD error = GetLastError();
  DownOps::Unignore(target, target, DownOps::IGNORE_ADD);
  if (error == ERROR_ACCESS_DENIED || error == ERROR_PATH_NOT_FOUND) {
    // The disk refuses the name or its folder: trying again changes nothing.
    Error(kTag, "the file cannot be written here, the download is dropped, path is " + target);
    return SYNC_RESULT_ERROR_REMOVE;
  }
  Error(kTag, "targetFile not exist, but copy file error and redo again");
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int SyncDownloadFileOp::TakeBackCopy(const juce::String& target) {
  // The file left the name just before the part took it: the part would
  // stand beside it as a stray. It goes back to its own name (so the
  // watcher's report of it is the program's own) and is let go with the run,
  // and the download waits for the file's change to go up.
  const juce::String& part = m_part->Path();
  DownOps::Ignore(target, part, DownOps::IGNORE_RENAME);
  if (MoveFileExW(target.toWideCharPointer(), part.toWideCharPointer(), 0)) {
    m_part->m_bPlaced = false;
  } else {
    DownOps::Unignore(target, part, DownOps::IGNORE_RENAME);
  }
  WriteLog(ErrorLog, "SyncDownloadFileOp::ReplaceLocalFileByDownloadFile",
           "the file left its name during the replace, the copy is taken back, path is " + target);
  return WaitForName("the file has left ") ? SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN
                                           : SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int SyncDownloadFileOp::Success_SyncOperation() {
  if (!m_bNeedDownload) return SYNC_RESULT_SUCCESS;
  DownSyncTask* task = Task();
  if (!task || !task->m_pFileData) return SYNC_RESULT_SUCCESS;
  SyncFileData& record = *task->m_pFileData;
  record.m_FilePath = m_sDownloadFilePath;
  SaveSyncFileData(record);
  LogSuccess("Down File", m_sDownloadFilePath, record.m_FileID, record.m_VersionValue);
  if (m_bHeld) DownSyncPathRegistry::GetInstance()->Release(m_sParentFolderPath);
  m_bHeld = false;
  ReportPathDone(m_sDownloadFilePath, 0, task->m_nOp);
  RemoveFromTips(m_sDownloadFilePath);
  if (SyncStatusTracker* tracker = GetSyncStatusTracker())
    tracker->AddChangeNote(m_sDownloadFilePath, m_sDownloadFilePath, m_sDownloadFilePath, task->m_nOp);
  if (task->m_nWaitState == DOWN_WAIT_OCCUPIED) ClearTransferEntry(record.m_FileID);
  return SYNC_RESULT_SUCCESS;
}

int SyncDownloadFileOp::Error_BeforeSyncOperation(int result) {
  if (m_bHeld) DownSyncPathRegistry::GetInstance()->Release(m_sParentFolderPath);
  m_bHeld = false;
  const int code = m_nServerCode.load();
  // The file is gone on the server: nothing is left to fetch.
  if (code == kFileNotFoundOnServer) return SYNC_RESULT_CANCEL;
  DownSyncTask* task = Task();
  // This change is over: kept pending, its version would hold the stored
  // one back for good, and with it every pull and what waits for one.
  if (code == kVersionNotFoundOnServer && task) {
    task->m_bSaveOnCancel.store(true);
    return SYNC_RESULT_CANCEL;
  }
  if (task && IsTransientServiceFailure(code)) {
    // Never dropped for it: the file would not arrive until some other change
    // of it came in.
    const int shift = std::min(task->m_nServiceFailures++, 5);
    const juce::uint64 delay = std::min(kFirstServiceRetryMs << shift, kLastServiceRetryMs);
    task->m_nRetryAfterMs = win32::CurrentClock().NowMs() + delay;
    task->m_nWaitState = DOWN_WAIT_SERVICE;
    WriteLog(ErrorLog, "SyncDownloadFileOp::Error_BeforeSyncOperation",
             "Service error " + juce::String(code) + ", tried again in " + juce::String(delay) + " ms");
    return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  }
  return result;
}
