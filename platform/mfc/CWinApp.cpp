#include "mfc/CWinApp.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "mfc/CWnd.h"
#include "win32/CommandLine.h"
#include "win32/Library.h"

namespace {

CWinApp* g_app = nullptr;

// The library applications that have started and not yet ended, oldest first.
// Never destroyed: libraries' static objects end theirs during static destruction.
struct LibraryApps {
  std::mutex lock;
  std::vector<CWinApp*> running;
};
LibraryApps& Libraries() {
  static auto* apps = new LibraryApps;
  return *apps;
}

void EndLibraryApp(CWinApp* app) {
  {
    LibraryApps& apps = Libraries();
    std::lock_guard guard(apps.lock);
    auto found = std::find(apps.running.begin(), apps.running.end(), app);
    if (found == apps.running.end()) return;
    apps.running.erase(found);
  }
  app->ExitInstance();
}

void EndLibraryApps() {
  for (;;) {
    CWinApp* newest = nullptr;
    {
      LibraryApps& apps = Libraries();
      std::lock_guard guard(apps.lock);
      if (apps.running.empty()) return;
      newest = apps.running.back();
    }
    EndLibraryApp(newest);
  }
}

bool InSharedLibrary(const void* object) {
  HMODULE module = win32::ModuleHandleFromAddress(object);
  return module && module != ::GetModuleHandleW(nullptr);
}

}  // namespace

CWinApp::CWinApp(LPCTSTR appName) : m_library(InSharedLibrary(this)) {
  if (appName) m_appName = appName;
  m_pszAppName = m_appName.c_str();
  m_lpCmdLine = m_commandLine.data();
  if (m_library) return;
  g_app = this;
  AfxSetThread(this);
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return CWinThread::ExitInstance(); }

void CWinApp::SetRegistryKey(LPCTSTR key) {
  m_registryKey = key ? key : L"";
  m_pszRegistryKey = m_registryKey.c_str();
  m_pszProfileName = m_pszAppName;
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() {
  CWinThread* thread = AfxGetThread();
  return thread ? thread->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle() { return g_app ? g_app->m_hInstance : nullptr; }

int AfxWinMain(int, char**) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  // The application runs on the thread that calls this, whichever made the object.
  AfxSetThread(app);
  app->m_nThreadID = ::GetCurrentThreadId();
  if (const wchar_t* commandLine = ::GetCommandLineW()) {
    static std::wstring arguments;
    arguments = win32::ArgumentsOf(commandLine);
    app->m_lpCmdLine = arguments.data();
  }
  const int code = app->InitInstance() ? app->Run() : app->ExitInstance();
  EndLibraryApps();
  return code;
}

CLibraryAppLifetime::CLibraryAppLifetime(CWinApp& app) : m_app(app) {
  if (!m_app.InitInstance()) {
    m_app.ExitInstance();
    return;
  }
  LibraryApps& apps = Libraries();
  std::lock_guard guard(apps.lock);
  apps.running.push_back(&m_app);
}

CLibraryAppLifetime::~CLibraryAppLifetime() { EndLibraryApp(&m_app); }

void CWinApp::EnableModeless(BOOL enable) {
  if (!enable)
    ++m_modelessDisabled;
  else if (m_modelessDisabled > 0)
    --m_modelessDisabled;
}
