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
//
// A shared library may have an application object of its own, as a Windows
// library does. It is not the program's (AfxGetApp never gives it) and runs no
// message loop; a CLibraryAppLifetime defined right after it, in the same file,
// runs its InitInstance when the library is loaded and its ExitInstance when the
// library is unloaded:
//
//   CLibApp theLibApp;
//   static CLibraryAppLifetime s_lifetime(theLibApp);
//
// At a program's end AfxWinMain ends the library applications, newest first, after
// the program's own ExitInstance, while the program's thread-local state still
// exists; a library unloaded earlier, or a process without AfxWinMain, ends its
// application when the library's static objects go.
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
  // True for an object that lives in a shared library's data.
  BOOL IsLibraryApp() const { return m_library; }

 private:
  bool m_library = false;
  std::wstring m_appName;
  std::wstring m_commandLine;
  std::wstring m_registryKey;
  int m_modelessDisabled = 0;
};

class CLibraryAppLifetime {
 public:
  // A failed InitInstance runs ExitInstance at once; the application never runs.
  explicit CLibraryAppLifetime(CWinApp& app);
  ~CLibraryAppLifetime();
  CLibraryAppLifetime(const CLibraryAppLifetime&) = delete;
  CLibraryAppLifetime& operator=(const CLibraryAppLifetime&) = delete;

 private:
  CWinApp& m_app;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();

// Runs the application object: the program's entry.
int AfxWinMain(int argc, char** argv);
