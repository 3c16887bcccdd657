// The wizard's keep-or-choose page, folder page, guide pages and last page:
// the service folder found or created on the Up pool, the local folder
// checked and bound.
#include "base/MyThreadsPool.h"
#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/login/LoginManager.h"
#include "client/core/protocol/ServerDirInfo.h"
#include "client/core/tasks/GetSerDirTask.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/windows/FolderPicker.h"
#include "client/windows/InlineTips.h"
#include "client/windows/SyncFolderChecks.h"
#include "client/windows/wizard/AddFolderTask.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/AppPaths.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"
#include "common/TextFit.h"
#include "ui/controls/EditExConfig.h"
#include "ui/controls/LabelConfig.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIPage.h"

#include <sys/stat.h>

namespace {

constexpr int kModeAccountChanged = 1;
constexpr int kModeRebind = 2;
constexpr int kAccountNameWidth = 150;

CString Text(const wchar_t* id) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(id); }

CString WebFolderName() { return Text(L"STRID_WEB_FOLDER_NAME"); }

LOGFONTW* FontOf(UI::CUIControl* control) {
  if (auto* label = dynamic_cast<UI::_LabelConfig*>(control->GetSkinConfig(CString()))) return &label->m_font;
  if (auto* edit = dynamic_cast<UI::_EditExConfig*>(control->GetSkinConfig(CString()))) return &edit->m_font;
  return nullptr;
}

// text shortened with an ellipsis to the width in the control's font.
CString Compact(CWnd* form, UI::CUIControl* control, CString text, int width) {
  if (LOGFONTW* font = FontOf(control)) Common::PathCompactPathInCommon(form, text, *font, width);
  return text;
}

bool IsFolder(const CString& path) { return juce::File(Common::CString_to_String(path)).isDirectory(); }

// The folder and, when missing, its parents (a fresh home without its
// documents folder); true when it was made now.
bool CreateFolder(const CString& path) {
  const juce::File folder(Common::CString_to_String(path));
  if (!folder.createDirectory().wasOk()) return false;
  ::chmod(folder.getFullPathName().toRawUTF8(), 0700);
  return true;
}

}  // namespace

UI::CUIControl* CInitSetForm::CurrentNextButton() {
  return m_pCurPage ? m_pCurPage->FindControlRecusive(L"NextButton") : nullptr;
}

int CInitSetForm::InitSelectPreSetPage() {
  auto* page = dynamic_cast<UI::CUIPage*>(FindControlRecusive(L"SelectPreSetOrNotPage"));
  if (!page) return 0;
  m_pSelectPreSetNext = page->FindControlRecusive(L"NextButton");
  SyncRootFolder::GetInstance()->Reload();
  if (UI::CUIControl* label = page->FindControlRecusive(L"TipLabel1")) {
    const CString format = label->GetText();
    const CString name = Compact(this, label, Common::String_To_CString(GetAccountData()->GetSnapshot().FullName),
                                 kAccountNameWidth);
    CString text;
    text.Format(static_cast<const wchar_t*>(format), static_cast<const wchar_t*>(name));
    label->SetText(text, FALSE);
  }
  if (UI::CUIControl* label = page->FindControlRecusive(L"PreSetTipLabel2"))
    label->SetText(Compact(this, label, Common::String_To_CString(SyncRootFolder::GetInstance()->GetRootPath()),
                           label->GetBounds().Width()),
                   FALSE);
  auto* keep = dynamic_cast<UI::CUICheckBox*>(page->FindControlRecusive(L"SelectPreSetRadioButton"));
  auto* again = dynamic_cast<UI::CUICheckBox*>(page->FindControlRecusive(L"SetAgainRadioButton"));
  if (keep) {
    keep->SetChecked(1, 0);
    keep->SetGroupHelper(keep);
  }
  if (again) again->SetGroupHelper(keep);
  page->SetBeforChangeNextPageHandler(fastdelegate::MakeDelegate(this, &CInitSetForm::OnBeforeNextPage));
  ClearTABOrder();
  if (keep) AddTABOrder(keep);
  if (again) AddTABOrder(again);
  SetKeyFocusControl(this);
  return 1;
}

void CInitSetForm::ShowChosenFolder(UI::CUIControl* edit) {
  auto* box = dynamic_cast<UI::CUIEditEx*>(edit);
  if (!box) return;
  const CRect padded = box->GetBoundsSmall();
  box->SetText(L" " + Compact(this, box, m_strLocalFolder, padded.Width() - 8));
}

