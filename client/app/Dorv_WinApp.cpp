#include "client/app/Dorv_WinApp.h"

#include <map>
#include <mutex>

#include "client/core/GlobalConfig.h"
#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/protocol/ServerList.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/sync/registry/NameConflictRegistry.h"
#include "client/windows/MainForm.h"
#include "client/windows/UpdateCheck.h"
#include "common/AppPaths.h"
#include "common/MutiLanSupport.h"
#include "common/PathText.h"
#include "common/StringConvert.h"
#include "common/SystemVersion.h"
#include "mfc/AfxOle.h"
#include "net/ProxySocket.h"
#include "ui/UIManager.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Windows.h"

namespace {

// The events this process holds by name. Never destroyed: handles left in it
// at process end belong to the process's end.
struct NamedEvents {
  std::mutex lock;
  std::map<CString, HANDLE> events;
};

NamedEvents& TheNamedEvents() {
  static NamedEvents* named = new NamedEvents;
  return *named;
}

constexpr const char* kInitFailed = "Initialization Failed";

}  // namespace

BEGIN_MESSAGE_MAP(CDorv_WinApp, CWinApp)
END_MESSAGE_MAP()

CDorv_WinApp::CDorv_WinApp() = default;

bool CDorv_WinApp::CreateNamedEvent(const CString& name) {
  HANDLE event = ::CreateEventW(nullptr, TRUE, TRUE, name);
  if (!event) return false;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(event);
    return false;
  }
  NamedEvents& named = TheNamedEvents();
  std::lock_guard<std::mutex> hold(named.lock);
  named.events[name] = event;
  return true;
}

void CDorv_WinApp::CloseNamedEvent(const CString& name) {
  NamedEvents& named = TheNamedEvents();
  std::lock_guard<std::mutex> hold(named.lock);
  auto it = named.events.find(name);
  if (it == named.events.end()) return;
  ::ResetEvent(it->second);
  ::CloseHandle(it->second);
  named.events.erase(it);
}

void CDorv_WinApp::ActivateRunningInstance() {
  if (m_nExiting) return;
  HWND running = ::FindWindowExW(nullptr, nullptr, CMainForm::kClassName, CMainForm::kTitle);
  if (!running) return;
  const CString commandLine(m_lpCmdLine ? m_lpCmdLine : L"");
  const LPARAM refresh = !commandLine.IsEmpty() && commandLine.CompareNoCase(L"ExploreRefresh") == 0 ? 1 : 0;
  ::PostMessageW(running, WM_NOTIFY_SECOND_INSTANCE, 0, refresh);
}

void CDorv_WinApp::InstallCrashHandler() {
  CString dataPath;
  Common::GetAppDataPath(dataPath);
  CString dumpPath;
  dumpPath.Format(L"%sDump%c", dataPath, Common::kPathSeparator);

  m_pFaultTrap = nullptr;
  // Without the library or its export the program runs without a crash
  // handler; the library stays loaded either way.
  HMODULE library = ::LoadLibraryW(L"FaultTrap.dll");
  if (!library) return;
  auto create = reinterpret_cast<CreateFaultTrap2Fn>(::GetProcAddress(library, "CreateFaultTrap2"));
  if (!create) return;
  create(&m_pFaultTrap);
  if (!m_pFaultTrap) return;
  m_pFaultTrap->SetParameter(3, dumpPath);
  m_pFaultTrap->SetParameter(0, L"Dorv");
  m_pFaultTrap->SetParameter(1, L"2000");
  m_pFaultTrap->SetParameter(2, L"internal-test");
  m_pFaultTrap->SetParameter(4, L"halvorn-dorv");
  m_pFaultTrap->Start(true);
}

bool CDorv_WinApp::OpenLog() {
  CString welcome;
  welcome.Format(L"Product Version: %s, OS Version: %s", GetGlobalConfig()->m_strVersion, Common::GetOSVersion());
  return InitLog(Common::CString_to_String(welcome));
}

BOOL CDorv_WinApp::InitializeApp() {
  if (!OpenLog()) return 0;  // no log to tell it to

  Common::CMutiLanSupport* strings = Common::CMutiLanSupport::GetInstance();
  CString stringTable = Common::GetAppPath();
  stringTable += L"Theme";
  stringTable += Common::kPathSeparator;
  stringTable += L"gdstrings.ini";
  if (!strings || !strings->LoadStringTable(stringTable)) {
    WriteLog(KeyPoint, "Init Ini File", kInitFailed);
    return 0;
  }
  UI::CUISkinManager* skins = UI::CUISkinManager::GetInstance();
  if (!skins || !skins->InitSkinData()) {
    WriteLog(KeyPoint, "Init UI XML Files", kInitFailed);
    return 0;
  }
  if (OpenMainDB() != 0) {
    WriteLog(KeyPoint, "Init Database", kInitFailed);
    return 0;
  }
  CreateDBLocks();
  if (!LoadProductInfo()) {
    WriteLog(KeyPoint, "Init Product Config File", kInitFailed);
    return 0;
  }
  if (!InitUserTables()) {
    WriteLog(KeyPoint, "Init User Table", kInitFailed);
    return 0;
  }
  return 1;
}

