#include "client/windows/settings/SetForm.h"

#include "client/core/GlobalConfig.h"
#include "client/core/account/AccountData.h"
#include "client/core/protocol/ServerDirInfo.h"
#include "client/core/stats/StatisticsTask.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/AppMessages.h"
#include "client/windows/DorvMessageBox.h"
#include "client/windows/FolderPicker.h"
#include "client/windows/TableFormat.h"
#include "common/AppPaths.h"
#include "common/MutiLanSupport.h"
#include "common/NumberText.h"
#include "common/StringConvert.h"
#include "common/TextFit.h"
#include "net/ProxyCfg.h"
#include "ui/controls/EditExConfig.h"
#include "ui/controls/LabelConfig.h"
#include "ui/controls/UICaption.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UITabControl.h"
#include "win32/SystemInfo.h"

namespace {

constexpr DWORD kSetFormExStyle = 0x40010;  // WS_EX_APPWINDOW | WS_EX_ACCEPTFILES
constexpr DWORD kSetFormStyle = 0x800A0000;  // a pop-up with system menu and minimize box
constexpr UINT kIconResource = 4;
constexpr int kClickEvent = 1;
constexpr int kChangedEvent = 2;
constexpr int kCompletedEvent = 8;

// Engine states of the tracker that the form tells apart.
constexpr int kEngineNone = 0;
constexpr int kEngineFolderToChoose = 3;
// The part of the account label's width that its text keeps beside the computer's name.
constexpr int kAccountLabelReserve = 228;
constexpr DWORD kComputerNameLength = 80;

CString Text(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

// The name of the service's folder that the sync root is bound to, read once.
CString& WebFolderName() {
  static CString name;
  return name;
}

int EngineState() {
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  return tracker ? tracker->m_nEngineState.load() : kEngineNone;
}

bool IsSignedIn() { return EngineState() != kEngineNone && GetAccountData()->IsLoggedIn(); }

bool IsId(UI::CUIControl* control, const wchar_t* id) {
  return control && control->GetObjectID().CompareNoCase(id) == 0;
}

// A control's font from its own style record.
bool StyleFont(UI::CUIControl* control, LOGFONTW& font) {
  if (auto* label = dynamic_cast<UI::_LabelConfig*>(control->GetSkinConfig(CString()))) {
    font = label->m_font;
    return true;
  }
  if (auto* edit = dynamic_cast<UI::_EditExConfig*>(control->GetSkinConfig(CString()))) {
    font = edit->m_font;
    return true;
  }
  return false;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSetForm, UI::CUIForm)
  ON_MESSAGE(UI::CUICaption::kHelpMsg, &CSetForm::OnHelpLink)
END_MESSAGE_MAP()

CSetForm::CSetForm(CWnd* mainForm) : m_pMainForm(mainForm), m_pProxyCfg(std::make_unique<Net::ProxyCfg>()) {
  SetObjectID(L"SetForm");
  m_strProgram = Common::GetAppPath() + L"Dorv_Win.exe";
  m_strAutoRunCmd = L"\"" + m_strProgram + L"\"";
  if (WebFolderName().IsEmpty()) WebFolderName() = Text(L"STRID_WEB_FOLDER_NAME");
}

CSetForm::~CSetForm() = default;

int CSetForm::Create() {
  if (!UI::CUIForm::Create(kSetFormExStyle, kSetFormStyle, L"SetFormClass", Text(L"STRID_SETFORM_TITLE"), nullptr, 0,
                           CRect(0, 0, 1, 1))) {
    return 0;
  }
  SetIcon(kIconResource, TRUE);
  SetIcon(kIconResource, FALSE);
  if (auto* tab = dynamic_cast<UI::CUITabControl*>(FindControlRecusive(L"SetTab"))) tab->SetSelected(1);
  CenterWindow();
  BringToTop();
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CSetForm::OnClick));
  ListenEvent(kChangedEvent, fastdelegate::MakeDelegate(this, &CSetForm::OnSelectChanged));
  ListenEvent(kCompletedEvent, fastdelegate::MakeDelegate(this, &CSetForm::OnComboTextFilled));
  return 1;
}

