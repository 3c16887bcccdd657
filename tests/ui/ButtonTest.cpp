// Push buttons, check boxes and radio buttons driven by injected input.
#include <gtest/gtest.h>

#include <algorithm>

#include "ControlFixture.h"
#include "display/Desktop.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIRadioButton.h"
#include "ui/skin/UISkinManager.h"
#include "win32/ManualClock.h"

namespace {

using uitest::EventRecord;
using uitest::FixtureForm;
using Events = std::vector<EventRecord>;

const char kSkin[] =
    "<css><CUIForm><Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/></CUIForm>"
    "<CUIButton><Plain/><Rep IsRepeate=\"true\"/>"
    "<Shadow IsTextShadow=\"true\" ColorTextShadow=\"0, 0, 255\" TextHorAlign=\"1\" TextVerAlign=\"1\">"
    "<Font TextColor=\"255, 0, 0\" FontSize=\"16\" FontBold=\"true\"/></Shadow></CUIButton>"
    "<CUICheckBox><Box/></CUICheckBox><CUIRadioButton><Radio RadioMode=\"true\"/></CUIRadioButton></css>"
    "<ass><CUIButton><Ok Size=\"60, 24\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/>"
    "<Rep Size=\"60, 24\" AnchorStyle=\"topleft\" Margin=\"80, 10, 0, 0\"/></CUIButton>"
    "<CUICheckBox><Box Size=\"80, 20\" AnchorStyle=\"topleft\" Margin=\"10, 50, 0, 0\"/></CUICheckBox>"
    "<CUIRadioButton><R1 Size=\"60, 20\" AnchorStyle=\"topleft\" Margin=\"10, 80, 0, 0\"/>"
    "<R2 Size=\"60, 20\" AnchorStyle=\"topleft\" Margin=\"80, 80, 0, 0\"/>"
    "<R3 Size=\"60, 20\" AnchorStyle=\"topleft\" Margin=\"150, 80, 0, 0\"/></CUIRadioButton></ass>";
const char kBuild[] =
    "<Fixture css=\"Win\">"
    "<Ok type=\"CUIButton\" css=\"Shadow\" ass=\"Ok\"/><Rep type=\"CUIButton\" css=\"Rep\" ass=\"Rep\"/>"
    "<Box type=\"CUICheckBox\" css=\"Box\" ass=\"Box\"/>"
    "<R1 type=\"CUIRadioButton\" css=\"Radio\" ass=\"R1\"/><R2 type=\"CUIRadioButton\" css=\"Radio\" ass=\"R2\"/>"
    "<R3 type=\"CUIRadioButton\" css=\"Radio\" ass=\"R3\"/>"
    "</Fixture>";

bool InSkinFolder() {
  if (!uitest::InProgramFolder(uitest::SkinTheme(kSkin, "", kBuild))) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

TEST(ButtonTest, HoverPressAndReleaseClickTheButton) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  auto* ok = form.Get<UI::CUIButton>(L"Ok");
  ASSERT_NE(ok, nullptr);
  form.MoveTo(20, 20);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusFocus);
  form.Down(20, 20);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusPress);
  form.Up(20, 20);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusFocus);
  EXPECT_EQ(form.TakeEvents(), (Events{{"Ok", 5}, {"Ok", 1}}));
  form.MoveTo(250, 100);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusNormal);
  form.DestroyWindow();
}

TEST(ButtonTest, ReleasingOutsideThePressedButtonDoesNotClick) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  auto* ok = form.Get<UI::CUIButton>(L"Ok");
  form.Down(20, 20);
  form.MoveTo(250, 100);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusNormal);
  form.Up(250, 100);
  EXPECT_EQ(form.TakeEvents(), (Events{{"Ok", 5}}));
  // Nor does a press that began elsewhere and is released on the button.
  form.Down(250, 100);
  form.MoveTo(20, 20);
  form.Up(20, 20);
  const Events events = form.TakeEvents();
  EXPECT_EQ(std::count(events.begin(), events.end(), EventRecord{"Ok", 1}), 0);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusFocus);
  form.DestroyWindow();
}

TEST(ButtonTest, EnterClicksTheFocusedButtonWhereverThePointerIs) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  auto* ok = form.Get<UI::CUIButton>(L"Ok");
  ok->SetKBFocused(TRUE);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusKBFocus);
  EXPECT_EQ(form.GetKeyFocusControl(), ok);
  form.Key(VK_RETURN);
  EXPECT_EQ(form.TakeEvents(), (Events{{"Ok", 1}}));
  // Hovering and leaving return to the keyboard-focus look.
  form.MoveTo(20, 20);
  form.MoveTo(250, 100);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusKBFocus);
  form.DestroyWindow();
}

