#include "client/windows/MainForm.h"

#include "client/core/GlobalConfig.h"
#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/login/LoginManager.h"
#include "client/core/stats/StatisticsTask.h"
#include "client/sync/LocalPathGuard.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/tasks/SyncUpTaskManager.h"
#include "client/sync/status/CStatusCache.h"
#include "client/windows/DorvMessageBox.h"
#include "client/windows/TrayIcons.h"
#include "client/windows/TrayStatusTip.h"
#include "client/windows/WebLinks.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/FileHelpers.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"
#include "common/WebShell.h"
#include "net/ProxySocket.h"
#include "ui/UIManager.h"

int CMainForm::s_nTrayFrame = -1;

BEGIN_MESSAGE_MAP(CMainForm, UI::CUIForm)
  ON_MESSAGE(WM_NOTIFY_SECOND_INSTANCE, &CMainForm::OnSecondInstance)
  ON_MESSAGE(WM_NOTIFY_AUTO_LOGIN, &CMainForm::AfterAutoLogin)
  ON_MESSAGE(WM_NOTIFY_BANDWIDTH_CHANGED, &CMainForm::OnBandwidthChanged)
  ON_MESSAGE(WM_TRAY_CALLBACK, &CMainForm::OnTrayNotify)
  ON_MESSAGE(WM_NOTIFY_SPACE_INFO, &CMainForm::OnSpaceInfoUpdated)
  ON_MESSAGE(WM_NOTIFY_TRAY_PENDING, &CMainForm::OnTrayPending)
  ON_MESSAGE(WM_NOTIFY_OPEN_HELP, &CMainForm::OnOpenHelp)
  ON_MESSAGE(WM_NOTIFY_OPEN_CREDIT_GUIDE, &CMainForm::OnOpenCreditGuide)
  ON_WM_TIMER()
  ON_WM_CLOSE()
END_MESSAGE_MAP()

CMainForm::CMainForm() { SetObjectID(L"MainForm"); }

CMainForm::~CMainForm() {
  // No engine thread may reach the form from here on.
  if (SyncLogic* engine = GetSyncLogic(); engine && engine->GetNotifyUI() == this) engine->SetNotifyUI(nullptr);
  delete m_pLoginManager;
  m_pLoginManager = nullptr;
  // A form whose window closed has released itself already, even when its
  // closing message never arrived here.
  UI::CUIManager* forms = UI::CUIManager::GetInstance();
  auto release = [forms](UI::CUIForm* form) {
    if (form && forms && forms->IsExist(form)) ReleaseForm(form);
  };
  release(m_pInitSetForm);
  m_pInitSetForm = nullptr;
  release(m_pSetForm);
  m_pSetForm = nullptr;
  RemoveIcon();
}

int CMainForm::Create() {
  constexpr DWORD kExStyle = 0x40010;  // WS_EX_APPWINDOW | WS_EX_ACCEPTFILES
  if (!UI::CUIForm::Create(kExStyle, WS_POPUP | WS_OVERLAPPEDWINDOW, kClassName, kTitle, nullptr, 0,
                           CRect(0, 0, 1, 1)))
    return 0;
  SetIcon(4, TRUE);
  SetIcon(4, FALSE);
  m_uTaskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
  // The engine and the context it works in exist from here on.
  GetGlobalContext();
  StartUp();
  ApplyBandwidthLimits();
  return 1;
}

void ApplyBandwidthLimits() {
  const GlobalConfig* config = GetGlobalConfig();
  if (config->m_bBandWidthLimit) {
    Net::ProxySocket::SetDownloadSpeedLimit(config->m_nDownloadLimit * 1024);
    Net::ProxySocket::SetUploadSpeedLimit(config->m_nUploadLimit * 1024);
  } else {
    Net::ProxySocket::SetDownloadSpeedLimit(-1);
    Net::ProxySocket::SetUploadSpeedLimit(-1);
  }
}

