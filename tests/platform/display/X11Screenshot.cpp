// Writes a display's screen as a PNG file, for people to look at what a run shows:
//   x11_screenshot DISPLAY FILE.png
#include <cstdio>

#include "X11Server.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: x11_screenshot DISPLAY FILE.png\n");
    return 2;
  }
  if (!x11test::ScreenOf(argv[1]).WritePng(argv[2])) {
    std::fprintf(stderr, "x11_screenshot: cannot read %s or write %s\n", argv[1], argv[2]);
    return 1;
  }
  return 0;
}
