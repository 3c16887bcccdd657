// The dialog controls on the headless desktop: how they draw, and the dialog manager's keys.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "display/Desktop.h"
#include "win32/DialogManager.h"
#include "win32/MoveSize.h"
#include "win32/NonClient.h"
#include "win32/Windows.h"

using display::Desktop;
using wintest::Recorder;

namespace {

class DialogControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    Recorder::Get().Clear();
    win32::RegisterDialogControlClasses();
    m_dialog = CreateWindowExW(0, Recorder::ClassName(), L"对话框", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                               100, 100, 320, 200, nullptr, nullptr, nullptr, nullptr);
    m_text = Child(WC_STATICW, L"同步文件夹", WS_VISIBLE, -1, 10, 10, 200, 20);
    m_ok = Child(WC_BUTTONW, L"确定", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 10, 100, 80, 24);
    m_other = Child(WC_BUTTONW, L"其他", WS_VISIBLE | WS_TABSTOP, 3, 100, 100, 80, 24);
    m_cancel = Child(WC_BUTTONW, L"取消", WS_VISIBLE | WS_TABSTOP, IDCANCEL, 190, 100, 80, 24);
    m_bar = Child(PROGRESS_CLASSW, L"", WS_VISIBLE, 4, 10, 40, 200, 16);
    SetForegroundWindow(m_dialog);
    SetFocus(m_ok);
    Pump();
  }
  void TearDown() override {
    DestroyWindow(m_dialog);
    Desktop::Get().PumpUntilIdle();
    Recorder::Get().Clear();
  }
  HWND Child(LPCWSTR cls, LPCWSTR text, DWORD style, int id, int x, int y, int w, int h) {
    return CreateWindowExW(0, cls, text, WS_CHILD | style, x, y, w, h, m_dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
  // The dialog's loop: the dialog manager first.
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (IsDialogMessageW(m_dialog, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  std::vector<int> Commands() {
    std::vector<int> ids;
    for (const wintest::Seen& s : Recorder::Get().All())
      if (s.hwnd == m_dialog && s.msg == WM_COMMAND && HIWORD(s.wParam) == BN_CLICKED) ids.push_back(LOWORD(s.wParam));
    return ids;
  }
  // How many pixels of a control differ from the face colour.
  int Drawn(HWND control) {
    display::Pixels p = Desktop::Get().CaptureWindow(control);
    RECT all{0, 0, p.Width(), p.Height()};
    return p.Width() * p.Height() - p.Count(all, GetSysColor(COLOR_BTNFACE));
  }
  HWND m_dialog = nullptr, m_text = nullptr, m_ok = nullptr, m_other = nullptr, m_cancel = nullptr, m_bar = nullptr;
};

TEST_F(DialogControlsTest, ControlsDrawTheirTextFrameAndState) {
  EXPECT_GT(Drawn(m_text), 30);  // the text's strokes
  display::Pixels ok = Desktop::Get().CaptureWindow(m_ok);
  display::Pixels other = Desktop::Get().CaptureWindow(m_other);
  // The default button has a dark outline of its own; the focus rectangle is dotted inside.
  EXPECT_EQ(ok.At(0, 12), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_NE(other.At(0, 12), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_GT(Drawn(m_ok), Drawn(m_other));
  // The progress bar fills from the left as far as its position.
  SendMessageW(m_bar, PBM_SETPOS, 50, 0);
  Pump();
  display::Pixels bar = Desktop::Get().CaptureWindow(m_bar);
  EXPECT_EQ(bar.At(20, 8), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(bar.At(180, 8), GetSysColor(COLOR_WINDOW));
  // The caption shows the title: the frame holds more than its colours.
  display::Pixels screen = Desktop::Get().CaptureScreen();
  RECT window;
  GetWindowRect(m_dialog, &window);
  POINT client{0, 0};
  ClientToScreen(m_dialog, &client);
  RECT caption{window.left + 4, window.top + 4, window.left + 60, client.y - 2};
  const int area = (caption.right - caption.left) * (caption.bottom - caption.top);
  EXPECT_LT(screen.Count(caption, GetSysColor(COLOR_ACTIVECAPTION)), area - 20);
}

TEST_F(DialogControlsTest, TabEnterEscapeAndSpaceWorkAsTheDialogManagerHasThem) {
  Desktop& desktop = Desktop::Get();
  auto key = [&](UINT vk) {
    desktop.KeyPress(vk);
    Pump();
  };
  key(VK_TAB);
  EXPECT_EQ(GetFocus(), m_other);
  key(VK_TAB);
  key(VK_TAB);
  EXPECT_EQ(GetFocus(), m_ok);  // around
  desktop.KeyDown(VK_LSHIFT);
  key(VK_TAB);
  desktop.KeyUp(VK_LSHIFT);
  EXPECT_EQ(GetFocus(), m_cancel);
  ShowWindow(m_other, SW_HIDE);  // hidden controls are passed over
  key(VK_TAB);
  key(VK_TAB);
  EXPECT_EQ(GetFocus(), m_cancel);
  ShowWindow(m_other, SW_SHOW);

  // Enter presses the focused button; on a control that is none, the default one.
  key(VK_RETURN);
  SetFocus(m_text);
  key(VK_RETURN);
  key(VK_ESCAPE);
  SetFocus(m_other);
  key(VK_SPACE);
  EXPECT_EQ(Commands(), (std::vector<int>{IDCANCEL, IDOK, IDCANCEL, 3}));
  EXPECT_EQ(Recorder::Get().Count(m_dialog, WM_CHAR), 0);  // the keys taken make no characters
}

TEST_F(DialogControlsTest, ThePointerMovesAWindowByItsCaptionAndClosesItByItsBox) {
  RECT before;
  GetWindowRect(m_dialog, &before);
  Desktop& desktop = Desktop::Get();
  // Down on the caption, two moves, up: the window follows the pointer.
  desktop.MouseDown(Desktop::Button::Left, before.left + 40, before.top + 10);
  desktop.MouseMove(before.left + 60, before.top + 20);
  desktop.MouseMove(before.left + 90, before.top + 40);
  desktop.MouseUp(Desktop::Button::Left, before.left + 90, before.top + 40);
  Pump();
  RECT after;
  GetWindowRect(m_dialog, &after);
  EXPECT_EQ(after.left, before.left + 50);
  EXPECT_EQ(after.top, before.top + 30);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Recorder::Get().Count(m_dialog, WM_EXITSIZEMOVE), 1);
  // The close box is a close.
  RECT box;
  ASSERT_TRUE(win32::CloseBoxRect(m_dialog, &box));
  desktop.MouseDown(Desktop::Button::Left, box.left + 3, box.top + 3);
  desktop.MouseUp(Desktop::Button::Left, box.left + 3, box.top + 3);
  Pump();
  EXPECT_EQ(Recorder::Get().Count(m_dialog, WM_CLOSE), 1);
}

}  // namespace