int CInitSetForm::InitCustomSetPage() {
  if (UI::CUIControl* tip = FindControlRecusive(L"TipPanel")) tip->SetVisible(FALSE);
  auto* page = dynamic_cast<UI::CUIPage*>(FindControlRecusive(L"CustomSetPage"));
  if (!page) return 0;
  m_pCustomSetNext = page->FindControlRecusive(L"NextButton");
  auto* edit = dynamic_cast<UI::CUIEditEx*>(page->FindControlRecusive(L"CustomSetLocalSynDirEdit"));
  if (!edit) return 0;
  CString shown = edit->GetText();
  shown.TrimLeft();
  if (shown.IsEmpty()) {
    if (m_strLocalFolder.IsEmpty()) {
      SyncRootFolder* root = SyncRootFolder::GetInstance();
      if (root->IsRootRecordValid(GetAccountData()->GetSnapshot().FullName)) {
        root->Reload();
        m_strLocalFolder = Common::String_To_CString(root->GetRootPath());
      } else {
        CString documents;
        Common::GetMyDocumentsPath(documents);
        m_strLocalFolder = documents + m_strDefaultFolderName;
      }
    }
    ShowChosenFolder(edit);
  }
  shown = edit->GetText();
  shown.TrimLeft();
  if (m_pCustomSetNext) m_pCustomSetNext->SetEnabled(!shown.IsEmpty());
  page->SetBeforChangePrePageHandler(fastdelegate::MakeDelegate(this, &CInitSetForm::OnBeforePrevPage));
  page->SetBeforChangeNextPageHandler(fastdelegate::MakeDelegate(this, &CInitSetForm::OnBeforeNextPage));
  ClearTABOrder();
  edit->SetKBFocused(TRUE);
  return 1;
}

int CInitSetForm::InitGuidePage(const CString& id) {
  auto* page = dynamic_cast<UI::CUIPage*>(FindControlRecusive(id));
  if (!page) return 0;
  const int index = id[id.GetLength() - 1] - L'1';
  if (index >= 0 && index < 3) m_pGuideNext[index] = page->FindControlRecusive(L"NextButton");
  page->SetBeforChangePrePageHandler(fastdelegate::MakeDelegate(this, &CInitSetForm::OnBeforePrevPage));
  page->SetBeforChangeNextPageHandler(fastdelegate::MakeDelegate(this, &CInitSetForm::OnBeforeNextPage));
  return 1;
}

int CInitSetForm::InitSetCompletePage() {
  auto* open = dynamic_cast<UI::CUICheckBox*>(FindControlRecusive(L"OpenSynDirCheckBox"));
  if (open) open->SetChecked(1, 0);
  auto* page = dynamic_cast<UI::CUIPage*>(FindControlRecusive(L"SetCompletePage"));
  if (!page) return 0;
  m_pOverButton = page->FindControlRecusive(L"OverButton");
  page->SetBeforChangeNextPageHandler(fastdelegate::MakeDelegate(this, &CInitSetForm::OnBeforeNextPage));
  page->SetBeforChangePrePageHandler(fastdelegate::MakeDelegate(this, &CInitSetForm::OnBeforePrevPage));
  ClearTABOrder();
  if (open) AddTABOrder(open);
  SetKeyFocusControl(this);
  return 1;
}

void CInitSetForm::ChooseLocalFolder() {
  UI::CUIControl* edit = FindControlRecusive(L"CustomSetLocalSynDirEdit");
  if (!edit) return;
  FolderPicker picker(m_hWnd, Text(L"STRID_CTMSETPAGE_PLEASESELLOCALSYNCDIR"), Common::CString_to_String(m_strLocalFolder));
  m_pFolderPicker = &picker;
  const int chosen = picker.Run();
  m_pFolderPicker = nullptr;
  if (m_bClosing || !chosen) return;
  CString path = picker.GetPath();
  path.TrimLeft();
  m_strLocalFolder = path;
  ShowChosenFolder(edit);
  if (m_pCustomSetNext) m_pCustomSetNext->SetEnabled(!m_strLocalFolder.IsEmpty());
}

void CInitSetForm::StartFolderStep() {
  UI::CUIControl* tip = m_pCurPage ? m_pCurPage->FindControlRecusive(L"TipPanel") : nullptr;
  ShowInfoTip(tip, Text(L"STRID_LOGINFORM_DIRCREATING"), this);
  if (UI::CUIControl* next = CurrentNextButton()) next->SetEnabled(FALSE);
  Refresh(FALSE, nullptr);
  if (m_pServerSyncFolder) {
    OnFolderStepDone();
    return;
  }
  if (m_bFolderRequestPending) return;
  auto* task = new GetSerDirTask("InitsetForm: GetSerDir");
  SetGetSerDirCallBack(task, m_hWnd, &CInitSetForm::OnGetServerDirDone);
  m_bFolderRequestPending = true;
  if (!GetUpThreadsPool()->PostWorkTask(task, true)) {
    m_bFolderRequestPending = false;
    ShowFolderError(Text(L"STRID_LOGINPAGE_NETERROR"));
  }
}

// Pool thread: the reply lives while the wizard handles the sent message.
void CInitSetForm::OnGetServerDirDone(void* window, int, DirTreeReply* reply) {
  HWND hwnd = static_cast<HWND>(window);
  if (::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_NOTIFY_SERVER_DIR_DONE, 0, reinterpret_cast<LPARAM>(reply));
}

