#include "display/x11/X11TextFont.h"

#include <string>

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrender.h>

namespace display {

XftFont* OpenTextFont(Display* display, int pixelSize) {
  int eventBase = 0, errorBase = 0;
  XRenderQueryExtension(display, &eventBase, &errorBase);  // none: Xft draws with the core protocol
  const std::string name = "WenQuanYi Zen Hei,DejaVu Sans:pixelsize=" + std::to_string(pixelSize);
  return XftFontOpenName(display, DefaultScreen(display), name.c_str());
}

}  // namespace display
