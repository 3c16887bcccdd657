// The tray icon's mouse messages and the menu its right click opens: entries
// for each engine state, the recent files, the storage line refreshed from
// the service while the menu is open, and the command behind each entry.
#include <cmath>

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "base/MyThreadsPool.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/db/UserDataDBManager.h"
#include "client/core/login/UserDataTasks.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/stats/StatisticsTask.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/AboutForm.h"
#include "client/windows/MainForm.h"
#include "client/windows/MenuRecentFile.h"
#include "client/windows/WebLinks.h"
#include "client/windows/settings/SetForm.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/AppPaths.h"
#include "common/MutiLanSupport.h"
#include "common/PathText.h"
#include "common/StringConvert.h"
#include "common/TextFit.h"
#include "common/WebShell.h"
#include "ui/image/ImageConfig.h"
#include "ui/menu/IMenu.h"
#include "ui/menu/UIMenu.h"

namespace {

// Three spaces line a text up with the texts of the entries that have an icon.
constexpr const wchar_t* kIndent = L"   ";

// The icon pieces of the tray menu's image.
const CRect kOpenFolderPiece(2, 69, 19, 86);
const CRect kWebPiece(21, 69, 38, 86);
const CRect kPausePiece(39, 69, 56, 86);
const CRect kResumePiece(58, 69, 75, 86);
const CRect kGreyPiece(78, 69, 95, 88);

CString Text(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

UI::_ImageConfig* Piece(UI::_ImageConfig& icon, const CRect& rect) {
  icon.m_rcSource = UI::RectF(rect);
  return &icon;
}

bool PathExists(const juce::String& path) {
  return path.isNotEmpty() && ::GetFileAttributesW(Common::String_To_CString(path)) != INVALID_FILE_ATTRIBUTES;
}

// "   " + capacity in MB + the text + percentage + "%".
CString SpaceInfoText() {
  const UserConfigInfo config = GetAccountData()->GetUserConfig();
  const int megabytes = static_cast<int>(config.UC_Capacity / 1024 / 1024);
  int percent = 0;
  if (config.UC_Capacity != 0) {
    const float share = static_cast<float>(static_cast<double>(config.UC_SpaceUsed) / static_cast<double>(config.UC_Capacity) * 100.0);
    percent = static_cast<int>(std::nearbyint(share));  // halves to the even neighbour
  }
  CString text;
  text.Format(L"%s%d%s%d%%", kIndent, megabytes, static_cast<const wchar_t*>(Text(L"STRID_MENU_TRAYICON_SPACEUSEINFO")), percent);
  return text;
}

}  // namespace

// ---- Building the menu ------------------------------------------------------

void CMainForm::ShowTrayMenu() {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  if (UI::CUIMenu* open = GetActiveMenu()) {
    open->PopupMenu(cursor.x, cursor.y, 1, 0, nullptr, 1);
    return;
  }
  auto* root = new UI::IMenu;
  const UI::MenuHandler handler = fastdelegate::MakeDelegate(this, &CMainForm::OnTrayMenuCommand);
  UI::_ImageConfig icon;
  icon.m_strFile = Common::GetAppPath() + L"Theme/Default/images/Icon.png";
  const AccountSnapshot account = GetAccountData()->GetSnapshot();
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  const int state = tracker ? tracker->m_nEngineState.load() : SyncStatusTracker::ENGINE_NONE;
  const bool folderExists = PathExists(SyncRootFolder::GetInstance()->GetRootPath());

  switch (state) {
    case SyncStatusTracker::ENGINE_PAUSED:
    case SyncStatusTracker::ENGINE_RUNNING: {
      // The storage line is refreshed while the menu is open; the reply comes
      // back to this window by its handle, whatever became of the form.
      auto* task = new QueryUserFileDataTask(CurrentRequestHeader(), m_hWnd, &CMainForm::OnUserFileDataResult);
      GetDownThreadsPool()->PostWorkTask(task, true);
      root->AddMenu(Text(L"STRID_MENU_TRAYICON_OPENSYNDIR"), kTrayMenuOpenFolder, folderExists ? 0 : 1, 0, handler,
                    Piece(icon, folderExists ? kOpenFolderPiece : kGreyPiece));
      root->AddMenu(Text(L"STRID_MENU_TRAYICON_ENTERWEB"), kTrayMenuWebSite, 0, 0, handler, Piece(icon, kWebPiece));
      AddRecentFilesMenu(root);
      root->AddMenu(L"", -1, 0, 0);
      root->AddMenu(kIndent + Common::String_To_CString(account.FullName), kTrayMenuAccount, 1, 0);
      AddSpaceInfoMenuItem(root);
      root->AddMenu(L"", -1, 0, 0);
      AddStatusMenuItems(root, state, &icon);
      break;
    }
    case SyncStatusTracker::ENGINE_NONE:
    case SyncStatusTracker::ENGINE_SIGNING_IN:
      if (!AddConnectingMenuItem(root, &icon)) {
        const bool signingIn = state == SyncStatusTracker::ENGINE_SIGNING_IN;
        root->AddMenu(Text(signingIn ? L"STRID_MENU_TRAYICON_AUTOLOGINING" : L"STRID_MENU_TRAYICON_LOGIN"),
                      kTrayMenuSignIn, signingIn ? 1 : 0, 0, handler, Piece(icon, kGreyPiece));
      }
      break;
    case SyncStatusTracker::ENGINE_CHOOSE_FOLDER:
      if (!AddConnectingMenuItem(root, &icon)) root->AddMenu(Text(L"STRID_MENU_TRAYICON_SETTING"), -1, 1, 0);
      break;
    default: break;
  }
  root->AddMenu(L"", -1, 0, 0);
  root->AddMenu(kIndent + Text(L"STRID_MENU_TRAYICON_SET"), kTrayMenuSettings, 0, 0, handler, CString());
  root->AddMenu(kIndent + Text(L"STRID_MENU_TRAYICON_HELP"), kTrayMenuHelp, 0, 0, handler, CString());
  root->AddMenu(kIndent + Text(L"STRID_MENU_TRAYICON_FEEDBACK"), kTrayMenuFeedback, 0, 0, handler, CString());
  root->AddMenu(kIndent + Text(L"STRID_MENU_TRAYICON_ABOUT"), kTrayMenuAbout, 0, 0, handler, CString());
  root->AddMenu(L"", -1, 0, 0);
  root->AddMenu(kIndent + Text(L"STRID_MENU_TRAYICON_EXIT"), kTrayMenuExit, 0, 0, handler, CString());
  UI::IMenu::PopupMenu(this, root, cursor.x, cursor.y, 1, L"");
}

bool CMainForm::AddConnectingMenuItem(UI::IMenu* root, UI::_ImageConfig* icon) {
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  const int net = tracker ? tracker->m_nNetState.load() : SyncStatusTracker::NET_ONLINE;
  const wchar_t* key = net == SyncStatusTracker::NET_LOCAL_DOWN            ? L"STRID_MENU_TRAYICON_CONNECTING"
                       : net == SyncStatusTracker::NET_SERVICE_UNREACHABLE ? L"STRID_TRAYICONTIPINFO_CONNECTINGSERVER"
                       : net == SyncStatusTracker::NET_PROXY_UNREACHABLE   ? L"STRID_TRAYICONTIPINFO_PROXYUNREACHABLE"
                                                                           : nullptr;
  if (!key) return false;
  root->AddMenu(Text(key), -1, 1, 0, UI::MenuHandler(), Piece(*icon, kGreyPiece));
  return true;
}

void CMainForm::AddRecentFilesMenu(UI::IMenu* root) {
  const UI::MenuHandler handler = fastdelegate::MakeDelegate(this, &CMainForm::OnTrayMenuCommand);
  auto* files = new UI::IMenu(kIndent + Text(L"STRID_MENU_TRAYICON_LASTEASTUPDATEFILE"), kTrayMenuRecentFiles, 0, 0,
                              handler, CString());
  SyncPathList recent;
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) recent.CopyFrom(tracker->GetRecentFiles());
  const std::list<SyncPathEntry> entries = recent.GetEntries();
  if (entries.empty()) {
    files->AddMenu(kIndent + Text(L"STRID_MENU_TRAYICON_NULL"), kTrayMenuRecentFiles, 0, 0, handler, CString());
  } else {
    LOGFONTW font{};
    font.lfHeight = 14;
    font.lfWeight = 400;
    font.lfCharSet = 134;  // GB2312
    wcscpy(font.lfFaceName, L"Tahoma");
    for (const SyncPathEntry& entry : entries) {
      CString name = Common::String_To_CString(entry.m_sPath);
      const int slash = std::max(name.ReverseFind(Common::kPathSeparator), name.ReverseFind(Common::kForeignPathSeparator));
      name = name.Mid(slash + 1);
      Common::PathCompactPathInCommon(this, name, font, 300);
      UI::IMenu* file = files->AddMenu(kIndent + name, kTrayMenuRecentFiles, entry.m_nKind == 1 ? 1 : 0, 0, handler,
                                       CString());
      file->m_pMenuData = new MenuRecentFile(entry.m_sPath);
    }
  }
  root->AddMenu(files);
}

