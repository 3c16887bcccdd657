// Input on a real X server (Xvfb), driven through it with xdotool: the same messages reach
// the windows as when the headless desktop's injection makes them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>

#include "../win32/WindowTestSupport.h"
#include "TestIcon.h"
#include "X11Server.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "win32/DialogManager.h"
#include "win32/MessageQueue.h"
#include "win32/Windows.h"

// Last: Xlib's macros (None, Bool, True) would spoil the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using display::Desktop;
using wintest::Recorder;
using wintest::Seen;

namespace {

constexpr int kButtonA = 11, kButtonB = 12;

// One Xvfb for the suite; every test gets a fresh form on it.
class X11Display : public testing::Test {
 protected:
  static void SetUpTestSuite() { s_server = x11test::X11Server::Start().release(); }
  static void TearDownTestSuite() {
    delete s_server;
    s_server = nullptr;
  }

  void SetUp() override {
    if (!s_server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    m_x11 = x11test::Present(*s_server);
    ASSERT_TRUE(m_x11);
    m_display = XOpenDisplay(s_server->Name().c_str());
    ASSERT_TRUE(m_display);
    Recorder::Get().Clear();
    win32::RegisterDialogControlClasses();
    m_form = CreateWindowExW(0, Recorder::ClassName(), L"fixture form", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                             nullptr, nullptr, nullptr, nullptr);
    m_a = CreateWindowExW(0, WC_BUTTONW, L"A", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 20, 20, 80, 30, m_form,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonA)), nullptr, nullptr);
    m_b = CreateWindowExW(0, WC_BUTTONW, L"B", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 120, 20, 80, 30, m_form,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonB)), nullptr, nullptr);
    UpdateWindow(m_form);
    SetForegroundWindow(m_form);
    Pump();
    ASSERT_TRUE(WaitFor([&] { return m_x11->XWindowOf(m_form) != 0; }));
    XSync(m_display, False);
  }

  void TearDown() override {
    if (!s_server) return;
    // Also after a SetUp that failed part way: what it made goes, nothing else.
    ReleaseCapture();
    if (m_form) DestroyWindow(m_form);
    Pump();
    Recorder::Get().Clear();
    Desktop::Get().SetPresenter(nullptr);
    if (m_display) XCloseDisplay(m_display);
  }

  static void Xdo(const std::string& args) { ASSERT_EQ(s_server->Xdo(args), 0) << args; }

  // The thread's messages, through the dialog manager of the form as a dialog's loop has it.
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (IsWindow(m_form) && IsDialogMessageW(m_form, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // Pumps until `done`, for input that the X server hands over meanwhile.
  bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      Pump();
      if (done()) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      win32::MessageQueue::Current()->WaitForInputFor(std::chrono::milliseconds(5));
    }
  }
  std::wstring Typed(HWND hwnd) {
    std::wstring text;
    for (const Seen& s : Recorder::Get().All())
      if (s.hwnd == hwnd && s.msg == WM_CHAR) text += static_cast<wchar_t>(s.wParam);
    return text;
  }
  int Commands(int id) {
    int n = 0;
    for (const Seen& s : Recorder::Get().All())
      if (s.hwnd == m_form && s.msg == WM_COMMAND && LOWORD(s.wParam) == id && HIWORD(s.wParam) == BN_CLICKED) ++n;
    return n;
  }

  static x11test::X11Server* s_server;
  display::X11Presenter* m_x11 = nullptr;
  Display* m_display = nullptr;
  HWND m_form = nullptr, m_a = nullptr, m_b = nullptr;
};

x11test::X11Server* X11Display::s_server = nullptr;

TEST_F(X11Display, AClickFiresTheButton) {
  Xdo("mousemove 150 135 click 1");  // button A's middle: (100+20+40, 100+20+15)
  ASSERT_TRUE(WaitFor([&] { return Commands(kButtonA) == 1; }));
  EXPECT_EQ(Commands(kButtonB), 0);
  Xdo("mousemove 250 135 click 1");
  ASSERT_TRUE(WaitFor([&] { return Commands(kButtonB) == 1; }));
}