BOOL CSetForm::OnBuildControlAfter() {
  if (auto* box = dynamic_cast<UI::CUICheckBox*>(FindControlRecusive(L"AutoStartupCheckBox")))
    box->SetChecked(IsAutoRun(), 0);
  if (auto* box = dynamic_cast<UI::CUICheckBox*>(FindControlRecusive(L"DisplayNotifyCheckBox")))
    box->SetChecked(GetGlobalConfig()->m_bDisplayNotify.load() ? 1 : 0, 0);
  // The account and the folder are shown, not typed.
  for (const wchar_t* id : {L"UsedAccountEdit", L"LocalSynFolderEdit"}) {
    if (auto* edit = dynamic_cast<UI::CUIEditEx*>(FindControlRecusive(id))) edit->SetReadOnly(TRUE);
  }
  InitAccountSection();
  if (UI::CUIControl* version = FindControlRecusive(L"VersionLabel"))
    version->SetText(FormatTableText(version->GetText(), "s", GetGlobalConfig()->m_strVersion.GetString()), FALSE);

  m_pServerAddressEdit = dynamic_cast<UI::CUIEditEx*>(FindControlRecusive(L"ServerAddressEdit"));
  m_pPortEdit = dynamic_cast<UI::CUIEditEx*>(FindControlRecusive(L"PortEdit"));
  m_pUserEdit = dynamic_cast<UI::CUIEditEx*>(FindControlRecusive(L"UserEdit"));
  m_pPwdEdit = dynamic_cast<UI::CUIEditEx*>(FindControlRecusive(L"SetPwdEdit"));
  if (m_pPwdEdit) m_pPwdEdit->SetPasswordChar(L'*');
  BuildProxyPage();
  if (!BuildBandwidthPanel()) return FALSE;

  SetCommonTabOrder();
  SetKeyFocusControl(this);
  return TRUE;
}

void CSetForm::SetCommonTabOrder() {
  ClearTABOrder();
  for (const wchar_t* id : {L"AutoStartupCheckBox", L"AutoLoginCheckBox", L"DisplayNotifyCheckBox"}) {
    if (UI::CUIControl* control = FindControlRecusive(id)) AddTABOrder(control);
  }
}

void CSetForm::ArrangeAllSubControls() {
  UI::CUIForm::ArrangeAllSubControls();
  UpdatePathTexts();
}

// --- the account section ------------------------------------------------------

void CSetForm::InitAccountSection() {
  auto* autoLogin = dynamic_cast<UI::CUICheckBox*>(FindControlRecusive(L"AutoLoginCheckBox"));
  if (autoLogin) {
    autoLogin->SetChecked(0, 0);
    autoLogin->SetEnabled(FALSE);
  }
  const AccountSnapshot account = GetAccountData()->GetSnapshot();
  const int state = EngineState();
  if (!IsSignedIn()) {
    SetText(L"UsedFollowAccountLabel", Text(L"STRID_SETFORM_NOUSERLOGIN"));
    for (const wchar_t* id : {L"ChangeAccountButton", L"SetAgainButton", L"LocalSynFolderButton"})
      EnableControl(id, FALSE);
    SetText(L"CurSynDirPosLabel", Text(L"STRID_SETFORM_PLEASELOGINANDSYNCSET"));
    return;
  }
  SetText(L"UsedAccountEdit", L" " + Common::String_To_CString(account.FullName));
  EnableControl(L"ChangeAccountButton", TRUE);
  const BOOL folderSet = SyncRootFolder::GetInstance()->IsRootRecordValid() && state != kEngineFolderToChoose;
  EnableControl(L"SetAgainButton", folderSet);
  EnableControl(L"LocalSynFolderButton", folderSet);
  if (folderSet) {
    SetText(L"CurSynDirPosLabel", Text(L"STRID_SETFORM_CURSYNDIRPOS"));
    if (autoLogin) {
      autoLogin->SetEnabled(TRUE);
      autoLogin->SetChecked(account.IsAutoLogin ? 1 : 0, 0);
    }
  } else {
    SetText(L"CurSynDirPosLabel", Text(L"STRID_SETFORM_PLEASELOGINANDSYNCSET"));
  }
}

void CSetForm::UpdatePathTexts() {
  const int state = EngineState();
  if (!IsSignedIn()) return;
  if (UI::CUIControl* label = FindControlRecusive(L"UsedFollowAccountLabel")) {
    wchar_t name[kComputerNameLength + 1] = {};
    DWORD size = kComputerNameLength + 1;
    if (!::GetComputerNameW(name, &size)) name[0] = 0;
    CString computer = name;
    LOGFONTW font{};
    if (StyleFont(label, font))
      Common::PathCompactPathInCommon(this, computer, font, label->GetBounds().Width() - kAccountLabelReserve);
    label->SetText(FormatTableText(Text(L"STRID_SETFORM_USEDFOLLOWACCOUNT"), "s", computer.GetString()), FALSE);
  }
  if (state == kEngineFolderToChoose || !SyncRootFolder::GetInstance()->IsRootRecordValid()) return;
  if (UI::CUIControl* edit = FindControlRecusive(L"LocalSynFolderEdit")) {
    // A folder chosen and not applied yet is shown in place of the root.
    CString path = m_strPendingSyncFolder.IsEmpty() ? Common::String_To_CString(SyncRootFolder::GetInstance()->GetRootPath())
                                                    : m_strPendingSyncFolder;
    LOGFONTW font{};
    if (StyleFont(edit, font)) Common::PathCompactPathInCommon(this, path, font, edit->GetBounds().Width());
    SetText(L"LocalSynFolderEdit", L" " + path);
  }
}

