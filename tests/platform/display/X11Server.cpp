#include "X11Server.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "win32/MessageQueue.h"

// Last: Xlib's macros (None, Bool, True) would spoil the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

namespace x11test {

std::unique_ptr<X11Server> X11Server::Start(int width, int height) {
  if (access("/usr/bin/Xvfb", X_OK) != 0 || std::system("command -v xdotool >/dev/null") != 0) return nullptr;
  auto process = std::make_unique<wintest::ChildProcess>(
      "/usr/bin/Xvfb", std::vector<std::string>{"-displayfd", "1", "-screen", "0",
                                                std::to_string(width) + "x" + std::to_string(height) + "x24",
                                                "-nolisten", "tcp",
                                                // A server resets when its last client goes; one connecting
                                                // meanwhile may be refused or see the old one's replies.
                                                "-noreset"});
  std::string number = process->ReadLine();
  if (number.empty()) return nullptr;
  return std::unique_ptr<X11Server>(new X11Server(std::move(process), ":" + number));
}

X11Server::~X11Server() {
  if (m_presented) display::Desktop::Get().SetPresenter(nullptr);
}

int X11Server::Xdo(const std::string& args) const {
  std::string command = "DISPLAY=" + m_name + " LC_ALL=C.UTF-8 xdotool " + args;
  return std::system(command.c_str());
}

display::Pixels X11Server::Screen() const { return ScreenOf(m_name); }

display::Pixels ScreenOf(const std::string& displayName) {
  Display* d = XOpenDisplay(displayName.c_str());
  if (!d) return {};
  const int screen = DefaultScreen(d);
  const int width = DisplayWidth(d, screen), height = DisplayHeight(d, screen);
  XImage* image = XGetImage(d, DefaultRootWindow(d), 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  std::vector<COLORREF> colours;
  if (image) {
    colours.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        unsigned long p = XGetPixel(image, x, y);
        colours.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
      }
    XDestroyImage(image);
  }
  XCloseDisplay(d);
  return colours.empty() ? display::Pixels() : display::Pixels(width, height, std::move(colours));
}

bool X11Server::Geometry(unsigned long window, RECT* rect) const {
  Display* d = XOpenDisplay(m_name.c_str());
  if (!d) return false;
  XWindowAttributes at{};
  int x = 0, y = 0;
  Window child;
  const bool ok = XGetWindowAttributes(d, window, &at) &&
                  XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
  if (ok) *rect = RECT{x, y, x + at.width, y + at.height};
  XCloseDisplay(d);
  return ok;
}

bool X11Server::BindKeys(const std::wstring& characters) const {
  Display* d = XOpenDisplay(m_name.c_str());
  if (!d) return false;
  int first = 0;
  int last = 0;
  XDisplayKeycodes(d, &first, &last);
  int perKey = 0;
  KeySym* map = XGetKeyboardMapping(d, static_cast<KeyCode>(first), last - first + 1, &perKey);
  size_t next = 0;
  for (int code = last; code >= first && next < characters.size(); --code) {
    const KeySym* syms = map + (code - first) * perKey;
    if (std::any_of(syms, syms + perKey, [](KeySym k) { return k != NoSymbol; })) continue;
    KeySym sym = 0x1000000 + static_cast<KeySym>(characters[next++]);
    XChangeKeyboardMapping(d, code, 1, &sym, 1);
  }
  XFree(map);
  XSync(d, False);
  XCloseDisplay(d);
  return next == characters.size();
}

display::X11Presenter* Present(const X11Server& server) {
  auto presenter = display::X11Presenter::Open(server.Name().c_str());
  display::X11Presenter* shown = presenter.get();
  if (shown) {
    display::Desktop::Get().SetPresenter(std::move(presenter));
    server.m_presented = true;
  }
  return shown;
}

bool WaitFor(const std::function<bool()>& done, const std::function<void()>& pump) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    if (pump)
      pump();
    else
      display::Desktop::Get().PumpUntilIdle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    win32::MessageQueue::Current()->WaitForInputFor(std::chrono::milliseconds(5));
  }
}

namespace {

X11Server::CursorLook LookOf(Display* d) {
  X11Server::CursorLook look;
  if (XFixesCursorImage* image = XFixesGetCursorImage(d)) {
    look.width = image->width;
    look.height = image->height;
    look.xhot = image->xhot;
    look.yhot = image->yhot;
    look.pixels.assign(image->pixels, image->pixels + static_cast<size_t>(image->width) * image->height);
    XFree(image);
  }
  return look;
}

}  // namespace

X11Server::CursorLook X11Server::PointerShape() const {
  Display* d = XOpenDisplay(m_name.c_str());
  if (!d) return {};
  CursorLook look = LookOf(d);
  XCloseDisplay(d);
  return look;
}

X11Server::CursorLook X11Server::FontCursor(unsigned shape) const {
  Display* d = XOpenDisplay(m_name.c_str());
  if (!d) return {};
  Window root = DefaultRootWindow(d), child = 0;
  int x = 0, y = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  XQueryPointer(d, root, &root, &child, &x, &y, &wx, &wy, &mask);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  Window probe = XCreateWindow(d, root, 0, 0, 8, 8, 0, CopyFromParent, InputOnly, CopyFromParent, CWOverrideRedirect,
                               &attributes);
  Cursor cursor = XCreateFontCursor(d, shape);
  XDefineCursor(d, probe, cursor);
  XMapRaised(d, probe);
  XWarpPointer(d, 0, probe, 0, 0, 0, 0, 4, 4);
  XSync(d, False);
  CursorLook look = LookOf(d);
  XWarpPointer(d, 0, root, 0, 0, 0, 0, x, y);
  XDestroyWindow(d, probe);
  XFreeCursor(d, cursor);
  XSync(d, False);
  XCloseDisplay(d);
  return look;
}

}  // namespace x11test
