#include "display/x11/X11Presenter.h"

#include "display/x11/X11TextFont.h"
#include "win32/WindowPicture.h"
#include "win32/CodePage.h"
#include "win32/Cursor.h"
#include "win32/GdiDraw.h"
#include "win32/ShellNotify.h"

#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#undef CursorShape  // X.h's constant: the layer's function of that name is meant below
#include <poll.h>

#include <algorithm>
#include <map>
#include <string>

namespace display {

struct X11Presenter::Connection {
  Display* display = nullptr;
  XftFont* font = nullptr;
  Atom deleteWindow = 0;
  Atom netWmName = 0;
  Atom utf8 = 0;
  Atom windowType = 0;
  Atom dialogType = 0;
  std::map<HWND, Window> windows;  // the program's top-level windows shown
  std::map<HWND, std::wstring> titles;
  std::map<HWND, unsigned long> frames;  // pictures put on the display, per window

  ~Connection() {
    for (auto& [hwnd, window] : windows) XDestroyWindow(display, window);
    if (font) XftFontClose(display, font);
    if (display) XCloseDisplay(display);
  }
};

namespace {

constexpr int kMargin = 16;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 8;
constexpr int kMaxTextWidth = 480;

struct Button {
  int id;
  const wchar_t* label;
};

std::vector<Button> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, L"确定"}, {IDCANCEL, L"取消"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, L"中止"}, {IDRETRY, L"重试"}, {IDIGNORE, L"忽略"}};
    case MB_YESNOCANCEL: return {{IDYES, L"是"}, {IDNO, L"否"}, {IDCANCEL, L"取消"}};
    case MB_YESNO: return {{IDYES, L"是"}, {IDNO, L"否"}};
    case MB_RETRYCANCEL: return {{IDRETRY, L"重试"}, {IDCANCEL, L"取消"}};
    case MB_CANCELTRYCONTINUE: return {{IDCANCEL, L"取消"}, {IDTRYAGAIN, L"重试"}, {IDCONTINUE, L"继续"}};
    default: return {{IDOK, L"确定"}};
  }
}

// What Escape and the window's close button answer: Cancel where there is one, OK for a
// box with OK alone, nothing (0) where the box must be answered.
int CancelAnswer(const std::vector<Button>& buttons) {
  for (const Button& b : buttons) {
    if (b.id == IDCANCEL) return IDCANCEL;
  }
  return buttons.size() == 1 ? buttons[0].id : 0;
}

int TextWidth(Display* display, XftFont* font, const std::string& utf8) {
  XGlyphInfo extents;
  XftTextExtentsUtf8(display, font, reinterpret_cast<const FcChar8*>(utf8.data()), static_cast<int>(utf8.size()),
                     &extents);
  return extents.xOff;
}

// Splits the text at line breaks and wherever a line grows too wide.
std::vector<std::string> WrapLines(Display* display, XftFont* font, const std::wstring& text) {
  std::vector<std::string> lines;
  std::wstring line;
  auto flush = [&] {
    lines.push_back(WideToUtf8(line));
    line.clear();
  };
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    if (c == L'\n') {
      flush();
      continue;
    }
    std::wstring next = line + c;
    if (!line.empty() && TextWidth(display, font, WideToUtf8(next)) > kMaxTextWidth) flush();
    line += c;
  }
  flush();
  return lines;
}

// Whether a window manager runs (it names its window on the root, as the desktop's
// conventions have it).
bool HasWindowManager(Display* display) {
  Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (!check) return false;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                        &format, &count, &after, &data) == Success &&
                     type == XA_WINDOW && count == 1;
  if (data) XFree(data);
  return found;
}

// A 32-bit property of a window as longs (empty when it has none).
std::vector<long> LongsOf(Display* display, Window window, const char* name, Atom type) {
  std::vector<long> values;
  Atom property = XInternAtom(display, name, True);
  if (!property) return values;
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actual, &format, &count, &after, &data) ==
          Success &&
      data && format == 32) {
    const long* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + count);
  }
  if (data) XFree(data);
  return values;
}

