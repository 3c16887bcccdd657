// The wizard's form: creation, pages and their flow, keys, closing.
#include "client/windows/wizard/InitSetForm.h"

#include "client/core/GlobalConfig.h"
#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/login/LoginManager.h"
#include "client/core/protocol/ServerDirInfo.h"
#include "client/core/stats/StatisticsTask.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/windows/AppMessages.h"
#include "client/windows/DorvMessageBox.h"
#include "client/windows/FolderPicker.h"
#include "client/windows/MainForm.h"
#include "common/MutiLanSupport.h"
#include "ui/UIManager.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIListBox.h"
#include "ui/controls/UIPage.h"

namespace {

constexpr DWORD kWizardExStyle = 0x00040010;  // WS_EX_APPWINDOW | WS_EX_ACCEPTFILES
constexpr DWORD kWizardStyle = 0x800A0000;    // WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX
constexpr int kModeAccountChanged = 1;
constexpr int kModeRebind = 2;
constexpr int kModeFolderMissing = 3;
constexpr int kClickEvent = 1, kChangedEvent = 2, kEnterEvent = 5, kLeaveEvent = 6;

CString Text(const wchar_t* id) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(id); }

// The folder on the service the client syncs with; loaded by the first wizard.
CString g_strWebFolderName;

}  // namespace

BEGIN_MESSAGE_MAP(CInitSetForm, UI::CUIForm)
  ON_WM_CLOSE()
  ON_MESSAGE(WM_WIZARD_HELP_LINK, &CInitSetForm::OnHelpLink)
END_MESSAGE_MAP()

CInitSetForm::CInitSetForm(CMainForm* owner) : m_pOwner(owner) {
  SetObjectID(L"InitSetForm");
  m_strDefaultFolderName = Text(L"STRID_INITSETFORMPUBLIC_SYNCFOLDERNAME");
  if (g_strWebFolderName.IsEmpty()) g_strWebFolderName = Text(L"STRID_WEB_FOLDER_NAME");
}

// The sign-in manager's destructor waits for a reply being handled and
// silences later ones; the pool's folder requests answer through the window,
// which is gone by now.
CInitSetForm::~CInitSetForm() = default;

int CInitSetForm::Create(int mode, CWnd* parent) {
  m_strStartPage = mode == kModeFolderMissing ? L"CustomSetPage" : L"LoginPage";
  m_nMode = mode;
  if (!UI::CUIForm::Create(kWizardExStyle, kWizardStyle, L"InitSetFormClass", Text(L"STRID_SYNDIRNOTFOUNDFORM_TIETLE"),
                           parent, 0, CRect(0, 0, 1, 1)))
    return 0;
  SetIcon(4, TRUE);
  SetIcon(4, FALSE);
  CenterWindow();
  BringWindowToTop();
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CInitSetForm::OnClick));
  ListenEvent(kChangedEvent, fastdelegate::MakeDelegate(this, &CInitSetForm::OnPageChanged));
  ListenEvent(kEnterEvent, fastdelegate::MakeDelegate(this, &CInitSetForm::OnMouseHover));
  ListenEvent(kLeaveEvent, fastdelegate::MakeDelegate(this, &CInitSetForm::OnMouseLeave));
  return 1;
}

BOOL CInitSetForm::OnBuildControlAfter() {
  m_pCurPage = dynamic_cast<UI::CUIPage*>(FindControlRecusive(m_strStartPage));
  if (m_pCurPage) m_pCurPage->SetVisible(TRUE);
  if (UI::CUIControl* top = FindControlRecusive(L"TopPanel")) {
    if (UI::CUIControl* version = top->FindControlRecusive(L"Version"))
      version->SetText(L"V" + GetGlobalConfig()->m_strVersion, FALSE);
  }
  return TRUE;
}

void CInitSetForm::ArrangeAllSubControls() {
  UI::CUIForm::ArrangeAllSubControls();
  // The framework lays the form out at creation and again at will: a page is
  // initialised when it becomes current, not at every pass.
  if (m_pCurPage && m_pCurPage != m_pInitedPage) InitPage(m_pCurPage->GetObjectID());
}

