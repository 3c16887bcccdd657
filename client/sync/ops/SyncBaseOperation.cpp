#include "client/sync/ops/SyncBaseOperation.h"

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/ops/SyncErrorManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "win32/Clock.h"

SyncBaseOperation::SyncBaseOperation() {
  RefreshRequestHeader();
  m_pTracker = GetSyncStatusTracker();
  GlobalContext* context = GetGlobalContext();
  m_pCancelToken = context ? context->m_pCancelToken.get() : nullptr;
}

SyncBaseOperation::~SyncBaseOperation() = default;

void SyncBaseOperation::RefreshRequestHeader() {
  const AccountSnapshot account = GetAccountData()->GetSnapshot();
  RequestHeader header(GetProductInfo().ProductName.toStdString(), account.UserID,
                       account.m_sSessionID.toStdString());
  if (m_pRequestHeader)
    *m_pRequestHeader = header;
  else
    m_pRequestHeader = std::make_unique<RequestHeader>(header);
}

void SyncBaseOperation::Resume_SyncOperation() { m_bRunning.store(true); }
void SyncBaseOperation::Pause_SyncOperation() { m_bRunning.store(false); }
int SyncBaseOperation::Prepare_SyncOperation() { return SYNC_RESULT_SUCCESS; }
int SyncBaseOperation::After_SyncOperation() { return SYNC_RESULT_SUCCESS; }
int SyncBaseOperation::Cancel_SyncOperation() { return SYNC_RESULT_CANCEL; }
int SyncBaseOperation::Error_SyncOperation(int result) { return result; }
int SyncBaseOperation::Error_BeforeSyncOperation(int result) { return result; }

int SyncBaseOperation::Run() {
  struct ResetCode {
    std::atomic<int>& code;
    ~ResetCode() { code.store(SYNC_NO_SERVER_CODE); }
  } resetCode{m_nServerCode};

  if (m_bStop.load()) return SYNC_RESULT_SUCCESS;
  if (m_bCancel.load()) return SYNC_RESULT_CANCEL;

  int result = Prepare_SyncOperation();
  if (m_bStop.load()) return result;
  if (m_bCancel.load()) return SYNC_RESULT_CANCEL;

  if (result == SYNC_RESULT_SUCCESS) {
    result = Execute_SyncOperation();
    if (m_bStop.load()) return result;
  }
  if (result == SYNC_RESULT_SUCCESS) {
    result = After_SyncOperation();
    if (m_bStop.load()) return result;
    if (m_bCancel.load()) return SYNC_RESULT_CANCEL;
  }

  if (result == SYNC_RESULT_SUCCESS) return Success_SyncOperation();
  if (result == SYNC_RESULT_CANCEL) return Cancel_SyncOperation();

  int mapped = Error_SyncOperation(result);
  const int serverCode = m_nServerCode.load();
  if (serverCode != SYNC_NO_SERVER_CODE) mapped = SyncErrorManager::ProcessSyncError(serverCode, m_pCancelToken);
  return Error_BeforeSyncOperation(mapped);
}

void SyncBaseOperation::ReportPathDone(const juce::String& path, int upOp, int downOp) {
  const bool deleted = upOp == 3 || upOp == 7 || downOp == 3 || downOp == 8;
  if (!deleted) {
    if (ISyncNotifyUI* sink = GetSyncNotifyUI()) sink->NotifyPathStatus(path, SYNC_PATH_SYNCED);
  }
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->AddRecentFile(path, deleted ? 1 : 0);
}

void SyncBaseOperation::LogSuccess(const juce::String& opName, const juce::String& path, juce::int64 id,
                                   const juce::String& version) {
  WriteMessageLog(KeyPoint, "Success: " + opName + ", Path is " + path + ", ID is " + juce::String(id) +
                                ", Version is " + version);
}

void SyncBaseOperation::RemoveFromTips(const juce::String& path) {
  if (SyncPathList* tips = GetSyncTipList()) tips->RemovePath(path);
}

bool SyncBaseOperation::WaitWhilePaused() {
  while (!m_bRunning.load() && !ShouldEnd()) win32::CurrentClock().SleepFor(1000);
  return !ShouldEnd();
}

bool SyncBaseOperation::WaitWhilePausedOrOffline() {
  LocalNetErrorManager* net = LocalNetErrorManager::GetInstance();
  while (!ShouldEnd()) {
    // Back online once the network answers again, as the up pump finds out.
    if (!net->IsOnline() && net->Probe()) net->SetBackOnline();
    if (m_bRunning.load() && net->IsOnline()) break;
    win32::CurrentClock().SleepFor(1000);
  }
  return !ShouldEnd();
}