// The shown top-level window of a process: among the clients a window manager lists, or
// among the root's children when none runs. 0 when there is none.
Window ShownWindowOf(Display* display, long pid) {
  const Window root = DefaultRootWindow(display);
  std::vector<Window> candidates;
  for (long client : LongsOf(display, root, "_NET_CLIENT_LIST", XA_WINDOW)) candidates.push_back(client);
  if (candidates.empty()) {
    Window rootBack = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &rootBack, &parent, &children, &count)) candidates.assign(children, children + count);
    if (children) XFree(children);
  }
  for (Window window : candidates) {
    const std::vector<long> owner = LongsOf(display, window, "_NET_WM_PID", XA_CARDINAL);
    if (owner.empty() || owner[0] != pid) continue;
    XWindowAttributes state{};
    if (XGetWindowAttributes(display, window, &state) && state.map_state == IsViewable && !state.override_redirect)
      return window;
  }
  return 0;
}

// Xlib's own handler ends the process on any protocol error; a box that cannot be drawn
// perfectly must not take the program with it.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::unique_ptr<X11Presenter> X11Presenter::Open(const char* displayName) {
  static std::once_flag handler;
  std::call_once(handler, [] {
    XInitThreads();  // the input thread shares the display with the windows' threads
    XSetErrorHandler(IgnoreXError);
  });
  auto x = std::make_unique<Connection>();
  x->display = XOpenDisplay(displayName);
  if (!x->display) return nullptr;
  x->font = OpenTextFont(x->display, 14);
  if (!x->font) return nullptr;
  x->deleteWindow = XInternAtom(x->display, "WM_DELETE_WINDOW", False);
  x->netWmName = XInternAtom(x->display, "_NET_WM_NAME", False);
  x->utf8 = XInternAtom(x->display, "UTF8_STRING", False);
  x->windowType = XInternAtom(x->display, "_NET_WM_WINDOW_TYPE", False);
  x->dialogType = XInternAtom(x->display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  std::unique_ptr<X11Presenter> presenter(new X11Presenter(std::move(x)));
  X11Presenter* self = presenter.get();
  auto order = std::make_shared<X11PointerOrder>();
  presenter->m_input = X11Input::Open(displayName, [self](HWND hwnd) { self->UpdateWindow(hwnd); }, order);
  if (!presenter->m_input) return nullptr;
  presenter->m_tray = X11Tray::Open(displayName, order);  // none: the icons stay in the process's record
  if (X11Tray* tray = presenter->m_tray.get()) {
    // The input goes before the tray (declared after it), so this never outlives it.
    presenter->m_input->PassGrabbedButtons([tray](int x, int y, unsigned button, bool press, unsigned long time) {
      return tray->TakeButton(x, y, button, press, time);
    });
  }
  presenter->m_busTray = StatusNotifierTray::Open([self] { self->TrayChanged(); });
  return presenter;
}

X11Presenter::X11Presenter(std::unique_ptr<Connection> connection) : m_x(std::move(connection)) {}

X11Presenter::~X11Presenter() = default;