int CInitSetForm::InitPage(const CString& id) {
  int result = 0;
  if (id == L"LoginPage")
    result = InitLoginPage();
  else if (id == L"SelectPreSetOrNotPage")
    result = InitSelectPreSetPage();
  else if (id == L"CustomSetPage")
    result = InitCustomSetPage();
  else if (id == L"NewGuidePage1" || id == L"NewGuidePage2" || id == L"NewGuidePage3")
    result = InitGuidePage(id);
  else if (id == L"SetCompletePage")
    result = InitSetCompletePage();
  else {
    WriteMessageLog(ErrorLog, "Init Error Page in InitSetForm");
    return 0;
  }
  m_pInitedPage = m_pCurPage;
  return result;
}

void CInitSetForm::GoToPage(const CString& id) {
  auto* page = dynamic_cast<UI::CUIPage*>(FindControlRecusive(id));
  if (!page) {
    WriteMessageLog(ErrorLog, "Init Error Page in InitSetForm");
    return;
  }
  if (m_pCurPage) {
    m_pCurPage->SetNextPage(page);
    m_pCurPage->SetVisible(FALSE);
  }
  page->SetVisible(TRUE);
  m_pCurPage = page;
  DispatchEvent(page, kChangedEvent, page);
  InitPage(id);
  ArrangeAllSubControls();
  Refresh(FALSE, nullptr);
}

void CInitSetForm::MoveFromPage(UI::CUIPage* page, const CString& target, bool next) {
  auto* to = dynamic_cast<UI::CUIPage*>(FindControlRecusive(target));
  if (!to) return;
  if (next)
    page->SetNextPage(to);
  else
    page->SetPrevPage(to);
  m_pCurPage = to;
  InitPage(target);
}

void CInitSetForm::OnBeforeNextPage(UI::CUIPage* page, int& allow) {
  const CString id = page->GetObjectID();
  allow = 1;
  if (id.CompareNoCase(L"LoginPage") == 0) {
    if (UI::CUIControl* focus = GetKeyFocusControl(); focus && focus != this) focus->SetKBFocused(FALSE);
    StartLogin();
    allow = 0;
  } else if (id.CompareNoCase(L"SelectPreSetOrNotPage") == 0) {
    auto* keep = dynamic_cast<UI::CUICheckBox*>(FindControlRecusive(L"SelectPreSetRadioButton"));
    if (keep && keep->IsChecked()) {
      ReportUsageEvent("default", "use_previous_setting");
      RememberAccount();
      const juce::String root = SyncRootFolder::GetInstance()->GetRootPath();
      if (root.isEmpty() || !juce::File(root).isDirectory()) {
        // The wizard closes: the page stays, so that no next page left from
        // an earlier visit shows up uninitialised behind the main form's box.
        PostToOwner(WM_NOTIFY_SETUP_REUSED, 0, 0);
        PostMessage(WM_CLOSE, 0, 0);
        allow = 0;
      } else {
        m_bSameRoot = true;
        MoveFromPage(page, L"SetCompletePage", true);
      }
    } else {
      ReportUsageEvent("default", "custom_setting");
      MoveFromPage(page, L"CustomSetPage", true);
    }
  } else if (id.CompareNoCase(L"CustomSetPage") == 0) {
    StartFolderStep();
    allow = 0;
  } else if (id.CompareNoCase(L"NewGuidePage1") == 0) {
    MoveFromPage(page, L"NewGuidePage2", true);
    if (SyncHelper::IsVip(GetAccountData()->GetSnapshot().FullName))
      if (UI::CUIControl* exchange = FindControlRecusive(L"ExchangeLabel")) exchange->SetVisible(FALSE);
  } else if (id.CompareNoCase(L"NewGuidePage2") == 0) {
    MoveFromPage(page, L"NewGuidePage3", true);
  } else if (id.CompareNoCase(L"NewGuidePage3") == 0) {
    CommitSettings();
    MoveFromPage(page, L"SetCompletePage", true);
  }
}

