// The wizard's sign-in page: fields, suggestions of the service's mail
// domains, the sign-in on the sign-in manager's pool thread and its result.
#include <vector>

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/login/LoginManager.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/AppMessages.h"
#include "client/windows/InlineTips.h"
#include "client/windows/MainForm.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"
#include "ui/controls/EditExConfig.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIListBox.h"
#include "ui/controls/UIPage.h"

namespace {

constexpr int kEngineSignedInNoFolder = 3;
constexpr int kModeAccountChanged = 1;
constexpr int kLongPasswordCut = 16;

CString Text(const wchar_t* id) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(id); }

// A '|'-separated list of the string table.
std::vector<CString> TextList(const wchar_t* id) {
  std::vector<CString> out;
  const CString all = Text(id);
  int start = 0;
  while (start <= all.GetLength()) {
    int bar = all.Find(L'|', start);
    if (bar < 0) bar = all.GetLength();
    if (bar > start) out.push_back(all.Mid(start, bar - start));
    start = bar + 1;
  }
  return out;
}

// The deployment's mail domains, "@" included, the default first.
const std::vector<CString>& MailSuffixes() {
  static const std::vector<CString> suffixes = TextList(L"STRID_LOGINPAGE_MAILDOMAINS");
  return suffixes;
}

CString DefaultSuffix() { return MailSuffixes().empty() ? CString(L"@") : MailSuffixes().front(); }

struct LoginErrorText {
  int code;
  const char* log;
  const wchar_t* key;
};
const LoginErrorText kLoginErrors[] = {
    {2, "LOGIN_ERROR_NETERROR", L"STRID_LOGINPAGE_NETERROR"},
    {3, "LOGIN_ERROR_USERNAMEORPWDWRONG", L"STRID_LOGINPAGE_ACCOUNTPWDWRONG"},
    {4, "LOGIN_ERROR_SERVERINTERNALERROR", L"STRID_LOGINPAGE_SERVERINTERNALERROR"},
    {5, "LOGIN_ERROR_PWDWRONGTIMEEXCEEDLIMITED", L"STRID_LOGINPAGE_PWDWRONGTIMEEXCEEDLIMITED"},
    {6, "LOGIN_ERROR_ACCOUNTLOCKED", L"STRID_LOGINPAGE_ACCOUNTLOCKED"},
    {7, "LOGIN_ERROR_ACOUNTDEBT", L"STRID_LOGINPAGE_ACCOUNTDEBT"},
    {8, "LOGIN_ERROR_LOGINWRONGTIMETOOMANY", L"STRID_LOGINPAGE_LOGINWRONGTIMETOOMANY"},
    {9, "LOGIN_ERROR_LOGINTIMETOOMANY", L"STRID_LOGINPAGE_LOGINTIMETOOMANY"},
    {10, "LOGIN_ERROR_LOGINTOOFREQUENTLY", L"STRID_LOGINPAGE_LOGINTOOFREQUENTLY"},
    {11, "LOGIN_ERROR_ACCOUNTINACTIVIE", L"STRID_LOGINPAGE_ACCOUNTINACTIVIEERROR"},
    {12, "LOGIN_ERROR_GETUSERCONFIGERROR", L"STRID_LOGINPAGE_GETUSERCONFIGDATA"},
    {13, "LOGIN_ERROR_USERFORBIDDEN", L"STRID_LOGINPAGE_USERFORBIDDEN"},
    {14, "LOGIN_ERROR_UNKNOWNERROR", L"STRID_LOGINPAGE_UNKNOWNERROR"},
};

void SetLook(UI::CUIEditEx* edit, bool error) {
  auto* config = edit ? dynamic_cast<UI::_EditExConfig*>(edit->GetSkinConfig(CString())) : nullptr;
  if (!config) return;
  UI::CEdge& edge = config->m_imageReadonly.m_edge;
  edge.m_first = error ? CRect(93, 36, 101, 70) : CRect(9, 36, 17, 70);
  edge.m_middle = error ? CRect(112, 36, 113, 70) : CRect(27, 36, 28, 70);
  edge.m_last = error ? CRect(121, 36, 129, 70) : CRect(37, 36, 45, 70);
  // The colour-drawn skin shows the same two looks in its frame line.
  config->m_readonlyBorderColor = error ? 0xFFEE3D4D : 0xFFC7CED6;
  edit->Refresh(FALSE, nullptr);
}

}  // namespace

