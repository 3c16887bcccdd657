// A form built from a small skin on the headless desktop: painted, clicked,
// focus moved with TAB, run modally and closed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "display/Desktop.h"
#include "mfc/CToolTipCtrl.h"
#include "win32/Cursor.h"
#include "win32/DialogControls.h"
#include "win32/Icon.h"
#include "win32/ManualClock.h"
#include "win32/Gdi.h"
#include "ui/UIForm.h"
#include "ui/UIManager.h"
#include "ui/render/DXCore.h"
#include "ui/skin/UISkinManager.h"

namespace {

using display::Desktop;
using UI::CUIControl;
using UI::CUIForm;

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;

// A button of the test: fills its bounds, clicks on release, keeps a log of
// the focus messages it gets.
class TestButton : public CUIControl {
 public:
  TestButton() { m_strTypeName = L"CTestButton"; }
  void RenderSelf(UI::DXCore* core, const CRect*) override { core->FillRectangle(GetBounds(), m_colour); }
  BOOL OnMouseMessage(UINT message, UINT, const CPoint&) override {
    if (message == WM_LBUTTONUP) FireEvent(1, nullptr);
    return message == WM_LBUTTONDOWN || message == WM_LBUTTONUP;
  }
  BOOL OnKeyMessage(UINT message, UINT, UINT, UINT) override {
    if (message == CUIForm::kFocusLostMsg) log.push_back("lost");
    if (message == CUIForm::kFocusGainedMsg) log.push_back("gained");
    return FALSE;
  }
  // Its own pointer shape when it has one; null leaves it to the form.
  BOOL OnSetCursor(UINT, UINT) override {
    if (cursor) ::SetCursor(::LoadCursorW(nullptr, cursor));
    return cursor != nullptr;
  }
  LPCWSTR cursor = nullptr;
  DWORD m_colour = kBlue;
  std::vector<std::string> log;
};

CUIControl* CreateTestControl(CString name) { return name == L"CTestButton" ? new TestButton : nullptr; }

const char kSkin[] =
    "<css><CUIForm><Win BkColor=\"255, 0, 0\" MinSize=\"300, 150\" MaxSize=\"400, 100\" RoundDiameters=\"20, 20\"/>"
    "<Placed BkColor=\"0, 255, 0\" PositionRect=\"10, 10, 250, 120\" MinSize=\"10, 10\"/></CUIForm></css>"
    "<ass><CTestButton>"
    "<Ok Size=\"40, 20\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/>"
    "<Cancel Size=\"40, 20\" AnchorStyle=\"topleft\" Margin=\"60, 10, 0, 0\"/>"
    "</CTestButton></ass>";
const char kBuild[] =
    "<Main css=\"Win\"><Ok type=\"CTestButton\" ass=\"Ok\"/><Cancel type=\"CTestButton\" ass=\"Cancel\"/></Main>"
    "<Placed css=\"Placed\"/>";

// Counts clicks that reach the root and, for a modal form, ends it.
class Form : public CUIForm {
 public:
  Form() { SetObjectID(L"Main"); }
  int Make(int x = 0, int y = 0, CWnd* parent = nullptr) {
    if (!Create(WS_POPUP, L"DorvFormTest", L"test", parent, 0, CRect(x, y, x + 200, y + 100))) return 0;
    ListenEvent(1, fastdelegate::MakeDelegate(this, &Form::OnClick));
    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    Desktop::Get().PumpUntilIdle();
    return 1;
  }
  TestButton* Button(const wchar_t* id) { return static_cast<TestButton*>(FindControlRecusive(id)); }
  uint32_t At(int x, int y) { return GetRenderContext()->GetBackBuffer().getPixelAt(x, y).getARGB(); }
  int OnClick(CUIControl* sender, void*) {
    clicks.push_back(sender);
    if (endWith >= 0) EndDialog(endWith);
    return 1;
  }
  void Click(int x, int y) {
    POINT at{x, y};
    ::ClientToScreen(m_hWnd, &at);
    Desktop::Get().MouseDown(Desktop::Button::Left, at.x, at.y);
    Desktop::Get().MouseUp(Desktop::Button::Left, at.x, at.y);
  }
  // A timer's turn: clicks Ok from inside whatever loop is running.
  void ClickOkOnce(UINT id) {
    UnRegisterTimerHandler(id);
    Click(20, 20);
  }
  // Opens the modal child from inside this form's modal loop, then ends this form.
  void OpenChild(UINT id) {
    UnRegisterTimerHandler(id);
    child->Make(350, 350, this);
    child->parentForm = this;
    child->RegisterTimerHandler(6, 1, fastdelegate::MakeDelegate(child, &Form::EndParent));
    parentDisabledWhileChildRuns = -1;
    childResult = child->DoModal();
    EndDialog(3);
  }
  void EndParent(UINT id) {
    UnRegisterTimerHandler(id);
    parentForm->parentDisabledWhileChildRuns = !::IsWindowEnabled(parentForm->m_hWnd);
    parentForm->EndDialog(5);  // ends the innermost form of the chain, with 0
  }
  void PressEscape(UINT id) {
    UnRegisterTimerHandler(id);
    ::SetFocus(m_hWnd);
    Desktop::Get().KeyPress(VK_ESCAPE);
  }
  void Tick(UINT) {
    ++ticks;
    if (onTick) onTick();
  }
  std::function<void()> onTick;
  void TickHundred(UINT) { ticks += 100; }
  std::vector<CUIControl*> clicks;
  Form* child = nullptr;
  Form* parentForm = nullptr;
  int childResult = -2;
  int parentDisabledWhileChildRuns = -1;
  int endWith = -1;
  int ticks = 0;
};

bool InThemeFolder() {
  if (!uitest::InProgramFolder(uitest::SkinTheme(kSkin, "", kBuild))) return false;
  UI::CUISkinManager* skins = UI::CUISkinManager::GetInstance();
  skins->InitSkinData();
  skins->RegisterObjectCreateor(&CreateTestControl);
  return true;
}

TEST(FormTest, AFormPaintsItsTreeAndRoutesClicksToTheControlUnderThePointer) {
  if (!InThemeFolder()) return;
  Form form;
  ASSERT_EQ(form.Make(), 1);
  TestButton* ok = form.Button(L"Ok");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->GetBounds(), CRect(10, 10, 50, 30));
  EXPECT_EQ(form.At(100, 80), kRed);  // the skin's background
  EXPECT_EQ(form.At(20, 20), kBlue);
  EXPECT_EQ(form.At(70, 20), kBlue);
  const display::Pixels shown = Desktop::Get().CaptureWindow(form.m_hWnd);  // what reached the window
  EXPECT_EQ(shown.At(20, 20), RGB(0, 0, 255));
  EXPECT_EQ(shown.At(100, 80), RGB(255, 0, 0));
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(form.m_hWnd, region), ERROR);  // the skin's rounded corners
  EXPECT_FALSE(::PtInRegion(region, 0, 0));
  EXPECT_TRUE(::PtInRegion(region, 100, 50));
  ::DeleteObject(region);

  form.Click(20, 20);
  Desktop::Get().PumpUntilIdle();
  ASSERT_EQ(form.clicks.size(), 1u);
  EXPECT_EQ(form.clicks[0], ok);
  form.Click(150, 80);  // the bare form: no click event
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(form.clicks.size(), 1u);
  form.DestroyWindow();
}