TEST(ButtonTest, ADisabledButtonTakesNoInputAndReportsNothing) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  auto* ok = form.Get<UI::CUIButton>(L"Ok");
  ok->SetEnabled(FALSE);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusDisable);
  EXPECT_FALSE(ok->OnMouseMessage(WM_LBUTTONDOWN, 0, CPoint(20, 20)));  // left to its parent
  form.Click(20, 20);
  ok->OnClick();
  EXPECT_TRUE(form.TakeEvents().empty());
  ok->SetEnabled(TRUE);
  EXPECT_EQ(ok->GetButtonStatus(), UI::UIButtonStatusNormal);
  form.DestroyWindow();
}

TEST(ButtonTest, TheBackgroundColourIsOpaqueAndInsetByOnePixel) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  EXPECT_EQ(form.At(11, 11), 0xFFFFFFFFu);  // "Plain" has no background
  form.Get<UI::CUIButton>(L"Ok")->SetBKColor(0x000000);
  form.Refresh(FALSE, nullptr);
  EXPECT_EQ(form.At(11, 11), 0xFF000000u);
  EXPECT_EQ(form.At(68, 32), 0xFF000000u);
  EXPECT_EQ(form.At(10, 10), 0xFFFFFFFFu);
  EXPECT_EQ(form.At(69, 33), 0xFFFFFFFFu);
  form.DestroyWindow();
}

// Counts the pixels in a control's bounds, as the window shows them, whose
// colour is within 60 of `colour` in each channel (text edges are smoothed).
int CountIn(FixtureForm& form, const wchar_t* id, COLORREF colour) {
  display::Desktop::Get().PumpUntilIdle();
  const display::Pixels shown = display::Desktop::Get().CaptureWindow(form.m_hWnd);
  const CRect b = form.BoundsOf(id);
  auto near = [](int a, int b) { return a > b - 60 && a < b + 60; };
  int count = 0;
  for (int y = b.top; y < b.bottom; ++y) {
    for (int x = b.left; x < b.right; ++x) {
      const COLORREF c = shown.At(x, y);
      count += near(GetRValue(c), GetRValue(colour)) && near(GetGValue(c), GetGValue(colour)) &&
               near(GetBValue(c), GetBValue(colour));
    }
  }
  return count;
}

TEST(ButtonTest, TheTextShadowShowsOutsideTheNormalLookAndDisabledTextIsGrey) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  auto* ok = form.Get<UI::CUIButton>(L"Ok");
  ok->SetText(L"OK", FALSE);
  ok->Refresh(FALSE, nullptr);
  EXPECT_GT(CountIn(form, L"Ok", RGB(255, 0, 0)), 0);
  EXPECT_EQ(CountIn(form, L"Ok", RGB(0, 0, 255)), 0);  // no shadow while normal
  form.MoveTo(20, 20);
  // The focus colour defaults to the text colour; the shadow one pixel right and down.
  EXPECT_GT(CountIn(form, L"Ok", RGB(255, 0, 0)), 0);
  EXPECT_GT(CountIn(form, L"Ok", RGB(0, 0, 255)), 0);
  form.MoveTo(250, 100);
  ok->SetEnabled(FALSE);
  ok->Refresh(FALSE, nullptr);
  EXPECT_GT(CountIn(form, L"Ok", RGB(160, 160, 160)), 0);
  EXPECT_EQ(CountIn(form, L"Ok", RGB(255, 0, 0)), 0);
  form.DestroyWindow();
}

// A repeating button held still clicks after the keyboard delay, then at the
// keyboard rate, and once more on release.
TEST(ButtonTest, AHeldRepeatingButtonClicksAtTheKeyboardRate) {
  if (!InSkinFolder()) return;
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  ASSERT_TRUE(::SystemParametersInfoW(SPI_SETKEYBOARDDELAY, 3, nullptr, 0));  // 1000 ms
  ASSERT_TRUE(::SystemParametersInfoW(SPI_SETKEYBOARDSPEED, 31, nullptr, 0));  // 33 ms
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  auto* rep = form.Get<UI::CUIButton>(L"Rep");
  auto clicks = [&form] {
    int n = 0;
    for (const EventRecord& e : form.TakeEvents()) n += e.id == 1;
    return n;
  };
  form.Down(100, 20);
  EXPECT_EQ(rep->GetRepeatPhase(), 1);
  clock.Advance(999);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(clicks(), 0);
  clock.Advance(1);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(clicks(), 1);
  EXPECT_EQ(rep->GetRepeatPhase(), 2);
  for (int i = 0; i < 3; ++i) {
    clock.Advance(33);
    display::Desktop::Get().PumpUntilIdle();
  }
  EXPECT_EQ(clicks(), 3);
  form.Up(100, 20);
  EXPECT_EQ(clicks(), 1);
  EXPECT_EQ(rep->GetRepeatPhase(), 0);

  // Moving off while held stops the repeat at the next tick.
  form.Down(100, 20);
  clock.Advance(1000);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(clicks(), 1);
  form.MoveTo(250, 100);
  clock.Advance(33);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(rep->GetRepeatPhase(), 0);
  clock.Advance(330);
  display::Desktop::Get().PumpUntilIdle();
  form.Up(250, 100);
  EXPECT_EQ(clicks(), 0);
  form.DestroyWindow();
}