void X11Presenter::UpdateWindow(HWND hwnd) {
  // The picture is taken under the lock: an older one must never be shown over a newer one
  // (the input thread redraws exposed windows meanwhile).
  std::lock_guard guard(m_lock);
  win32::WindowPicture picture;
  const bool alive = win32::PictureOf(hwnd, &picture);
  Display* d = m_x->display;
  auto found = m_x->windows.find(hwnd);
  if (!alive) {
    if (found != m_x->windows.end()) {
      m_input->Forget(found->second);
      XDestroyWindow(d, found->second);
      m_x->windows.erase(found);
      m_x->titles.erase(hwnd);
      m_x->frames.erase(hwnd);
      m_stoodOver.erase(hwnd);
      XSync(d, False);
    }
    return;
  }
  const int screen = DefaultScreen(d);
  const int x = picture.rect.left, y = picture.rect.top;
  if (found == m_x->windows.end()) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;  // placed where the window is, with no manager's frame
    attributes.background_pixel = BlackPixel(d, screen);
    Window made = XCreateWindow(d, RootWindow(d, screen), x, y, picture.width, picture.height, 0, CopyFromParent,
                                InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    found = m_x->windows.emplace(hwnd, made).first;
    XSync(d, False);  // made before the input's connection selects its events
    m_input->Watch(made, hwnd);
  }
  Window window = found->second;
  // The title, for the tools that find windows by name.
  wchar_t title[256] = L"";
  GetWindowTextW(hwnd, title, 256);
  if (m_x->titles[hwnd] != title) {
    m_x->titles[hwnd] = title;
    std::string utf8 = WideToUtf8(title);
    XStoreName(d, window, utf8.c_str());
    XChangeProperty(d, window, m_x->netWmName, m_x->utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
  }
  if (!picture.visible) {
    XUnmapWindow(d, window);
    XSync(d, False);
    return;
  }
  XMoveResizeWindow(d, window, x, y, picture.width, picture.height);
  XWindowAttributes state{};
  XGetWindowAttributes(d, window, &state);
  const bool mapping = state.map_state == IsUnmapped;
  if (picture.region) {
    std::vector<XRectangle> parts;
    for (const RECT& r : *picture.region)
      parts.push_back(XRectangle{static_cast<short>(r.left), static_cast<short>(r.top),
                                 static_cast<unsigned short>(r.right - r.left),
                                 static_cast<unsigned short>(r.bottom - r.top)});
    XShapeCombineRectangles(d, window, ShapeBounding, 0, 0, parts.data(), static_cast<int>(parts.size()), ShapeSet,
                            Unsorted);
  } else {
    XShapeCombineMask(d, window, ShapeBounding, 0, 0, 0 /* None: unshaped */, ShapeSet);
  }
  // A window that another program's chooser stands over stays below it when redrawn.
  if (mapping || m_stoodOver.count(hwnd) == 0)
    XMapRaised(d, window);
  else
    XMapWindow(d, window);
  Visual* visual = DefaultVisual(d, screen);
  if (DefaultDepth(d, screen) >= 24 && visual->red_mask == 0xFF0000 && visual->blue_mask == 0xFF) {
    // The surface's rows are the visual's own 32-bit pixels (blue first in memory).
    XImage* image = XCreateImage(d, visual, DefaultDepth(d, screen), ZPixmap, 0,
                                 reinterpret_cast<char*>(picture.pixels.data()), picture.width, picture.height, 32,
                                 picture.width * 4);
    if (image) {
      XPutImage(d, window, DefaultGC(d, screen), image, 0, 0, 0, 0, picture.width, picture.height);
      image->data = nullptr;  // the picture owns the pixels
      XDestroyImage(image);
    }
  }
  // Done by the server before the window's thread goes on: what others (the input's
  // connection, a test) ask of the display next sees the window as it is now.
  XSync(d, False);
  ++m_x->frames[hwnd];
  if (mapping && GetForegroundWindow() == hwnd) m_input->Focus(window);
}

void X11Presenter::CursorChanged() {
  m_input->SetCursorShape(win32::CursorShape(GetCursor()));
  RECT clip;
  // The pointer's grab is made again with the confinement (the capture's, or its own).
  if (m_input->Confine(win32::CursorClip(&clip) ? &clip : nullptr)) CaptureChanged(GetCapture());
}

void X11Presenter::CaptureChanged(HWND hwnd) {
  std::lock_guard guard(m_lock);
  m_capture = hwnd;
  Regrab();
}

void X11Presenter::PointerGrabChanged(HWND popup) {
  std::lock_guard guard(m_lock);
  m_popupGrab = popup;
  Regrab();
}

void X11Presenter::Regrab() {
  std::lock_guard guard(m_lock);
  HWND capture = m_capture && IsWindow(m_capture) ? GetAncestor(m_capture, GA_ROOT) : nullptr;
  unsigned long window = capture ? XWindowOf(capture) : 0;
  if (!window && m_popupGrab) window = XWindowOf(m_popupGrab);  // a capture not on the display: the popup's
  m_input->Grab(window);
}

void X11Presenter::Activated(HWND hwnd) {
  if (unsigned long window = hwnd ? XWindowOf(hwnd) : 0) m_input->Focus(window);
}

void X11Presenter::TrayChanged() {
  std::lock_guard guard(m_trayRoute);
  const std::vector<win32::TrayIcon> icons = win32::TrayIcons();
  const bool onBus = m_busTray && m_busTray->Update(icons);
  if (!m_tray) return;
  if (!onBus)
    m_tray->Update(icons);
  else if (!m_busTray->ShowsBalloons())  // the display's balloons stand in for notifications
    m_tray->Update(icons, X11Tray::Show::BalloonsOnly);
  else
    m_tray->Update({});
}

bool X11Presenter::ScreenSize(SIZE* size) {
  std::lock_guard guard(m_lock);
  const int screen = DefaultScreen(m_x->display);
  *size = SIZE{DisplayWidth(m_x->display, screen), DisplayHeight(m_x->display, screen)};
  return true;
}

bool X11Presenter::StandOver(long pid, HWND owner) {
  std::lock_guard guard(m_lock);
  Display* d = m_x->display;
  const Window window = ShownWindowOf(d, pid);
  if (!window) return false;
  if (const unsigned long below = owner ? XWindowOf(owner) : 0) {
    m_stoodOver.insert(owner);
    XSetTransientForHint(d, window, below);
    // The program's windows are not the manager's to stack: the owner steps down itself,
    // so that the chooser is not hidden under it.
    XLowerWindow(d, below);
  }
  const int screen = DefaultScreen(d);
  long area[4] = {0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)};
  const std::vector<long> workArea = LongsOf(d, DefaultRootWindow(d), "_NET_WORKAREA", XA_CARDINAL);
  if (workArea.size() >= 4 && workArea[2] > 0 && workArea[3] > 0) std::copy_n(workArea.begin(), 4, area);
  std::vector<long> frame = LongsOf(d, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);  // left, right, top, bottom
  frame.resize(4, 0);
  const long roomWidth = area[2] - frame[0] - frame[1], roomHeight = area[3] - frame[2] - frame[3];
  XWindowAttributes state{};
  XGetWindowAttributes(d, window, &state);
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
  const bool inside = x - frame[0] >= area[0] && y - frame[2] >= area[1] &&
                      x + state.width + frame[1] <= area[0] + area[2] && y + state.height + frame[3] <= area[1] + area[3];
  if (roomWidth <= 0 || roomHeight <= 0 || inside) {
    XSync(d, False);
    return true;
  }
  // A chooser that remembers a size or place from a larger screen would reach past its
  // edges, its buttons out of sight: it is made to fit, and centred in the work area.
  const long width = std::min<long>(state.width, roomWidth), height = std::min<long>(state.height, roomHeight);
  XMoveResizeWindow(d, window, static_cast<int>(area[0] + frame[0] + (roomWidth - width) / 2),
                    static_cast<int>(area[1] + frame[2] + (roomHeight - height) / 2), static_cast<unsigned>(width),
                    static_cast<unsigned>(height));
  XSync(d, False);
  return true;
}