TEST_F(X11Display, TypedTextArrivesAsCharactersChineseIncluded) {
  SetFocus(m_form);
  Pump();
  Xdo("type --delay 20 'aB!'");
  ASSERT_TRUE(WaitFor([&] { return Typed(m_form).size() >= 3; }));
  EXPECT_EQ(Typed(m_form), L"aB!");
  EXPECT_GE(Recorder::Get().Count(m_form, WM_KEYDOWN), 3);
  Recorder::Get().Clear();
  ASSERT_TRUE(s_server->BindKeys(L"中文"));
  Xdo("type --delay 20 '中文'");
  ASSERT_TRUE(WaitFor([&] { return Typed(m_form).size() >= 2; }));
  EXPECT_EQ(Typed(m_form), L"中文");
}

TEST_F(X11Display, TabMovesTheFocusAmongTheControls) {
  SetFocus(m_a);
  Pump();
  Xdo("key Tab");
  ASSERT_TRUE(WaitFor([&] { return GetFocus() == m_b; }));
  Xdo("key shift+Tab");
  ASSERT_TRUE(WaitFor([&] { return GetFocus() == m_a; }));
  // Enter on a focused push button presses it.
  Xdo("key Return");
  ASSERT_TRUE(WaitFor([&] { return Commands(kButtonA) == 1; }));
}

TEST_F(X11Display, AClickOutsideReachesThePopupHoldingTheCapture) {
  HWND popup = CreateWindowExW(WS_EX_TOPMOST, Recorder::ClassName(), L"popup", WS_POPUP | WS_VISIBLE, 500, 300, 100,
                               100, m_form, nullptr, nullptr, nullptr);
  // Like a menu: a press outside its client area closes it.
  Recorder::Get().SetReaction([popup](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (hwnd != popup || msg != WM_LBUTTONDOWN) return false;
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    GetClientRect(hwnd, &client);
    if (!PtInRect(&client, at)) DestroyWindow(hwnd);
    result = 0;
    return true;
  });
  UpdateWindow(popup);
  Pump();
  ASSERT_TRUE(WaitFor([&] { return m_x11->XWindowOf(popup) != 0; }));
  SetCapture(popup);
  XSync(m_display, False);
  Xdo("mousemove 900 700 click 1");  // on no window of the program
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(popup); }));
  EXPECT_EQ(Commands(kButtonA), 0);
}

// A popup's pointer grab (a menu's): a press on no window of the program comes to the
// program and takes the activation away, as on the headless desktop; the grab follows the
// newest popup, comes back when it goes, outlives a capture, and ends with the last popup or
// with the program's connection (as when the program is killed).
TEST_F(X11Display, APopupsGrabBringsAPressOnNothingAndEndsWithThePopup) {
  auto popup = [&](int x, UINT activate) {
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, Recorder::ClassName(), L"popup", WS_POPUP, x, 300,
                                100, 100, nullptr, nullptr, nullptr, nullptr);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | activate);
    UpdateWindow(hwnd);
    return hwnd;
  };
  // Whether another client can take the pointer now.
  auto pointerFree = [&] {
    const bool free = XGrabPointer(m_display, DefaultRootWindow(m_display), False, ButtonPressMask, GrabModeAsync,
                                   GrabModeAsync, 0, 0, CurrentTime) == GrabSuccess;
    XUngrabPointer(m_display, CurrentTime);
    XSync(m_display, False);
    return free;
  };
  HWND first = popup(500, 0);
  ASSERT_TRUE(WaitFor([&] { return m_x11->XWindowOf(first) != 0; }));
  ASSERT_TRUE(pointerFree());
  ASSERT_TRUE(Desktop::Get().GrabPointerWhileShown(first));
  EXPECT_FALSE(pointerFree());

  HWND second = popup(620, SWP_NOACTIVATE);
  ASSERT_TRUE(Desktop::Get().GrabPointerWhileShown(second));
  EXPECT_EQ(Desktop::Get().PointerGrab(), second);
  DestroyWindow(second);
  EXPECT_EQ(Desktop::Get().PointerGrab(), first);
  EXPECT_FALSE(pointerFree());
  SetCapture(m_a);
  ReleaseCapture();
  EXPECT_FALSE(pointerFree());

  Recorder::Get().Clear();
  Xdo("mousemove 900 700 click 1");
  ASSERT_TRUE(WaitFor([&] {
    for (const Seen& seen : Recorder::Get().All())
      if (seen.hwnd == first && seen.msg == WM_ACTIVATE && LOWORD(seen.wParam) == WA_INACTIVE) return true;
    return false;
  }));
  EXPECT_EQ(Commands(kButtonA), 0);

  ShowWindow(first, SW_HIDE);
  EXPECT_EQ(Desktop::Get().PointerGrab(), nullptr);
  EXPECT_TRUE(pointerFree());
  EXPECT_FALSE(Desktop::Get().GrabPointerWhileShown(first)) << "a hidden window holds nothing";

  ShowWindow(first, SW_SHOWNA);
  ASSERT_TRUE(Desktop::Get().GrabPointerWhileShown(first));
  EXPECT_FALSE(pointerFree());
  Desktop::Get().SetPresenter(nullptr);
  EXPECT_TRUE(WaitFor(pointerFree));
  DestroyWindow(first);
}

