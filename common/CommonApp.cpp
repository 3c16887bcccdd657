#include "common/CommonApp.h"

#include "common/DeletedAtShutdown.h"

BOOL CCommonApp::InitInstance() { return TRUE; }

int CCommonApp::ExitInstance() {
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