TEST(FormTest, ABorderedFormIsResizedByItsFrameBandAndDraggedByItsCaption) {
  if (!InThemeFolder()) return;
  Form form;
  ASSERT_TRUE(form.Create(WS_POPUP | WS_THICKFRAME, L"DorvFormTest", L"test", nullptr, 0, CRect(0, 0, 200, 100)));
  const CSize o = form.GetFrameOffsets();
  const CRect b = form.GetBounds();
  ASSERT_GT(o.cx, 0);
  auto at = [&](int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(form.m_hWnd, &p);
    return ::SendMessageW(form.m_hWnd, WM_NCHITTEST, 0, static_cast<LPARAM>((p.x & 0xFFFF) | ((p.y & 0xFFFF) << 16)));
  };
  EXPECT_EQ(at(0, 0), HTTOPLEFT);
  EXPECT_EQ(at(b.right - 1, 0), HTTOPRIGHT);
  EXPECT_EQ(at(b.right / 2, b.bottom - 1), HTBOTTOM);
  EXPECT_EQ(at(0, b.bottom / 2), HTLEFT);
  EXPECT_EQ(at(o.cx + 20, o.cy + 20), HTCLIENT);

  // A maximum no taller than the minimum: the minimum is the maximised size.
  MINMAXINFO limits{};
  ::SendMessageW(form.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMaxSize.x, 300 + 2 * o.cx);
  EXPECT_EQ(limits.ptMaxSize.y, 150 + 2 * o.cy);
  EXPECT_EQ(limits.ptMinTrackSize.x, 300 + 2 * o.cx);
  form.DestroyWindow();
}

