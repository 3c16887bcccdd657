// Windows with message maps: dispatch, defaults, lifetime.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "display/Desktop.h"
#include "mfc/AfxWin.h"
#include "win32/ManualClock.h"

namespace {

std::vector<std::string> g_log;

UINT g_registered = RegisterWindowMessageW(L"CWndTestRegistered");

class CTestWnd : public CWnd {
 public:
  int m_createResult = 0;
  std::wstring m_createName;

 protected:
  afx_msg int OnCreate(LPCREATESTRUCTW cs) {
    g_log.push_back("create");
    m_createName = cs->lpszName;
    return m_createResult ? m_createResult : CWnd::OnCreate(cs);
  }
  afx_msg void OnDestroy() {
    g_log.push_back("destroy");
    CWnd::OnDestroy();
  }
  afx_msg void OnTimer(UINT_PTR id) { g_log.push_back("timer " + std::to_string(id)); }
  afx_msg LRESULT OnPing(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam) + lParam; }
  afx_msg LRESULT OnRegistered(WPARAM, LPARAM) { return 99; }
  afx_msg void OnHello() { g_log.push_back("command"); }
  afx_msg void OnSize(UINT type, int cx, int cy) {
    g_log.push_back("size " + std::to_string(type) + " " + std::to_string(cx) + "x" + std::to_string(cy));
  }

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_TIMER()
  ON_WM_SIZE()
  ON_MESSAGE(WM_USER + 1, &CTestWnd::OnPing)
  ON_REGISTERED_MESSAGE(g_registered, &CTestWnd::OnRegistered)
  ON_COMMAND(1001, &CTestWnd::OnHello)
END_MESSAGE_MAP()

// Overrides one handler and inherits the rest through the base class's map.
class CDerivedWnd : public CTestWnd {
 protected:
  afx_msg LRESULT OnPingTwice(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam) * 2; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CTestWnd)
  ON_MESSAGE(WM_USER + 1, &CDerivedWnd::OnPingTwice)
END_MESSAGE_MAP()

// Deletes itself once its window is gone, and closes itself from inside a handler.
class CSelfDeletingWnd : public CWnd {
 public:
  ~CSelfDeletingWnd() override { g_log.push_back("deleted"); }
  int m_after = 0;
  bool m_refuseCreate = false;

 protected:
  afx_msg int OnCreate(LPCREATESTRUCTW) {
    if (!m_refuseCreate) return 0;
    g_log.push_back("refused");
    return -1;
  }
  afx_msg void OnClose() {
    DestroyWindow();
    ++m_after;  // the object must still be alive here
    g_log.push_back("close done " + std::to_string(m_after));
  }
  void PostNcDestroy() override {
    g_log.push_back("post nc destroy");
    delete this;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfDeletingWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_CLOSE()
END_MESSAGE_MAP()

class CWndTest : public testing::Test {
 protected:
  void SetUp() override { g_log.clear(); }
  void TearDown() override { display::Desktop::Get().PumpUntilIdle(); }
};

TEST_F(CWndTest, MessageMapRoutesMessagesAndLeavesTheRestToTheDefault) {
  CTestWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"Mapped", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr));
  EXPECT_EQ(wnd.m_createName, L"Mapped");
  EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
  EXPECT_EQ(wnd.SendMessage(WM_USER + 1, 2, 3), 5);
  EXPECT_EQ(wnd.SendMessage(g_registered), 99);
  wnd.SendMessage(WM_COMMAND, MAKELONG(1001, 0), 0);
  wnd.SetWindowText(L"renamed");  // no handler: the default stores it
  CString text;
  wnd.GetWindowText(text);
  EXPECT_EQ(text, L"renamed");
  wnd.MoveWindow(0, 0, 60, 50);
  EXPECT_EQ(g_log, (std::vector<std::string>{"create", "size 0 40x30", "command", "size 0 60x50"}));

  CDerivedWnd derived;
  ASSERT_TRUE(derived.CreateEx(0, nullptr, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr));
  EXPECT_EQ(derived.SendMessage(WM_USER + 1, 4, 100), 8);  // its own handler
  EXPECT_EQ(derived.SendMessage(g_registered), 99);         // the base's
  EXPECT_TRUE(derived.DestroyWindow());
  EXPECT_EQ(derived.m_hWnd, nullptr);
}

TEST_F(CWndTest, TimersArriveThroughTheMap) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  CTestWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr));
  g_log.clear();
  wnd.SetTimer(7, 125);
  clock.Advance(125);
  display::Desktop::Get().PumpUntilIdle();
  wnd.KillTimer(7);
  clock.Advance(125);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(g_log, (std::vector<std::string>{"timer 7"}));
}

