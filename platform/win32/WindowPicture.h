#pragma once
// A top-level window's pixels copied out for showing them elsewhere (a presenter on a real
// display); free of the drawing library's headers, so that display code can include it.
#include <optional>
#include <vector>

#include "win32/WinUser.h"

namespace win32 {

// A copy of a top-level window for showing it elsewhere: its place, whether it shows, its
// pixels (top-down rows of blue, green, red and one unused byte) and its region (window
// coordinates; none: the whole rectangle). False when the window is gone.
struct WindowPicture {
  RECT rect{};
  bool visible = false;
  int width = 0;
  int height = 0;
  std::vector<BYTE> pixels;
  std::optional<std::vector<RECT>> region;
};
bool PictureOf(HWND topLevel, WindowPicture* picture);

}  // namespace win32