int CInitSetForm::InitLoginPage() {
  auto* page = dynamic_cast<UI::CUIPage*>(FindControlRecusive(L"LoginPage"));
  if (!page) return 0;
  m_pCurPage = page;
  m_pLoginButton = page->FindControlRecusive(L"LoginButton");
  m_pUserNameEdit = dynamic_cast<UI::CUIEditEx*>(page->FindControlRecusive(L"UserNameEdit"));
  m_pUsernameTipLabel = page->FindControlRecusive(L"UsernameTipLabel");
  m_pPwdEdit = dynamic_cast<UI::CUIEditEx*>(page->FindControlRecusive(L"PwdEdit"));
  m_pComputerNameEdit = dynamic_cast<UI::CUIEditEx*>(page->FindControlRecusive(L"ComputerNameEdit"));
  m_pForgetPwdLabel = page->FindControlRecusive(L"ForgetPwdLabel");
  m_pRegisterLabel = page->FindControlRecusive(L"RegisterLabel");
  m_pAutoChooseList = dynamic_cast<UI::CUIListBox*>(page->FindControlRecusive(L"AutoChooseList"));
  if (!m_pPwdEdit || !m_pAutoChooseList) return 0;
  for (UI::CUIEditEx* edit : {m_pUserNameEdit, m_pPwdEdit}) {
    if (!edit) continue;
    edit->m_TextChangedHandler = fastdelegate::MakeDelegate(this, &CInitSetForm::OnUserNameChanged);
    edit->m_FocusChangedHandler = fastdelegate::MakeDelegate(this, &CInitSetForm::OnEditFocusChanged);
  }
  const CString mask = Text(L"STRID_LOGINPAGE_PASSWD");
  if (!mask.IsEmpty()) m_pPwdEdit->SetPasswordChar(mask[0]);
  if (m_pComputerNameEdit) {
    m_pComputerNameEdit->SetText(Common::String_To_CString(SyncHelper::GetLocalComputerName()));
    m_pComputerNameEdit->SetEnabled(FALSE);
  }
  page->SetBeforChangeNextPageHandler(fastdelegate::MakeDelegate(this, &CInitSetForm::OnBeforeNextPage));
  ClearTABOrder();
  for (UI::CUIControl* control : std::initializer_list<UI::CUIControl*>{
           m_pUserNameEdit, m_pPwdEdit, m_pComputerNameEdit, m_pForgetPwdLabel, m_pRegisterLabel})
    if (control) AddTABOrder(control);
  if (m_pUserNameEdit) m_pUserNameEdit->SetKBFocused(TRUE);
  return 1;
}

void CInitSetForm::EnableLoginFields(BOOL enable) {
  if (m_pLoginButton) m_pLoginButton->SetEnabled(enable);
  if (m_pUserNameEdit) m_pUserNameEdit->SetEnabled(enable);
  if (m_pPwdEdit) m_pPwdEdit->SetEnabled(enable);
}

void CInitSetForm::StartLogin() {
  if (!m_pUserNameEdit || !m_pPwdEdit) return;
  CString name = m_pUserNameEdit->GetText();
  name.Trim();
  name.MakeLower();
  CString password = m_pPwdEdit->GetText();
  UI::CUIControl* tip = FindControlRecusive(L"TipPanel");
  if (tip) tip->SetVisible(TRUE);
  SetEditNormalLook(m_pUserNameEdit);
  SetEditNormalLook(m_pPwdEdit);
  SetEditNormalLook(m_pComputerNameEdit);
  if (name.IsEmpty() || password.IsEmpty()) {
    SetEditErrorLook(m_pUserNameEdit);
    SetEditErrorLook(m_pPwdEdit);
    ShowErrorTip(this, Text(L"STRID_LOGINPAGE_INPUTACCOUNTPWDCOMPUTERNAME"), tip);
    Refresh(FALSE, nullptr);
    return;
  }
  EnableLoginFields(FALSE);
  if (m_pComputerNameEdit) m_pComputerNameEdit->SetEnabled(FALSE);
  ShowInfoTip(tip, Text(L"STRID_LOGINPAGE_LOGINING"), this);
  Refresh(FALSE, nullptr);
  if (!m_pLoginManager) m_pLoginManager = std::make_unique<LoginManager>();
  const int at = name.ReverseFind(L'@');
  if (at > 0) {
    CString domain = name.Mid(at + 1);
    domain.MakeLower();
    for (const CString& cut : TextList(L"STRID_LOGINPAGE_SHORTPWDDOMAINS"))
      if (domain == cut && password.GetLength() > kLongPasswordCut) password = password.Left(kLongPasswordCut);
  }
  // The callback gets the window's handle, never the form: a reply that comes
  // after the window has gone is posted nowhere.
  m_pLoginManager->SetAfterLoginCallBack(m_hWnd, &CInitSetForm::OnLoginDone);
  const bool autoLogin = GetAccountData()->GetSnapshot().IsAutoLogin == 1;
  m_pLoginManager->Login(Common::CString_to_String(name), Common::CString_to_String(password), autoLogin,
                         m_bUseSavedPassword);
}