LRESULT CMainForm::OnBandwidthChanged(WPARAM, LPARAM) {
  ApplyBandwidthLimits();
  return 0;
}

void CMainForm::InstallTrayIcon() {
  CString tip;
  BuildStatusTip(tip, 0);
  if (InstallIcon(tip, LoadTrayIcon(IDI_TRAY_OFFLINE), false)) {
    WriteMessageLog(NormalLog, "InstallIcon Succeed !");
    return;
  }
  WriteMessageLog(ErrorLog, "InstallIcon failed , Try again after 20 seconds");
  SetTimer(TIMER_REINSTALL_TRAY_ICON, kReinstallTrayMs);
}

void CMainForm::OnReinstallTimer() {
  CString title = Common::CMutiLanSupport::GetInstance()->GetStringViaID(L"STRID_SYNDIRNOTFOUNDFORM_TIETLE");
  if (InstallIcon(title, LoadTrayIcon(IDI_TRAY_OFFLINE), false)) {
    WriteMessageLog(NormalLog, "InstallIcon Succeed !");
    KillTimer(TIMER_REINSTALL_TRAY_ICON);
  } else {
    WriteMessageLog(ErrorLog, "InstallIcon failed , Try again after 20 seconds");
  }
}

void CMainForm::ExitApp() {
  SyncLogic* engine = GetSyncLogic();
  SyncUpTaskManager* uploads = engine ? engine->GetUpTaskManager() : nullptr;
  if (uploads && !uploads->AreQueuesEmpty()) {
    if (m_bExitConfirming) return;
    m_bExitConfirming = 1;
    CDorvMessageBox box;
    box.SetContent(1, Common::CMutiLanSupport::GetInstance()->GetStringViaID(L"STRID_EXITFORM_TIETLE"),
                   L"InnerPanelExit");
    if (!box.Create(this) || box.DoModal() == 0) {
      m_bExitConfirming = 0;
      return;
    }
  }
  EndProgram();
}

void CMainForm::EndProgram() {
  SyncLogic* engine = GetSyncLogic();
  m_bExiting = 1;
  if (m_pLoginManager) m_pLoginManager->SetExiting();
  KillTimer(TIMER_REINSTALL_TRAY_ICON);
  UnRegisterTimerHandler(TIMER_NET_PROBE);
  if (engine) engine->SignalStopAll();
  // Operations in flight see the token and end.
  GetGlobalContext()->m_pCancelToken->m_bCancel = true;
  // Every worker has ended before the staging folder is emptied: a download
  // still running would go on writing into it (an unlinked file stays open)
  // or put its file back.
  GetGlobalContext()->StopSyncLogic();
  const juce::String staging = SyncHelper::GetDownloadTempDirectory();
  if (staging.isNotEmpty()) Common::EmptyFolder(Common::String_To_CString(staging), 0);
  if (UI::CUIManager* manager = UI::CUIManager::GetInstance()) manager->ExitModalWnds(0);
  ::PostMessageW(m_hWnd, WM_QUIT, 0, 0);
}

// ---- The engine's calls -------------------------------------------------

bool CMainForm::OnWindowThread() const { return ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId(); }

void CMainForm::QueueTrayWork(PendingTray work) {
  bool wake;
  {
    std::lock_guard hold(m_pendingLock);
    wake = m_pending.empty();
    m_pending.push_back(std::move(work));
  }
  // One message takes everything queued until it is handled.
  if (wake) ::PostMessageW(m_hWnd, WM_NOTIFY_TRAY_PENDING, 0, 0);
}

LRESULT CMainForm::OnTrayPending(WPARAM, LPARAM) {
  std::deque<PendingTray> work;
  {
    std::lock_guard hold(m_pendingLock);
    work.swap(m_pending);
  }
  for (const PendingTray& item : work) {
    if (item.isBalloon)
      ApplyBalloon(item.balloon);
    else
      ApplyTrayIcon(item.iconId);
  }
  return 0;
}