TEST(FormTest, TheSkinsPositionIsTheClientAreaWithTheFrameAroundIt) {
  if (!InThemeFolder()) return;
  CUIForm form;
  form.SetObjectID(L"Placed");
  ASSERT_TRUE(form.Create(WS_POPUP | WS_THICKFRAME, L"DorvFormTest", L"test", nullptr, 0, CRect(0, 0, 1, 1)));
  const CSize o = form.GetFrameOffsets();
  ASSERT_EQ(o, CSize(8, 8));
  CRect window, client;
  form.GetWindowRect(&window);
  form.GetClientRect(&client);
  EXPECT_EQ(window, CRect(2, 2, 268, 138));
  EXPECT_EQ(client.Size(), CSize(250, 120));
  EXPECT_EQ(form.GetBounds().Size(), CSize(250, 120));
  // A position closer to the screen's edge than the frame keeps the window on screen.
  form.SetFormPosition(CRect(3, 0, 103, 50));
  form.GetWindowRect(&window);
  EXPECT_EQ(window, CRect(0, 0, 116, 66));
  form.DestroyWindow();
}

TEST(FormTest, ATransparentControlsRepaintStartsAtTheOpaqueContainerBehindIt) {
  if (!InThemeFolder()) return;
  Form form;
  ASSERT_EQ(form.Make(), 1);
  TestButton* ok = form.Button(L"Ok");
  ASSERT_TRUE(ok->IsTransContainer());
  EXPECT_EQ(form.At(20, 20), kBlue);
  ok->m_colour = 0x00000000;  // draws nothing: the form's red must show through
  ok->Refresh(FALSE, nullptr);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(form.At(20, 20), kRed);
  form.DestroyWindow();
}

TEST(FormTest, TwoRefreshesBeforeOnePaintRepaintBothControls) {
  if (!InThemeFolder()) return;
  Form form;
  ASSERT_EQ(form.Make(), 1);
  TestButton* ok = form.Button(L"Ok");
  TestButton* cancel = form.Button(L"Cancel");
  cancel->SetTransContainer(FALSE);  // an opaque container: its own repaint starts at it
  ok->m_colour = kGreen;
  cancel->m_colour = kGreen;
  ok->Refresh(FALSE, nullptr);
  cancel->Refresh(FALSE, nullptr);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(form.At(20, 20), kGreen);
  EXPECT_EQ(form.At(70, 20), kGreen);
  form.DestroyWindow();
}