void CInitSetForm::OnLoginDone(void* window) {
  ::PostMessageW(static_cast<HWND>(window), WM_NOTIFY_LOGIN_DONE, 0, 0);
}

void CInitSetForm::OnLoginCallBack() {
  if (!m_pLoginManager) return;
  const int code = m_pLoginManager->GetResultCode();
  if (code == LoginManager::kOk) {
    WriteLog(KeyPoint, "OnLoginCallBack", "UI Login OK Process");
    LoginSuccess();
  } else {
    WriteLog(ErrorLog, "OnLoginCallBack", "UI Login Error Process");
    ShowLoginError(code);
  }
}

void CInitSetForm::LoginSuccess() {
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  if (tracker) {
    tracker->m_nEngineState = kEngineSignedInNoFolder;
    tracker->PushTrayState();
  }
  if (m_pOwner && m_pOwner->m_pSetForm && m_pOwner->m_pSetForm->m_hWnd)
    ::PostMessageW(m_pOwner->m_pSetForm->m_hWnd, WM_NOTIFY_WIZARD_SIGNED_IN, 0, 0);
  const juce::String account = m_pLoginManager->GetUserName();
  if (OpenUserDB(account) != 0) {
    WriteLog(ErrorLog, "CInitSetForm::LoginSuccess", "Open UserDB failed");
    // No dead end: the user is told and may try again.
    if (tracker) {
      tracker->m_nEngineState = 0;
      tracker->PushTrayState();
    }
    EnableLoginFields(TRUE);
    ShowErrorTip(this, Text(L"STRID_LOGINPAGE_OPENUSERDBFAILED"), FindControlRecusive(L"TipPanel"));
    Refresh(FALSE, nullptr);
    return;
  }
  if (!SyncRootFolder::GetInstance()->IsRootRecordValid(account)) {
    GoToPage(L"CustomSetPage");
  } else if (GetProductInfo().CurrentUser == account && m_nMode != kModeAccountChanged) {
    Finish();
  } else {
    GoToPage(L"SelectPreSetOrNotPage");
  }
}

// The service's code of the sign-in that failed: this page's own, or, before
// this page signed in at all, the main form's automatic one.
int CInitSetForm::LastServerCode() const {
  if (m_pLoginManager) return m_pLoginManager->GetServerCode();
  if (m_pOwner && m_pOwner->GetLoginManager()) return m_pOwner->GetLoginManager()->GetServerCode();
  return 0;
}

void CInitSetForm::ShowLoginError(int code) {
  if (m_pUsernameTipLabel) m_pUsernameTipLabel->SetVisible(FALSE);
  EnableLoginFields(TRUE);
  CString text = Text(L"");
  for (const LoginErrorText& error : kLoginErrors) {
    if (error.code != code) continue;
    WriteLog(ErrorLog, "LoginError", error.log);
    text = Text(error.key);
    if (code == LoginManager::kOtherError) {
      const CString format = text;
      text.Format(static_cast<const wchar_t*>(format), LastServerCode());
    }
    break;
  }
  if (code == LoginManager::kWrongAccount) {
    SetEditErrorLook(m_pUserNameEdit);
    SetEditErrorLook(m_pPwdEdit);
  }
  ShowErrorTip(this, text, FindControlRecusive(L"TipPanel"));
  Refresh(FALSE, nullptr);
}

void CInitSetForm::FillLogin(CString name, CString password, bool focusPassword) {
  if (m_pUserNameEdit) m_pUserNameEdit->SetText(name);
  if (m_pAutoChooseList) m_pAutoChooseList->SetVisible(FALSE);
  if (m_pPwdEdit) {
    m_pPwdEdit->SetText(password);
    if (focusPassword) m_pPwdEdit->SetKBFocused(TRUE);
  }
  if (m_pUsernameTipLabel) m_pUsernameTipLabel->SetVisible(FALSE);
}

