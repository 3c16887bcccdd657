#include "mfc/CWinApp.h"

#include <string>

#include "mfc/CWnd.h"
#include "win32/CommandLine.h"

namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp::CWinApp(LPCTSTR appName) {
  if (appName) m_appName = appName;
  m_pszAppName = m_appName.c_str();
  m_lpCmdLine = m_commandLine.data();
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
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}

void CWinApp::EnableModeless(BOOL enable) {
  if (!enable)
    ++m_modelessDisabled;
  else if (m_modelessDisabled > 0)
    --m_modelessDisabled;
}