TEST(FormTest, TabAndShiftTabMoveFocusAlongTheTabOrder) {
  if (!InThemeFolder()) return;
  Form form;
  ASSERT_EQ(form.Make(), 1);
  TestButton* ok = form.Button(L"Ok");
  TestButton* cancel = form.Button(L"Cancel");
  form.AddTABOrder(ok);
  form.AddTABOrder(cancel);
  ok->SetKBFocused(TRUE);
  EXPECT_EQ(ok->log, std::vector<std::string>{"gained"});
  ::SetFocus(form.m_hWnd);
  Desktop::Get().KeyPress(VK_TAB);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(form.GetKeyFocusControl(), cancel);
  EXPECT_EQ(ok->log, (std::vector<std::string>{"gained", "lost"}));
  EXPECT_EQ(cancel->log, std::vector<std::string>{"gained"});

  Desktop::Get().KeyDown(VK_SHIFT);
  Desktop::Get().KeyPress(VK_TAB);
  Desktop::Get().KeyUp(VK_SHIFT);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(form.GetKeyFocusControl(), ok);

  cancel->SetEnabled(FALSE);  // no other control qualifies: focus stays
  Desktop::Get().KeyPress(VK_TAB);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(form.GetKeyFocusControl(), ok);
  form.DestroyWindow();
}

TEST(FormTest, AModalLoopEndsWithTheCodeOfTheButtonThatEndsIt) {
  if (!InThemeFolder()) return;
  auto* dialog = new Form;
  dialog->endWith = 7;
  ASSERT_EQ(dialog->Make(300, 300), 1);
  // The click arrives from inside the modal loop.
  dialog->RegisterTimerHandler(5, 1, fastdelegate::MakeDelegate(dialog, &Form::ClickOkOnce));
  EXPECT_EQ(dialog->DoModal(), 7);
  EXPECT_FALSE(::IsWindow(dialog->m_hWnd));
  dialog->Release();
}

TEST(FormTest, EndingAModalFormWithAModalChildEndsTheChildFirstWithZero) {
  if (!InThemeFolder()) return;
  auto* parent = new Form;
  ASSERT_EQ(parent->Make(300, 300), 1);
  parent->child = new Form;
  parent->RegisterTimerHandler(5, 1, fastdelegate::MakeDelegate(parent, &Form::OpenChild));
  EXPECT_EQ(parent->DoModal(), 3);  // the parent went on after its child ended
  EXPECT_EQ(parent->childResult, 0);
  EXPECT_EQ(parent->parentDisabledWhileChildRuns, 1);
  parent->child->Release();
  parent->Release();
}

TEST(FormTest, EscapeEndsAModalFormWithZero) {
  if (!InThemeFolder()) return;
  auto* dialog = new Form;
  ASSERT_EQ(dialog->Make(300, 300), 1);
  dialog->RegisterTimerHandler(5, 1, fastdelegate::MakeDelegate(dialog, &Form::PressEscape));
  EXPECT_EQ(dialog->DoModal(), 0);
  dialog->Release();
}

TEST(FormTest, AClosedModelessFormIsDeletedOnceItsCloseHasBeenHandled) {
  if (!InThemeFolder()) return;
  auto* form = new Form;
  ASSERT_EQ(form->Make(), 1);
  ASSERT_EQ(UI::CUIManager::GetInstance()->IsExist(form), 1);
  HWND window = form->m_hWnd;
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  Desktop::Get().PumpUntilIdle();
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(UI::CUIManager::GetInstance()->IsExist(form), 0);
}

TEST(FormTest, TimersHaveOneHandlerPerId) {
  if (!InThemeFolder()) return;
  Form form;
  ASSERT_EQ(form.Make(), 1);
  EXPECT_EQ(form.RegisterTimerHandler(9, 1, fastdelegate::MakeDelegate(&form, &Form::Tick)), 1);
  EXPECT_EQ(form.RegisterTimerHandler(9, 1, fastdelegate::MakeDelegate(&form, &Form::TickHundred)), 0);
  EXPECT_TRUE(Desktop::Get().PumpUntil([&] { return form.ticks > 0; }, 5000));
  EXPECT_LT(form.ticks, 100);
  form.UnRegisterTimerHandler(9);
  form.DestroyWindow();
}

// The application loop's turn: messages offered to their windows' objects first,
// as the form relays the mouse to its tooltip window there.
void PumpApp() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