TEST_F(CWndTest, CreateReturningMinusOneFailsAndDetaches) {
  CTestWnd wnd;
  wnd.m_createResult = -1;
  EXPECT_FALSE(wnd.CreateEx(0, nullptr, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr));
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  EXPECT_EQ(g_log, (std::vector<std::string>{"create", "destroy"}));
}

TEST_F(CWndTest, AnObjectClosedFromItsOwnHandlerIsDeletedAfterTheHandler) {
  auto* wnd = new CSelfDeletingWnd;
  ASSERT_TRUE(wnd->CreateEx(0, nullptr, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr));
  HWND hwnd = wnd->m_hWnd;
  ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
  EXPECT_EQ(g_log, (std::vector<std::string>{"close done 1", "post nc destroy", "deleted"}));
}

TEST_F(CWndTest, AFailedCreateFinishesASelfDeletingObjectOnlyAfterCreateReturns) {
  // Refused in WM_CREATE: the window came and went, so the object is finished, but only
  // once CreateEx no longer uses it.
  auto* wnd = new CSelfDeletingWnd;
  wnd->m_refuseCreate = true;
  EXPECT_FALSE(wnd->CreateEx(0, nullptr, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr));
  EXPECT_EQ(g_log, (std::vector<std::string>{"refused", "post nc destroy", "deleted"}));
  // No window at all (unknown class): nothing was finished, the caller still owns the object.
  g_log.clear();
  auto* other = new CSelfDeletingWnd;
  EXPECT_FALSE(other->CreateEx(0, L"NoSuchClass", L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr));
  EXPECT_TRUE(g_log.empty());
  delete other;
}

TEST_F(CWndTest, DeletingAnObjectWithALiveWindowKeepsItsMessagesAway) {
  auto wnd = std::make_unique<CTestWnd>();
  ASSERT_TRUE(wnd->CreateEx(0, nullptr, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr));
  HWND hwnd = wnd->m_hWnd;
  g_log.clear();
  wnd.reset();
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_TRUE(g_log.empty());  // OnDestroy of a half-destroyed object did not run
}

TEST_F(CWndTest, FromHandleGivesTemporaryObjectsForForeignWindows) {
  HWND plain = ::CreateWindowExW(0, AfxRegisterWndClass(0), L"plain", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                 nullptr);
  ASSERT_TRUE(plain);
  EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
  CWnd* temp = CWnd::FromHandle(plain);
  ASSERT_TRUE(temp);
  EXPECT_EQ(temp->m_hWnd, plain);
  EXPECT_EQ(CWnd::FromHandle(plain), temp);
  CWnd::DeleteTempMap();
  // Subclassing an existing window routes its messages through the map.
  CTestWnd wnd;
  ASSERT_TRUE(wnd.SubclassWindow(plain));
  EXPECT_EQ(::SendMessageW(plain, WM_USER + 1, 1, 1), 2);
  EXPECT_EQ(wnd.UnsubclassWindow(), plain);
  EXPECT_EQ(::SendMessageW(plain, WM_USER + 1, 1, 1), 0);
  ::DestroyWindow(plain);
}

}  // namespace

namespace {

class CModalWnd : public CWnd {
 protected:
  afx_msg LRESULT OnDone(WPARAM result, LPARAM) {
    EndModalLoop(static_cast<int>(result));
    return 0;
  }
  afx_msg void OnClose() { DestroyWindow(); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalWnd, CWnd)
  ON_MESSAGE(WM_USER + 20, &CModalWnd::OnDone)
  ON_WM_CLOSE()
END_MESSAGE_MAP()

TEST(ModalLoopTest, EndsWithItsResultTheWindowsEndOrAQuitThatItPassesOn) {
  CModalWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
  // Ended from a handler, with a message of another thread served meanwhile.
  std::thread other([&] { EXPECT_EQ(::SendMessageW(wnd.m_hWnd, WM_USER + 20, 6, 0), 0); });
  EXPECT_EQ(wnd.RunModalLoop(), 6);
  other.join();

  // WM_QUIT ends it and stays for the outer loop.
  ::PostQuitMessage(9);
  EXPECT_EQ(wnd.RunModalLoop(), -1);
  MSG m;
  ASSERT_TRUE(::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 9u);

  // The window's end ends it.
  wnd.PostMessage(WM_CLOSE);
  EXPECT_EQ(wnd.RunModalLoop(), -1);
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  display::Desktop::Get().PumpUntilIdle();
}

}  // namespace

namespace {

// Input and frame handlers get their arguments unpacked as MFC gives them.
class CInputWnd : public CWnd {
 public:
  std::vector<std::string> m_seen;

