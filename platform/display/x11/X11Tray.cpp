#include "display/x11/X11Tray.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "display/Desktop.h"
#include "display/TrayCallback.h"
#include "display/x11/X11CallerLock.h"
#include "display/x11/X11TextFont.h"
#include "win32/CodePage.h"
#include "win32/IconPixels.h"

// Last: Xlib's macros would spoil the headers above.
#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace display {
namespace {

constexpr int kIconSize = 24;  // the stand-in's, and what an icon asks of a tray at first
constexpr unsigned long kFace = 0xF0F0F0;
constexpr long kDock = 0;  // SYSTEM_TRAY_REQUEST_DOCK
constexpr int kBalloonWidth = 300;
constexpr int kMargin = 8;
using Clock = std::chrono::steady_clock;

struct Icon {
  win32::TrayIcon record;
  Window window = 0;
  bool docked = false;
  bool vertical = false;  // the tray runs down the screen
  int width = kIconSize, height = kIconSize;  // as the tray made the window
  int asked = 0;                              // the side asked of the tray
  std::vector<BYTE> pixels;  // the icon at Side() pixels square
  bool stale = true;         // pixels not drawn yet
  Clock::time_point lastPress{};
  UINT lastButton = 0;

  int Side() const { return std::max(1, std::min(width, height)); }
};

}  // namespace

struct X11Tray::Connection {
  Display* display = nullptr;
  XftFont* font = nullptr;
  Atom trayOpcode = 0, xembedInfo = 0, selection = 0, orientation = 0;
  std::vector<Icon> icons;
  // The tip or balloon showing, if any.
  Window popup = 0;
  bool balloon = false;
  HWND balloonOwner = nullptr;
  UINT balloonId = 0;
  Clock::time_point popupEnds{};
  std::vector<std::string> popupLines;
  WakePipe wake;
  std::shared_ptr<X11PointerOrder> order;

  ~Connection() {
    for (Icon& icon : icons)
      if (icon.window) XDestroyWindow(display, icon.window);
    if (popup) XDestroyWindow(display, popup);
    if (font) XftFontClose(display, font);
    if (display) XCloseDisplay(display);
  }

  Icon* Find(Window window) {
    for (Icon& icon : icons)
      if (icon.window == window) return &icon;
    return nullptr;
  }

  // The icon scaled to the window, with its transparency.
  void Render(Icon& icon) {
    if (!win32::IconArgbPixels(icon.record.icon, icon.Side(), &icon.pixels)) icon.pixels.clear();
    icon.stale = true;
  }