TEST(FormTest, AControlsTooltipShowsAfterItsDelayAndAQueuedMessageForAGoneControlDoesNothing) {
  if (!InThemeFolder()) return;
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  Form form;
  ASSERT_EQ(form.Make(), 1);
  ASSERT_TRUE(form.HasToolTip());
  HWND tip = ::FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(::SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 600);
  EXPECT_EQ(::SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 200);

  TestButton* ok = form.Button(L"Ok");
  ok->SetTooltipText(L"确定");
  ok->SetBounds(CRect(10, 10, 50, 31));  // a change of bounds registers the tip
  PumpApp();
  EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  POINT at{20, 20};
  ::ClientToScreen(form.m_hWnd, &at);
  Desktop::Get().MouseMove(at.x, at.y);
  PumpApp();
  clock.Advance(599);
  PumpApp();
  EXPECT_FALSE(::IsWindowVisible(tip));
  clock.Advance(1);
  PumpApp();
  EXPECT_TRUE(::IsWindowVisible(tip));
  wchar_t text[16] = {};
  ::GetWindowTextW(tip, text, 16);
  EXPECT_STREQ(text, L"确定");

  // Without a text the control leaves the tooltip window, and its tip goes.
  ok->SetTooltipText(L"");
  ok->SetBounds(CRect(10, 10, 50, 30));
  PumpApp();
  EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
  EXPECT_FALSE(::IsWindowVisible(tip));

  // A control released while its message waits in the queue.
  auto* gone = new TestButton;
  form.RegisterControl(gone);
  gone->SetTooltipText(L"gone");
  gone->SetBounds(CRect(100, 50, 120, 60));
  form.UnRegisterControl(gone);
  gone->Release();
  PumpApp();
  EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
  form.DestroyWindow();
  EXPECT_FALSE(::IsWindow(tip));  // it went with its form
}

TEST(FormTest, AModalLoopDisablesTheApplicationsModelessWindowsWhileItRuns) {
  if (!InThemeFolder()) return;
  CWinApp app;
  Form form;
  ASSERT_EQ(form.Make(), 1);
  form.endWith = 4;
  bool enabledDuring = true;
  form.onTick = [&] {
    enabledDuring = app.IsModelessEnabled() != FALSE;
    form.ClickOkOnce(6);
  };
  form.RegisterTimerHandler(6, 1, fastdelegate::MakeDelegate(&form, &Form::Tick));
  EXPECT_EQ(form.DoModal(), 4);
  EXPECT_FALSE(enabledDuring);
  EXPECT_TRUE(app.IsModelessEnabled());
}

