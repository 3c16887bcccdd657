#include "display/x11/X11Input.h"

#include <vector>

#include "display/Desktop.h"
#include "display/x11/X11Keys.h"
#include "display/x11/X11CallerLock.h"
#include "win32/CodePage.h"
#include "win32/Imm.h"
#include "win32/MessageQueue.h"
#include "win32/WindowOps.h"

// Last: Xlib's macros (KeyPress, Status, CursorShape) would spoil the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

namespace display {

struct X11Input::Connection {
  Display* display = nullptr;
  XIM im = nullptr;
  std::map<Window, XIC> ics;
  std::map<WORD, Cursor> cursors;
  Cursor cursor = 0;  // shown over the program's windows; 0: the display's default
  // ClipCursor's rectangle: an input-only window under every other one, made when first asked.
  Window confine = 0;
  bool confined = false;
  RECT confineRect{};
  WakePipe wake;

  ~Connection() {
    for (auto& [window, ic] : ics) XDestroyIC(ic);
    if (im) XCloseIM(im);
    for (auto& [shape, c] : cursors) XFreeCursor(display, c);
    if (confine) XDestroyWindow(display, confine);
    if (display) XCloseDisplay(display);
  }
};

namespace {

constexpr long kEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask |
                         KeyPressMask | KeyReleaseMask | FocusChangeMask | ExposureMask;

// What one X event asks of a window's thread, worked out under the connection's lock and
// done after it.
struct Action {
  HWND hwnd = nullptr;
  std::function<void()> task;  // on the window's thread
  bool exposed = false;
  bool motion = false;
};

// Hands the input to the thread that owns the window, which turns it into messages when it
// has taken those of the input before.
void Deliver(HWND hwnd, std::function<void()> task) {
  DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
  if (!thread) return;
  if (auto queue = win32::MessageQueue::ForThread(thread)) queue->PushInput(std::move(task));
}

unsigned int XCursorShape(WORD id) {
  switch (id) {
    case 32513: return XC_xterm;
    case 32514:
    case 32650: return XC_watch;
    case 32515: return XC_crosshair;
    case 32516: return XC_sb_up_arrow;
    case 32642: return XC_bottom_right_corner;
    case 32643: return XC_bottom_left_corner;
    case 32644: return XC_sb_h_double_arrow;
    case 32645: return XC_sb_v_double_arrow;
    case 32646: return XC_fleur;
    case 32648: return XC_X_cursor;
    case 32649: return XC_hand2;
    case 32651: return XC_question_arrow;
  }
  return XC_left_ptr;
}

// The text of a key press: UTF-8 from the input context, or from the key's symbol alone.
std::string TextOf(XIC ic, XKeyEvent* key, KeySym* keysym, bool* fromInputMethod) {
  char buffer[64];
  Status status = 0;
  int n;
  std::string text;
  if (ic) {
    n = Xutf8LookupString(ic, key, buffer, sizeof buffer, keysym, &status);
    if (status == XBufferOverflow) {
      std::vector<char> more(static_cast<size_t>(n));
      n = Xutf8LookupString(ic, key, more.data(), n, keysym, &status);
      text.assign(more.data(), static_cast<size_t>(std::max(n, 0)));
    } else if (status == XLookupChars || status == XLookupBoth) {
      text.assign(buffer, static_cast<size_t>(std::max(n, 0)));
    }
    *fromInputMethod = status == XLookupChars;
  } else {
    n = XLookupString(key, buffer, sizeof buffer, keysym, nullptr);
    text.assign(buffer, static_cast<size_t>(std::max(n, 0)));
    *fromInputMethod = false;
  }
  // A symbol that stands for one character (what a tool typing text binds to a spare key)
  // gives that character where the lookup gave none.
  if (text.empty() && *keysym) {
    unsigned long code = 0;
    if ((*keysym & 0xFF000000) == 0x01000000) code = *keysym & 0x00FFFFFF;
    else if ((*keysym >= 0x20 && *keysym <= 0x7E) || (*keysym >= 0xA0 && *keysym <= 0xFF)) code = *keysym;
    if (code) text = WideToUtf8(std::wstring(1, static_cast<wchar_t>(code)));
  }
  return text;
}

}  // namespace

std::unique_ptr<X11Input> X11Input::Open(const char* displayName, std::function<void(HWND)> exposed,
                                         std::shared_ptr<X11PointerOrder> order) {
  auto x = std::make_unique<Connection>();
  x->display = XOpenDisplay(displayName);
  if (!x->display || !x->wake.Open()) return nullptr;
  XSetLocaleModifiers("");
  x->im = XOpenIM(x->display, nullptr, nullptr, nullptr);  // none: text from the key symbols alone
  return std::unique_ptr<X11Input>(new X11Input(std::move(x), std::move(exposed), std::move(order)));
}

X11Input::X11Input(std::unique_ptr<Connection> connection, std::function<void(HWND)> exposed,
                   std::shared_ptr<X11PointerOrder> order)
    : m_x(std::move(connection)), m_exposed(std::move(exposed)), m_order(std::move(order)) {
  m_thread = std::thread([this] { Run(); });
}

X11Input::~X11Input() {
  m_stop = true;
  m_x->wake.Wake();
  m_thread.join();
}

void X11Input::Watch(unsigned long window, HWND hwnd) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  Display* d = m_x->display;
  long mask = kEvents;
  if (m_x->im && !m_x->ics.count(window)) {
    XIC ic = XCreateIC(m_x->im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, window,
                       XNFocusWindow, window, nullptr);
    if (ic) {
      long filter = 0;
      XGetICValues(ic, XNFilterEvents, &filter, nullptr);
      mask |= filter;
      m_x->ics[window] = ic;
    }
  }
  XSelectInput(d, window, mask);
  if (m_x->cursor) XDefineCursor(d, window, m_x->cursor);
  m_windows[window] = hwnd;
  XSync(d, False);  // taking the window's input before anybody's next request
}

