// Loads a library that has an application object (the path is the second
// argument) and ends as the first argument says:
//   unload   frees the library, then ends without an application object;
//   program  runs an application object of its own through AfxWinMain, which
//            posts WM_QUIT 3 at once.
// Each step is a line on standard output.
#include <cstdio>
#include <string>

#include "mfc/AfxWin.h"

namespace {

void Say(const std::string& what) {
  std::printf("%s\n", what.c_str());
  std::fflush(stdout);
}

class CProgramApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    Say(AfxGetApp() == this ? "program init" : "program init, not the program's");
    ::PostQuitMessage(3);
    return TRUE;
  }
  int ExitInstance() override {
    Say("program exit");
    return CWinApp::ExitInstance();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string mode = argv[1];
  const std::string path = argv[2];
  HMODULE library = ::LoadLibraryW(std::wstring(path.begin(), path.end()).c_str());
  if (!library) return 3;
  Say("loaded");
  if (mode == "unload") {
    Say(AfxGetApp() ? "an application object" : "no application object");
    ::FreeLibrary(library);
    Say("freed");
    return 0;
  }
  CProgramApp app;
  const int code = AfxWinMain(argc, argv);
  Say("returned " + std::to_string(code));
  return code;
}