TEST(FormTest, BringToTopRestoresAMinimizedFormAndGivesTheRootFocusWhenNoControlHasIt) {
  if (!InThemeFolder()) return;
  Form form;
  ASSERT_EQ(form.Make(), 1);
  Form other;
  ASSERT_EQ(other.Make(50, 50), 1);
  EXPECT_EQ(::GetForegroundWindow(), other.m_hWnd);
  ::ShowWindow(form.m_hWnd, SW_MINIMIZE);
  form.BringToTop();
  Desktop::Get().PumpUntilIdle();
  EXPECT_FALSE(::IsIconic(form.m_hWnd));
  EXPECT_EQ(::GetForegroundWindow(), form.m_hWnd);
  EXPECT_EQ(::GetWindowLongW(form.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(form.GetKeyFocusControl(), &form);
  // With a focused control of the TAB order, the focus stays where it is.
  form.AddTABOrder(form.Button(L"Ok"));
  form.Button(L"Ok")->SetKBFocused(TRUE);
  other.BringToTop();
  form.BringToTop();
  EXPECT_EQ(form.GetKeyFocusControl(), form.Button(L"Ok"));
  other.DestroyWindow();
  form.DestroyWindow();
}

// A 1 x 1 icon file: one 32-bit image with its mask.
std::vector<BYTE> TinyIcon() {
  std::vector<BYTE> ico = {0, 0, 1, 0, 1, 0,                          // one icon
                           1, 1, 0, 0, 1, 0, 32, 0, 48, 0, 0, 0, 22, 0, 0, 0};  // 1x1, 48 bytes at 22
  const BYTE header[40] = {40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0};  // height doubled for the mask
  ico.insert(ico.end(), header, header + 40);
  const BYTE pixel[4] = {0, 0, 255, 255}, mask[4] = {0, 0, 0, 0};
  ico.insert(ico.end(), pixel, pixel + 4);
  ico.insert(ico.end(), mask, mask + 4);
  return ico;
}

TEST(FormTest, SetIconSendsTheProgramsIconResourceAndNothingForAMissingOne) {
  if (!InThemeFolder()) return;
  CWinApp app;
  app.m_hInstance = ::GetModuleHandleW(nullptr);
  const std::vector<BYTE> ico = TinyIcon();
  win32::AddIconResource(app.m_hInstance, 128, ico.data(), ico.size());
  Form form;
  ASSERT_EQ(form.Make(), 1);
  form.SetIcon(129, TRUE);
  EXPECT_EQ(form.SendMessage(WM_GETICON, ICON_BIG), 0);
  form.SetIcon(128, TRUE);
  EXPECT_NE(form.SendMessage(WM_GETICON, ICON_BIG), 0);
  EXPECT_EQ(form.SendMessage(WM_GETICON, ICON_SMALL), 0);
  form.DestroyWindow();
  win32::RemoveIconResources(app.m_hInstance);
}

TEST(FormTest, ThePointerTakesTheShapeOfTheControlUnderItUnlessTheFormSetsItsOwn) {
  if (!InThemeFolder()) return;
  Form form;
  ASSERT_EQ(form.Make(), 1);
  form.Button(L"Ok")->cursor = IDC_HAND;  // Cancel has none of its own
  auto moveTo = [&](int x, int y) {
    POINT at{x, y};
    ::ClientToScreen(form.m_hWnd, &at);
    Desktop::Get().MouseMove(at.x, at.y);
    Desktop::Get().PumpUntilIdle();
  };
  auto shows = [](LPCWSTR shape) { return ::GetCursor() == ::LoadCursorW(nullptr, shape); };
  // One move from the bare form straight onto a control gives the control's shape at once.
  const struct {
    CPoint at;
    LPCWSTR shape;
  } moves[] = {{{150, 80}, IDC_ARROW}, {{20, 20}, IDC_HAND}, {{70, 20}, IDC_ARROW}, {{30, 25}, IDC_HAND}};
  for (const auto& m : moves) {
    moveTo(m.at.x, m.at.y);
    EXPECT_TRUE(shows(m.shape)) << m.at.x << "," << m.at.y;
  }

  // The form's own cursor shows at once and over every control.
  EXPECT_EQ(form.SetGlobalCursor(IDC_WAIT), 1);
  EXPECT_TRUE(shows(IDC_WAIT));
  moveTo(22, 22);
  EXPECT_TRUE(shows(IDC_WAIT));
  EXPECT_EQ(form.SetGlobalCursor(IDC_WAIT), 1);  // the current one
  EXPECT_EQ(form.SetGlobalCursor(MakeCursorId(1234)), 0);  // no such cursor: the old one stays
  EXPECT_EQ(form.GetGlobalCursor(), IDC_WAIT);
  moveTo(24, 22);
  EXPECT_TRUE(shows(IDC_WAIT));
  // Given back: the arrow at once, the control's own at the next move.
  EXPECT_EQ(form.SetGlobalCursor(nullptr), 1);
  EXPECT_EQ(form.GetGlobalCursor(), nullptr);
  EXPECT_TRUE(shows(IDC_ARROW));
  moveTo(26, 22);
  EXPECT_TRUE(shows(IDC_HAND));

  // A capturing control decides wherever the pointer is.
  form.SetCaptureControl(form.Button(L"Ok"));
  moveTo(150, 80);
  EXPECT_TRUE(shows(IDC_HAND));
  form.SetCaptureControl(nullptr);
  moveTo(151, 80);
  EXPECT_TRUE(shows(IDC_ARROW));
  form.DestroyWindow();
}

}  // namespace
