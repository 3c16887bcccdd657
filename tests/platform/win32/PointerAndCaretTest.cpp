// Cursors, ClipCursor, the caret and the input-method switch, on the headless desktop.
#include <gtest/gtest.h>

#include "display/Desktop.h"
#include "win32/ManualClock.h"
#include "win32/Windows.h"

using display::Desktop;

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A class with the I-beam as its cursor and a white background.
LPCWSTR IBeamClass() {
  static ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PlainProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"IBeamClass";
    return RegisterClassExW(&wc);
  }();
  return atom ? L"IBeamClass" : nullptr;
}

class PointerTest : public testing::Test {
 protected:
  void SetUp() override {
    m_top = CreateWindowExW(0, IBeamClass(), L"top", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                            nullptr, nullptr, nullptr);
    UpdateWindow(m_top);
    Desktop::Get().PumpUntilIdle();
  }
  void TearDown() override {
    ClipCursor(nullptr);
    DestroyCaret();
    DestroyWindow(m_top);
    Desktop::Get().PumpUntilIdle();
  }
  POINT ClientOrigin() {
    POINT p{0, 0};
    ClientToScreen(m_top, &p);
    return p;
  }
  win32::ManualClock m_clock;
  win32::ScopedClock m_use{m_clock};
  HWND m_top = nullptr;
};

TEST_F(PointerTest, SystemCursorsAreSharedAndTheFrameShowsSizingShapes) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  ASSERT_TRUE(arrow);
  EXPECT_EQ(arrow, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_NE(arrow, LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(win32::CursorShape(LoadCursorW(nullptr, IDC_SIZEWE)), 32644);
  EXPECT_FALSE(LoadCursorW(nullptr, MakeCursorId(1234)));
  EXPECT_FALSE(LoadCursorW(reinterpret_cast<HINSTANCE>(0x1000), IDC_ARROW));  // no cursor resources
  EXPECT_TRUE(DestroyCursor(arrow));  // shared: nothing happens

  HCURSOR before = GetCursor();
  EXPECT_EQ(SetCursor(LoadCursorW(nullptr, IDC_WAIT)), before);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));

  // Moving over the window: the class cursor in the client area, the sizing shapes on the
  // frame, the arrow on the caption.
  POINT c = ClientOrigin();
  RECT r;
  GetWindowRect(m_top, &r);
  struct Case {
    POINT at;
    LPCWSTR shape;
  } cases[] = {
      {{c.x + 20, c.y + 20}, IDC_IBEAM},      {{r.left + 1, c.y + 50}, IDC_SIZEWE},
      {{r.right - 1, c.y + 50}, IDC_SIZEWE},  {{c.x + 50, r.bottom - 1}, IDC_SIZENS},
      {{r.left + 1, r.top + 1}, IDC_SIZENWSE}, {{r.right - 1, r.top + 1}, IDC_SIZENESW},
      {{c.x + 50, r.top + 10}, IDC_ARROW},
  };
  for (const Case& k : cases) {
    Desktop::Get().MouseMove(k.at.x, k.at.y);
    Desktop::Get().PumpUntilIdle();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, k.shape)) << k.at.x << "," << k.at.y;
  }
}

TEST_F(PointerTest, AParentAnsweringSetCursorDecidesForItsChildren) {
  HWND child = CreateWindowExW(0, IBeamClass(), L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, m_top, nullptr, nullptr,
                               nullptr);
  static HCURSOR s_hand = LoadCursorW(nullptr, IDC_HAND);
  WNDPROC old = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      m_top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_SETCURSOR && HIWORD(static_cast<DWORD>(l)) == WM_MOUSEMOVE) {
          SetCursor(s_hand);
          return TRUE;
        }
        return DefWindowProcW(h, m, w, l);
      })));
  POINT c = ClientOrigin();
  Desktop::Get().MouseMove(c.x + 10, c.y + 10);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(GetCursor(), s_hand);
  SetWindowLongPtrW(m_top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  DestroyWindow(child);
}