void CMainForm::SetTrayIcon(int iconId) {
  if (!m_hWnd) return;  // no window, no icon: the install shows the offline icon
  if (OnWindowThread()) {
    ApplyTrayIcon(iconId);
    return;
  }
  PendingTray work;
  work.iconId = iconId;
  QueueTrayWork(std::move(work));
}

void CMainForm::ApplyTrayIcon(int iconId) {
  KillTimer(TIMER_TRAY_ANIMATION);
  if (iconId == static_cast<int>(IDI_TRAY_SYNCING)) {
    SetTimer(TIMER_TRAY_ANIMATION, kTrayAnimationMs);
    return;
  }
  HICON icon = LoadTrayIcon(static_cast<UINT>(iconId));
  if (icon) ChangeIcon(icon);
}

void CMainForm::StepTrayAnimation() {
  s_nTrayFrame = (s_nTrayFrame + 1) % kTrayFrameCount;
  ChangeIcon(LoadTrayIcon(IDI_TRAY_FRAME_FIRST + static_cast<UINT>(s_nTrayFrame)));
}

void CMainForm::NotifyPathStatus(juce::String path, int state) {
  if (state == SYNC_PATH_SYNCED) {
    CStatusCache::GetInstance()->SetPathStatus(path, CStatusCache::STATUS_NORMAL);
    WriteMessageLog(NormalLog, "Path is " + path + ", status: dorv_status_normal");
  } else if (state == SYNC_PATH_FAILED) {
    CStatusCache::GetInstance()->SetPathStatus(path, CStatusCache::STATUS_ERROR);
    WriteMessageLog(NormalLog, "Path is " + path + ", status: dorv_status_error");
  }
}

void CMainForm::NotifySyncEvent(SyncNotifyInfo info) {
  NotifyAccount account;
  if (info.type == SNT_SERVER_SPACE_FULL || info.type == SNT_FILE_COUNT_LIMIT || info.type == SNT_FOLDER_COUNT_LIMIT) {
    if (AccountData* data = GetAccountData()) {
      account.vip = SyncHelper::IsVip(data->GetSnapshot().FullName);
      const UserConfigInfo config = data->GetUserConfig();
      account.fileCountLimit = config.UC_FilesTotalNumLimit;
      account.folderCountLimit = config.UC_TotalDirsNumLinit;
    }
  }
  PendingTray work;
  work.isBalloon = true;
  work.balloon = BuildNotifyBalloon(info, account);
  m_nLastNotifyType.store(info.type);
  {
    std::lock_guard hold(m_balloonLock);
    m_nBalloonTargetValid = work.balloon.clickable;
    m_strBalloonTarget = Common::String_To_CString(info.a);
  }
  if (!m_hWnd) return;
  if (OnWindowThread())
    ApplyBalloon(work.balloon);
  else
    QueueTrayWork(std::move(work));
}

void CMainForm::ApplyBalloon(const NotifyBalloon& balloon) {
  if (IsTrayIconShown()) ShowBalloon(balloon.title, balloon.elapse, balloon.text, balloon.kind);
}

void CMainForm::OnBalloonClick() {
  if (m_nLastNotifyType.load() != SNT_SERVER_SPACE_FULL) {
    LocateNotifiedFile();
    return;
  }
  AccountData* account = GetAccountData();
  if (!account || SyncHelper::IsVip(account->GetSnapshot().FullName)) return;
  OnOpenCreditGuide(0, 0);
  ReportUsageEvent("default", "no_space_to_creadit_exchange");
}

void CMainForm::LocateNotifiedFile() {
  std::lock_guard hold(m_balloonLock);
  if (m_nBalloonTargetValid) LocateSyncedFile(Common::CString_to_String(m_strBalloonTarget));
}

void CMainForm::LocateSyncedFile(const juce::String& path) {
  if (LocalPathGuard::IsInsideRoot(path, "CMainForm::LocateSyncedFile")) Common::LocateFile(Common::String_To_CString(path));
}

