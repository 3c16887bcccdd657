// The main form's start-up: the tray icon, the engine's workers, the stored
// account's automatic sign-in (after the service answers) and the start of the
// engine's workflow once the sync folder is in place.
#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/login/LoginManager.h"
#include "client/core/protocol/NetReachable.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/DorvMessageBox.h"
#include "client/windows/MainForm.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"
#include "common/TextFit.h"
#include "ui/controls/LabelConfig.h"
#include "win32/Windows.h"

namespace {

constexpr int kWizardModeLogin = 0;
constexpr int kWizardModeFolder = 3;
constexpr int kEngineSigningIn = 2;
constexpr int kEngineChooseFolder = 3;

void SetTrackerWord(std::atomic<int> SyncStatusTracker::*word, int value) {
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  if (!tracker) return;
  (tracker->*word).store(value);
  tracker->PushTrayState();
}

// Shows text in a label, shortened to the label's padded width in the font of
// its style record.
void ShowCompacted(UI::CUIForm& box, const wchar_t* id, CString text) {
  UI::CUIControl* label = box.FindControlRecusive(id);
  if (!label) return;
  CRect room = label->GetBounds();
  const CRect padding = label->GetPadding();
  room.DeflateRect(padding.left, padding.top, padding.right, padding.bottom);
  if (auto* style = dynamic_cast<UI::_LabelConfig*>(label->GetSkinConfig(L"CUILabel")))
    Common::PathCompactPathInCommon(&box, text, style->m_font, room.Width());
  label->SetText(text, FALSE);
}

}  // namespace

void CMainForm::StartUp() {
  InstallTrayIcon();
  if (SyncLogic* engine = GetSyncLogic()) {
    engine->SetNotifyUI(this);
    engine->CreateSyncWorkers();
  }

  const juce::String account = GetProductInfo().CurrentUser;
  if (account.isEmpty() || !LoadAccountData(account)) {
    ReopenWizard(kWizardModeLogin);
    return;
  }
  const AccountSnapshot snapshot = GetAccountData()->GetSnapshot();
  if (snapshot.IsAutoLogin == 0 || snapshot.m_sPassword.isEmpty() ||
      !juce::File(SyncHelper::GetUserDBPath(snapshot.FullName)).existsAsFile()) {
    OfferStoredAccount(snapshot.FullName);
    return;
  }

  SyncRootFolder::GetInstance()->Reload();
  if (CheckNetReachable()) {
    StartAutoLogin();
    return;
  }
  SetTrackerWord(&SyncStatusTracker::m_nNetState, SyncStatusTracker::NET_LOCAL_DOWN);
  LocalNetErrorManager* net = LocalNetErrorManager::GetInstance();
  net->SetOnline(false);
  net->ProcessLocalNetError();
  RegisterTimerHandler(TIMER_NET_PROBE, kNetProbeMs, fastdelegate::MakeDelegate(this, &CMainForm::OnNetProbeTimer));
}

void CMainForm::OnNetProbeTimer(UINT) {
  UnRegisterTimerHandler(TIMER_NET_PROBE);
  if (CheckNetReachable()) {
    StartAutoLogin();
    return;
  }
  RegisterTimerHandler(TIMER_NET_PROBE, kNetProbeMs, fastdelegate::MakeDelegate(this, &CMainForm::OnNetProbeTimer));
}

void CMainForm::StartAutoLogin() {
  SetTrackerWord(&SyncStatusTracker::m_nEngineState, kEngineSigningIn);
  if (!m_pLoginManager) m_pLoginManager = new LoginManager();
  m_pLoginManager->SetAfterLoginCallBack(this, &CMainForm::PostAutoLoginNotify);
  m_pLoginManager->AutoLogin();
}

void CMainForm::PostAutoLoginNotify(void* context) {
  WriteMessageLog(KeyPoint, "Post Message WM_NOTIFY_AUTO_LOGIN");
  auto* form = static_cast<CMainForm*>(context);
  ::PostMessageW(form->m_hWnd, WM_NOTIFY_AUTO_LOGIN, 0, 0);
}

LRESULT CMainForm::AfterAutoLogin(WPARAM, LPARAM) {
  if (m_bExiting) {
    WriteMessageLog(KeyPoint, "OnAutoLogin m_bExiting == true");
    return 0;
  }
  const int result = m_pLoginManager ? m_pLoginManager->GetResultCode() : LoginManager::kNone;
  const bool signedIn =
      result == LoginManager::kOk ||
      (result == LoginManager::kOkLocalConfig && GetAccountData()->GetUserConfig().UC_FileSizeLimit > 0);
  if (signedIn) {
    if (OpenUserDB(GetAccountData()->GetSnapshot().FullName) != 0) {
      WriteLog(ErrorLog, "CMainForm::AfterAutoLogin", "Open UserDB failed");
      // Not a dead end: signed out again, and the wizard tells the user.
      ShowAutoLoginFailure(LoginManager::kOtherError);
      return 0;
    }
    CheckSyncFolderAndStart();
    return 0;
  }
  ShowAutoLoginFailure(result);
  return 0;
}

void CMainForm::CheckSyncFolderAndStart() {
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  if (!root->IsRootRecordValid(GetAccountData()->GetSnapshot().FullName)) {
    SetTrackerWord(&SyncStatusTracker::m_nEngineState, kEngineChooseFolder);
    ReopenWizard(kWizardModeFolder);
    return;
  }
  root->Reload();
  const juce::String rootPath = root->GetRootPath();
  if ((rootPath.isNotEmpty() && juce::File(rootPath).exists()) || root->GetRootFolderID() <= 0) {
    BeginInitLogicFlow();
    return;
  }
  SetTrackerWord(&SyncStatusTracker::m_nEngineState, kEngineChooseFolder);
  if (AskSyncFolderMissing())
    ExitApp();
  else
    ReopenWizard(kWizardModeFolder);
}

int CMainForm::AskSyncFolderMissing() {
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  root->Reload();
  CDorvMessageBox box;
  box.SetContent(2, Common::CMutiLanSupport::GetInstance()->GetStringViaID(L"STRID_SYNDIRNOTFOUNDFORM_TIETLE"),
                 L"InnerPanelSynDirNotFound");
  if (!box.Create(this)) return 0;
  ShowCompacted(box, L"V1", Common::String_To_CString(root->GetRootPath()));
  ShowCompacted(box, L"V2", Common::String_To_CString(GetAccountData()->GetSnapshot().FullName));
  return box.DoModal();
}

void CMainForm::BeginInitLogicFlow() {
  SetTrackerWord(&SyncStatusTracker::m_nEngineState, SyncStatusTracker::ENGINE_RUNNING);
  SetTrackerWord(&SyncStatusTracker::m_nTransferState, SyncStatusTracker::TRANSFER_IDLE);
  SetTrackerWord(&SyncStatusTracker::m_nSyncState, SyncStatusTracker::SYNC_SYNCING);
  if (m_pSetForm) ::PostMessageW(m_pSetForm->GetSafeHwnd(), WM_NOTIFY_INIT_FLOW_BEGUN, 0, 0);
  WriteMessageLog(KeyPoint, "Begin Init Logic Flow");
  if (SyncLogic* engine = GetSyncLogic()) engine->StartWorkflow();
}