  // The icon in the window's middle, over what lies under it there: the tray's own
  // background for a docked icon (its window's background is its parent's), the face for
  // the stand-in.
  void Draw(Icon& icon) {
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    if (icon.pixels.empty() || depth < 24 || visual->red_mask != 0xFF0000 || visual->blue_mask != 0xFF) return;
    const int side = icon.Side(), left = (icon.width - side) / 2, top = (icon.height - side) / 2;
    XClearWindow(display, icon.window);
    // Null while the window is not shown yet: it is drawn over the face then, and again
    // over the tray's background once the tray shows it (Expose).
    XImage* image = XGetImage(display, icon.window, left, top, static_cast<unsigned>(side),
                              static_cast<unsigned>(side), AllPlanes, ZPixmap);
    if (!image) {
      char* face = static_cast<char*>(malloc(static_cast<size_t>(side) * side * 4));
      image = face ? XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, face,
                                  static_cast<unsigned>(side), static_cast<unsigned>(side), 32, 0)
                   : nullptr;
      if (!image) {
        free(face);
        return;
      }
      for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) XPutPixel(image, x, y, kFace);
    }
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        const BYTE* argb = &icon.pixels[(static_cast<size_t>(y) * side + x) * 4];
        const unsigned long under = XGetPixel(image, x, y);
        unsigned long blended = 0;
        for (int channel = 0; channel < 3; ++channel) {
          const int shift = 16 - 8 * channel;
          const unsigned mine = argb[1 + channel], theirs = (under >> shift) & 0xFF;
          blended |= static_cast<unsigned long>((mine * argb[0] + theirs * (255u - argb[0]) + 127) / 255) << shift;
        }
        XPutPixel(image, x, y, blended);
      }
    }
    XPutImage(display, icon.window, DefaultGC(display, screen), image, 0, 0, left, top, static_cast<unsigned>(side),
              static_cast<unsigned>(side));
    XDestroyImage(image);
    icon.stale = false;
  }

  // Where an icon is on the screen.
  void Origin(const Icon& icon, int* x, int* y) {
    Window child;
    XTranslateCoordinates(display, icon.window, DefaultRootWindow(display), 0, 0, x, y, &child);
  }

  // The icon under a point of the screen, if any.
  Icon* IconAt(int xRoot, int yRoot) {
    for (Icon& icon : icons) {
      XWindowAttributes attributes;
      if (!icon.window || !XGetWindowAttributes(display, icon.window, &attributes) || attributes.map_state != IsViewable) continue;
      int x = 0, y = 0;
      Origin(icon, &x, &y);
      if (xRoot >= x && xRoot < x + attributes.width && yRoot >= y && yRoot < y + attributes.height) return &icon;
    }
    return nullptr;
  }

  // A press or release of the left or right button on an icon: its callback message.
  void Button(Icon& icon, bool press, unsigned b, int xRoot, int yRoot, Time time) {
    if (b != Button1 && b != Button3) return;
    PlacePointer(xRoot, yRoot, time, X11PointerOrder::Kind::Button);
    UINT message;
    if (press) {
      message = b == Button1 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
      // A second press soon after the first at the same icon is a double click.
      const auto now = Clock::now();
      if (icon.lastButton == b && now - icon.lastPress <= std::chrono::milliseconds(GetDoubleClickTime())) {
        message = b == Button1 ? WM_LBUTTONDBLCLK : WM_RBUTTONDBLCLK;
        icon.lastButton = 0;
      } else {
        icon.lastButton = b;
        icon.lastPress = now;
      }
    } else {
      message = b == Button1 ? WM_LBUTTONUP : WM_RBUTTONUP;
    }
    if (popup && !balloon) HidePopup();
    PostTrayCallback(icon.record, message);
  }

  // The cursor's position for the icon's callback, unless the pointer has been seen later
  // elsewhere.
  void PlacePointer(int xRoot, int yRoot, Time time, X11PointerOrder::Kind kind) {
    order->PlaceIfLatest(X11PointerOrder::Reader::Tray, kind, time,
                         [&] { Desktop::Get().SetCursorPosition(xRoot, yRoot); });
  }

  void HidePopup() {
    if (popup) XDestroyWindow(display, popup);
    popup = 0;
    balloon = false;
  }

  // A popup of text lines above (or below) the icon.
  void ShowPopup(const Icon& icon, const std::wstring& title, const std::wstring& text, bool isBalloon, int seconds) {
    HidePopup();
    popupLines.clear();
    if (!title.empty()) popupLines.push_back(WideToUtf8(title));
    std::wstring line;
    for (wchar_t c : text) {
      if (c == L'\r') continue;
      if (c == L'\n' || line.size() >= 28) {
        popupLines.push_back(WideToUtf8(line));
        line.clear();
        if (c == L'\n') continue;
      }
      line += c;
    }
    if (!line.empty()) popupLines.push_back(WideToUtf8(line));
    const int lineHeight = font->ascent + font->descent + 2;
    const int width = isBalloon ? kBalloonWidth : std::min(kBalloonWidth, 20 + 14 * static_cast<int>(
                                                      std::max<size_t>(1, text.size())));
    const int height = static_cast<int>(popupLines.size()) * lineHeight + 2 * kMargin;
    int screen = DefaultScreen(display);
    const int screenW = DisplayWidth(display, screen), screenH = DisplayHeight(display, screen);
    // Near the icon; an icon shown elsewhere (on the bus) has its balloon at the screen's
    // bottom right corner.
    int x = screenW - kMargin, y = screenH - kMargin, iconWidth = 0, iconHeight = 0;
    if (icon.window) {
      Origin(icon, &x, &y);
      iconWidth = icon.width;
      iconHeight = icon.height;
    }
    x = std::clamp(x + iconWidth - width, 0, std::max(0, screenW - width));
    y = y - height - 4 >= 0 ? y - height - 4 : std::min(y + iconHeight + 4, screenH - height);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = isBalloon ? 0xFFFFE1 : 0xFFFFFF;
    attributes.border_pixel = 0x000000;
    popup = XCreateWindow(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 1, CopyFromParent, InputOutput, CopyFromParent,
                          CWOverrideRedirect | CWBackPixel | CWBorderPixel, &attributes);
    XSelectInput(display, popup, ExposureMask | ButtonPressMask);
    XMapRaised(display, popup);
    balloon = isBalloon;
    balloonOwner = icon.record.window;
    balloonId = icon.record.id;
    popupEnds = Clock::now() + std::chrono::seconds(seconds);
    XFlush(display);
  }

  void PaintPopup() {
    if (!popup) return;
    int screen = DefaultScreen(display);
    XftDraw* draw = XftDrawCreate(display, popup, DefaultVisual(display, screen), DefaultColormap(display, screen));
    XftColor black;
    XftColorAllocName(display, DefaultVisual(display, screen), DefaultColormap(display, screen), "black", &black);
    int baseline = kMargin + font->ascent;
    for (const std::string& line : popupLines) {
      XftDrawStringUtf8(draw, &black, font, kMargin, baseline, reinterpret_cast<const FcChar8*>(line.data()),
                        static_cast<int>(line.size()));
      baseline += font->ascent + font->descent + 2;
    }
    XftColorFree(display, DefaultVisual(display, screen), DefaultColormap(display, screen), &black);
    XftDrawDestroy(draw);
    XFlush(display);
  }

  // The icon's window: docked into the tray when there is one (XEmbed), else standing in
  // the row at the bottom right.
  void MakeWindow(Icon& icon, Window tray) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    // Docked, the icon shows the tray's background around it; the stand-in has its face.
    attributes.background_pixmap = ParentRelative;
    attributes.background_pixel = kFace;
    attributes.override_redirect = tray ? False : True;  // the stand-in places itself
    icon.window = XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(icon.width),
                                static_cast<unsigned>(icon.height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                (tray ? CWBackPixmap : CWBackPixel) | CWOverrideRedirect, &attributes);
    XSelectInput(display, icon.window, ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                           EnterWindowMask | LeaveWindowMask | StructureNotifyMask);
    XStoreName(display, icon.window, "tray icon");
    icon.docked = tray != 0;
    icon.stale = true;
    if (!tray) return;
    icon.vertical = Vertical(tray);
    AskSize(icon, kIconSize);
    // XEmbed: version 0, mapped; the tray reparents and shows it.
    long info[2] = {0, 1};
    XChangeProperty(display, icon.window, xembedInfo, xembedInfo, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(info), 2);
    XEvent dock{};
    dock.xclient.type = ClientMessage;
    dock.xclient.window = tray;
    dock.xclient.message_type = trayOpcode;
    dock.xclient.format = 32;
    dock.xclient.data.l[0] = CurrentTime;
    dock.xclient.data.l[1] = kDock;
    dock.xclient.data.l[2] = static_cast<long>(icon.window);
    XSendEvent(display, tray, False, NoEventMask, &dock);
  }

  // A tray gives an icon the size it asks for (when it asks nothing: a pixel), and its own
  // thickness across; the icon then asks to be square at that thickness.
  void AskSize(Icon& icon, int side) {
    if (side <= 0 || side == icon.asked) return;
    XSizeHints* hints = XAllocSizeHints();
    if (!hints) return;
    hints->flags = PMinSize | PBaseSize;
    hints->min_width = hints->base_width = hints->min_height = hints->base_height = side;
    XSetWMNormalHints(display, icon.window, hints);
    XFree(hints);
    icon.asked = side;
  }

  bool Vertical(Window tray) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool vertical = false;
    if (XGetWindowProperty(display, tray, orientation, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success && data) {
      vertical = format == 32 && count == 1 && *reinterpret_cast<long*>(data) == 1;
      XFree(data);
    }
    return vertical;
  }
};

