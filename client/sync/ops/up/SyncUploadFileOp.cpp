#include "client/sync/ops/up/SyncUploadFileOp.h"

#include "client/core/GlobalConfig.h"
#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/protocol/WireSize.h"
#include "client/core/stats/StatisticsTask.h"
#include "client/core/tasks/FileTasks.h"
#include "client/core/tasks/TransferTasks.h"
#include "client/core/transfer/FileBlockUpload.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/down/SyncDownloadFileOp.h"
#include "client/sync/ops/up/ServiceFolderNames.h"
#include "client/sync/ops/up/UpRequest.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "common/PathText.h"

namespace {

const char* const kParentTag = "SyncUploadFileOp::Prepare_SyncOperation";
const char* const kPrepareTag = "SyncUploadPrepareOp::Execute_SyncOperation";
const char* const kTokenTag = "SyncUploadPrepareOp::ProcessToken";
const char* const kTransportTag = "SyncUploadPrepareOp::ProcessUploadTransportToken";

constexpr int kFileVersionConflict = 610;

std::string Utf8(const juce::String& text) { return text.toStdString(); }

}  // namespace

bool SyncUploadFileOp::CheckFileModify() const {
  const UpSyncTask* task = Task();
  if (!task) return false;
  return SyncHelper::IsFileSizeChanged(task->m_nSize, task->m_sPath) ||
         SyncHelper::IsFileTimeChanged(task->m_sPath, task->m_time);
}

bool SyncUploadFileOp::ChangedMeanwhile() {
  if (!CheckFileModify()) return false;
  // The upload stops; the file goes up again as it is now. The watcher's
  // report of the change may have been folded into this very task already
  // (or was taken for a repeat of it), so none may follow.
  const UpSyncTask* task = Task();
  if (!m_bQueuedAgain && task && juce::File(task->m_sPath).existsAsFile()) {
    m_bQueuedAgain = true;
    if (auto queue = GetSyncEngineLinks().queueLocalFileAdd) queue(task->m_sPath);
  }
  return true;
}

int SyncUploadFileOp::Prepare_SyncOperation() {
  UpSyncTask* task = Task();
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(KeyPoint, juce::String("SyncUploadFileOp::Prepare_SyncOperation") + " Task Cancel");
    return SYNC_RESULT_CANCEL;
  }
  CheckNeedUpload();
  if (!m_bNeedUpload) return SYNC_RESULT_SUCCESS;
  // The file at the path is leaving it (renamed, moved or removed) in a
  // change the watcher still holds: what stands there now may be another
  // file already. The upload waits for that change to come in.
  if (auto leaving = GetSyncEngineLinks().isLeavingPath; leaving && leaving(task->m_sPath)) {
    WriteMessageLog(KeyPoint, "Up File waits for the change that takes it from its path, Path is " + task->m_sPath);
    task->m_nWaitReason = UP_WAIT_NONE;
    return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  }
  if (const int r = FindParentID()) return r;
  if (const int r = CheckFileSize()) return r;
  return PrepareUpload();
}

void SyncUploadFileOp::CheckNeedUpload() {
  UpSyncTask* task = Task();
  PartlySyncFileData data;
  const bool sameContent = SyncFileDataManager::SelectPartlySyncFileData(task->m_sPath, data) &&
                           data.m_Md5 == task->m_sMd5 && task->m_sMd5.isNotEmpty();
  if (sameContent || !juce::File(task->m_sPath).existsAsFile()) {
    m_bNeedUpload = false;
    ReportPathDone(task->m_sPath, task->m_nOp, 0);
    RemoveFromTips(task->m_sPath);
  }
}

int SyncUploadFileOp::FindParentID() {
  UpSyncTask* task = Task();
  if (task->m_nParentID != 0 && task->m_nWaitReason != UP_WAIT_NO_PARENT_ID) {
    m_nParentID = task->m_nParentID;
    return SYNC_RESULT_SUCCESS;
  }
  const juce::String& path = task->m_sPath;
  const juce::String parent = Common::String_GetParentPath(path);
  juce::String failure;
  SyncFolderData row;
  if (parent == path)
    failure = " Find Parent Path Error and return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN";
  else if (!SyncFileDataManager::SelectSyncFolderData(parent, row))
    failure = " Find Parent SyncInfo Error and return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN";
  else if (row.m_FolderID <= 0)
    failure = " Parent Id <=0 return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN";
  if (failure.isNotEmpty()) {
    WriteLog(ErrorLog, kParentTag, path + failure);
    task->m_nWaitReason = UP_WAIT_NO_PARENT_ID;
    return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  }
  m_nParentID = row.m_FolderID;
  return SYNC_RESULT_SUCCESS;
}