// ---- Tip ----------------------------------------------------------------

void CMainForm::BuildStatusTip(CString& out, int reserve) {
  BuildStatusTipText(GetSyncStatusTracker(), GetSyncTipList(), out, reserve);
}

void CMainForm::RefreshTrayTip() {
  SetTipText(BuildTrayTip(GetSyncStatusTracker(), GetSyncTipList()));
}

// ---- Messages -----------------------------------------------------------

LRESULT CMainForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY_SETFORM_CLOSED: m_pSetForm = nullptr; return 1;
    case WM_NOTIFY_WIZARD_CLOSED: m_pInitSetForm = nullptr; return 1;
    case WM_NOTIFY_SETUP_DONE:
    case WM_NOTIFY_SETUP_REUSED: CheckSyncFolderAndStart(); return 1;
    case WM_NOTIFY_CHANGE_ACCOUNT: ChangeAccount(); return 1;
    default: break;
  }
  if (m_uTaskbarCreated && message == m_uTaskbarCreated) {
    const bool installed = InstallIcon(L"", LoadTrayIcon(IDI_TRAY_OFFLINE), true);
    WriteMessageLog(KeyPoint, juce::String("Reinstall TrayIcon,Result - ") + (installed ? "1" : "0"));
    return 1;
  }
  return UI::CUIForm::WindowProc(message, wParam, lParam);
}

LRESULT CMainForm::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
  if (wParam != kTrayIconId || m_bExiting) return 0;
  switch (LOWORD(lParam)) {
    case WM_MOUSEMOVE: RefreshTrayTip(); break;
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      ShowWizardOrSyncFolder();
      ReportUsageEvent("default", "left_click_open_sync_dir");
      break;
    case WM_RBUTTONUP: ShowTrayMenu(); break;
    case NIN_BALLOONUSERCLICK: OnBalloonClick(); break;
    default: break;
  }
  return 0;
}

void CMainForm::OnTimer(UINT_PTR id) {
  switch (id) {
    case TIMER_TRAY_ANIMATION: StepTrayAnimation(); break;
    case TIMER_HIDE_BALLOON:
      KillTimer(TIMER_HIDE_BALLOON);
      HideBalloon();
      break;
    case TIMER_REINSTALL_TRAY_ICON: OnReinstallTimer(); break;
    default: break;
  }
  UI::CUIForm::OnTimer(id);
}

LRESULT CMainForm::OnOpenHelp(WPARAM, LPARAM) {
  OpenHelpCenter();
  return 0;
}

LRESULT CMainForm::OnOpenCreditGuide(WPARAM, LPARAM) {
  OpenCreditGuidePage(GetAccountData()->GetSnapshot().FullName);
  ReportUsageEvent("default", "guide_credit");
  return 0;
}

LRESULT CMainForm::OnSecondInstance(WPARAM, LPARAM lParam) {
  WriteLog(KeyPoint, "CMainForm::OnSecondInstance", juce::String("Second instance, lParam: ") + juce::String(lParam));
  if (lParam == 0) {
    ShowWizardOrSyncFolder();
  } else if (lParam == 1) {
    if (SyncLogic* engine = GetSyncLogic()) engine->SetForceFullPull();
    // Before a sign-in has completed there is no folder to check: the check
    // would open the folder page for an account that is not signed in.
    if (GetAccountData()->IsLoggedIn()) CheckSyncFolderAndStart();
    ReportUsageEvent("default", "sync_immediately\t");
  }
  return 0;
}

void CMainForm::ChangeAccount() {
  if (SyncLogic* engine = GetSyncLogic()) engine->ChangeAccount();
  ReopenWizard(1);
}

void CMainForm::OnClose() {
  // Nobody may be there to answer a question (the session is ending, a
  // signal asked the program to end): the exit runs without one.
  if (!m_bExiting) EndProgram();
}