std::unique_ptr<X11Tray> X11Tray::Open(const char* displayName, std::shared_ptr<X11PointerOrder> order) {
  auto x = std::make_unique<Connection>();
  x->order = std::move(order);
  x->display = XOpenDisplay(displayName);
  if (!x->display || !x->wake.Open()) return nullptr;
  x->font = OpenTextFont(x->display, 13);
  if (!x->font) return nullptr;
  x->trayOpcode = XInternAtom(x->display, "_NET_SYSTEM_TRAY_OPCODE", False);
  x->xembedInfo = XInternAtom(x->display, "_XEMBED_INFO", False);
  x->orientation = XInternAtom(x->display, "_NET_SYSTEM_TRAY_ORIENTATION", False);
  std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(x->display));
  x->selection = XInternAtom(x->display, selection.c_str(), False);
  return std::unique_ptr<X11Tray>(new X11Tray(std::move(x)));
}

X11Tray::X11Tray(std::unique_ptr<Connection> connection) : m_x(std::move(connection)) {
  m_thread = std::thread([this] { Run(); });
}

X11Tray::~X11Tray() {
  m_stop = true;
  m_x->wake.Wake();
  m_thread.join();
}

void X11Tray::Update(const std::vector<win32::TrayIcon>& icons, Show show) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  Connection& x = *m_x;
  Display* d = x.display;
  const bool withWindows = show == Show::IconsAndBalloons;
  // Icons gone from the area leave the display; with balloons alone, their windows go.
  for (auto it = x.icons.begin(); it != x.icons.end();) {
    bool kept = std::any_of(icons.begin(), icons.end(), [&](const win32::TrayIcon& i) {
      return i.window == it->record.window && i.id == it->record.id;
    });
    if (kept && !withWindows && it->window) {
      if (x.popup && !x.balloon) x.HidePopup();  // a tip of the window
      XDestroyWindow(d, it->window);
      it->window = 0;
      it->docked = false;
      it->asked = 0;
      it->width = it->height = kIconSize;
    }
    if (kept) {
      ++it;
      continue;
    }
    if (x.popup && x.balloonOwner == it->record.window && x.balloonId == it->record.id) x.HidePopup();
    if (it->window) XDestroyWindow(d, it->window);
    it = x.icons.erase(it);
  }
  // Asked only for a new window: a round trip's reply would wake the tray's thread for nothing.
  std::optional<Window> trayOwner;
  auto trayWindow = [&] {
    if (!trayOwner) trayOwner = XGetSelectionOwner(d, x.selection);
    return *trayOwner;
  };
  const int screen = DefaultScreen(d);
  for (const win32::TrayIcon& record : icons) {
    auto found = std::find_if(x.icons.begin(), x.icons.end(), [&](const Icon& i) {
      return i.record.window == record.window && i.record.id == record.id;
    });
    if (found == x.icons.end()) {
      x.icons.emplace_back();
      found = x.icons.end() - 1;
    }
    bool iconChanged = record.icon != found->record.icon || found->pixels.empty();
    if (withWindows && !found->window) {
      x.MakeWindow(*found, trayWindow());
      iconChanged = true;
    }
    const bool newBalloon = !record.balloonText.empty() && record.balloonText != found->record.balloonText;
    found->record = record;
    if (iconChanged && found->window) x.Render(*found);
    if (newBalloon) {
      // Windows' shortest time for a balloon; the program hides it earlier itself when it wants.
      x.ShowPopup(*found, record.balloonTitle, record.balloonText, true, 10);
      PostTrayCallback(record, kNinBalloonShow);
    } else if (record.balloonText.empty() && x.balloon && x.balloonOwner == record.window && x.balloonId == record.id) {
      x.HidePopup();
    }
  }
  // The stand-in: a row at the bottom right of the screen, above every other window.
  int slot = 0;
  for (Icon& icon : x.icons) {
    if (!icon.window) continue;
    if (!icon.docked) {
      ++slot;
      XMoveWindow(d, icon.window, DisplayWidth(d, screen) - slot * (kIconSize + 2), DisplayHeight(d, screen) - kIconSize - 2);
      XMapRaised(d, icon.window);
    }
    if (icon.stale) x.Draw(icon);
  }
  XFlush(d);
}

