#pragma once
// The application object. A program defines one global object of a class derived
// from CWinApp and starts it from main() with AfxWinMain:
//
//   class CMyApp : public CWinApp { BOOL InitInstance() override; int ExitInstance() override; };
//   CMyApp theApp;
//   int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
//
// AfxWinMain runs InitInstance; when it returns FALSE, ExitInstance runs and the
// program ends with its result; otherwise Run pumps messages until WM_QUIT and
// ExitInstance gives the exit code.
#include "mfc/CWinThread.h"

class CWinApp : public CWinThread {
 public:
  explicit CWinApp(LPCTSTR appName = nullptr);
  ~CWinApp() override;

  LPCTSTR m_pszAppName = nullptr;
  HINSTANCE m_hInstance = nullptr;
  // The command line after the program's name (empty when there are no arguments).
  LPTSTR m_lpCmdLine = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;
  LPCTSTR m_pszRegistryKey = nullptr;
  LPCTSTR m_pszProfileName = nullptr;

  BOOL InitInstance() override;
  int ExitInstance() override;
  // Settings go below HKEY_CURRENT_USER\Software\<key>\<application name>.
  void SetRegistryKey(LPCTSTR key);
  // Modal loops disable the application's modeless windows while they run: each FALSE
  // counts one disabling and each TRUE ends one (never below none).
  void EnableModeless(BOOL enable);
  BOOL IsModelessEnabled() const { return m_modelessDisabled == 0; }

 private:
  std::wstring m_appName;
  std::wstring m_commandLine;
  std::wstring m_registryKey;
  int m_modelessDisabled = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();

// Runs the application object: the program's entry.
int AfxWinMain(int argc, char** argv);
