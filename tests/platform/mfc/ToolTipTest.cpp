// The tooltip control: tools of a window, the tip after its delay on the test clock,
// wrapping at the maximum width, and what relayed clicks and leaving do.
#include <gtest/gtest.h>

#include <string>

#include "display/Desktop.h"
#include "mfc/AfxWin.h"
#include "mfc/CToolTipCtrl.h"
#include "win32/DialogControls.h"
#include "win32/ManualClock.h"

namespace {

using display::Desktop;

// A popup at (100, 100), 200 x 100, whose mouse messages are relayed to its tooltip as an
// application's message loop does.
class Owner : public CWnd {
 public:
  Owner() {
    win32::RegisterDialogControlClasses();
    CreateEx(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, nullptr);
    ::SetForegroundWindow(m_hWnd);
  }
  ~Owner() override { DestroyWindow(); }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (tip.m_hWnd) tip.RelayEvent(msg);
    return FALSE;
  }
  CToolTipCtrl tip;
};

class ToolTipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(owner.tip.Create(&owner, TTS_ALWAYSTIP));
    owner.tip.SetDelayTime(600);
    owner.tip.SetMaxTipWidth(200);
    owner.tip.Activate(TRUE);
  }
  // The application loop's turn: messages offered to their windows' objects first.
  void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
  }
  void MoveTo(int x, int y) {
    Desktop::Get().MouseMove(100 + x, 100 + y);
    Pump();
  }
  void Wait(ULONGLONG ms) {
    clock.Advance(ms);
    Pump();
  }
  bool Shown() const { return ::IsWindowVisible(owner.tip.m_hWnd) != FALSE; }
  std::wstring TipText() const {
    wchar_t text[256] = {};
    ::GetWindowTextW(owner.tip.m_hWnd, text, 256);
    return text;
  }

  win32::ManualClock clock;
  win32::ScopedClock use{clock};
  Owner owner;
};

TEST_F(ToolTipTest, ATipShowsAfterItsDelayBelowThePointerAndHidesLater) {
  const CRect left(0, 0, 100, 100);
  ASSERT_TRUE(owner.tip.AddTool(&owner, L"Left half", &left, 7));
  EXPECT_EQ(owner.tip.GetToolCount(), 1);
  EXPECT_EQ(owner.tip.GetDelayTime(TTDT_INITIAL), 600);
  EXPECT_EQ(owner.tip.GetDelayTime(TTDT_AUTOPOP), 6000);
  MoveTo(10, 10);
  Wait(599);
  EXPECT_FALSE(Shown());
  Wait(1);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(TipText(), L"Left half");
  RECT r{};
  ::GetWindowRect(owner.tip.m_hWnd, &r);
  EXPECT_EQ(r.left, 110);
  EXPECT_GT(r.top, 110);  // under the pointer
  // The layer drew it: the info background inside its frame.
  const display::Pixels shown = Desktop::Get().CaptureWindow(owner.tip.m_hWnd);
  EXPECT_EQ(shown.At(2, 2), ::GetSysColor(COLOR_INFOBK));
  Wait(6000);
  EXPECT_FALSE(Shown());
}

TEST_F(ToolTipTest, MovingToAnotherToolOrOffEveryToolChangesTheTip) {
  const CRect left(0, 0, 100, 100), right(100, 0, 200, 100);
  owner.tip.AddTool(&owner, L"Left", &left, 1);
  owner.tip.AddTool(&owner, L"Right", &right, 2);
  MoveTo(10, 10);
  Wait(600);
  ASSERT_TRUE(Shown());
  MoveTo(150, 10);  // the next tool's tip comes sooner
  EXPECT_FALSE(Shown());
  Wait(120);
  EXPECT_TRUE(Shown());
  EXPECT_EQ(TipText(), L"Right");
  // A new rectangle and text for a tool.
  const CRect none(0, 0, 0, 0);
  owner.tip.SetToolRect(&owner, 2, &none);
  owner.tip.UpdateTipText(L"Changed", &owner, 1);
  CToolInfo info;
  ASSERT_TRUE(owner.tip.GetToolInfo(info, &owner, 1));
  EXPECT_STREQ(info.lpszText, L"Changed");
  EXPECT_EQ(CRect(info.rect), left);
  MoveTo(160, 20);  // no tool there now
  Wait(1000);
  EXPECT_FALSE(Shown());
  owner.tip.DelTool(&owner, 1);
  EXPECT_EQ(owner.tip.GetToolCount(), 1);
  EXPECT_FALSE(owner.tip.GetToolInfo(info, &owner, 1));
}

TEST_F(ToolTipTest, AClickHidesTheTipUntilThePointerLeavesTheToolAndAnInactiveControlShowsNone) {
  const CRect left(0, 0, 100, 100), right(100, 0, 200, 100);
  owner.tip.AddTool(&owner, L"Left", &left, 1);
  owner.tip.AddTool(&owner, L"Right", &right, 2);
  MoveTo(10, 10);
  Wait(600);
  ASSERT_TRUE(Shown());
  Desktop::Get().MouseDown(Desktop::Button::Left, 110, 110);
  Desktop::Get().MouseUp(Desktop::Button::Left, 110, 110);
  Pump();
  EXPECT_FALSE(Shown());
  MoveTo(30, 30);  // the same tool
  Wait(1000);
  EXPECT_FALSE(Shown());
  MoveTo(150, 30);
  Wait(600);
  EXPECT_TRUE(Shown());
  owner.tip.Activate(FALSE);
  EXPECT_FALSE(Shown());
  MoveTo(30, 30);
  Wait(1000);
  EXPECT_FALSE(Shown());
  owner.tip.Activate(TRUE);
  MoveTo(150, 30);
  Wait(600);
  EXPECT_TRUE(Shown());
}

TEST_F(ToolTipTest, ALongTipWrapsAtTheMaximumWidth) {
  owner.tip.AddTool(&owner, L"one two three four five six seven eight nine ten eleven twelve thirteen");
  MoveTo(10, 10);
  Wait(600);
  ASSERT_TRUE(Shown());
  RECT r{};
  ::GetWindowRect(owner.tip.m_hWnd, &r);
  EXPECT_LE(r.right - r.left, 200 + 8);
  EXPECT_GT(r.bottom - r.top, 30);  // more than one line
}

}  // namespace