unsigned long X11Tray::WindowOf(HWND hwnd, UINT id) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  for (const Icon& icon : m_x->icons)
    if (icon.record.window == hwnd && icon.record.id == id) return icon.window;
  return 0;
}

bool X11Tray::TakeButton(int xRoot, int yRoot, unsigned button, bool press, unsigned long time) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  Icon* icon = m_x->IconAt(xRoot, yRoot);
  if (!icon) return false;
  m_x->Button(*icon, press, button, xRoot, yRoot, time);
  XFlush(m_x->display);
  return true;
}

bool X11Tray::Docked() {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  return std::any_of(m_x->icons.begin(), m_x->icons.end(), [](const Icon& i) { return i.docked; });
}

unsigned long X11Tray::BalloonWindow() {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  return m_x->balloon ? m_x->popup : 0;
}

void X11Tray::Run() {
  Display* d = m_x->display;
  while (!m_stop) {
    int timeout = -1;
    {
      std::lock_guard guard(m_lock);
      Connection& x = *m_x;
      while (XPending(d)) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.xany.window == x.popup && x.popup) {
          if (e.type == Expose && e.xexpose.count == 0) x.PaintPopup();
          if (e.type == ButtonPress && x.balloon) {
            win32::TrayIcon owner{};
            owner.window = x.balloonOwner;
            owner.id = x.balloonId;
            for (const Icon& icon : x.icons)
              if (icon.record.window == x.balloonOwner && icon.record.id == x.balloonId) owner = icon.record;
            x.HidePopup();
            PostTrayCallback(owner, kNinBalloonUserClick);
          }
          continue;
        }
        Icon* icon = x.Find(e.xany.window);
        if (!icon) continue;
        switch (e.type) {
          case Expose:
            if (e.xexpose.count == 0) x.Draw(*icon);
            break;
          case ConfigureNotify:
            if (e.xconfigure.width != icon->width || e.xconfigure.height != icon->height) {
              icon->width = e.xconfigure.width;
              icon->height = e.xconfigure.height;
              x.Render(*icon);
              x.Draw(*icon);  // a window that only grew gets no Expose of its old part
            }
            if (icon->docked) x.AskSize(*icon, icon->vertical ? icon->width : icon->height);
            break;
          case ButtonPress:
          case ButtonRelease:
            x.Button(*icon, e.type == ButtonPress, e.xbutton.button, e.xbutton.x_root, e.xbutton.y_root, e.xbutton.time);
            break;
          case MotionNotify:
            x.PlacePointer(e.xmotion.x_root, e.xmotion.y_root, e.xmotion.time, X11PointerOrder::Kind::Move);
            PostTrayCallback(icon->record, WM_MOUSEMOVE);
            break;
          case EnterNotify:
            if (!x.balloon && !icon->record.tip.empty()) x.ShowPopup(*icon, L"", icon->record.tip, false, 10);
            break;
          case LeaveNotify:
            if (x.popup && !x.balloon) x.HidePopup();
            break;
        }
      }
      // A balloon or tip whose time is up goes.
      if (x.popup && Clock::now() >= x.popupEnds) {
        if (x.balloon) {
          for (const Icon& icon : x.icons)
            if (icon.record.window == x.balloonOwner && icon.record.id == x.balloonId)
              PostTrayCallback(icon.record, kNinBalloonTimeout);
        }
        x.HidePopup();
        XFlush(d);
      }
      if (x.popup) {  // asleep until it is due
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(x.popupEnds - Clock::now()).count();
        timeout = static_cast<int>(std::max<long long>(left, 0) + 1);
      }
    }
    m_x->wake.Wait(ConnectionNumber(d), timeout);
  }
}

}  // namespace display