int SyncUploadFileOp::CheckFileSize() {
  UpSyncTask* task = Task();
  task->m_nSize = SyncHelper::GetFileSize(task->m_sPath);
  const juce::int64 limit = GetAccountData()->GetUserConfig().UC_FileSizeLimit;
  // Sizes travel as 32-bit numbers: a file of 2 GiB or more is refused like
  // one above the account's limit, whatever the limit says.
  std::string why;
  const bool fitsWire = CheckWireFileSize(task->m_nSize, &why);
  if (task->m_nSize <= limit && fitsWire) return SYNC_RESULT_SUCCESS;
  if (!fitsWire) WriteLog(ErrorLog, kParentTag, task->m_sPath + ": " + juce::String(why));
  m_nSizeOutOfLimit = 1;
  ReportUsageEvent("file_size_out_of_limit",
                   std::to_string(static_cast<int32_t>(static_cast<uint32_t>(task->m_nSize & 0xffffffff))));
  return SYNC_RESULT_ERROR_REMOVE;
}

int SyncUploadFileOp::EnsureTaskMD5() {
  UpSyncTask* task = Task();
  if (task->m_sMd5.isNotEmpty()) return SYNC_RESULT_SUCCESS;
  if (juce::File(task->m_sPath).existsAsFile()) {
    task->m_sMd5 = SyncHelper::GetFileMD5(task->m_sPath);
    return SYNC_RESULT_SUCCESS;
  }
  WriteMessageLog(KeyPoint, "MD5 Height and low is 0, and File Not Exist, path is  return Error Remove" + task->m_sPath);
  return SYNC_RESULT_ERROR_REMOVE;
}

int SyncUploadFileOp::PrepareUpload() {
  UpSyncTask* task = Task();
  SyncFileData row;
  int r;
  if (!SyncFileDataManager::SelectSyncFileData(task->m_sPath, row)) {
    WriteLog(KeyPoint, kPrepareTag, "Upload File By Create,FilePath is " + task->m_sPath);
    r = ProcessCreate();
  } else {
    WriteLog(KeyPoint, kPrepareTag, "Upload File By Modify FilePath is " + task->m_sPath);
    r = ProcessModify(row);
  }
  if (r == SYNC_RESULT_SUCCESS) r = ProcessToken();
  return r;
}

