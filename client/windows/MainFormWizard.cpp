// The main form and the sign-in wizard: opening it in its modes, replacing an
// open one, and the sync folder shown in its place once set up.
#include <atomic>

#include "client/core/account/AccountData.h"
#include "client/core/login/LoginManager.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/MainForm.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/AppPaths.h"
#include "common/PathText.h"
#include "common/StringConvert.h"
#include "win32/Windows.h"

namespace {

constexpr int kWizardModeLogin = 0;
// What the password edit shows for the stored password.
constexpr const wchar_t* kMaskedPassword = L"***************";

// The welcome document goes into the sync folder at most once per process,
// after the account's first sign-in.
std::atomic<bool> g_welcomeCopied{false};

}  // namespace

void CMainForm::ReleaseForm(UI::CUIForm* form) {
  if (!form) return;
  if (::IsWindow(form->m_hWnd)) form->DestroyWindow();
  static_cast<UI::CUIControl*>(form)->Release();
}

CInitSetForm* CMainForm::OpenWizard(int mode, CWnd* parent) {
  if (m_pInitSetForm) {
    // Its close message would otherwise make this form forget the new one.
    m_pInitSetForm->DetachOwner();
    ::PostMessageW(m_pInitSetForm->m_hWnd, WM_CLOSE, 0, 0);
    m_pInitSetForm = nullptr;
  }
  auto* wizard = new CInitSetForm(this);
  if (!wizard->Create(mode, parent)) {
    ReleaseForm(wizard);
    return nullptr;
  }
  m_pInitSetForm = wizard;
  return wizard;
}

int CMainForm::ReopenWizard(int mode) {
  CInitSetForm* wizard = OpenWizard(mode, nullptr);
  if (!wizard) return 0;
  wizard->BringToTop();
  return 1;
}

void CMainForm::OfferStoredAccount(const juce::String& account) {
  CInitSetForm* wizard = OpenWizard(kWizardModeLogin, this);
  if (!wizard) return;
  wizard->FillLogin(Common::String_To_CString(account), L"", true);
  wizard->ShowWindow(SW_SHOWNORMAL);
}

void CMainForm::ShowAutoLoginFailure(int resultCode) {
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) {
    tracker->m_nEngineState.store(SyncStatusTracker::ENGINE_NONE);
    tracker->PushTrayState();
  }
  if (m_pSetForm) {
    ReleaseForm(m_pSetForm);
    m_pSetForm = nullptr;
  }
  CInitSetForm* wizard = OpenWizard(kWizardModeLogin, this);
  if (!wizard) return;
  if (UI::CUIControl* name = wizard->FindControlRecusive(L"UserNameEdit"))
    name->SetText(Common::String_To_CString(GetAccountData()->GetSnapshot().FullName), FALSE);
  if (UI::CUIControl* list = wizard->FindControlRecusive(L"AutoChooseList")) list->SetVisible(0);
  if (UI::CUIControl* password = wizard->FindControlRecusive(L"PwdEdit")) password->SetText(kMaskedPassword, FALSE);
  if (UI::CUIControl* tip = wizard->FindControlRecusive(L"UsernameTipLabel")) tip->SetVisible(0);
  // Set after the password edit was filled: its change clears the flag.
  wizard->m_bUseSavedPassword = true;
  wizard->ShowLoginError(resultCode);
  wizard->BringToTop();
}

void CMainForm::ShowWizardOrSyncFolder() {
  if (m_pInitSetForm) {
    m_pInitSetForm->BringToTop();
    return;
  }
  OpenSyncFolder();
}

void CMainForm::OpenSyncFolder() {
  const juce::String root = SyncRootFolder::GetInstance()->GetRootPath();
  if (root.isEmpty()) return;
  if (LoginManager::IsFirstLogin() && !g_welcomeCopied.exchange(true)) {
    CString document = Common::GetAppPath();
    document += L"Theme";
    document += Common::kPathSeparator;
    document += L"欢迎使用Dorv.pdf";
    CString target = Common::String_To_CString(root);
    target += Common::kPathSeparator;
    target += L"欢迎使用Dorv.pdf";
    ::CopyFileW(document, target, TRUE);
  }
  ::ShellExecuteW(nullptr, L"open", Common::String_To_CString(root), nullptr, nullptr, SW_SHOWNORMAL);
}
