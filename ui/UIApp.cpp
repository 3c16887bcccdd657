#include "ui/UIApp.h"

#include "ui/controls/UniscribeBuffer.h"
#include "ui/thumb/ThumbManager.h"

BEGIN_MESSAGE_MAP(CUIApp, CWinApp)
END_MESSAGE_MAP()

BOOL CUIApp::InitInstance() {
  CWinApp::InitInstance();
  UI::ThumbManager::InitInstance();
  return TRUE;
}

int CUIApp::ExitInstance() {
  UI::CUniscribeBuffer::UnloadUniscribe();
  UI::ThumbManager::ExitInstance();
  return CWinApp::ExitInstance();
}

namespace {

// The library's one application object, known to this file only: a program's own
// `theApp` must not take its place. Its lifetime object comes right after it and
// this file is the library's last (see CMakeLists.txt): it starts after, and ends
// before, every other static object of the library.
CUIApp theApp;
CLibraryAppLifetime s_lifetime(theApp);

}  // namespace
