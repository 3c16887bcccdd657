// Pointer input through the headless desktop: hit tests, capture, activation, double clicks.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "display/Desktop.h"
#include "win32/ManualClock.h"

using display::Desktop;
using wintest::MakeWindow;
using wintest::Recorder;

namespace {

class MouseTest : public testing::Test {
 protected:
  void SetUp() override {
    Recorder::Get().Clear();
    // An overlapped window at (100,100) 300x200, and a child at (10,10) 50x40 of its client area.
    m_top = CreateWindowExW(0, Recorder::ClassName(), L"top", WS_OVERLAPPED | WS_VISIBLE, 100, 100, 300, 200,
                            nullptr, nullptr, nullptr, nullptr);
    m_child = CreateWindowExW(0, Recorder::ClassName(), L"child", WS_CHILD | WS_VISIBLE, 10, 10, 50, 40, m_top,
                              nullptr, nullptr, nullptr);
    POINT origin{0, 0};
    ClientToScreen(m_top, &origin);
    m_client = origin;
    Desktop::Get().PumpUntilIdle();
    Recorder::Get().Clear();
  }
  void TearDown() override {
    ReleaseCapture();
    DestroyWindow(m_top);
    Desktop::Get().PumpUntilIdle();
    Recorder::Get().Clear();
  }
  // The last message of a kind that a window got.
  const wintest::Seen* Last(HWND hwnd, UINT msg) {
    m_seen = Recorder::Get().All();
    for (auto it = m_seen.rbegin(); it != m_seen.rend(); ++it) {
      if (it->hwnd == hwnd && it->msg == msg) return &*it;
    }
    return nullptr;
  }
  HWND m_top = nullptr, m_child = nullptr;
  POINT m_client{};
  std::vector<wintest::Seen> m_seen;
};

TEST_F(MouseTest, MovesGoToTheDeepestWindowInClientOrScreenCoordinates) {
  Desktop::Get().MouseMove(m_client.x + 15, m_client.y + 12);
  Desktop::Get().PumpUntilIdle();
  const wintest::Seen* move = Last(m_child, WM_MOUSEMOVE);
  ASSERT_TRUE(move);
  EXPECT_EQ(move->lParam, MAKELONG(5, 2));
  EXPECT_TRUE(Last(m_child, WM_SETCURSOR));
  EXPECT_FALSE(Last(m_top, WM_MOUSEMOVE));

  // Over the caption: a non-client message with the hit and the screen position.
  Desktop::Get().MouseMove(200, 110);
  Desktop::Get().PumpUntilIdle();
  const wintest::Seen* nc = Last(m_top, WM_NCMOUSEMOVE);
  ASSERT_TRUE(nc);
  EXPECT_EQ(nc->wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(nc->lParam, MAKELONG(200, 110));
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, 200);

  // A disabled child's input goes to its parent; outside every window, to nobody.
  EnableWindow(m_child, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{m_client.x + 15, m_client.y + 12}), m_top);
  EXPECT_EQ(WindowFromPoint(POINT{5, 5}), nullptr);
}

TEST_F(MouseTest, TheCaptureTakesEveryMoveWherever) {
  SetCapture(m_child);
  Desktop::Get().MouseMove(m_client.x + 200, m_client.y + 100);
  Desktop::Get().PumpUntilIdle();
  const wintest::Seen* move = Last(m_child, WM_MOUSEMOVE);
  ASSERT_TRUE(move);
  EXPECT_EQ(move->lParam, MAKELONG(190, 90));
  Desktop::Get().MouseMove(m_client.x - 30, m_client.y + 5);  // left of the child: negative
  Desktop::Get().PumpUntilIdle();
  move = Last(m_child, WM_MOUSEMOVE);
  EXPECT_EQ(static_cast<SHORT>(LOWORD(move->lParam)), -40);
}

TEST_F(MouseTest, APressActivatesUnlessTheWindowDeclinesAndEatsIt) {
  HWND other = MakeWindow(L"other", nullptr, WS_VISIBLE | WS_POPUP);
  MoveWindow(other, 600, 100, 100, 100, TRUE);
  SetForegroundWindow(other);
  Desktop::Get().MouseDown(Desktop::Button::Left, m_client.x + 15, m_client.y + 12);
  Desktop::Get().MouseUp(Desktop::Button::Left, m_client.x + 15, m_client.y + 12);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(GetForegroundWindow(), m_top);
  const wintest::Seen* down = Last(m_child, WM_LBUTTONDOWN);
  ASSERT_TRUE(down);
  EXPECT_EQ(down->wParam, MK_LBUTTON);
  EXPECT_TRUE(Last(m_child, WM_LBUTTONUP));

  SetForegroundWindow(other);
  Recorder::Get().Clear();
  Recorder::Get().SetReaction([](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
    result = MA_NOACTIVATEANDEAT;
    return msg == WM_MOUSEACTIVATE;
  });
  Desktop::Get().MouseDown(Desktop::Button::Left, m_client.x + 15, m_client.y + 12);
  Desktop::Get().MouseUp(Desktop::Button::Left, m_client.x + 15, m_client.y + 12);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(GetForegroundWindow(), other);
  EXPECT_FALSE(Last(m_child, WM_LBUTTONDOWN));
  DestroyWindow(other);
}