// --- check box and radio button ---------------------------------------------

TEST(ButtonTest, ACheckBoxTogglesOnClickAndSpace) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  auto* box = form.Get<UI::CUICheckBox>(L"Box");
  ASSERT_NE(box, nullptr);
  form.MoveTo(20, 60);
  EXPECT_EQ(box->GetCheckBoxStatus(), UI::UncheckHover);
  form.Down(20, 60);
  EXPECT_EQ(box->GetCheckBoxStatus(), UI::UncheckPress);
  form.Up(20, 60);
  EXPECT_EQ(box->GetCheckBoxStatus(), UI::CheckHover);
  EXPECT_EQ(form.TakeEvents(), (Events{{"Box", 5}, {"Box", 2}, {"Box", 1}}));
  form.MoveTo(250, 110);
  EXPECT_EQ(box->GetCheckBoxStatus(), UI::CheckNormal);
  EXPECT_EQ(form.TakeEvents(), (Events{{"Box", 6}}));

  box->SetKBFocused(TRUE);
  form.Key(VK_SPACE);
  EXPECT_FALSE(box->IsChecked());
  EXPECT_EQ(form.TakeEvents(), (Events{{"Box", 2}}));
  box->SetVisible(FALSE);  // a hidden box takes no key
  EXPECT_FALSE(box->OnKeyMessage(WM_KEYDOWN, VK_SPACE, 1, 0));
  box->SetVisible(TRUE);
  box->SetEnabled(FALSE);
  EXPECT_FALSE(box->OnKeyMessage(WM_KEYDOWN, VK_SPACE, 1, 0));
  EXPECT_FALSE(box->IsChecked());
  form.DestroyWindow();
}

TEST(ButtonTest, SettingTheStateAlwaysReportsAndFollowsEnabling) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  auto* box = form.Get<UI::CUICheckBox>(L"Box");
  box->SetChecked(0, 0);  // unchanged, still reported
  EXPECT_EQ(form.TakeEvents(), (Events{{"Box", 2}}));
  box->SetEnabled(FALSE);
  box->SetChecked(1, 0);
  EXPECT_EQ(box->GetCheckBoxStatus(), UI::CheckDisable);
  EXPECT_TRUE(box->IsChecked());
  EXPECT_TRUE(form.TakeEvents().empty());
  form.Click(20, 60);  // disabled: no toggle
  EXPECT_EQ(box->GetCheckBoxStatus(), UI::CheckDisable);
  box->SetEnabled(TRUE);
  EXPECT_EQ(box->GetCheckBoxStatus(), UI::CheckNormal);
  form.DestroyWindow();
}

TEST(ButtonTest, ARadioClickSelectsItAndClearsTheRestOfTheGroup) {
  if (!InSkinFolder()) return;
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 120), 1);
  auto* r1 = form.Get<UI::CUIRadioButton>(L"R1");
  auto* r2 = form.Get<UI::CUIRadioButton>(L"R2");
  auto* r3 = form.Get<UI::CUIRadioButton>(L"R3");
  ASSERT_TRUE(r1 && r2 && r3);
  EXPECT_EQ(r1->GetGroupItemByIndex(0), nullptr);  // no group yet
  r1->SetGroupHelper(r1);
  r2->SetGroupHelper(r1);
  r3->SetGroupHelper(r1);
  r1->SetChecked(1, 0);
  form.TakeEvents();

  for (int round = 0; round < 2; ++round) {  // the second click selects the selected one again
    clock.Advance(1000);  // not a double click
    form.Down(160, 90);
    form.Up(160, 90);
    EXPECT_TRUE(r3->IsChecked());
    EXPECT_FALSE(r1->IsChecked());
    EXPECT_FALSE(r2->IsChecked());
    std::vector<EventRecord> events = form.TakeEvents();
    if (round == 0) events.erase(events.begin());  // the pointer entering
    EXPECT_EQ(events, (Events{{"R3", 2}, {"R1", 2}, {"R2", 2}, {"R3", 1}})) << "round " << round;
  }
  EXPECT_EQ(r2->GetGroupCheckedItem(), r3);
  EXPECT_EQ(r1->GetGroupCheckedItemIndex(), 2);
  EXPECT_EQ(r1->GetGroupItemByIndex(-1), nullptr);
  EXPECT_EQ(r1->GetGroupItemByIndex(3), nullptr);
  EXPECT_EQ(r1->GetGroupItemByIndex(1), r2);

  r2->SetEnabled(FALSE);  // a disabled member is cleared without a report
  r1->SetGroupRadioStatus(1);
  EXPECT_EQ(r2->GetCheckBoxStatus(), UI::UncheckDisable);
  EXPECT_EQ(form.TakeEvents(), (Events{{"R1", 2}, {"R3", 2}}));
  form.DestroyWindow();
}

}  // namespace