 protected:
  afx_msg void OnMouseMove(UINT flags, CPoint p) {
    m_seen.push_back("move " + std::to_string(flags) + " " + std::to_string(p.x) + "," + std::to_string(p.y));
  }
  afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint p) {
    m_seen.push_back("wheel " + std::to_string(flags) + " " + std::to_string(delta) + " " + std::to_string(p.x));
    return TRUE;
  }
  afx_msg LRESULT OnNcHitTest(CPoint p) { return p.y < 0 ? HTCAPTION : CWnd::OnNcHitTest(p); }
  afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized) {
    m_seen.push_back("activate " + std::to_string(state) + (other ? " other" : " none") + (minimized ? " min" : ""));
  }
  afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags) {
    m_seen.push_back("key " + std::to_string(key) + " " + std::to_string(repeat) + " " + std::to_string(flags));
  }
  afx_msg void OnMove(int x, int y) { m_seen.push_back("moved " + std::to_string(x) + "," + std::to_string(y)); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CInputWnd, CWnd)
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSEWHEEL()
  ON_WM_NCHITTEST()
  ON_WM_ACTIVATE()
  ON_WM_KEYDOWN()
  ON_WM_MOVE()
END_MESSAGE_MAP()

TEST(CWndInputMapTest, HandlersGetTheirArgumentsUnpacked) {
  CInputWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
  wnd.m_seen.clear();
  wnd.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELONG(static_cast<WORD>(-3), 7));
  wnd.SendMessage(WM_MOUSEWHEEL, MAKELONG(MK_CONTROL, static_cast<WORD>(-WHEEL_DELTA)), MAKELONG(20, 30));
  EXPECT_EQ(wnd.SendMessage(WM_NCHITTEST, 0, MAKELONG(5, static_cast<WORD>(-1))), HTCAPTION);
  EXPECT_EQ(wnd.SendMessage(WM_NCHITTEST, 0, MAKELONG(5, 5)), HTCLIENT);
  HWND other = ::CreateWindowExW(0, AfxRegisterWndClass(0), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  wnd.SendMessage(WM_ACTIVATE, MAKELONG(WA_ACTIVE, 1), reinterpret_cast<LPARAM>(other));
  wnd.SendMessage(WM_KEYDOWN, 0x41, MAKELONG(2, 0x1E));
  wnd.MoveWindow(9, 8, 50, 50);
  EXPECT_EQ(wnd.m_seen, (std::vector<std::string>{"move 1 -3,7", "wheel 8 -120 20", "activate 1 other min", "key 65 2 30",
                                                  "moved 9,8"}));
  ::DestroyWindow(other);
  CWnd::DeleteTempMap();
}

}  // namespace

namespace {

TEST(CWndPlacementTest, CenterWindowCentresOverTheOwnerOrOnTheWorkArea) {
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, L"", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr));
  CWnd box;
  ASSERT_TRUE(box.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 100, 50, owner.m_hWnd, nullptr));
  box.CenterWindow();
  CRect r;
  box.GetWindowRect(&r);
  EXPECT_EQ(r.left, 250);
  EXPECT_EQ(r.top, 225);
  owner.ShowWindow(SW_HIDE);  // a hidden owner: the work area instead
  box.CenterWindow();
  box.GetWindowRect(&r);
  RECT work = display::Desktop::Get().WorkArea();
  EXPECT_EQ(r.left, (work.right - 100) / 2);
  owner.MoveWindow(-390, 0, 400, 300);  // mostly off the screen: kept on the work area
  owner.ShowWindow(SW_SHOWNA);
  box.CenterWindow();
  box.GetWindowRect(&r);
  EXPECT_EQ(r.left, 0);
  box.DestroyWindow();
  owner.DestroyWindow();
}

}  // namespace
