// The settings form's change of sync folder: the folder picker, the service
// folder the root is bound to (looked up on the Stat pool while the window
// keeps pumping), the folder checks, and the re-binding at apply.
#include <filesystem>
#include <system_error>

#include "base/MyThreadsPool.h"
#include "client/core/LogWriter.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/tasks/GetSerDirTask.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/windows/AppMessages.h"
#include "client/windows/FolderPicker.h"
#include "client/windows/InlineTips.h"
#include "client/windows/SyncFolderChecks.h"
#include "client/windows/settings/SetForm.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"
#include "ui/controls/UIEditEx.h"
#include "win32/Windows.h"

namespace {

CString Text(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

// The service's folder that the sync root is bound to: its name in the
// string table.
CString WebFolderName() { return Text(L"STRID_WEB_FOLDER_NAME"); }

// Whether a chosen folder is the sync root itself, however its path is written.
bool IsCurrentSyncRoot(const CString& chosen) {
  const juce::String root = SyncRootFolder::GetInstance()->GetRootPath();
  if (root.isEmpty() || chosen.IsEmpty()) return false;
  std::error_code error;
  return std::filesystem::equivalent(std::filesystem::path(Common::CString_to_utf8(chosen)),
                                     std::filesystem::path(root.toStdString()), error);
}

}  // namespace

int CSetForm::OnChangeSyncFolder() {
  UI::CUIControl* tip = FindControlRecusive(L"TipPanel");
  if (tip) tip->SetVisible(FALSE);
  Repaint();
  m_strPendingSyncFolder.Empty();
  UpdatePathTexts();
  // One look-up at a time; its answer goes on with the folder chosen for it.
  if (m_serverDir.IsPending()) return 1;

  CString start = EditText(dynamic_cast<UI::CUIEditEx*>(FindControlRecusive(L"LocalSynFolderEdit")));
  start.TrimLeft();
  FolderPicker picker(m_hWnd, Text(L"STRID_CTMSETPAGE_PLEASESELLOCALSYNCDIR"), Common::CString_to_String(start));
  m_pFolderPicker = &picker;
  const int chosen = picker.Run();
  m_pFolderPicker = nullptr;
  if (!chosen) return 1;
  CString path = picker.GetPath();
  path.TrimLeft();
  // The folder synced now, chosen again, changes nothing: there is nothing to
  // check, merge or re-bind.
  if (IsCurrentSyncRoot(path)) return 1;
  if (m_pPendingServerDir) return AcceptSyncFolder(path);

  // The service's folder list comes off this thread: the window keeps
  // answering, and gives up on its own time limit.
  const bool started = m_serverDir.Start(GetStatThreadsPool(), m_hWnd, kServerDirDoneMsg, [] {
    GetSerDirTask task("SetForm: GetSerDir");
    task.ExecuteWorkTask();
    ServerDirAnswer answer;
    answer.status = task.m_reply.code;
    for (const auto& sub : task.m_reply.dir.subdirs)
      if (sub) answer.folders.push_back(static_cast<const ServerDirInfo&>(*sub));
    return answer;
  });
  if (!started) {
    ShowFolderError(L"STRID_LOGINPAGE_NETERROR");
    return 1;
  }
  m_strFolderAwaitingServer = path;
  EnableControl(L"SetAgainButton", FALSE);
  EnableControl(L"LocalSynFolderButton", FALSE);
  ShowInfoTip(tip, Text(L"STRID_LOGINFORM_DIRCREATING"), this);
  RegisterTimerHandler(kServerDirTimer, kServerDirLimitMs, fastdelegate::MakeDelegate(this, &CSetForm::OnServerDirTimeout));
  Repaint();
  return 1;
}

void CSetForm::OnServerDirAnswer(WPARAM ticket) {
  std::optional<ServerDirAnswer> answer = m_serverDir.Take(ticket);
  if (!answer) return;
  EndServerDirRequest();
  OnGetServerDirDone(answer->status, answer->folders);
  const CString path = m_strFolderAwaitingServer;
  m_strFolderAwaitingServer.Empty();
  if (m_pPendingServerDir) AcceptSyncFolder(path);
}

void CSetForm::OnServerDirTimeout(UINT) {
  if (!m_serverDir.IsPending()) {
    UnRegisterTimerHandler(kServerDirTimer);
    return;
  }
  m_serverDir.Abandon();
  EndServerDirRequest();
  m_strFolderAwaitingServer.Empty();
  ShowFolderError(L"STRID_LOGINPAGE_NETERROR");
}

void CSetForm::EndServerDirRequest() {
  UnRegisterTimerHandler(kServerDirTimer);
  if (UI::CUIControl* tip = FindControlRecusive(L"TipPanel")) tip->SetVisible(FALSE);
  // The buttons were enabled when the look-up began.
  EnableControl(L"SetAgainButton", TRUE);
  EnableControl(L"LocalSynFolderButton", TRUE);
  Repaint();
}

void CSetForm::OnGetServerDirDone(int status, const std::vector<ServerDirInfo>& folders) {
  const CString webName = WebFolderName();
  if (status == 200 && !webName.IsEmpty()) {
    m_pPendingServerDir.reset();
    const std::string wanted = Common::CString_to_utf8(webName);
    for (const ServerDirInfo& folder : folders) {
      if (folder.dirName == wanted) {
        m_pPendingServerDir = std::make_unique<ServerDirInfo>(folder);
        break;
      }
    }
    if (!m_pPendingServerDir) ShowFolderError(L"STRID_LOGINPAGE_SERVERINTERNALERROR");
  } else {
    ShowFolderError(status == -1 ? L"STRID_LOGINPAGE_NETERROR" : L"STRID_LOGINPAGE_SERVERINTERNALERROR");
  }
  Repaint();
}

int CSetForm::AcceptSyncFolder(const CString& path) {
  if (!CheckSyncFolder(path, this)) return 0;
  const int merge = CheckFolderMerge(path, m_pPendingServerDir.get(), this);
  if (merge < 0) return 1;
  m_bMerge = merge > 0 ? 1 : 0;
  m_strPendingSyncFolder = path;
  UpdatePathTexts();
  Repaint();
  return 1;
}

void CSetForm::ShowFolderError(const wchar_t* key) {
  ShowErrorTip(this, Text(key), FindControlRecusive(L"TipPanel"));
  Repaint();
}

bool CSetForm::RebindSyncFolder() {
  if (m_strPendingSyncFolder.IsEmpty() || !m_pPendingServerDir) return false;
  const CString oldRoot = Common::String_To_CString(SyncRootFolder::GetInstance()->GetRootPath());
  if (m_strPendingSyncFolder == oldRoot) return false;
  WriteLog(KeyPoint, "CSetForm::OnConfirm",
           "Change sync folder from " + Common::CString_to_String(oldRoot) + " to " +
               Common::CString_to_String(m_strPendingSyncFolder));
  CInitSetForm::BeforeChangeNextPageHandler(m_pPendingServerDir.get(), m_strPendingSyncFolder, false, true);
  ::ShellExecuteW(nullptr, L"open", m_strPendingSyncFolder, nullptr, nullptr, SW_SHOWNORMAL);
  // A file manager's window still showing the old folder is closed.
  if (!oldRoot.IsEmpty()) {
    if (HWND old = ::FindWindowW(nullptr, oldRoot)) ::SendMessageW(old, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  return true;
}