int SyncUploadFileOp::ProcessCreate() {
  if (const int r = EnsureTaskMD5()) return r;
  UpSyncTask* task = Task();
  // The service already holds this very file (a first upload that ended
  // before its row was written): it is adopted, not created a second time
  // under a free name.
  ServerFileInfo existing;
  if (ServiceFolderNames::Get().FindSameFile(*m_pRequestHeader, m_nParentID, Common::String_GetFileName(task->m_sPath),
                                             task->m_sMd5, task->m_nSize, existing)) {
    WriteLog(KeyPoint, kPrepareTag, "The service holds the file already, its row is written: " + task->m_sPath);
    m_reply = FileReply();
    m_reply.code = 200;
    m_reply.id = existing.id;
    m_reply.type = 3;
    m_reply.file = existing;
    return SYNC_RESULT_SUCCESS;
  }
  const SyncFileData& own = *m_pItem->m_pFileData;
  CreateFileRequest request(*m_pRequestHeader, own.m_FileID, m_pRequestHeader->userId, own.m_FileType,
                            Utf8(task->m_sMd5), static_cast<int>(task->m_nSize), m_nParentID,
                            Utf8(Common::String_GetFileName(task->m_sPath)), Utf8(own.m_FileMeno),
                            Utf8(own.m_FilePath), false, 1, 0, true, true);
  if (PostUpRequest(new SyncUploadCreateTask("SyncUploadCreateTask", request), m_reply)) return SYNC_RESULT_SUCCESS;
  WriteMessageLog(ErrorLog, "Upload Create File Error");
  m_nServerCode = m_reply.code;
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int SyncUploadFileOp::ProcessModify(const SyncFileData& row) {
  if (m_bCancel.load() || ChangedMeanwhile()) {
    WriteLog(NormalLog, "SyncUploadPrepareOp::ProcessModify", "CheckFileModify is true and cancel upload  before send request");
    return SYNC_RESULT_CANCEL;
  }
  if (const int r = EnsureTaskMD5()) return r;
  UpSyncTask* task = Task();
  UpdateFileContentRequest request(*m_pRequestHeader, row.m_FileID, row.m_CreateID, Utf8(row.m_OwnerAccount),
                                   Utf8(row.m_VersionValue), Utf8(task->m_sMd5), static_cast<int>(task->m_nSize),
                                   row.m_SizeLimit, Utf8(task->m_sPath), row.m_Duration, row.m_RenewLimit, true, 1);
  WriteMessageLog(ErrorLog, "Upload Modify Request, VersionValue is " + row.m_VersionValue + "ID is " +
                                juce::String(row.m_FileID));
  if (PostUpRequest(new SyncUploadModifyTask("SyncUploadModifyTask", request), m_reply)) return SYNC_RESULT_SUCCESS;
  WriteMessageLog(ErrorLog, "Upload Modify File Error");
  m_nServerCode = m_reply.code;
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int SyncUploadFileOp::ProcessToken() {
  const int type = m_reply.type;
  WriteLog(KeyPoint, kTokenTag, "Prepare return Type  is " + juce::String(type));
  if (type == 3) {
    m_nUploadState = UPLOAD_NOTHING_KNOWN;
    return SYNC_RESULT_SUCCESS;
  }
  if (type == 5) {
    m_nUploadState = UPLOAD_NOTHING_UNCHANGED;
    return SYNC_RESULT_SUCCESS;
  }
  if (type == 1 || type == 2 || type == 4 || type == 6) {
    WriteLog(ErrorLog, kTokenTag, "Prepare return Type error, type is " + juce::String(type));
    return SYNC_RESULT_ERROR_REMOVE;
  }
  if (type == 0 && m_reply.file.doc.completed) {
    m_nUploadState = UPLOAD_CONTENT_HELD;
    return SYNC_RESULT_SUCCESS;
  }
  if (CheckFileModify() || m_bCancel.load()) WriteLog(NormalLog, kTokenTag, "CheckFileModify is true and cancel upload");
  const int r = ProcessUploadTransportToken();
  m_nUploadState = UPLOAD_SEND_CONTENT;
  return r;
}

juce::int64 SyncUploadFileOp::ReplyFileID() const { return m_reply.file.id != 0 ? m_reply.file.id : m_reply.id; }

int SyncUploadFileOp::ProcessUploadTransportToken() {
  for (;;) {
    if (m_bCancel.load() || ChangedMeanwhile()) {
      WriteLog(3, kTransportTag, "CheckFileModify is true and cancel upload");
      return SYNC_RESULT_CANCEL;
    }
    UploadFileControlRequest request;
    request.header = *m_pRequestHeader;
    request.id = ReplyFileID();
    request.fileId = ReplyFileID();
    request.ownerId = m_pRequestHeader->userId;
    TransportTokenReply reply;
    const bool success = PostUpRequest(new SyncUploadPZTask("SyncUploadPZTask", request), reply);
    if (success) {
      m_token = reply.token;
    } else {
      WriteMessageLog(ErrorLog, "Upload Get Upload Transport Token Error");
      m_nServerCode = reply.code;
    }
    if (m_bCancel.load() || ChangedMeanwhile()) return SYNC_RESULT_CANCEL;
    if (success) return SYNC_RESULT_SUCCESS;
    if (++m_nTokenFailures > kMaxTokenFailures) {
      WriteLog(ErrorLog, kTransportTag, "GetTransportToken failed three times, return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK");
      return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
    }
  }
}

int SyncUploadFileOp::Execute_SyncOperation() {
  // With the content already held by the service (or nothing to send) the
  // content step has nothing to do: sending it again would go with no token.
  if (!m_bNeedUpload || m_nUploadState != UPLOAD_SEND_CONTENT) return SYNC_RESULT_SUCCESS;
  return UploadFileContent();
}

int SyncUploadFileOp::UploadFileContent() {
  UpSyncTask* task = Task();
  const juce::File file(task->m_sPath);
  if (!file.existsAsFile()) {
    WriteLog(ErrorLog, "SyncUploadTotalFile::UploadFileContent", "File not Exist: " + task->m_sPath);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  // A paused engine holds the content back until it continues.
  if (!WaitWhilePaused()) return m_bCancel.load() ? SYNC_RESULT_CANCEL : SYNC_RESULT_SUCCESS;
  FileBlockUpload upload(*m_pRequestHeader, m_token, file);
  upload.m_onBlockSent = [](int length) {
    if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->AddUpBytes(length);
  };
  // Before every block: a pause or a lost network holds the transfer where
  // it is, and a file changed meanwhile is not sent on (a newer task carries
  // it).
  upload.m_beforeBlock = [this] {
    if (!WaitWhilePausedOrOffline()) return false;
    if (!ChangedMeanwhile()) return true;
    WriteLog(NormalLog, "SyncUploadTotalFile::UploadFileContent", "CheckFileModify is true and cancel upload");
    return false;
  };
  const TransferResult result = upload.Run(task->m_nSize, &m_bCancel);
  if (result == TransferResult::Cancelled) return SYNC_RESULT_CANCEL;
  if (result == TransferResult::Done) return ChangedMeanwhile() ? SYNC_RESULT_CANCEL : SYNC_RESULT_SUCCESS;
  m_nServerCode = upload.GetServerCode();
  DeleteInCompleted();
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

void SyncUploadFileOp::DeleteInCompleted() {
  DelFileIncompleteRequest request;
  request.header = *m_pRequestHeader;
  request.id = ReplyFileID();
  request.ownerId = m_pRequestHeader->userId;
  auto* task = new DeleteIncompleteFileTask("DeleteInCompleted", request);
  GetUpThreadsPool()->PostWorkTask(task, true);
  task->WaitExecuteFinishEvent();
  task->SignReleaseEvent();
}

int SyncUploadFileOp::After_SyncOperation() {
  if (!m_bNeedUpload || m_nUploadState == UPLOAD_NOTHING_KNOWN || m_nUploadState == UPLOAD_NOTHING_UNCHANGED)
    return SYNC_RESULT_SUCCESS;
  return CompleteUpload();
}

int SyncUploadFileOp::CompleteUpload() {
  CompleteFileRequest request;
  request.header = *m_pRequestHeader;
  request.id = ReplyFileID();
  request.nameConflictPolicy = 1;
  request.renamePolicy = 0;
  request.conflictPolicy = 1;
  request.checkIfCompleted = true;
  FileReply reply;
  if (!PostUpRequest(new UploadFileCompletedTask("UploadFileCompletedTask", request), reply)) {
    WriteMessageLog(ErrorLog, "Upload Completed Error");
    // The service may have completed the file and only the answer was lost:
    // the retry looks at the folder afresh to adopt it.
    ServiceFolderNames::Get().Forget(m_nParentID);
    m_nServerCode = reply.code;
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  if (reply.type == 1) {
    m_nUploadState = UPLOAD_CONTENT_HELD;
  } else if (reply.type == 6) {
    m_nUploadState = UPLOAD_FINISHED;
  } else {
    WriteLog(ErrorLog, "SyncUploadFileCompletedOp::Success_SyncOperation",
             "Normal upload return type error, type is " + juce::String(reply.type));
    return SYNC_RESULT_ERROR_REMOVE;
  }
  m_reply = reply;
  return SYNC_RESULT_SUCCESS;
}

int SyncUploadFileOp::Success_SyncOperation() {
  if (!m_bNeedUpload || m_nUploadState == UPLOAD_SEND_CONTENT) return SYNC_RESULT_SUCCESS;
  const juce::String serverName = juce::String::fromUTF8(m_reply.file.fileName.c_str());
  if (serverName == Common::String_GetFileName(Task()->m_sPath)) return FinishUpload();
  return FinishRenamedUpload();
}

void SyncUploadFileOp::WriteUploadedRecord(const juce::String& path) {
  SyncFileData row;
  SyncHelper::ServerFileToSyncFileData(m_reply.file, row);
  row.m_FilePath = path;
  SyncFileData before;
  if (m_nParentID > 0 && m_reply.file.parentId != m_nParentID &&
      SyncFileDataManager::SelectSyncFileData(Task()->m_sPath, before)) {
    WriteLog(KeyPoint, "SyncUploadFileOp::WriteUploadedRecord",
             "The service holds the file in another folder, the pull moves it: " + path);
    row.m_ParentID = m_nParentID;
    row.m_VersionValue = before.m_VersionValue;
  }
  SaveSyncFileData(row);
}

int SyncUploadFileOp::FinishUpload() {
  UpSyncTask* task = Task();
  WriteUploadedRecord(task->m_sPath);
  LogSuccess("Upload File", task->m_sPath, m_reply.file.id, juce::String(m_reply.file.versionValue));
  ReportPathDone(task->m_sPath, task->m_nOp, 0);
  RemoveFromTips(task->m_sPath);
  return SYNC_RESULT_SUCCESS;
}

int SyncUploadFileOp::FinishRenamedUpload() {
  UpSyncTask* task = Task();
  if (!juce::File(task->m_sPath).existsAsFile()) {
    // The user renamed, moved or removed the file while it went up: its row
    // keeps the name the upload began with, so that the change queued for
    // that name takes the service's file along instead of leaving it there
    // as a copy.
    WriteLog(KeyPoint, "SyncUploadFileOp::FinishRenamedUpload",
             "The file went while it went up, its row keeps its local name: " + task->m_sPath);
    return FinishUpload();
  }
  juce::String newPath;
  const int r = ProcessNameConflict(newPath, task->m_sPath, juce::String::fromUTF8(m_reply.file.fileName.c_str()),
                                    m_nParentID);
  if (r != SYNC_RESULT_SUCCESS) return r;
  ProcessUploadConflict(task->m_sPath);
  LogSuccess("Upload File", newPath, m_reply.file.id, juce::String(m_reply.file.versionValue));
  ReportPathDone(newPath, task->m_nOp, 0);
  RemoveFromTips(newPath);
  WriteUploadedRecord(newPath);
  return SYNC_RESULT_SUCCESS;
}

int SyncUploadFileOp::Error_BeforeSyncOperation(int result) {
  if (m_nServerCode.load() == kFileVersionConflict) return KeepBothVersions(result);
  return SyncUpFileBaseOperation::Error_BeforeSyncOperation(result);
}

int SyncUploadFileOp::KeepBothVersions(int result) {
  static const char* const kTag = "SyncUploadFileOp::KeepBothVersions";
  UpSyncTask* task = Task();
  if (!task) return result;
  const juce::String path = task->m_sPath;
  SyncFileData row;
  if (!SyncFileDataManager::SelectSyncFileData(path, row) || !juce::File(path).existsAsFile()) return result;
  // The local file may already hold the service's content (the program ended
  // after a download replaced it, before its row was written): in step, not
  // a conflict.
  ServerFileInfo current;
  if (ServiceFolderNames::Get().FindCurrentFile(*m_pRequestHeader, row.m_ParentID, Common::String_GetFileName(path),
                                                current) &&
      juce::String(current.doc.md5) == SyncHelper::GetFileMD5(path)) {
    WriteLog(KeyPoint, kTag, "The local file holds the service's content already, its row is written: " + path);
    m_reply.file = current;
    FinishUpload();
    return SYNC_RESULT_CANCEL;
  }
  const juce::String kept = SyncHelper::FreeCopyPath(path);
  if (kept.isEmpty()) return result;
  AnnounceChange(path, kept);
  if (!SyncHelper::MoveWithoutReplace(path, kept)) {
    ForgetChange(path, kept);
    // Held by another program: tried again later, nothing is lost meanwhile.
    return SyncHelper::IsFileOccupied(path) ? SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN : result;
  }
  WriteLog(KeyPoint, kTag, "Both sides changed " + path + ", the local version is kept as " + kept);
  SyncDownloadFileOp::NameFreedForService(path);
  if (auto queue = GetSyncEngineLinks().queueLocalFileAdd) queue(kept);
  // The service's version comes down under the original name.
  ProcessUploadConflict(path);
  // Told at once, not gathered with the down changes: a summary balloon
  // would not say where the local version went.
  GlobalConfig* config = GetGlobalConfig();
  if (ISyncNotifyUI* sink = GetSyncNotifyUI(); sink && config && config->m_bDisplayNotify)
    sink->NotifySyncEvent(SyncNotifyInfo{SNT_ONE_FILE_RENAMED, path, kept});
  return SYNC_RESULT_CANCEL;
}

int SyncUploadFileOp::Error_SyncOperation(int result) {
  MarkCancelTokenPath(Task());
  if (m_nSizeOutOfLimit == 1 && Task()) SyncHelper::ReportFileTooBig(Task()->m_sPath);
  return result;
}
