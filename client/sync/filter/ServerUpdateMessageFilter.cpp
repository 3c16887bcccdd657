#include "client/sync/filter/ServerUpdateMessageFilter.h"

#include <algorithm>

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/login/LoginEvents.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/ops/SyncBaseOperation.h"
#include "client/sync/ops/SyncResult.h"
#include "client/sync/pull/SyncFolderFromServerOp.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncDownTaskManager.h"
#include "common/NetworkInfo.h"
#include "net/NetTrace.h"
#include "win32/Clock.h"

namespace {

const char* const kCallbackTag = "ServerUpdateMessageFilter::LinkServiceCallBack";

// The number after the first "|", when it is a whole int64.
bool ParseVersionNumber(const juce::String& text, juce::int64& out) {
  int bar = text.indexOfChar('|');
  if (bar < 0) return false;
  std::string digits = text.substring(bar + 1).trim().toStdString();
  if (digits.empty()) return false;
  try {
    size_t used = 0;
    long long value = std::stoll(digits, &used, 10);
    if (used != digits.size()) return false;
    out = value;
    return true;
  } catch (...) {
    return false;  // not a number, or out of range
  }
}

}  // namespace

ServerUpdateMessageFilter::ServerUpdateMessageFilter(const juce::String& name, SyncDownTaskManager* downManager,
                                                     PullFactory makePull)
    : juce::Thread(name),
      m_pDownManager(downManager),
      m_hExited(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hWake(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_makePull(std::move(makePull)) {
  if (!m_makePull) {
    m_makePull = [](SyncDownTaskManager* down, const juce::String& version, juce::int64 folder) {
      return std::make_shared<SyncFolderFromServerOp>(version, folder, down);
    };
  }
  if (m_pDownManager) m_pDownManager->GetWakeList().Add(m_hWake);
  LoginEvents::SetRestartLinkService([this] { RestartLinkService(); });
  startThread();
}

ServerUpdateMessageFilter::~ServerUpdateMessageFilter() {
  EndThreads();
  if (m_pDownManager) m_pDownManager->GetWakeList().Remove(m_hWake);
  CloseHandle(m_hWake);
  CloseHandle(m_hExited);
}

std::shared_ptr<SyncBaseOperation> ServerUpdateMessageFilter::CurrentPull() {
  std::lock_guard guard(m_currentLock);
  return m_pCurrentPull;
}

juce::String ServerUpdateMessageFilter::GetLinkAccount() {
  std::lock_guard guard(m_currentLock);
  return m_sLinkAccount;
}

void ServerUpdateMessageFilter::InitLinkService() { StartLink(LinkStart::OnlyFirst); }

void ServerUpdateMessageFilter::RestartLinkService() { StartLink(LinkStart::Again); }

// The first start creates the holder and its task; a later one hands the
// signed-in account and client id to the running task.
void ServerUpdateMessageFilter::StartLink(LinkStart mode) {
  std::lock_guard guard(m_linkLock);
  // A start that comes while the filter ends (a sign-in's restart in flight)
  // would leave a poll running that nobody stops.
  if (m_bStop.load()) return;
  if (m_pLinkHolder && mode == LinkStart::OnlyFirst) return;
  if (!m_pLinkHolder) {
    m_pLinkHolder = std::make_unique<LinkServiceHolder>();
    m_pLinkHolder->m_pUserData = this;
    m_pLinkHolder->m_pCallBack = &ServerUpdateMessageFilter::LinkServiceCallBackEntry;
  }
  AccountData* account = GetAccountData();
  juce::String name = account ? account->GetAccount() : juce::String();
  juce::String clientID = account ? account->GetClientID() : juce::String();
  {
    std::lock_guard current(m_currentLock);
    m_sLinkAccount = name;
  }
  StartLinkService(*m_pLinkHolder, name.toStdString(), clientID.toStdString());
}

void ServerUpdateMessageFilter::LinkServiceCallBackEntry(void* self, int code, const std::string& account,
                                                         int64_t version) {
  if (self) static_cast<ServerUpdateMessageFilter*>(self)->LinkServiceCallBack(code, account, version);
}

void ServerUpdateMessageFilter::LinkServiceCallBack(int code, const std::string& account, juce::int64 version) {
  Net::NET_TRACE(1, "begin link service response callback");
  LocalNetErrorManager* net = LocalNetErrorManager::GetInstance();
  if (code == -1) {
    if (!Common::IsNetReachable() && net) {
      net->SetOnline(false);
      net->ProcessLocalNetError();
    }
    return;
  }
  if (net) net->SetOnline(true);
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) {
    tracker->m_nNetState.store(0);
    tracker->PushTrayState();
  }
  if (net) net->ResetLastReportTime();
  if (juce::String::fromUTF8(account.c_str()) != GetLinkAccount()) return;
  if (code == 200) {
    WriteLog(KeyPoint, kCallbackTag, "Update from server newVersionID is " + juce::String(version));
    {
      const juce::ScopedLock guard(m_queueLock);
      m_versions.push_back(version);
    }
    SetEvent(m_hWake);
  } else if (code != 403 && code != 408) {
    // 408 is the poll's ordinary end: nothing changed while it was held.
    WriteErrorCodeLog(kCallbackTag, juce::String(code), "LinkServer return error");
  }
}

void ServerUpdateMessageFilter::AddVersion(const juce::String& versionText) {
  juce::int64 number;
  if (!ParseVersionNumber(versionText, number)) return;
  {
    const juce::ScopedLock guard(m_queueLock);
    if (m_versions.empty())
      m_versions.push_back(number);
    else
      m_versions.insert(m_versions.begin(), number);
  }
  SetEvent(m_hWake);
}

bool ServerUpdateMessageFilter::HasQueuedVersions() {
  const juce::ScopedLock guard(m_queueLock);
  return !m_versions.empty();
}

std::vector<juce::int64> ServerUpdateMessageFilter::GetQueuedVersions() {
  const juce::ScopedLock guard(m_queueLock);
  return m_versions;
}

int ServerUpdateMessageFilter::PullFromServer(const juce::String& versionText, juce::int64 folderId) {
  if (m_bStop.load()) return SYNC_RESULT_CANCEL;
  const juce::ScopedLock serial(m_pullLock);
  std::shared_ptr<SyncBaseOperation> pull =
      m_makePull ? m_makePull(m_pDownManager, versionText, folderId) : std::shared_ptr<SyncBaseOperation>();
  {
    std::lock_guard guard(m_currentLock);
    m_pCurrentPull = pull;
  }
  if (!pull) return SYNC_RESULT_CANCEL;
  if (m_bStop.load()) pull->m_bStop.store(true);
  return pull->Run();
}

int ServerUpdateMessageFilter::UpdateFromServer(const juce::String& versionText, juce::int64 folderId) {
  WriteLog(KeyPoint, "ServerUpdateMessageFilter::UpdateFromServer", "Update GlobalVersion: " + versionText);
  return PullFromServer(versionText, folderId);
}

void ServerUpdateMessageFilter::ClearQueue() {
  {
    const juce::ScopedLock guard(m_queueLock);
    m_versions.clear();
  }
  if (auto pull = CurrentPull()) pull->m_bCancel.store(true);
}

void ServerUpdateMessageFilter::EndThreads() {
  LoginEvents::SetRestartLinkService({});
  {
    const juce::ScopedLock guard(m_queueLock);
    m_versions.clear();
  }
  m_bStop.store(true);
  {
    std::lock_guard guard(m_linkLock);
    if (m_pLinkHolder) StopLinkService(*m_pLinkHolder);
  }
  if (auto pull = CurrentPull()) pull->m_bStop.store(true);
  SetEvent(m_hWake);
  waitForThreadToExit(-1);  // a flagged pull ends at its next step
}

void ServerUpdateMessageFilter::SignExit() {
  m_bStop.store(true);
  if (auto pull = CurrentPull()) pull->m_bStop.store(true);
  SetEvent(m_hWake);
  WriteLog(KeyPoint, "ServerUpdateMessageFilter::SignExit", "Before Exit");
  if (isThreadRunning()) WaitForSingleObject(m_hExited, kExitWaitMs);
  WriteLog(KeyPoint, "ServerUpdateMessageFilter::SignExit", "After Exit");
}

void ServerUpdateMessageFilter::run() {
  while (!m_bStop.load()) {
    // Nothing to pull: the link's callback, the controller's calls and
    // AddVersion set the wake event. The down side's end of a run sets it
    // too (the filter is on the down manager's wake list).
    if (m_bHold.load() || !m_bRun.load() || !HasQueuedVersions() ||
        (m_pDownManager && m_pDownManager->HasTasks(1))) {
      WaitForSingleObject(m_hWake, m_nIdleWaitMs.load());
      continue;
    }
    const ULONGLONG now = win32::CurrentClock().NowMs();
    if (now < m_nRetryAfterMs) {
      WaitForSingleObject(m_hWake, static_cast<DWORD>(m_nRetryAfterMs - now));
      continue;
    }
    PullNewest();
    // What the pull queued wakes the down pumps; a pull that queued nothing
    // may have left the engine idle, which they show.
    if (m_pDownManager) m_pDownManager->WakePumps(m_hWake);
  }
  SetEvent(m_hExited);
}

void ServerUpdateMessageFilter::PullNewest() {
  juce::int64 newest;
  {
    const juce::ScopedLock guard(m_queueLock);
    if (m_versions.empty()) return;
    newest = m_versions.back();
  }
  // The pull always starts from the root's stored version; the queued one only
  // triggers it.
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  int result = UpdateFromServer(root->GetGlobalVersion(), root->GetRootFolderID());
  if (result != SYNC_RESULT_SUCCESS && result != SYNC_RESULT_CANCEL) {
    // The versions stay queued: the changes they announce are still to be pulled.
    WriteLog(ErrorLog, "ServerUpdateMessageFilter::run",
             "Pull failed, tried again later, result is " + juce::String(result));
    m_nRetryAfterMs = win32::CurrentClock().NowMs() + kRetryDelayMs;
    return;
  }
  m_nRetryAfterMs = 0;
  const juce::ScopedLock guard(m_queueLock);
  for (size_t i = m_versions.size(); i-- > 0;) {
    if (m_versions[i] <= newest) m_versions.erase(m_versions.begin() + static_cast<long>(i));
  }
}
