// Windows: classes, creation and destruction order, state, placement, painting, look-up.
#include <gtest/gtest.h>

#include <thread>

#include "WindowTestSupport.h"
#include "display/Desktop.h"

using wintest::MakeWindow;
using wintest::Recorder;

namespace {

class WindowTest : public testing::Test {
 protected:
  void SetUp() override { Recorder::Get().Clear(); }
  void TearDown() override {
    Recorder::Get().Clear();
    display::Desktop::Get().PumpUntilIdle();
  }
  Recorder& rec() { return Recorder::Get(); }
};

TEST_F(WindowTest, CreateSendsNcCreateCreateSizeMoveWithTheCreateRecord) {
  static LPVOID seenParam = nullptr;
  static std::wstring seenName, seenClass;
  rec().SetReaction([](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT&) {
    if (msg == WM_CREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      seenParam = cs->lpCreateParams;
      seenName = cs->lpszName;
      seenClass = cs->lpszClass;
    }
    return false;
  });
  int marker = 0;
  HWND hwnd = CreateWindowExW(0, L"recorderclass", L"Title", WS_OVERLAPPED, 5, 6, 70, 80, nullptr, nullptr,
                              nullptr, &marker);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(rec().Messages(hwnd, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}),
            (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(seenParam, &marker);
  EXPECT_EQ(seenName, L"Title");
  EXPECT_EQ(seenClass, L"recorderclass");
  EXPECT_FALSE(IsWindowVisible(hwnd));
  DestroyWindow(hwnd);
}

TEST_F(WindowTest, CreateFailsWhenCreateReturnsMinusOneOrNcCreateFalse) {
  for (UINT refuse : {WM_CREATE, WM_NCCREATE}) {
    rec().Clear();
    rec().SetReaction([refuse](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
      if (msg != refuse) return false;
      result = refuse == WM_CREATE ? -1 : FALSE;
      return true;
    });
    EXPECT_EQ(MakeWindow(L"refused"), nullptr);
    auto all = rec().All();
    ASSERT_FALSE(all.empty());
    HWND hwnd = all.front().hwnd;
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(rec().Count(hwnd, WM_NCDESTROY), 1);
    EXPECT_EQ(rec().Count(hwnd, WM_DESTROY), refuse == WM_CREATE ? 1 : 0);
    EXPECT_EQ(FindWindowW(Recorder::ClassName(), L"refused"), nullptr);
  }
}

TEST_F(WindowTest, CreateRefusesUnknownClassesAndChildrenWithoutParent) {
  SetLastError(0);
  EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  Recorder::Get();
  EXPECT_EQ(CreateWindowExW(0, Recorder::ClassName(), L"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
}

TEST_F(WindowTest, DestroySendsDestroyParentFirstAndNcDestroyChildrenFirst) {
  HWND parent = MakeWindow(L"parent");
  HWND child = MakeWindow(L"child", parent);
  HWND grandchild = MakeWindow(L"grandchild", child);
  HWND owned = MakeWindow(L"owned", nullptr, WS_POPUP);
  SetWindowLongPtrW(owned, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(parent));
  rec().Clear();
  // A child must still exist while its parent handles WM_DESTROY.
  static bool childAliveInParentDestroy = false;
  static HWND s_child;
  s_child = child;
  rec().SetReaction([parent](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (hwnd == parent && msg == WM_DESTROY) childAliveInParentDestroy = IsWindow(s_child);
    return false;
  });
  ASSERT_TRUE(DestroyWindow(parent));
  using P = std::pair<HWND, UINT>;
  EXPECT_EQ(rec().Sequence({WM_DESTROY, WM_NCDESTROY}),
            (std::vector<P>{{owned, WM_DESTROY}, {owned, WM_NCDESTROY}, {parent, WM_DESTROY}, {child, WM_DESTROY},
                            {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY},
                            {parent, WM_NCDESTROY}}));
  EXPECT_TRUE(childAliveInParentDestroy);
  for (HWND h : {parent, child, grandchild, owned}) EXPECT_FALSE(IsWindow(h));
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(parent));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(WindowTest, DestroyFromAnotherThreadIsRefused) {
  HWND hwnd = MakeWindow();
  BOOL result = TRUE;
  DWORD error = 0;
  std::thread([&] {
    result = DestroyWindow(hwnd);
    error = GetLastError();
  }).join();
  EXPECT_FALSE(result);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(IsWindow(hwnd));
  DestroyWindow(hwnd);
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

TEST_F(WindowTest, ClassesAreFoundWithoutCaseAndRefuseDuplicatesAndRemovalWhileInUse) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = L"PlainClass";
  ATOM atom = RegisterClassW(&wc);
  ASSERT_NE(atom, 0);
  wc.lpszClassName = L"PLAINCLASS";
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  HWND hwnd = CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(hwnd);
  wchar_t name[64];
  EXPECT_EQ(GetClassNameW(hwnd, name, 64), 10);
  EXPECT_STREQ(name, L"PlainClass");
  EXPECT_FALSE(UnregisterClassW(L"plainclass", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassW(L"plainclass", nullptr));
  EXPECT_FALSE(UnregisterClassW(L"plainclass", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
}

TEST_F(WindowTest, WindowLongsHoldUserDataProcedureStylesAndExtraBytes) {
  HWND hwnd = MakeWindow();
  EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 1234);

  // Subclassing: the new procedure sees messages first and can pass them on.
  static WNDPROC previous;
  static int subclassed;
  subclassed = 0;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER + 7) ++subclassed;
        return CallWindowProcW(previous, h, m, w, l);
      })));
  EXPECT_EQ(previous, &Recorder::Proc);
  SendMessageW(hwnd, WM_USER + 7, 0, 0);
  EXPECT_EQ(subclassed, 1);
  EXPECT_EQ(rec().Count(hwnd, WM_USER + 7), 1);

  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  SetWindowLongPtrW(hwnd, GWL_STYLE, style | WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_THICKFRAME);
  EXPECT_EQ(rec().Messages(hwnd, {WM_STYLECHANGING, WM_STYLECHANGED}),
            (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_EXSTYLE), static_cast<LONG_PTR>(WS_EX_TOOLWINDOW));

  SetWindowLongPtrW(hwnd, sizeof(LONG_PTR), 77);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, sizeof(LONG_PTR)), 77);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 2 * sizeof(LONG_PTR)), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  DestroyWindow(hwnd);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(WindowTest, ShowWindowReportsPreviousStateAndSendsShowAndSizeTypes) {
  HWND hwnd = MakeWindow();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOW));
  EXPECT_EQ(rec().Count(hwnd, WM_SHOWWINDOW), 1);
  EXPECT_EQ(GetForegroundWindow(), hwnd);

  rec().Clear();
  ShowWindow(hwnd, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(hwnd));
  RECT r;
  GetWindowRect(hwnd, &r);
  RECT work = display::Desktop::Get().WorkArea();
  EXPECT_EQ(r.right - r.left, work.right - work.left);
  EXPECT_EQ(r.bottom - r.top, work.bottom - work.top);
  auto sizes = rec().All();
  bool maximizedSize = false;
  for (auto& s : sizes) maximizedSize |= s.msg == WM_SIZE && s.wParam == SIZE_MAXIMIZED;
  EXPECT_TRUE(maximizedSize);

  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_FALSE(IsZoomed(hwnd));
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right - r.left, 200);

  rec().Clear();
  ShowWindow(hwnd, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(hwnd));
  ASSERT_EQ(rec().Count(hwnd, WM_SIZE), 1);
  EXPECT_EQ(rec().All().back().wParam, SIZE_MINIMIZED);

  EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_FALSE(ShowWindow(hwnd, SW_HIDE));
  DestroyWindow(hwnd);
}