void X11Input::Forget(unsigned long window) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  m_windows.erase(window);
  if (m_grab == window) {  // the server ends its grab with the window
    m_grab = 0;
    m_grabWaiting = false;
    GrabConfinedLocked();   // a confinement goes on under a grab of its own
  }
  auto ic = m_x->ics.find(window);
  if (ic != m_x->ics.end()) {
    XDestroyIC(ic->second);
    m_x->ics.erase(ic);
  }
}

void X11Input::Focus(unsigned long window) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  XSetInputFocus(m_x->display, window, RevertToParent, CurrentTime);
  XSync(m_x->display, False);
}

void X11Input::Grab(unsigned long window) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  m_grab = window;
  m_grabWaiting = false;
  if (window) {
    TakeGrabLocked();
    return;
  }
  if (!GrabConfinedLocked()) XUngrabPointer(m_x->display, CurrentTime);
  XSync(m_x->display, False);
}

void X11Input::TakeGrabLocked() {
  // Events over the program's windows still go to them (owner events); the rest come to this one.
  const int result =
      XGrabPointer(m_x->display, m_grab, True,
                   ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
                   GrabModeAsync, GrabModeAsync, ConfineToLocked(), m_x->cursor, CurrentTime);
  XSync(m_x->display, False);
  // Another client's grab is waited out; a window not shown gets none.
  m_grabWaiting = result == AlreadyGrabbed || result == GrabFrozen;
}

// X keeps the pointer in a rectangle only through a pointer grab (its confine_to window), and
// a client has one pointer grab at a time: so whichever window grabs the pointer (a capture,
// a popup) takes its input while the confinement goes on holding the pointer; with none, the
// confinement grabs with its own window. The caller grabs again (Grab) after a change here.
bool X11Input::Confine(const RECT* rect) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  const bool confine = rect && rect->right > rect->left && rect->bottom > rect->top;
  if (confine == m_x->confined && (!confine || EqualRect(rect, &m_x->confineRect))) return false;
  Display* d = m_x->display;
  if (confine) {
    const unsigned width = static_cast<unsigned>(rect->right - rect->left);
    const unsigned height = static_cast<unsigned>(rect->bottom - rect->top);
    if (!m_x->confine) {
      XSetWindowAttributes attributes{};
      attributes.override_redirect = True;
      m_x->confine = XCreateWindow(d, DefaultRootWindow(d), rect->left, rect->top, width, height, 0, 0, InputOnly,
                                   CopyFromParent, CWOverrideRedirect, &attributes);
    } else {
      XMoveResizeWindow(d, m_x->confine, rect->left, rect->top, width, height);
    }
    XMapWindow(d, m_x->confine);
    XLowerWindow(d, m_x->confine);  // below the program's windows: it takes none of their input
    m_x->confineRect = *rect;
  } else if (m_x->confine) {
    XUnmapWindow(d, m_x->confine);
  }
  m_x->confined = confine;
  XSync(d, False);
  return true;
}