// --- actions ------------------------------------------------------------------

int CSetForm::OnClick(UI::CUIControl* sender, void*) {
  if (!sender) return 1;
  if (IsId(sender, L"ConfirmButton")) {
    OnConfirm();
  } else if (IsId(sender, L"CancleButton")) {
    PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (IsId(sender, L"ChangeAccountButton")) {
    ReportUsageEvent("default", "switch_user_account");
    OnChangeAccount();
  } else if (IsId(sender, L"SetAgainButton") || IsId(sender, L"LocalSynFolderButton")) {
    ReportUsageEvent("default", "reset_setting");
    OnChangeSyncFolder();
  } else if (IsId(sender, L"TestProxyButton")) {
    OnProxyTest();
  } else if (sender->GetType() == L"CUICheckBox") {
    auto* box = dynamic_cast<UI::CUICheckBox*>(sender);
    if (box && !box->IsChecked()) {
      if (IsId(sender, L"AutoStartupCheckBox")) ReportUsageEvent("default", "cancel_autorun");
      if (IsId(sender, L"AutoLoginCheckBox")) ReportUsageEvent("default", "cancel_auto_login");
      if (IsId(sender, L"DisplayNotifyCheckBox")) ReportUsageEvent("default", "cancel_desktop_notify");
    }
  }
  return 1;
}

int CSetForm::OnSelectChanged(UI::CUIControl* sender, void*) {
  if (IsId(sender, L"SetTab")) {
    auto* tab = dynamic_cast<UI::CUITabControl*>(sender);
    m_pCurPage = tab ? tab->GetSelectedItem() : nullptr;
    if (IsId(m_pCurPage, L"Common")) SetCommonTabOrder();
    if (IsId(m_pCurPage, L"Internet")) SetInternetTabOrder();
  } else if (sender && sender == m_pLimitCheckBox) {
    const BOOL limit = m_pLimitCheckBox->IsChecked() ? TRUE : FALSE;
    m_pUploadLimitEdit->SetEnabled(limit);
    m_pDownloadLimitEdit->SetEnabled(limit);
    Repaint();
    if (limit) ReportUsageEvent("default", "limit_bandwidth");
  }
  return 1;
}

BOOL CSetForm::OnKeyMessage(UINT message, UINT code, UINT, UINT) {
  if (message == WM_KEYDOWN && code == VK_RETURN) {
    if (UI::CUIControl* confirm = FindControlRecusive(L"ConfirmButton")) confirm->FireEvent(kClickEvent, nullptr);
  }
  return TRUE;
}

LRESULT CSetForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      m_proxyTest.Abandon();
      m_serverDir.Abandon();
      if (m_pFolderPicker) m_pFolderPicker->m_bCancelled = true;
      if (m_pMainForm) ::PostMessageW(m_pMainForm->GetSafeHwnd(), WM_NOTIFY_SETFORM_CLOSED, 0, 0);
      break;
    case WM_LBUTTONDOWN:
      CloseProxyList(CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
      break;
    case WM_NOTIFY_WIZARD_SIGNED_IN:
    case WM_NOTIFY_INIT_FLOW_BEGUN:
      InitAccountSection();
      UpdatePathTexts();
      Repaint();
      return 0;
    case kProxyTestDoneMsg:
      OnProxyTestAnswer(wParam);
      return 0;
    case kServerDirDoneMsg:
      OnServerDirAnswer(wParam);
      return 0;
    default: break;
  }
  return UI::CUIForm::WindowProc(message, wParam, lParam);
}

LRESULT CSetForm::OnHelpLink(WPARAM wParam, LPARAM) {
  if (wParam == 1 && m_pMainForm) ::PostMessageW(m_pMainForm->GetSafeHwnd(), WM_NOTIFY_OPEN_HELP, 0, 0);
  return 0;
}