TEST_F(X11Display, TheCaptionMovesAWindow) {
  HWND framed = CreateWindowExW(0, Recorder::ClassName(), L"framed", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 300, 300,
                                200, nullptr, nullptr, nullptr, nullptr);
  UpdateWindow(framed);
  Pump();
  ASSERT_TRUE(WaitFor([&] { return m_x11->XWindowOf(framed) != 0; }));
  RECT before;
  GetWindowRect(framed, &before);
  Xdo("mousemove 500 310 mousedown 1 mousemove 530 330 mousemove 560 350 mouseup 1");
  ASSERT_TRUE(WaitFor([&] {
    RECT r;
    GetWindowRect(framed, &r);
    return r.left == before.left + 60 && r.top == before.top + 40;
  }));
  XSync(m_display, False);
  XWindowAttributes at{};
  XGetWindowAttributes(m_display, m_x11->XWindowOf(framed), &at);
  EXPECT_EQ(at.x, before.left + 60);
  EXPECT_EQ(at.y, before.top + 40);
  DestroyWindow(framed);
}

TEST_F(X11Display, TheBottomRightCornerSizesAWindow) {
  HWND framed = CreateWindowExW(0, Recorder::ClassName(), L"framed", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 300, 300,
                                200, nullptr, nullptr, nullptr, nullptr);
  UpdateWindow(framed);
  Pump();
  ASSERT_TRUE(WaitFor([&] { return m_x11->XWindowOf(framed) != 0; }));
  Xdo("mousemove 698 498 mousedown 1 mousemove 720 520 mousemove 758 538 mouseup 1");
  // The pointer leaves the window at once: the moves after the press still follow it.
  ASSERT_TRUE(WaitFor([&] {
    RECT r;
    GetWindowRect(framed, &r);
    return r.right - r.left == 360 && r.bottom - r.top == 240;
  }));
  XSync(m_display, False);
  XWindowAttributes at{};
  XGetWindowAttributes(m_display, m_x11->XWindowOf(framed), &at);
  EXPECT_EQ(at.x, 400);
  EXPECT_EQ(at.width, 360);
  EXPECT_EQ(at.height, 240);
  DestroyWindow(framed);
}

