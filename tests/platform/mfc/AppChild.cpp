// A program built the way the product is: a global application object and AfxWinMain.
// Prints the command line the application object sees, between brackets.
#include <cstdio>

#include "mfc/AfxWin.h"

class CChildApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    std::printf("[%ls]\n", m_lpCmdLine);
    std::fflush(stdout);
    return FALSE;
  }
  int ExitInstance() override { return 5; }
};

CChildApp theApp;

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