TEST_F(PointerTest, ClipCursorKeepsThePointerInsideUntilFreed) {
  RECT clip{200, 150, 300, 250};
  Desktop::Get().MouseMove(10, 10);
  ASSERT_TRUE(ClipCursor(&clip));
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 200);  // moved inside at once
  EXPECT_EQ(p.y, 150);
  Desktop::Get().MouseMove(1000, 1000);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 299);
  EXPECT_EQ(p.y, 249);
  RECT got;
  GetClipCursor(&got);
  EXPECT_TRUE(EqualRect(&got, &clip));
  ClipCursor(nullptr);
  Desktop::Get().MouseMove(1000, 700);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 1000);
  GetClipCursor(&got);
  RECT screen = Desktop::Get().ScreenRect();
  EXPECT_TRUE(EqualRect(&got, &screen));
  // A rectangle off the screen frees the pointer.
  RECT off{5000, 5000, 5100, 5100};
  ClipCursor(&off);
  GetClipCursor(&got);
  EXPECT_TRUE(EqualRect(&got, &screen));
}

TEST_F(PointerTest, TheCaretShowsInvertedAndBlinksOnTheClock) {
  auto pixel = [&](int x, int y) { return Desktop::Get().CaptureWindow(m_top).At(x, y); };
  const COLORREF white = RGB(255, 255, 255);
  ASSERT_EQ(pixel(10, 10), white);

  ASSERT_TRUE(CreateCaret(m_top, nullptr, 2, 16));
  ASSERT_TRUE(SetCaretPos(10, 5));
  EXPECT_EQ(pixel(10, 10), white);  // a new caret is hidden
  EXPECT_FALSE(ShowCaret(reinterpret_cast<HWND>(0x4)));  // not the caret's window
  ASSERT_TRUE(ShowCaret(m_top));
  EXPECT_EQ(pixel(10, 10), RGB(0, 0, 0));
  EXPECT_EQ(pixel(11, 20), RGB(0, 0, 0));
  EXPECT_EQ(pixel(12, 10), white);  // two pixels wide
  EXPECT_EQ(pixel(10, 21), white);  // sixteen high
  EXPECT_EQ(Desktop::Get().CaptureScreen().At(ClientOrigin().x + 10, ClientOrigin().y + 10), RGB(0, 0, 0));

  m_clock.Advance(GetCaretBlinkTime());
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(pixel(10, 10), white);  // blinked off
  m_clock.Advance(GetCaretBlinkTime());
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(pixel(10, 10), RGB(0, 0, 0));

  // Hiding nests; a move relights the caret at its new place.
  HideCaret(m_top);
  HideCaret(nullptr);
  ShowCaret(m_top);
  EXPECT_EQ(pixel(10, 10), white);
  ShowCaret(m_top);
  m_clock.Advance(GetCaretBlinkTime());
  Desktop::Get().PumpUntilIdle();
  SetCaretPos(40, 5);
  EXPECT_EQ(pixel(40, 10), RGB(0, 0, 0));
  EXPECT_EQ(pixel(10, 10), white);
  POINT at;
  ASSERT_TRUE(GetCaretPos(&at));
  EXPECT_EQ(at.x, 40);

  // One caret per thread: a new one replaces it; destroyed, it is gone from the picture.
  ASSERT_TRUE(CreateCaret(m_top, nullptr, 0, 10));
  EXPECT_EQ(pixel(40, 10), white);
  ShowCaret(m_top);
  SetCaretPos(60, 0);
  EXPECT_EQ(pixel(60, 5), RGB(0, 0, 0));
  EXPECT_EQ(pixel(61, 5), white);  // width 0: one border wide
  EXPECT_TRUE(DestroyCaret());
  EXPECT_EQ(pixel(60, 5), white);
  EXPECT_FALSE(DestroyCaret());
  EXPECT_FALSE(SetCaretPos(1, 1));
}

TEST_F(PointerTest, TheInputMethodIsAPerWindowSwitch) {
  HWND other = CreateWindowExW(0, IBeamClass(), L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HIMC context = ImmGetContext(m_top);
  ASSERT_TRUE(context);
  EXPECT_TRUE(win32::ImeEnabled(m_top));
  // Detached, as an edit for passwords does, and attached again.
  EXPECT_EQ(ImmAssociateContext(m_top, nullptr), context);
  EXPECT_TRUE(ImmReleaseContext(m_top, context));
  EXPECT_FALSE(ImmGetContext(m_top));
  EXPECT_FALSE(win32::ImeEnabled(m_top));
  EXPECT_TRUE(win32::ImeEnabled(other));
  EXPECT_EQ(ImmAssociateContext(m_top, context), nullptr);
  EXPECT_EQ(ImmGetContext(m_top), context);
  DestroyWindow(other);
  EXPECT_FALSE(ImmGetContext(other));
  EXPECT_FALSE(win32::ImeEnabled(other));
}

}  // namespace
