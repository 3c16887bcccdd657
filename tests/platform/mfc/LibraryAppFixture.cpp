// A shared library with an application object of its own. It says on standard
// output when it starts and ends, and whether it passes for the program's.
#include <cstdio>

#include "mfc/AfxWin.h"

namespace {

void Say(const char* what) {
  std::printf("%s\n", what);
  std::fflush(stdout);
}

class CLibraryApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    Say(AfxGetApp() == this ? "library init as the program's" : "library init");
    return CWinApp::InitInstance();
  }
  int ExitInstance() override {
    Say("library exit");
    return CWinApp::ExitInstance();
  }
};

CLibraryApp theLibraryApp;
CLibraryAppLifetime s_lifetime(theLibraryApp);

}  // namespace