TEST_F(MouseTest, ASecondPressSoonAndNearIsADoubleClickForClassesThatWantThem) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = Recorder::Proc;
  wc.lpszClassName = L"DoubleClickClass";
  RegisterClassW(&wc);
  HWND target = CreateWindowExW(0, L"DoubleClickClass", L"", WS_POPUP | WS_VISIBLE, 700, 500, 50, 50, nullptr,
                                nullptr, nullptr, nullptr);
  auto click = [&](int x, int y) {
    Desktop::Get().MouseDown(Desktop::Button::Left, x, y);
    Desktop::Get().MouseUp(Desktop::Button::Left, x, y);
    Desktop::Get().PumpUntilIdle();
  };
  click(710, 510);
  clock.Advance(GetDoubleClickTime());
  click(711, 511);
  EXPECT_EQ(Recorder::Get().Count(target, WM_LBUTTONDBLCLK), 1);
  clock.Advance(GetDoubleClickTime() + 1);
  click(711, 511);  // too late
  click(730, 530);  // too far
  EXPECT_EQ(Recorder::Get().Count(target, WM_LBUTTONDBLCLK), 1);
  EXPECT_EQ(Recorder::Get().Count(target, WM_LBUTTONDOWN), 3);
  // Without CS_DBLCLKS two quick presses stay two presses.
  click(m_client.x + 100, m_client.y + 100);
  click(m_client.x + 100, m_client.y + 100);
  EXPECT_EQ(Recorder::Get().Count(m_top, WM_LBUTTONDOWN), 2);
  DestroyWindow(target);
  UnregisterClassW(L"DoubleClickClass", nullptr);
}

TEST_F(MouseTest, TheWheelGoesToTheFocusWithTheScreenPosition) {
  SetFocus(m_top);
  Desktop::Get().MouseWheel(-WHEEL_DELTA, m_client.x + 15, m_client.y + 12);  // over the child
  Desktop::Get().PumpUntilIdle();
  const wintest::Seen* wheel = Last(m_top, WM_MOUSEWHEEL);
  ASSERT_TRUE(wheel);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel->wParam), -WHEEL_DELTA);
  EXPECT_EQ(GET_X_LPARAM(wheel->lParam), m_client.x + 15);
  EXPECT_FALSE(Last(m_child, WM_MOUSEWHEEL));
  SetFocus(nullptr);
}

}  // namespace

namespace {

TEST_F(MouseTest, TrackingTellsOfLeavingAndOfRestingOnTheClock) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  Desktop& d = Desktop::Get();
  d.MouseMove(m_client.x + 100, m_client.y + 100);  // on the top window's client area
  TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | TME_HOVER, m_top, 1};  // a 1 ms hover, as popup menus ask
  ASSERT_TRUE(TrackMouseEvent(&tme));
  TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
  TrackMouseEvent(&query);
  EXPECT_EQ(query.hwndTrack, m_top);
  EXPECT_EQ(query.dwFlags, TME_LEAVE | TME_HOVER);
  d.PumpUntilIdle();
  EXPECT_EQ(Recorder::Get().Count(m_top, WM_MOUSEHOVER), 0);
  clock.Advance(1);
  d.PumpUntilIdle();
  const wintest::Seen* hover = Last(m_top, WM_MOUSEHOVER);
  ASSERT_TRUE(hover);
  EXPECT_EQ(hover->lParam, MAKELONG(100, 100));
  clock.Advance(100);
  d.PumpUntilIdle();
  EXPECT_EQ(Recorder::Get().Count(m_top, WM_MOUSEHOVER), 1);  // once per request

  d.MouseMove(m_client.x + 15, m_client.y + 12);  // onto the child: the top window is left
  d.PumpUntilIdle();
  EXPECT_EQ(Recorder::Get().Count(m_top, WM_MOUSELEAVE), 1);
  d.MouseMove(m_client.x + 100, m_client.y + 100);
  d.PumpUntilIdle();
  EXPECT_EQ(Recorder::Get().Count(m_top, WM_MOUSELEAVE), 1);  // the request was used up

  // Asking to track a window the pointer is not on answers at once.
  TRACKMOUSEEVENT away{sizeof away, TME_LEAVE, m_child, HOVER_DEFAULT};
  ASSERT_TRUE(TrackMouseEvent(&away));
  d.PumpUntilIdle();
  EXPECT_EQ(Recorder::Get().Count(m_child, WM_MOUSELEAVE), 1);
}

}  // namespace