TEST_F(WindowTest, MoveAndSizeSendMoveAndSizeAndKeepToTheMinMaxLimits) {
  HWND parent = MakeWindow();  // overlapped: a caption and a fixed frame
  HWND child = MakeWindow(L"", parent);
  const LONG frame = GetSystemMetrics(SM_CXFIXEDFRAME), caption = GetSystemMetrics(SM_CYCAPTION);
  rec().Clear();
  rec().SetReaction([](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT&) {
    if (msg == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{150, 120};
    return false;
  });
  MoveWindow(parent, 30, 40, 100, 300, TRUE);
  RECT r;
  GetWindowRect(parent, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.right - r.left, 150);  // widened to the minimum
  EXPECT_EQ(r.bottom - r.top, 300);
  GetClientRect(parent, &r);
  EXPECT_EQ(r.right, 150 - 2 * frame);
  EXPECT_EQ(r.bottom, 300 - 2 * frame - caption);
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 30 + frame + 10);  // in the parent's client area
  EXPECT_EQ(r.top, 40 + frame + caption + 20);
  ASSERT_EQ(rec().Count(parent, WM_SIZE), 1);
  for (auto& s : rec().All()) {
    if (s.hwnd == parent && s.msg == WM_SIZE) {
      EXPECT_EQ(s.lParam, static_cast<LPARAM>(MAKELONG(150 - 2 * frame, 300 - 2 * frame - caption)));
    }
    if (s.hwnd == parent && s.msg == WM_MOVE) {  // where the client area went
      EXPECT_EQ(s.lParam, static_cast<LPARAM>(MAKELONG(30 + frame, 40 + frame + caption)));
    }
  }
  rec().Clear();
  SetWindowPos(parent, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(rec().Count(parent, WM_SIZE) + rec().Count(parent, WM_MOVE), 0);
  POINT p{5, 5};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 30 + frame + 10 + 5);
  ScreenToClient(child, &p);
  EXPECT_EQ(p.x, 5);
  // A popup without a frame has no limits of its own and no non-client area.
  HWND popup = MakeWindow(L"", nullptr, WS_POPUP);
  MoveWindow(popup, 0, 0, 20, 10, TRUE);
  GetClientRect(popup, &r);
  EXPECT_EQ(r.right, 20);
  EXPECT_EQ(r.bottom, 10);
  DestroyWindow(popup);
  DestroyWindow(parent);
}