int CSetForm::OnConfirm() {
  const int type = GetComboProxyType();
  const CString address = EditText(m_pServerAddressEdit);
  const CString port = EditText(m_pPortEdit);
  if (type > kNoProxy && (address.IsEmpty() || port.IsEmpty())) {
    ShowBox(2, L"ProxyAddressOrPortNull", L"STRID_PROXYSETTIP_TIETLE");
    return 0;
  }

  auto checked = [this](const wchar_t* id) {
    auto* box = dynamic_cast<UI::CUICheckBox*>(FindControlRecusive(id));
    return box && box->IsChecked();
  };
  if (checked(L"AutoStartupCheckBox"))
    SetAutoRun();
  else
    RemoveAutoRun();

  // The box shows the account's flag only while it is enabled; a disabled
  // box (nobody signed in yet) leaves the stored flag alone.
  UI::CUIControl* autoLogin = FindControlRecusive(L"AutoLoginCheckBox");
  if (autoLogin && autoLogin->IsEnabled()) {
    AccountSnapshot account = GetAccountData()->GetSnapshot();
    account.IsAutoLogin = checked(L"AutoLoginCheckBox") ? 1 : 0;
    SaveAccountData(account);
  }

  GlobalConfig* config = GetGlobalConfig();
  config->m_bDisplayNotify = checked(L"DisplayNotifyCheckBox") ? 1 : 0;
  if (type >= kNoProxy) {
    Net::ProxyCfg proxy;
    if (type > kNoProxy) {
      proxy.m_type = type;
      proxy.m_host = Common::CString_to_utf8(address);
      proxy.m_port = Common::CString2Int(port);
      proxy.m_user = Common::CString_to_utf8(EditText(m_pUserEdit));
      proxy.m_password = Common::CString_to_utf8(EditText(m_pPwdEdit));
      config->SetStoredProxy(type, proxy);
    }
    config->SetCurrentProxy(proxy);
  }
  config->m_bBandWidthLimit = m_pLimitCheckBox && m_pLimitCheckBox->IsChecked() ? 1 : 0;
  if (config->m_bBandWidthLimit) {
    config->m_nUploadLimit = TakeLimit(m_pUploadLimitEdit);
    config->m_nDownloadLimit = TakeLimit(m_pDownloadLimitEdit);
  }
  SaveGlobalConfig(*config);
  if (m_pMainForm) ::PostMessageW(m_pMainForm->GetSafeHwnd(), WM_NOTIFY_BANDWIDTH_CHANGED, 0, 0);

  const bool rebound = RebindSyncFolder();
  PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  if (rebound && m_pMainForm) {
    ::PostMessageW(m_pMainForm->GetSafeHwnd(), WM_NOTIFY_SETFORM_CLOSED, 0, 0);
    ::PostMessageW(m_pMainForm->GetSafeHwnd(), WM_NOTIFY_SETUP_DONE, 2, m_bMerge);
  }
  return 1;
}

int CSetForm::OnChangeAccount() {
  CDorvMessageBox box;
  box.SetContent(1, Text(L"STRID_CHANGEACCOUNTFORM_TIETLE"), L"InnerPanelChangeAccount");
  if (!box.Create(this) || !box.DoModal()) return 1;
  if (!OnConfirm()) return 0;
  if (m_pMainForm) ::PostMessageW(m_pMainForm->GetSafeHwnd(), WM_NOTIFY_CHANGE_ACCOUNT, 0, 0);
  return 1;
}

// --- helpers ------------------------------------------------------------------

void CSetForm::ShowBox(int kind, const wchar_t* panel, const wchar_t* titleKey) {
  CDorvMessageBox box;
  box.SetContent(kind, Text(titleKey), panel);
  if (box.Create(this)) box.DoModal();
}

void CSetForm::SetText(const wchar_t* id, const CString& text) {
  UI::CUIControl* control = FindControlRecusive(id);
  if (auto* edit = dynamic_cast<UI::CUIEditEx*>(control))
    edit->SetText(text.GetString());
  else if (control)
    control->SetText(text, FALSE);
}

void CSetForm::EnableControl(const wchar_t* id, BOOL enable) {
  if (UI::CUIControl* control = FindControlRecusive(id)) control->SetEnabled(enable);
}

void CSetForm::Repaint() { Refresh(FALSE, nullptr); }

CString CSetForm::EditText(UI::CUIEditEx* edit) const {
  const wchar_t* text = edit ? edit->GetText() : nullptr;
  return CString(text ? text : L"");
}