unsigned long X11Input::ConfineToLocked() const { return m_x->confined ? m_x->confine : 0 /* None: anywhere */; }

bool X11Input::GrabConfinedLocked() {
  if (!m_x->confined) return false;
  XGrabPointer(m_x->display, m_x->confine, True,
               ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
               GrabModeAsync, GrabModeAsync, m_x->confine, m_x->cursor, CurrentTime);
  return true;
}

void X11Input::SetCursorShape(WORD shape) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  Display* d = m_x->display;
  Cursor& c = m_x->cursors[shape];
  if (!c) c = XCreateFontCursor(d, XCursorShape(shape));
  if (c == m_x->cursor) return;
  m_x->cursor = c;
  for (auto& [window, hwnd] : m_windows) XDefineCursor(d, window, c);
  // A grab shows the cursor it was made with; it follows the shape too (no grab: nothing).
  XChangeActivePointerGrab(d, ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
                           c, CurrentTime);
  XFlush(d);
}

void X11Input::PassGrabbedButtons(ButtonTaker take) {
  X11CallerLock guard(m_lock, m_x->wake, m_x->display);
  m_takeGrabbed = std::move(take);
}

HWND X11Input::WindowOf(unsigned long window) {
  auto found = m_windows.find(window);
  return found == m_windows.end() ? nullptr : found->second;
}