void CInitSetForm::OnBeforePrevPage(UI::CUIPage* page, int& allow) {
  const CString id = page->GetObjectID();
  allow = 1;
  if (id.CompareNoCase(L"NewGuidePage1") == 0) {
    MoveFromPage(page, L"CustomSetPage", false);
  } else if (id.CompareNoCase(L"NewGuidePage2") == 0) {
    MoveFromPage(page, L"NewGuidePage1", false);
  } else if (id.CompareNoCase(L"NewGuidePage3") == 0) {
    MoveFromPage(page, L"NewGuidePage2", false);
  } else if (id.CompareNoCase(L"SetCompletePage") == 0) {
    ProductInfo product = GetProductInfo();
    product.CurrentUser = juce::String();
    SaveProductInfo(product);
    MoveFromPage(page, LoginManager::IsFirstAccount() ? L"NewGuidePage3" : L"CustomSetPage", false);
  }
}

int CInitSetForm::OnClick(UI::CUIControl* sender, void*) {
  if (!sender) return 1;
  const CString id = sender->GetObjectID();
  if (id == L"ButtonClose") {
    AskExit();
  } else if (id == L"OverButton") {
    Complete(true);
    return 1;
  } else if (sender->GetType() == L"CUIListBoxItem" && m_pAutoChooseList &&
             sender->GetParent() == m_pAutoChooseList) {
    AcceptSuggestion();
    PostMessage(WM_KEYDOWN, VK_TAB, 0);
  } else if (id == L"LocalModify" || id == L"CustomSetLocalSynDirButton") {
    ChooseLocalFolder();
    if (m_bClosing) return 1;  // the window went while the chooser was open
  } else if (id == L"RegisterLabel") {
    ReportUsageEvent("default", "register");
  } else if (id == L"SkipGuideButton") {
    CommitSettings();
    GoToPage(L"SetCompletePage");
  } else if (id == L"ExchangeLabel") {
    PostToOwner(WM_NOTIFY_OPEN_CREDIT_GUIDE, 0, 0);
  }
  Refresh(FALSE, nullptr);
  return 1;
}

int CInitSetForm::OnMouseHover(UI::CUIControl* sender, void*) {
  if (sender && sender->GetObjectID() == L"ComputerNameEdit")
    if (UI::CUIControl* tip = FindControlRecusive(L"ComputerNameTip")) tip->SetVisible(TRUE);
  Refresh(FALSE, nullptr);
  return 1;
}

int CInitSetForm::OnMouseLeave(UI::CUIControl* sender, void*) {
  if (sender && sender->GetObjectID() == L"ComputerNameEdit")
    if (UI::CUIControl* tip = FindControlRecusive(L"ComputerNameTip")) tip->SetVisible(FALSE);
  Refresh(FALSE, nullptr);
  return 1;
}

bool CInitSetForm::PressDefaultButton() {
  if (!m_pCurPage || !IsWindowEnabled() || !IsWindowVisible()) return false;
  const CString id = m_pCurPage->GetObjectID();
  const wchar_t* button = nullptr;
  if (id == L"LoginPage")
    button = L"LoginButton";
  else if (id == L"SelectPreSetOrNotPage" || id == L"CustomSetPage" || id == L"NewGuidePage1" ||
           id == L"NewGuidePage2" || id == L"NewGuidePage3")
    button = L"NextButton";
  else if (id == L"SetCompletePage")
    button = L"OverButton";
  if (!button) return false;
  if (UI::CUIControl* control = m_pCurPage->FindControlRecusive(button)) control->FireEvent(kClickEvent, nullptr);
  return true;
}

BOOL CInitSetForm::OnKeyMessage(UINT message, UINT key, UINT, UINT) {
  if (message != WM_KEYDOWN || key != VK_RETURN) return FALSE;
  return PressDefaultButton() ? TRUE : FALSE;
}

void CInitSetForm::PostToOwner(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pOwner && m_pOwner->m_hWnd) ::PostMessageW(m_pOwner->m_hWnd, message, wParam, lParam);
}

void CInitSetForm::Finish() {
  PostToOwner(WM_NOTIFY_SETUP_REUSED, m_nMode, m_bMerge ? 1 : 0);
  PostMessage(WM_CLOSE, 0, 0);
}

