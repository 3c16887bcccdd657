#include "mfc/CWinApp.h"

#include <cwctype>
#include <string>

#include "mfc/CWnd.h"

namespace {

CWinApp* g_app = nullptr;

// The command line without the program's name, split off by Windows' rule.
std::wstring ArgumentsOf(const std::wstring& commandLine) {
  size_t i = 0;
  if (i < commandLine.size() && commandLine[i] == L'"') {
    size_t close = commandLine.find(L'"', 1);
    i = close == std::wstring::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && !std::iswspace(commandLine[i])) ++i;
  }
  while (i < commandLine.size() && std::iswspace(commandLine[i])) ++i;
  return commandLine.substr(i);
}

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
    arguments = ArgumentsOf(commandLine);
    app->m_lpCmdLine = arguments.data();
  }
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