TEST_F(WindowTest, FramesFollowOneModelAndAWindowMayTakeItsWholeRectangle) {
  RECT r{0, 0, 100, 100};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(r.left, -8);
  EXPECT_EQ(r.top, -30);
  EXPECT_EQ(r.right, 108);
  EXPECT_EQ(r.bottom, 108);
  HWND sizable = CreateWindowExW(0, Recorder::ClassName(), L"", WS_POPUP | WS_THICKFRAME | WS_CAPTION, 100, 100,
                                 300, 200, nullptr, nullptr, nullptr, nullptr);
  RECT client;
  GetClientRect(sizable, &client);
  EXPECT_EQ(client.right, 300 - 16);
  EXPECT_EQ(client.bottom, 200 - 38);
  struct Row {
    POINT at;
    LRESULT hit;
  };
  for (const Row& row : {Row{{200, 200}, HTCLIENT}, Row{{200, 115}, HTCAPTION}, Row{{102, 200}, HTLEFT},
                         Row{{398, 298}, HTBOTTOMRIGHT}, Row{{200, 102}, HTTOP}, Row{{50, 50}, HTNOWHERE}}) {
    EXPECT_EQ(SendMessageW(sizable, WM_NCHITTEST, 0, MAKELONG(row.at.x, row.at.y)), row.hit)
        << row.at.x << "," << row.at.y;
  }
  DestroyWindow(sizable);

  // A skinned window draws its own frame: it answers WM_NCCALCSIZE with the whole rectangle.
  rec().SetReaction([](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
    result = 0;
    return msg == WM_NCCALCSIZE;
  });
  HWND skinned = CreateWindowExW(0, Recorder::ClassName(), L"", WS_POPUP | WS_THICKFRAME, 0, 0, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
  GetClientRect(skinned, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  DestroyWindow(skinned);
}

TEST_F(WindowTest, TheMonitorAndTheWorkAreaAreTheDesktops) {
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  RECT expected = display::Desktop::Get().WorkArea();
  EXPECT_EQ(work.bottom, expected.bottom);
  HWND hwnd = MakeWindow();
  HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{sizeof info, {}, {}, 0};
  ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
  EXPECT_EQ(info.rcWork.bottom, expected.bottom);
  EXPECT_EQ(info.rcMonitor.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
  EXPECT_EQ(MonitorFromPoint(POINT{-5000, -5000}, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromPoint(POINT{-5000, -5000}, MONITOR_DEFAULTTONEAREST), monitor);
  DestroyWindow(hwnd);
}

TEST_F(WindowTest, ParentOwnerAndRelations) {
  HWND top = MakeWindow();
  HWND a = MakeWindow(L"a", top);
  HWND b = MakeWindow(L"b", top);
  HWND popup = CreateWindowExW(0, Recorder::ClassName(), L"", WS_POPUP, 0, 0, 1, 1, a, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetParent(a), top);
  EXPECT_EQ(GetParent(popup), top);  // a popup's owner is the top-level window of the one given
  EXPECT_EQ(GetWindow(popup, GW_OWNER), top);
  EXPECT_EQ(GetParent(top), nullptr);
  EXPECT_EQ(GetAncestor(a, GA_ROOT), top);
  EXPECT_EQ(GetAncestor(top, GA_PARENT), GetDesktopWindow());
  EXPECT_TRUE(IsChild(top, a));
  EXPECT_FALSE(IsChild(top, popup));
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);  // a new child starts below its older siblings
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(SetParent(b, a), top);
  EXPECT_TRUE(IsChild(a, b));
  EXPECT_EQ(SetParent(a, b), nullptr);  // would make a cycle
  SetWindowLongPtrW(a, GWLP_ID, 42);
  EXPECT_EQ(GetDlgItem(top, 42), a);
  EXPECT_EQ(GetDlgCtrlID(a), 42);
  DestroyWindow(top);
  EXPECT_FALSE(IsWindow(popup));
}

TEST_F(WindowTest, TextEnableAndActivation) {
  HWND first = MakeWindow(L"first");
  HWND second = MakeWindow(L"second");
  EXPECT_TRUE(SetWindowTextW(first, L"renamed"));
  wchar_t buf[5];
  EXPECT_EQ(GetWindowTextW(first, buf, 5), 4);  // truncated to the buffer
  EXPECT_STREQ(buf, L"rena");
  EXPECT_EQ(GetWindowTextLengthW(first), 7);

  EXPECT_FALSE(EnableWindow(first, FALSE));  // was enabled
  EXPECT_FALSE(IsWindowEnabled(first));
  EXPECT_TRUE(EnableWindow(first, TRUE));  // was disabled
  EXPECT_EQ(rec().Count(first, WM_ENABLE), 2);

  SetForegroundWindow(first);
  rec().Clear();
  HWND child = MakeWindow(L"", second);
  EXPECT_TRUE(SetForegroundWindow(child));
  EXPECT_EQ(GetForegroundWindow(), second);
  std::vector<wintest::Seen> all;
  for (auto& s : rec().All()) {
    if (s.msg == WM_ACTIVATE) all.push_back(s);
  }
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].hwnd, first);
  EXPECT_EQ(all[0].wParam, WA_INACTIVE);
  EXPECT_EQ(all[0].lParam, reinterpret_cast<LPARAM>(second));
  EXPECT_EQ(all[1].hwnd, second);
  EXPECT_EQ(all[1].lParam, reinterpret_cast<LPARAM>(first));
  DestroyWindow(second);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  DestroyWindow(first);
}

TEST_F(WindowTest, FocusAndCaptureTellBothWindowsAndEndWithTheWindow) {
  HWND top = MakeWindow(L"top", nullptr, WS_VISIBLE);
  HWND a = MakeWindow(L"a", top);
  HWND b = MakeWindow(L"b", top);
  rec().Clear();
  EXPECT_EQ(SetFocus(a), nullptr);
  EXPECT_EQ(GetFocus(), a);
  EXPECT_EQ(SetFocus(b), a);
  using P = std::pair<HWND, UINT>;
  EXPECT_EQ(rec().Sequence({WM_SETFOCUS, WM_KILLFOCUS}),
            (std::vector<P>{{a, WM_SETFOCUS}, {a, WM_KILLFOCUS}, {b, WM_SETFOCUS}}));
  EnableWindow(a, FALSE);
  EXPECT_EQ(SetFocus(a), nullptr);  // a disabled window takes no keyboard
  EXPECT_EQ(GetFocus(), b);
  HWND other = nullptr;
  std::thread([&] { other = SetFocus(b); }).join();
  EXPECT_EQ(other, nullptr);  // another thread's window
  EXPECT_EQ(GetFocus(), b);

  rec().Clear();
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  auto changes = rec().Sequence({WM_CAPTURECHANGED});
  EXPECT_EQ(changes, (std::vector<P>{{a, WM_CAPTURECHANGED}, {b, WM_CAPTURECHANGED}}));
  SetCapture(b);
  DestroyWindow(b);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  DestroyWindow(top);
}

TEST_F(WindowTest, PaintMergesInvalidRectanglesAndPaintsOnlyVisibleWindows) {
  HWND hwnd = MakeWindow();
  InvalidateRect(hwnd, nullptr, TRUE);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(rec().Count(hwnd, WM_PAINT), 0);  // hidden

  ShowWindow(hwnd, SW_SHOW);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(rec().Count(hwnd, WM_PAINT), 1);
  rec().Clear();
  static RECT painted;
  rec().SetReaction([](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    EXPECT_TRUE(BeginPaint(h, &ps));
    EXPECT_EQ(GetObjectType(ps.hdc), OBJ_DC);  // a device context the drawing functions take
    painted = ps.rcPaint;
    EndPaint(h, &ps);
    return true;
  });
  RECT a{10, 10, 20, 20}, b{50, 5, 60, 15};
  InvalidateRect(hwnd, &a, FALSE);
  InvalidateRect(hwnd, &b, FALSE);
  std::thread([&] { InvalidateRect(hwnd, &a, FALSE); }).join();  // from any thread
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(rec().Count(hwnd, WM_PAINT), 1);
  EXPECT_EQ(painted.left, 10);
  EXPECT_EQ(painted.top, 5);
  EXPECT_EQ(painted.right, 60);
  EXPECT_EQ(painted.bottom, 20);

  rec().Clear();
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);  // paints at once, without the queue
  EXPECT_EQ(rec().Count(hwnd, WM_PAINT), 1);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));
  DestroyWindow(hwnd);
}