void X11Presenter::ReturnFocus(HWND hwnd) {
  const unsigned long window = hwnd ? XWindowOf(hwnd) : 0;
  if (!window) return;
  {
    std::lock_guard guard(m_lock);
    Display* d = m_x->display;
    m_stoodOver.erase(hwnd);
    XRaiseWindow(d, window);  // up again from under the chooser
    if (HasWindowManager(d)) {
      // Asked of the manager, which keeps its own account of the active window.
      XEvent request{};
      request.xclient.type = ClientMessage;
      request.xclient.window = window;
      request.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
      request.xclient.format = 32;
      request.xclient.data.l[0] = 1;  // from an application
      request.xclient.data.l[1] = CurrentTime;
      XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
      XSync(d, False);
    }
  }
  // The program's windows are its own to place (no manager frames them), so the keyboard
  // is set on them directly as well.
  m_input->Focus(window);
}

unsigned long X11Presenter::XWindowOf(HWND hwnd) {
  std::lock_guard guard(m_lock);
  auto found = m_x->windows.find(hwnd);
  return found == m_x->windows.end() ? 0 : found->second;
}

unsigned long X11Presenter::FramesShown(HWND hwnd) {
  std::lock_guard guard(m_lock);
  auto found = m_x->frames.find(hwnd);
  return found == m_x->frames.end() ? 0 : found->second;
}

