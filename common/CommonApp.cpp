#include "common/CommonApp.h"

#include "common/DeletedAtShutdown.h"
#include "common/ITrace.h"

BOOL CCommonApp::InitInstance() { return TRUE; }

int CCommonApp::ExitInstance() {
  ITrace_ReleaseAll();
  Common::CDeletedAtShutdown::DeleteAll();
  return 0;
}

namespace {

CCommonApp theApp;

// Its construction and destruction are the library's load and unload: static
// objects of a shared library are built when it is loaded and destroyed when
// it is unloaded or the process ends.
struct LibraryLifetime {
  LibraryLifetime() { theApp.InitInstance(); }
  ~LibraryLifetime() { theApp.ExitInstance(); }
} lifetime;

}  // namespace

CCommonApp& GetCommonApp() { return theApp; }