void X11Input::Run() {
  Display* d = m_x->display;
  while (!m_stop) {
    std::vector<Action> actions;
    int timeout = -1;
    {
      std::lock_guard guard(m_lock);
      if (m_grab && m_grabWaiting) TakeGrabLocked();  // another client held the pointer, maybe no more
      if (m_grab && m_grabWaiting) timeout = 50;      // nothing tells when it lets go: ask again soon
      while (XPending(d)) {
        XEvent e;
        XNextEvent(d, &e);
        HWND hwnd = WindowOf(e.xany.window);
        const bool key = e.type == KeyPress || e.type == KeyRelease;
        // The input method sees the keys of windows that take text through it.
        if ((!key || (hwnd && win32::ImeEnabled(hwnd))) && XFilterEvent(&e, 0)) continue;
        if (!hwnd) continue;
        Action a;
        a.hwnd = hwnd;
        Desktop& desktop = Desktop::Get();
        switch (e.type) {
          case ButtonPress:
          case ButtonRelease: {
            const int x = e.xbutton.x_root, y = e.xbutton.y_root;
            const unsigned b = e.xbutton.button;
            if (b == Button4 || b == Button5) {
              if (e.type == ButtonPress)
                a.task = [&desktop, x, y, b] { desktop.MouseWheel(b == Button4 ? WHEEL_DELTA : -WHEEL_DELTA, x, y); };
              break;
            }
            if (b > Button3) break;
            const Time time = e.xbutton.time;
            if (m_grab && m_takeGrabbed && m_takeGrabbed(x, y, b, e.type == ButtonPress, time)) break;
            Desktop::Button button = b == Button1 ? Desktop::Button::Left
                                     : b == Button2 ? Desktop::Button::Middle : Desktop::Button::Right;
            std::function<void()> click;
            if (e.type == ButtonPress) click = [&desktop, button, x, y] { desktop.MouseDown(button, x, y); };
            else click = [&desktop, button, x, y] { desktop.MouseUp(button, x, y); };
            // A click is never lost: one that comes after a later position still happens.
            a.task = [order = m_order, time, click] {
              if (!order->PlaceIfLatest(X11PointerOrder::Reader::Windows, X11PointerOrder::Kind::Button, time, click))
                click();
            };
            break;
          }
          case MotionNotify:
          case EnterNotify:
          case LeaveNotify: {
            if (e.type != MotionNotify && e.xcrossing.mode != NotifyNormal) break;
            const int x = e.type == MotionNotify ? e.xmotion.x_root : e.xcrossing.x_root;
            const int y = e.type == MotionNotify ? e.xmotion.y_root : e.xcrossing.y_root;
            const Time time = e.type == MotionNotify ? e.xmotion.time : e.xcrossing.time;
            // A move that the pointer has left behind (the tray saw a later one) is dropped.
            a.task = [&desktop, order = m_order, time, x, y] {
              order->PlaceIfLatest(X11PointerOrder::Reader::Windows, X11PointerOrder::Kind::Move, time,
                                   [&] { desktop.MouseMove(x, y); });
            };
            a.motion = true;
            break;
          }
          case KeyPress: {
            auto ic = m_x->ics.find(e.xany.window);
            KeySym keysym = 0;
            bool fromInputMethod = false;
            std::string text =
                TextOf(ic == m_x->ics.end() || !win32::ImeEnabled(hwnd) ? nullptr : ic->second, &e.xkey, &keysym, &fromInputMethod);
            // The key itself (its unshifted symbol); TranslateMessage makes its characters.
            // Text without such a key (the input method's, or a symbol no key stands for)
            // comes as characters.
            UINT vk = e.xkey.keycode && !fromInputMethod ? VirtualKeyOfKeySym(XLookupKeysym(&e.xkey, 0)) : 0;
            if (vk) {
              a.task = [&desktop, vk] { desktop.KeyDown(vk); };
            } else if (!text.empty()) {
              std::wstring wide = Utf8ToWide(text);
              a.task = [&desktop, wide] { desktop.TypeText(wide); };
            }
            break;
          }
          case KeyRelease: {
            UINT vk = VirtualKeyOfKeySym(XLookupKeysym(&e.xkey, 0));
            if (vk) a.task = [&desktop, vk] { desktop.KeyUp(vk); };
            break;
          }
          case FocusIn: {
            if (e.xfocus.mode == NotifyGrab || e.xfocus.mode == NotifyUngrab || e.xfocus.detail == NotifyPointer) break;
            auto ic = m_x->ics.find(e.xany.window);
            if (ic != m_x->ics.end()) XSetICFocus(ic->second);
            a.task = [hwnd] {
              if (GetForegroundWindow() != hwnd && IsWindowEnabled(hwnd)) SetForegroundWindow(hwnd);
            };
            break;
          }
          case FocusOut: {
            if (e.xfocus.mode == NotifyGrab || e.xfocus.mode == NotifyUngrab || e.xfocus.detail == NotifyInferior ||
                e.xfocus.detail == NotifyPointer)
              break;
            auto ic = m_x->ics.find(e.xany.window);
            if (ic != m_x->ics.end()) XUnsetICFocus(ic->second);
            Window now = 0;
            int revert = 0;
            XGetInputFocus(d, &now, &revert);
            if (WindowOf(now)) break;  // another of the program's windows has it
            a.task = [hwnd] {
              if (GetForegroundWindow() == hwnd) win32::ActivateNone();  // another program took the keyboard
            };
            break;
          }
          case Expose:
            if (e.xexpose.count == 0) a.exposed = true;
            break;
        }
        if (!a.task && !a.exposed) continue;
        // Moves in a row: only the last counts.
        if (a.motion && !actions.empty() && actions.back().motion && actions.back().hwnd == a.hwnd) actions.pop_back();
        actions.push_back(std::move(a));
      }
    }
    for (Action& a : actions) {
      if (a.exposed) m_exposed(a.hwnd);
      if (a.task) Deliver(a.hwnd, std::move(a.task));
    }
    m_x->wake.Wait(ConnectionNumber(d), timeout);
  }
}

}  // namespace display