unsigned long PixelAt(Display* d, unsigned long window, int x, int y) {
  XImage* image = XGetImage(d, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xFFFFFFFF;
  unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

TEST_F(X11Display, ACoveredWindowIsDrawnAgainAndShowsItsCaret) {
  Window root = DefaultRootWindow(m_display);
  const unsigned long face = PixelAt(m_display, root, 110, 180);
  // Covered by another program's window and uncovered again.
  Window cover = XCreateSimpleWindow(m_display, root, 90, 90, 200, 200, 0, 0, 0x00FF00);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  XChangeWindowAttributes(m_display, cover, CWOverrideRedirect, &attributes);
  XMapRaised(m_display, cover);
  XSync(m_display, False);
  EXPECT_EQ(PixelAt(m_display, root, 110, 180), 0x00FF00u);
  XDestroyWindow(m_display, cover);
  XSync(m_display, False);
  EXPECT_TRUE(WaitFor([&] { return PixelAt(m_display, root, 110, 180) == face; }));

  // The caret is drawn into the window on the display.
  CreateCaret(m_form, nullptr, 2, 20);
  SetCaretPos(10, 150);
  ShowCaret(m_form);
  XSync(m_display, False);
  EXPECT_TRUE(WaitFor([&] { return PixelAt(m_display, root, 111, 260) != face; }));
  DestroyCaret();
}

// The same input, injected and real: the same messages, in the same order, at the same places.
TEST_F(X11Display, RealInputGivesTheMessagesOfInjectedInput) {
  const std::vector<UINT> kinds{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEWHEEL,
                                WM_KEYDOWN,     WM_KEYUP,     WM_CHAR,        WM_COMMAND};
  auto record = [&] {
    std::vector<std::tuple<HWND, UINT, WPARAM, LPARAM>> out;
    for (const Seen& s : Recorder::Get().All())
      if (std::find(kinds.begin(), kinds.end(), s.msg) != kinds.end()) out.emplace_back(s.hwnd, s.msg, s.wParam, s.lParam);
    return out;
  };
  // Injected.
  Desktop& desktop = Desktop::Get();
  desktop.MouseMove(130, 130);
  desktop.MouseDown(Desktop::Button::Left, 130, 130);
  desktop.MouseUp(Desktop::Button::Left, 130, 130);
  desktop.MouseDown(Desktop::Button::Right, 260, 250);
  desktop.MouseUp(Desktop::Button::Right, 260, 250);
  SetFocus(m_form);
  desktop.KeyDown('X');  // (KeyPress is Xlib's macro here)
  desktop.KeyUp('X');
  desktop.MouseWheel(-WHEEL_DELTA, 260, 250);
  Pump();
  auto injected = record();
  Recorder::Get().Clear();
  // Real.
  Xdo("mousemove 130 130 click 1 mousemove 260 250 click 3");
  ASSERT_TRUE(WaitFor([&] { return Recorder::Get().Count(m_form, WM_RBUTTONUP) == 1; }));
  SetFocus(m_form);
  Xdo("key x click 5");
  ASSERT_TRUE(WaitFor([&] { return Recorder::Get().Count(m_form, WM_MOUSEWHEEL) == 1; }));
  EXPECT_EQ(record(), injected);
}


constexpr UINT kTrayMessage = WM_USER + 100;
constexpr UINT kTrayId = 7;

// The callback messages (lParam) the form got from its tray icon.
std::vector<UINT> TrayCallbacks(HWND hwnd) {
  std::vector<UINT> out;
  for (const Seen& s : Recorder::Get().All())
    if (s.hwnd == hwnd && s.msg == kTrayMessage && s.wParam == kTrayId) out.push_back(static_cast<UINT>(s.lParam));
  return out;
}

NOTIFYICONDATAW TrayData(HWND hwnd) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd;
  data.uID = kTrayId;
  data.uFlags = NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  wcscpy(data.szTip, L"Dorv 同步完成");
  return data;
}

// Without a system tray: the stand-in at the screen's bottom right takes the clicks; a balloon
// pops up near it and a click on it is the balloon's callback.
TEST_F(X11Display, TheTrayStandInSendsClicksAndBalloonClicksToItsWindow) {
  NOTIFYICONDATAW data = TrayData(m_form);
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &data));
  ASSERT_TRUE(m_x11->Tray());
  const unsigned long icon = m_x11->Tray()->WindowOf(m_form, kTrayId);
  ASSERT_NE(icon, 0u);
  EXPECT_FALSE(m_x11->Tray()->Docked());
  RECT at{};
  // The bottom right corner of the screen.
  ASSERT_TRUE(WaitFor([&] { return s_server->Geometry(icon, &at) && at.right == 1024 - 2 && at.bottom == 768 - 2; }));
  const int x = (at.left + at.right) / 2, y = (at.top + at.bottom) / 2;
  // Where the cursor is when the click's message is handled: a menu opens there. The pointer
  // crosses the form on its way, whose moves its thread takes only later.
  POINT atClick{-1, -1};
  Recorder::Get().SetReaction([&](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT&) {
    if (hwnd == m_form && msg == kTrayMessage && lParam == WM_RBUTTONUP) GetCursorPos(&atClick);
    return false;
  });
  Xdo("mousemove 150 150 mousemove 250 250 mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 3");
  ASSERT_TRUE(WaitFor([&] {
    auto seen = TrayCallbacks(m_form);
    return std::find(seen.begin(), seen.end(), WM_RBUTTONUP) != seen.end();
  }));
  Recorder::Get().SetReaction(nullptr);
  auto seen = TrayCallbacks(m_form);
  EXPECT_NE(std::find(seen.begin(), seen.end(), WM_RBUTTONDOWN), seen.end());
  EXPECT_EQ(atClick.x, x);
  EXPECT_EQ(atClick.y, y);
  POINT cursor;
  GetCursorPos(&cursor);  // the form's late moves leave it there too
  EXPECT_EQ(cursor.x, x);
  EXPECT_EQ(cursor.y, y);

  data.uFlags = NIF_INFO;
  wcscpy(data.szInfoTitle, L"同步");
  wcscpy(data.szInfo, L"文件已上传");
  data.uTimeout = 10000;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &data));
  const unsigned long balloon = m_x11->Tray()->BalloonWindow();
  ASSERT_NE(balloon, 0u);
  RECT pop{};
  ASSERT_TRUE(WaitFor([&] { return s_server->Geometry(balloon, &pop) && pop.right > pop.left; }));
  EXPECT_LE(pop.bottom, at.top);  // above the icon
  Xdo("mousemove " + std::to_string(pop.left + 20) + " " + std::to_string(pop.top + 10) + " click 1");
  ASSERT_TRUE(WaitFor([&] {
    auto now = TrayCallbacks(m_form);
    return std::find(now.begin(), now.end(), WM_USER + 5 /* NIN_BALLOONUSERCLICK */) != now.end();
  }));
  EXPECT_EQ(m_x11->Tray()->BalloonWindow(), 0u);
  EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
  EXPECT_EQ(m_x11->Tray()->WindowOf(m_form, kTrayId), 0u);
}