void CInitSetForm::OnAddFolderDone(void* window, int, DirReply* reply) {
  HWND hwnd = static_cast<HWND>(window);
  if (::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_NOTIFY_ADD_FOLDER_DONE, 0, reinterpret_cast<LPARAM>(reply));
}

void CInitSetForm::ShowFolderError(const CString& text) {
  ShowErrorTip(this, text, m_pCurPage ? m_pCurPage->FindControlRecusive(L"TipPanel") : nullptr);
  if (UI::CUIControl* next = CurrentNextButton()) next->SetEnabled(TRUE);
  Refresh(FALSE, nullptr);
}

void CInitSetForm::OnServerDirResult(const DirTreeReply& reply) {
  m_bFolderRequestPending = false;
  const CString webName = WebFolderName();
  if (reply.code != 200 || webName.IsEmpty()) {
    ShowFolderError(Text(reply.code == -1 ? L"STRID_LOGINPAGE_NETERROR" : L"STRID_LOGINPAGE_SERVERINTERNALERROR"));
    return;
  }
  m_pServerSyncFolder.reset();
  const std::string wanted = Common::CString_to_utf8(webName);
  for (const auto& sub : reply.dir.subdirs) {
    if (sub && sub->dirName == wanted) {
      m_pServerSyncFolder = std::make_unique<ServerDirInfo>(static_cast<const ServerDirInfo&>(*sub));
      OnFolderStepDone();
      return;
    }
  }
  auto* task = new AddFolderTask("AutoAddFolderTask", wanted);
  task->SetAddFolderCallBack(m_hWnd, &CInitSetForm::OnAddFolderDone);
  m_bFolderRequestPending = true;
  if (!GetUpThreadsPool()->PostWorkTask(task, true)) {
    m_bFolderRequestPending = false;
    ShowFolderError(Text(L"STRID_LOGINPAGE_NETERROR"));
  }
}

void CInitSetForm::OnAddFolderResult(const DirReply& reply) {
  m_bFolderRequestPending = false;
  if (reply.code == 200) {
    m_pServerSyncFolder = std::make_unique<ServerDirInfo>(reply.dir);
    OnFolderStepDone();
    return;
  }
  const wchar_t* key = reply.code == -1    ? L"STRID_LOGINPAGE_NETERROR"
                       : reply.code == 611 ? L"STRID_ADDFOLDERFROM_DIRNAMECONFLICT"
                                           : L"STRID_LOGINPAGE_SERVERINTERNALERROR";
  ShowFolderError(Text(key));
}

int CInitSetForm::OnFolderStepDone() {
  if (UI::CUIControl* next = CurrentNextButton()) next->SetEnabled(TRUE);
  Refresh(FALSE, nullptr);
  if (!ApplySyncFolder()) return 0;
  if (LoginManager::IsFirstAccount()) {
    GoToPage(L"NewGuidePage1");
  } else {
    CommitSettings();
    GoToPage(L"SetCompletePage");
  }
  return 1;
}

int CInitSetForm::ApplySyncFolder() {
  bool created = false;
  if (!IsFolder(m_strLocalFolder)) {
    if (!CreateFolder(m_strLocalFolder)) return 0;
    created = true;
  }
  if (UI::CUIControl* tip = m_pCurPage ? m_pCurPage->FindControlRecusive(L"TipPanel") : nullptr) tip->SetVisible(FALSE);
  if (!CheckSyncFolder(m_strLocalFolder, this)) return 0;
  CString withSeparator = m_strLocalFolder;
  if (withSeparator.Right(1) != L"/") withSeparator += L"/";
  const int merge = CheckFolderMerge(withSeparator, m_pServerSyncFolder.get(), this);
  if (merge == -1) return 0;
  m_bMerge = merge > 0;
  if (!created && Common::CString_to_String(m_strLocalFolder) == SyncRootFolder::GetInstance()->GetRootPath())
    m_bSameRoot = true;
  if (m_nMode == 0 || m_nMode == kModeAccountChanged) RememberAccount();
  return 1;
}

void CInitSetForm::RememberAccount() {
  // A wizard that signed nobody in (the folder-missing mode) keeps the stored account.
  const juce::String name =
      m_pLoginManager ? m_pLoginManager->GetUserName() : GetAccountData()->GetSnapshot().FullName;
  if (name.isEmpty()) return;
  ProductInfo product = GetProductInfo();
  product.CurrentUser = name;
  SaveProductInfo(product);
}

void CInitSetForm::CommitSettings() {
  SaveAccountData(GetAccountData()->GetSnapshot());
  BeforeChangeNextPageHandler(m_pServerSyncFolder.get(), m_strLocalFolder, m_bSameRoot, m_nMode == kModeRebind);
}