TEST_F(WindowTest, FindWindowMatchesClassAndTitleWithoutCase) {
  HWND one = MakeWindow(L"Dorv");
  HWND two = MakeWindow(L"Other");
  HWND three = MakeWindow(L"dorv");
  HWND child = MakeWindow(L"Dorv", one);
  EXPECT_EQ(FindWindowW(L"RECORDERCLASS", L"other"), two);
  HWND first = FindWindowExW(nullptr, nullptr, Recorder::ClassName(), L"DORV");
  HWND next = FindWindowExW(nullptr, first, Recorder::ClassName(), L"DORV");
  EXPECT_NE(first, next);
  EXPECT_TRUE((first == one && next == three) || (first == three && next == one));
  EXPECT_EQ(FindWindowExW(nullptr, next, Recorder::ClassName(), L"DORV"), nullptr);
  EXPECT_EQ(FindWindowExW(one, nullptr, nullptr, L"Dorv"), child);
  EXPECT_EQ(FindWindowW(L"NoSuchClass", nullptr), nullptr);
  for (HWND h : {one, two, three}) DestroyWindow(h);
  EXPECT_EQ(FindWindowW(Recorder::ClassName(), L"Dorv"), nullptr);
}

TEST_F(WindowTest, TopmostWindowsStayAboveOthers) {
  HWND normal = MakeWindow();
  HWND topmost = MakeWindow();
  SetWindowPos(topmost, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(GetWindowLongPtrW(topmost, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetWindowPos(normal, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(normal, GW_HWNDPREV), topmost);
  SetWindowPos(topmost, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_FALSE(GetWindowLongPtrW(topmost, GWL_EXSTYLE) & WS_EX_TOPMOST);
  DestroyWindow(normal);
  DestroyWindow(topmost);
}

}  // namespace

namespace {

TEST(RectTest, SetOperationsFollowWindowsEmptyRules) {
  struct Row {
    const char* name;
    RECT a, b;
    BOOL intersects;
    RECT intersection, unionRect;
  };
  const Row rows[] = {
      {"overlapping", {0, 0, 10, 10}, {5, 5, 20, 20}, TRUE, {5, 5, 10, 10}, {0, 0, 20, 20}},
      {"touching edges do not meet", {0, 0, 10, 10}, {10, 0, 20, 10}, FALSE, {0, 0, 0, 0}, {0, 0, 20, 10}},
      {"an empty one adds nothing", {0, 0, 10, 10}, {30, 30, 30, 40}, FALSE, {0, 0, 0, 0}, {0, 0, 10, 10}},
  };
  for (const Row& row : rows) {
    RECT r;
    EXPECT_EQ(IntersectRect(&r, &row.a, &row.b), row.intersects) << row.name;
    EXPECT_TRUE(EqualRect(&r, &row.intersection)) << row.name;
    UnionRect(&r, &row.a, &row.b);
    EXPECT_TRUE(EqualRect(&r, &row.unionRect)) << row.name;
  }
  RECT r{0, 0, 10, 10};
  OffsetRect(&r, 5, -5);
  InflateRect(&r, 1, 2);
  const RECT moved{4, -7, 16, 7};
  EXPECT_TRUE(EqualRect(&r, &moved));
  EXPECT_TRUE(PtInRect(&r, POINT{4, -7}));
  EXPECT_FALSE(PtInRect(&r, POINT{16, 0}));  // the right and bottom edges are outside
  const RECT flat{5, 5, 5, 9};
  EXPECT_TRUE(IsRectEmpty(&flat));
}

}  // namespace

namespace {

TEST_F(WindowTest, AWindowKeepsItsSmallAndBigIconsAndReturnsTheOneReplaced) {
  HWND hwnd = MakeWindow();
  HICON small = reinterpret_cast<HICON>(0x10), big = reinterpret_cast<HICON>(0x20);
  EXPECT_EQ(SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small)), 0);
  EXPECT_EQ(SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big)), 0);
  EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(small));
  EXPECT_EQ(SendMessageW(hwnd, WM_SETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
  EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, 7, 0), 0);
  DestroyWindow(hwnd);
}

}  // namespace