void CMainForm::AddSpaceInfoMenuItem(UI::IMenu* root) { root->AddMenu(SpaceInfoText(), kTrayMenuSpaceInfo, 1, 0); }

void CMainForm::AddStatusMenuItems(UI::IMenu* root, int engineState, UI::_ImageConfig* icon) {
  CString status;
  if (engineState == SyncStatusTracker::ENGINE_PAUSED)
    status = Text(L"STRID_TRAYICONTIPINFO_SYNCSHORTSOTP");
  else
    BuildStatusTip(status, 0);
  if (!status.IsEmpty()) {
    int start = 0;
    for (;;) {
      const int end = status.Find(L'\n', start);
      root->AddMenu(kIndent + status.Mid(start, end < 0 ? status.GetLength() - start : end - start), kTrayMenuStatus, 1, 0);
      if (end < 0) break;
      start = end + 1;
    }
  }
  const UI::MenuHandler handler = fastdelegate::MakeDelegate(this, &CMainForm::OnTrayMenuCommand);
  const bool paused = engineState == SyncStatusTracker::ENGINE_PAUSED;
  root->AddMenu(Text(paused ? L"STRID_MENU_TRAYICON_RESUMESYN" : L"STRID_MENU_TRAYICON_STOPSYN"), kTrayMenuPause, 0,
                0, handler, Piece(*icon, paused ? kResumePiece : kPausePiece));
}