void X11Presenter::SetShownHook(std::function<void(const ShownBox&)> hook) {
  std::lock_guard guard(m_lock);
  m_shown = std::move(hook);
}

int X11Presenter::ShowMessageBox(const MessageBoxCall& call) {
  std::lock_guard guard(m_lock);
  Display* d = m_x->display;
  const int screen = DefaultScreen(d);
  const std::vector<Button> buttons = ButtonsOf(call.type);
  size_t focus = std::min(static_cast<size_t>((call.type & MB_DEFMASK) >> 8), buttons.size() - 1);
  const int cancel = CancelAnswer(buttons);

  // Layout.
  std::vector<std::string> lines = WrapLines(d, m_x->font, call.text);
  const int lineHeight = m_x->font->ascent + m_x->font->descent + 2;
  int textWidth = 0;
  for (const auto& line : lines) textWidth = std::max(textWidth, TextWidth(d, m_x->font, line));
  const int buttonsWidth = static_cast<int>(buttons.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
  // With no window manager to give the box a title bar, it draws its own, as the program's
  // windows do.
  const std::string caption = WideToUtf8(call.caption);
  const int captionHeight = HasWindowManager(d) ? 0 : lineHeight + 10;
  const int width = std::max({textWidth, buttonsWidth, captionHeight ? TextWidth(d, m_x->font, caption) : 0}) + 2 * kMargin;
  const int height = captionHeight + static_cast<int>(lines.size()) * lineHeight + kButtonHeight + 3 * kMargin;
  std::vector<RECT> rects;
  for (size_t i = 0; i < buttons.size(); ++i) {
    int left = width - kMargin - buttonsWidth + static_cast<int>(i) * (kButtonWidth + kButtonGap);
    rects.push_back(RECT{left, height - kMargin - kButtonHeight, left + kButtonWidth, height - kMargin});
  }

  // The window, centred on the screen.
  int x = (DisplayWidth(d, screen) - width) / 2;
  int y = (DisplayHeight(d, screen) - height) / 2;
  unsigned long background = 0xF0F0F0;
  Window window = XCreateSimpleWindow(d, RootWindow(d, screen), x, y, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 1, BlackPixel(d, screen), background);
  XStoreName(d, window, caption.c_str());
  XChangeProperty(d, window, m_x->netWmName, m_x->utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(caption.data()), static_cast<int>(caption.size()));
  XChangeProperty(d, window, m_x->windowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&m_x->dialogType), 1);
  XSetWMProtocols(d, window, &m_x->deleteWindow, 1);
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize | PPosition;
  hints.min_width = hints.max_width = width;
  hints.min_height = hints.max_height = height;
  hints.x = x;
  hints.y = y;
  XSetWMNormalHints(d, window, &hints);
  XSelectInput(d, window, ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask);
  XftDraw* draw = XftDrawCreate(d, window, DefaultVisual(d, screen), DefaultColormap(d, screen));
  XftColor black;
  XftColorAllocName(d, DefaultVisual(d, screen), DefaultColormap(d, screen), "black", &black);
  GC gc = XCreateGC(d, window, 0, nullptr);
  XMapRaised(d, window);

  // The owner waits, as under a real box.
  bool reenable = call.owner && IsWindowEnabled(call.owner) && EnableWindow(call.owner, FALSE) == FALSE;

  auto paint = [&] {
    XClearWindow(d, window);
    if (captionHeight) {
      const COLORREF bar = GetSysColor(COLOR_ACTIVECAPTION);
      XSetForeground(d, gc, (GetRValue(bar) << 16) | (GetGValue(bar) << 8) | GetBValue(bar));
      XFillRectangle(d, window, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(captionHeight));
      XftDrawStringUtf8(draw, &black, m_x->font, kMargin / 2,
                        (captionHeight + m_x->font->ascent - m_x->font->descent) / 2,
                        reinterpret_cast<const FcChar8*>(caption.data()), static_cast<int>(caption.size()));
    }
    int baseline = captionHeight + kMargin + m_x->font->ascent;
    for (const auto& line : lines) {
      XftDrawStringUtf8(draw, &black, m_x->font, kMargin, baseline, reinterpret_cast<const FcChar8*>(line.data()),
                        static_cast<int>(line.size()));
      baseline += lineHeight;
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
      const RECT& r = rects[i];
      XSetForeground(d, gc, BlackPixel(d, screen));
      XDrawRectangle(d, window, gc, r.left, r.top, kButtonWidth, kButtonHeight);
      if (i == focus) XDrawRectangle(d, window, gc, r.left + 2, r.top + 2, kButtonWidth - 4, kButtonHeight - 4);
      std::string label = WideToUtf8(buttons[i].label);
      int w = TextWidth(d, m_x->font, label);
      XftDrawStringUtf8(draw, &black, m_x->font, r.left + (kButtonWidth - w) / 2,
                        r.top + (kButtonHeight + m_x->font->ascent - m_x->font->descent) / 2,
                        reinterpret_cast<const FcChar8*>(label.data()), static_cast<int>(label.size()));
    }
    XFlush(d);
  };

  int answer = 0;
  bool mapped = false, painted = false, reported = false;
  bool quit = false;
  WPARAM quitCode = 0;
  while (!answer) {
    while (!answer && XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.xany.window != window) continue;
      switch (e.type) {
        case Expose:
          if (e.xexpose.count == 0) {
            paint();
            painted = true;
          }
          break;
        case MapNotify:
          XSetInputFocus(d, window, RevertToParent, CurrentTime);  // the box takes the keyboard
          mapped = true;
          break;
        case KeyPress: {
          KeySym key = XLookupKeysym(&e.xkey, 0);
          if (key == XK_Return || key == XK_KP_Enter || key == XK_space) answer = buttons[focus].id;
          else if (key == XK_Escape) answer = cancel;
          else if (key == XK_Right || key == XK_Tab) focus = (focus + 1) % buttons.size(), paint();
          else if (key == XK_Left) focus = (focus + buttons.size() - 1) % buttons.size(), paint();
          break;
        }
        case ButtonPress:
          if (e.xbutton.button != Button1) break;
          for (size_t i = 0; i < rects.size(); ++i) {
            const RECT& r = rects[i];
            if (e.xbutton.x >= r.left && e.xbutton.x < r.right && e.xbutton.y >= r.top && e.xbutton.y < r.bottom)
              answer = buttons[i].id;
          }
          break;
        case ClientMessage:
          if (static_cast<Atom>(e.xclient.data.l[0]) == m_x->deleteWindow) answer = cancel;
          break;
      }
    }
    if (answer) break;
    if (mapped && painted && !reported) {
      // Drawn and holding the keyboard, as the server sees it, before anyone is told.
      XSync(d, False);
      reported = true;
      std::function<void(const ShownBox&)> hook = m_shown;
      if (hook) hook(ShownBox{window, rects});
    }
    // The thread's own messages go on meanwhile, as in the system's modal loop.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (quit) {
      answer = cancel ? cancel : buttons[focus].id;
      break;
    }
    if (!XPending(d)) {
      pollfd fd{ConnectionNumber(d), POLLIN, 0};
      poll(&fd, 1, 10);  // X input, or a look at the thread's queue again
    }
  }

  XftColorFree(d, DefaultVisual(d, screen), DefaultColormap(d, screen), &black);
  XftDrawDestroy(draw);
  XFreeGC(d, gc);
  XDestroyWindow(d, window);
  XFlush(d);
  if (reenable) EnableWindow(call.owner, TRUE);
  // The keyboard goes back to the program's window, as when a box of the system closes.
  HWND back = call.owner ? GetAncestor(call.owner, GA_ROOT) : GetForegroundWindow();
  auto shown = back ? m_x->windows.find(back) : m_x->windows.end();
  if (shown != m_x->windows.end()) m_input->Focus(shown->second);
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return answer;
}

std::unique_ptr<Presenter> MakeSystemPresenter() { return X11Presenter::Open(); }

}  // namespace display