// With a system tray (trayer owns the selection), the icon docks into it by XEmbed, as tall as
// the tray and drawn at the size it was given, over the tray's own background.
TEST_F(X11Display, TheTrayIconDocksIntoTheSystemTray) {
  if (std::system("command -v trayer >/dev/null") != 0) GTEST_SKIP() << "trayer is not installed";
  wintest::ChildProcess trayer("/bin/sh", {"-c", "DISPLAY=" + s_server->Name() +
                                                     " exec trayer --edge top --align right --widthtype pixel"
                                                     " --width 100 --height 24 --SetDockType false"});
  std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(m_display));
  Atom tray = XInternAtom(m_display, selection.c_str(), False);
  ASSERT_TRUE(WaitFor([&] { return XGetSelectionOwner(m_display, tray) != 0; }));
  NOTIFYICONDATAW data = TrayData(m_form);
  data.uFlags |= NIF_ICON;
  data.hIcon = wintest::SolidIcon(901, 0x80FF0000);  // half see-through red
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &data));
  EXPECT_TRUE(m_x11->Tray()->Docked());
  const unsigned long icon = m_x11->Tray()->WindowOf(m_form, kTrayId);
  // Reparented into the tray and shown there, a square as tall as the tray's inside (it runs
  // 24 px tall).
  RECT at{};
  ASSERT_TRUE(WaitFor([&] {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(m_display, icon, &root, &parent, &children, &count);
    if (children) XFree(children);
    XWindowAttributes state{};
    XGetWindowAttributes(m_display, icon, &state);
    return parent != root && state.map_state == IsViewable && s_server->Geometry(icon, &at) &&
           at.right - at.left >= 20 && at.right - at.left == at.bottom - at.top;
  }));
  EXPECT_LE(at.bottom - at.top, 24);
  // Drawn over all of it, the tray's background showing through: the icon's corners are
  // half red, half the colour of the tray beside it.
  Window top = icon;  // the tray's own window, below the root
  for (;;) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(m_display, top, &root, &parent, &children, &count);
    if (children) XFree(children);
    if (!parent || parent == root) break;
    top = parent;
  }
  RECT whole{};
  ASSERT_TRUE(s_server->Geometry(top, &whole));
  ASSERT_GT(whole.right - whole.left, at.right - at.left + 4);
  auto near = [](COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 2 && std::abs(GetGValue(a) - GetGValue(b)) <= 2 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 2;
  };
  COLORREF besideIcon = 0, expected = 0;
  ASSERT_TRUE(WaitFor([&] {
    display::Pixels screen = s_server->Screen();
    // The tray beside the icon.
    besideIcon = screen.At(at.left - whole.left > 2 ? whole.left + 1 : at.right + 1, (at.top + at.bottom) / 2);
    expected = RGB((255 + GetRValue(besideIcon) + 1) / 2, (GetGValue(besideIcon) + 1) / 2, (GetBValue(besideIcon) + 1) / 2);
    return near(screen.At(at.left + 1, at.top + 1), expected) && near(screen.At(at.right - 2, at.bottom - 2), expected);
  })) << "tray " << std::hex << besideIcon << ", icon " << s_server->Screen().At(at.left + 1, at.top + 1);
  EXPECT_TRUE(s_server->Screen().WritePng(DORV_SCREENSHOTS "/tray-docked.png"));
  Xdo("mousemove " + std::to_string((at.left + at.right) / 2) + " " + std::to_string((at.top + at.bottom) / 2) +
      " click 3");
  ASSERT_TRUE(WaitFor([&] {
    auto seen = TrayCallbacks(m_form);
    return std::find(seen.begin(), seen.end(), WM_RBUTTONUP) != seen.end();
  }));
  Shell_NotifyIconW(NIM_DELETE, &data);
  trayer.Kill();
}