// ---- The storage line ---------------------------------------------------------

void CMainForm::OnUserFileDataResult(void* context, const UserFilesCountReply* reply) {
  if (!reply) return;
  // A pool thread: the account data takes the figures under its lock.
  AccountData* account = GetAccountData();
  account->UpdateUserConfig([reply](UserConfigInfo& config) {
    config.UC_Capacity = reply->capacity;
    config.UC_SpaceUsed = reply->spaceUsed;
    config.UC_FileCount = reply->filesCount;
    config.UC_DirsCount = reply->dirsCount;
  });
  if (UserDataDBManager* manager = GetGlobalContext()->m_pUserDataDBManager.get())
    manager->ReplaceUserConfig(account->GetUserConfig(), account->GetAccount());
  ::PostMessageW(static_cast<HWND>(context), WM_NOTIFY_SPACE_INFO, 0, 0);
}

LRESULT CMainForm::OnSpaceInfoUpdated(WPARAM, LPARAM) {
  UI::CUIMenu* menu = GetActiveMenu();
  if (!menu) return 0;
  if (UI::IMenu* root = menu->GetRootIMenu()) {
    if (UI::IMenu* line = root->FindIMenu(kTrayMenuSpaceInfo)) line->SetCaption(SpaceInfoText());
  }
  menu->Invalidate(FALSE);
  menu->UpdateWindow();
  return 0;
}

// ---- Commands -------------------------------------------------------------------

void CMainForm::OnTrayMenuCommand(UI::IMenu* node) {
  switch (node->GetID()) {
    case kTrayMenuOpenFolder:
      OpenSyncFolder();
      ReportUsageEvent("default", "tray_menu_open_sync_dir");
      break;
    case kTrayMenuWebSite: {
      OpenAccountWebsite(GetAccountData()->GetSnapshot().m_sAccount, SyncRootFolder::GetInstance()->GetRootFolderID());
      ReportUsageEvent("default", "launch_dorv_website");
      break;
    }
    case kTrayMenuRecentFiles:
      if (auto* file = dynamic_cast<MenuRecentFile*>(node->m_pMenuData))
        LocateSyncedFile(file->m_sPath);
      ReportUsageEvent("default", "view_recent_update_file");
      break;
    case kTrayMenuPause:
      if (SyncLogic* engine = GetSyncLogic()) {
        engine->PauseOrContinueSync();
        ReportUsageEvent("default", "pause_or_resume_sync");
      }
      break;
    case kTrayMenuSettings: ShowSettingsForm(); break;
    case kTrayMenuHelp: OpenHelpCenter(); break;
    case kTrayMenuFeedback: OpenFeedbackPage(); break;
    case kTrayMenuAbout:
      ShowAboutForm();
      ReportUsageEvent("default", "view_about_form");
      break;
    case kTrayMenuExit: ExitApp(); break;
    case kTrayMenuSignIn:
      if (m_pInitSetForm) {
        m_pInitSetForm->BringToTop();
      } else if (CInitSetForm* wizard = OpenWizard(0, nullptr)) {
        wizard->ShowWindow(SW_SHOWNORMAL);
      }
      break;
    default: break;
  }
}

// One settings form at a time: an open one comes to the front.
void CMainForm::ShowSettingsForm() {
  if (m_pSetForm) {
    m_pSetForm->BringToTop();
    return;
  }
  auto* form = new CSetForm(this);
  if (!form->Create()) {
    ReleaseForm(form);
    return;
  }
  m_pSetForm = form;
  form->ShowWindow(SW_SHOWNORMAL);
}

// The about box runs modally; a second request while it is up brings it forward.
void CMainForm::ShowAboutForm() {
  if (m_pAboutForm) {
    m_pAboutForm->BringToTop();
    return;
  }
  CAboutForm about;
  if (!about.Create(this)) return;
  m_pAboutForm = &about;
  about.DoModal();
  m_pAboutForm = nullptr;
}