bool CInitSetForm::IsSuggestionListShown() { return m_pAutoChooseList && m_pAutoChooseList->IsVisible(); }

void CInitSetForm::OnUserNameChanged(UI::CUIEditEx* edit) {
  if (edit == m_pPwdEdit) {
    m_bUseSavedPassword = false;
    return;
  }
  if (edit != m_pUserNameEdit || !m_pAutoChooseList) return;
  CString text = edit->GetText();
  if (text.IsEmpty()) {
    if (IsSuggestionListShown()) m_pAutoChooseList->SetVisible(FALSE);
    if (m_pUsernameTipLabel) m_pUsernameTipLabel->SetVisible(TRUE);
    Refresh(FALSE, nullptr);
    return;
  }
  if (m_pUsernameTipLabel) m_pUsernameTipLabel->SetVisible(FALSE);
  m_pAutoChooseList->DeleteAlltems();
  CString domain = L"@";
  if (const int at = text.Find(L'@'); at >= 0) {
    domain = text.Mid(at);
    text = text.Left(at);
  }
  int entries = 0;
  for (const CString& suffix : MailSuffixes()) {
    if (suffix.Find(domain) < 0) continue;
    m_pAutoChooseList->AddItemData(new UI::ListBoxItemData(text + suffix));
    ++entries;
  }
  if (entries > 0) {
    const CRect padding = m_pAutoChooseList->GetPadding();
    const int itemHeight = m_pAutoChooseList->GetItemSize().cy;
    m_pAutoChooseList->SetSize(m_pAutoChooseList->GetSize().cx,
                               padding.top + padding.bottom + itemHeight * (entries + 1));
    m_pAutoChooseList->InsertItemData(new UI::ListBoxItemData(Text(L"TOOLTIP_CAPTION_PLEASESELORCONTIINPUT")), 0);
    m_pAutoChooseList->CreateScrollBar();
    if (UI::CUIControl* parent = m_pAutoChooseList->GetParent()) parent->ArrangeAllSubControls();
    m_pAutoChooseList->GeneraterControl();
    if (UI::CUIItemBase* caption = m_pAutoChooseList->GetItemFromDataIndex(0)) caption->SetEnabled(FALSE);
    m_pAutoChooseList->UnSelectAll();
    m_pAutoChooseList->SetSelected(1);
    if (!m_pAutoChooseList->IsVisible()) m_pAutoChooseList->SetVisible(TRUE);
  } else if (IsSuggestionListShown()) {
    m_pAutoChooseList->SetVisible(FALSE);
  }
  Refresh(FALSE, nullptr);
}

void CInitSetForm::OnEditFocusChanged(UI::CUIEditEx* edit) {
  if (!edit) return;
  if (edit->IsKBFocused()) {
    if (edit == m_pUserNameEdit || edit == m_pPwdEdit) {
      SetEditNormalLook(m_pUserNameEdit);
      SetEditNormalLook(m_pPwdEdit);
    } else if (edit == m_pComputerNameEdit) {
      SetEditNormalLook(edit);
    }
    return;
  }
  if (edit != m_pUserNameEdit) return;
  CString text = edit->GetText();
  text.Trim();
  if (text.IsEmpty()) return;
  const int at = text.Find(L'@');
  if (at < 0)
    edit->SetText(text + DefaultSuffix());
  else if (at == text.GetLength() - 1)
    edit->SetText(text.Left(at) + DefaultSuffix());
}

void CInitSetForm::AcceptSuggestion() {
  if (!m_pAutoChooseList) return;
  auto* data = dynamic_cast<UI::ListBoxItemData*>(m_pAutoChooseList->GetSelected());
  // The first row is the list's caption, never a suggestion: the first
  // suggestion stands for it.
  if (!data || m_pAutoChooseList->GetDataIndexFromData(data) == 0)
    data = dynamic_cast<UI::ListBoxItemData*>(m_pAutoChooseList->GetDataFromIndex(1));
  const CString chosen = data ? data->m_strText : CString();
  m_pAutoChooseList->SetVisible(FALSE);
  if (data && m_pUserNameEdit) m_pUserNameEdit->SetText(chosen);
  // Setting the text offered the list again.
  m_pAutoChooseList->SetVisible(FALSE);
}

void CInitSetForm::SetEditNormalLook(UI::CUIEditEx* edit) { SetLook(edit, false); }

void CInitSetForm::SetEditErrorLook(UI::CUIEditEx* edit) { SetLook(edit, true); }