BOOL CDorv_WinApp::InitInstance() {
  // Before anything else: one instance at a time.
  if (!CreateNamedEvent(kStartEventName)) {
    ActivateRunningInstance();
    return FALSE;
  }
  CWinApp::InitInstance();
  // The global context makes the sync engine with itself.
  InstallSyncEngine();
  InstallCrashHandler();
  ::OleInitialize(nullptr);
  AfxEnableControlContainer();
  INITCOMMONCONTROLSEX controls{8, 0xFF};
  ::InitCommonControlsEx(&controls);
  SetRegistryKey(L"Local AppWizard-Generated Applications");

  // The update check may decide the start's fate: what it does is logged. A
  // log that can't be opened here ends the start in InitializeApp.
  OpenLog();
  if (CheckForUpdate(this)) return FALSE;

  if (!InitializeApp()) {
    ::MessageBoxW(nullptr, L"对不起，程序安装不完整，请重新安装!", L"错误", MB_ICONERROR);
    return FALSE;
  }

  m_pMainForm = new CMainForm();
  m_pMainWnd = m_pMainForm;
  if (!m_pMainForm->Create()) {
    // The object stays: the exit releases a form only when its window exists.
    WriteLog(KeyPoint, "Create Mainform", "Failed");
    return FALSE;
  }
  m_hCloseTarget = m_pMainForm->GetSafeHwnd();
  UI::CUIManager::GetInstance()->SetMainForm(m_pMainForm);
  m_pMainForm->ShowWindow(SW_HIDE);
  return TRUE;
}

void CDorv_WinApp::RequestClose() {
  if (HWND target = m_hCloseTarget.load()) {
    ::PostMessageW(target, WM_CLOSE, 0, 0);
  } else {
    ::PostThreadMessageW(m_nThreadID, WM_QUIT, 0, 0);
  }
}

void CDorv_WinApp::HideAllForms() {
  UI::CUIManager* manager = UI::CUIManager::GetInstance();
  if (!manager) return;
  manager->ExitModalWnds(0);
  CPtrArray forms;
  manager->GetAllForms(forms);
  for (INT_PTR i = 0; i < forms.GetSize(); ++i) {
    static_cast<UI::CUIControl*>(static_cast<UI::CUIForm*>(forms[i]))->SetVisible(0);
  }
}

void CDorv_WinApp::FreeGlobalObjects() {
  WriteMessageLog(KeyPoint, "Free Threadspool-Start");
  // The engine's threads post to the pools and wait for their tasks: they are
  // stopped and joined before any pool goes, so none waits on a freed pool.
  StopGlobalSyncLogic();
  FreeThreadsPools();
  WriteMessageLog(KeyPoint, "Free Threadspool-End");

  DeleteGlobalContext();
  DeleteAccountData();
  DeleteProductInfo();
  FreeLog();
  ServerList::DeleteInstance();
  // The engine's registries, once its threads are gone with the context.
  MovedFolderRegistry::DeleteInstance();
  CloseAllDB();
  SyncRootFolder::DeleteInstance();
  LocalNetErrorManager::DeleteInstance();
  DownSyncPathRegistry::DeleteInstance();
  NameConflictRegistry::DeleteInstance();
}

void CDorv_WinApp::DestroyMainForm() {
  if (!m_pMainForm) return;
  HWND window = m_pMainForm->GetSafeHwnd();
  if (!window || !::IsWindow(window)) return;  // a form whose window is gone is left alone
  m_hCloseTarget = nullptr;
  m_pMainForm->DestroyWindow();
  static_cast<UI::CUIControl*>(m_pMainForm)->Release();
  m_pMainForm = nullptr;
}

int CDorv_WinApp::ExitInstance() {
  m_nExiting = 1;
  WriteMessageLog(KeyPoint, "Exit App...");
  ::OleUninitialize();

  if (m_pMainForm && m_pMainForm->m_bTrayInstalled) {
    m_pMainForm->m_nid.uFlags = 0;
    if (::Shell_NotifyIconW(NIM_DELETE, &m_pMainForm->m_nid)) {
      m_pMainForm->m_bTrayInstalled = FALSE;
      m_pMainForm->m_bTrayRemoved = TRUE;
    }
  }
  Net::ProxySocket::CloseAllConnect();
  if (m_pUpdateDownload) {
    delete m_pUpdateDownload;
    m_pUpdateDownload = nullptr;
  }
  HideAllForms();
  FreeGlobalObjects();
  CloseNamedEvent(kStartEventName);
  if (m_pFaultTrap) m_pFaultTrap->Release();
  DestroyMainForm();
  return CWinApp::ExitInstance();
}