// ClipCursor keeps the display's pointer inside its rectangle, with the capture held and
// after it is given back, until the rectangle is freed.
TEST_F(X11Display, ClipCursorKeepsTheRealPointerInsideItsRectangle) {
  auto pointer = [&] {
    Window root = 0, child = 0;
    int x = 0, y = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &x, &y, &wx, &wy, &mask);
    return POINT{x, y};
  };
  auto inside = [](POINT p, const RECT& r) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; };
  const RECT clip{150, 150, 250, 220};
  Xdo("mousemove 600 500");
  ASSERT_TRUE(ClipCursor(&clip));
  EXPECT_TRUE(WaitFor([&] { return inside(pointer(), clip); })) << "brought inside at once";
  const struct {
    const char* move;
    bool capture;
  } moves[] = {{"mousemove 900 700", false}, {"mousemove 10 10", true}, {"mousemove 900 10", false}};
  for (const auto& m : moves) {
    if (m.capture) SetCapture(m_form);
    else ReleaseCapture();
    Xdo(m.move);
    POINT x = pointer();
    EXPECT_TRUE(inside(x, clip)) << m.move << ": " << x.x << "," << x.y;
    // The layer hears of the pointer where the display keeps it.
    EXPECT_TRUE(WaitFor([&] {
      POINT p{};
      GetCursorPos(&p);
      return inside(p, clip);
    })) << m.move;
  }
  ASSERT_TRUE(ClipCursor(nullptr));
  Xdo("mousemove 900 700");
  EXPECT_TRUE(WaitFor([&] { return pointer().x == 900 && pointer().y == 700; }));
  // Freed with the capture still held: the capture's grab goes on, unconfined.
  SetCapture(m_form);
  ASSERT_TRUE(ClipCursor(&clip));
  ASSERT_TRUE(ClipCursor(nullptr));
  Xdo("mousemove 20 700");
  EXPECT_TRUE(WaitFor([&] { return pointer().x == 20 && pointer().y == 700; }));
  Recorder::Get().Clear();
  Xdo("click 1");
  EXPECT_TRUE(WaitFor([&] { return Recorder::Get().Count(m_form, WM_LBUTTONUP) == 1; })) << "the capture's";
  ReleaseCapture();
}

// A Chinese message box on the display, answered by the keyboard; its picture is kept.
TEST_F(X11Display, AChineseMessageBoxShowsAndTakesTheKeyboard) {
  RECT box{};
  m_x11->SetShownHook([&](const display::X11Presenter::ShownBox& shown) {
    s_server->Geometry(shown.window, &box);
    s_server->Screen().WritePng(DORV_SCREENSHOTS "/message-box-zh.png");
    s_server->Xdo("key Escape");
  });
  const int answer = MessageBoxW(m_form, L"同步文件夹不存在或无法访问，请重新选择同步文件夹。", L"错误", MB_OKCANCEL);
  m_x11->SetShownHook(nullptr);
  EXPECT_EQ(answer, IDCANCEL);
  EXPECT_GT(box.right - box.left, 200);
}

}  // namespace