void CInitSetForm::Complete(bool overButton) {
  PostToOwner(WM_NOTIFY_SETUP_DONE, m_nMode, m_bMerge ? 1 : 0);
  if (overButton && m_pOwner) {
    auto* open = dynamic_cast<UI::CUICheckBox*>(FindControlRecusive(L"OpenSynDirCheckBox"));
    if (open && open->IsChecked()) m_pOwner->OpenSyncFolder();
  }
  PostMessage(WM_CLOSE, 0, 0);
}

void CInitSetForm::AskExit() {
  CDorvMessageBox box;
  box.SetContent(1, Text(L"STRID_SIMPLEEXITFORM_TIETLE"), L"InnerPanelSimpleExit");
  if (!box.Create(this)) return;
  if (m_pCurPage && m_pCurPage->GetObjectID() == L"SetCompletePage") {
    box.DestroyWindow();
    Complete(false);
    return;
  }
  if (m_nMode == kModeRebind) {
    box.DestroyWindow();
    PostMessage(WM_CLOSE, 0, 0);
    return;
  }
  if (box.DoModal() && m_pOwner) {
    if (UI::CUIManager* manager = UI::CUIManager::GetInstance()) manager->ExitModalWnds(0);
    ::PostMessageW(m_pOwner->m_hWnd, WM_QUIT, 0, 0);
  }
}

LRESULT CInitSetForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY_LOGIN_DONE: OnLoginCallBack(); return 1;
    case WM_NOTIFY_ADD_FOLDER_DONE:
      if (lParam) OnAddFolderResult(*reinterpret_cast<const DirReply*>(lParam));
      return 1;
    case WM_NOTIFY_SERVER_DIR_DONE:
      if (lParam) OnServerDirResult(*reinterpret_cast<const DirTreeReply*>(lParam));
      return 1;
    case WM_KEYDOWN: {
      const bool onLoginPage = m_pCurPage && m_pCurPage->GetObjectID() == L"LoginPage";
      if (onLoginPage && IsSuggestionListShown()) {
        if (wParam == VK_UP || wParam == VK_DOWN) {
          static_cast<UI::CUIControl*>(m_pAutoChooseList)->OnKeyMessage(WM_KEYDOWN, static_cast<UINT>(wParam), 0, 0);
          Refresh(FALSE, nullptr);
          return 1;
        }
        if (wParam == VK_TAB || wParam == VK_RETURN) {
          AcceptSuggestion();
          PostMessage(WM_KEYDOWN, VK_TAB, 0);
          Refresh(FALSE, nullptr);
          return 1;
        }
        break;
      }
      if (wParam == VK_ESCAPE) {
        AskExit();
        return 1;
      }
      if (wParam == VK_RETURN && PressDefaultButton()) return 1;
      break;
    }
    case WM_LBUTTONDOWN:
      if (m_pCurPage && m_pCurPage->GetObjectID() == L"LoginPage" && IsSuggestionListShown()) {
        const CPoint at(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        if (!(m_pUserNameEdit && m_pUserNameEdit->GetBounds().PtInRect(at)) &&
            !m_pAutoChooseList->GetBounds().PtInRect(at)) {
          m_pAutoChooseList->SetVisible(FALSE);
          Refresh(FALSE, nullptr);
        }
      }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        AskExit();
        return 1;
      }
      break;
    case WM_CLOSE:
      if (m_pFolderPicker) {
        // The chooser's loop still runs below us: it must see the wizard go.
        // The object outlives the window until the click that opened the
        // chooser has returned, and then goes as a closed wizard does.
        m_pFolderPicker->m_bCancelled = true;
        m_bClosing = true;
        PostToOwner(WM_NOTIFY_WIZARD_CLOSED, 0, 0);
        m_pOwner = nullptr;
        m_bDeleteOnDestroy = TRUE;
        DestroyWindow();
        return 1;
      }
      break;
    default: break;
  }
  return UI::CUIForm::WindowProc(message, wParam, lParam);
}

void CInitSetForm::OnClose() {
  PostToOwner(WM_NOTIFY_WIZARD_CLOSED, 0, 0);
  UI::CUIForm::OnClose();
}

LRESULT CInitSetForm::OnHelpLink(WPARAM wParam, LPARAM) {
  if (wParam == 1) PostToOwner(WM_NOTIFY_OPEN_HELP, 0, 0);
  return 0;
}
