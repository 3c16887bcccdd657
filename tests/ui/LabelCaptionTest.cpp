// Labels (clickable text and hyperlinks) and the caption bar with its system
// buttons, on the headless desktop.
#include <gtest/gtest.h>

#include "ControlFixture.h"
#include "display/Desktop.h"
#include "ui/controls/LabelConfig.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UICaption.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UniscribeBuffer.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Launcher.h"

namespace {

using uitest::EventRecord;
using uitest::FixtureForm;
using Events = std::vector<EventRecord>;

const char kSkin[] =
    "<css><CUIForm><Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/></CUIForm>"
    "<CUILabel><Text SendEnterAndLeave=\"true\"><Font FontSize=\"12\"/></Text>"
    "<Link IsHyperLink=\"true\" URL=\"https://example.org/help\" TextAlign=\"1, 2\"/></CUILabel>"
    "<CUICaption><Cap/></CUICaption></css>"
    "<ass><CUICaption><Cap Size=\"0, 30\" DockStyle=\"caption\" Padding=\"2, 2, 2, 2\"/></CUICaption>"
    "<CUIButton><Close Size=\"20, 20\" AnchorStyle=\"topright\" Margin=\"0, 5, 5, 0\"/>"
    "<Max Size=\"20, 20\" AnchorStyle=\"topright\" Margin=\"0, 5, 30, 0\"/></CUIButton>"
    "<CUILabel><Text Size=\"80, 20\" AnchorStyle=\"topleft\" Margin=\"10, 50, 0, 0\"/>"
    "<Link Size=\"80, 20\" AnchorStyle=\"topleft\" Margin=\"100, 50, 0, 0\"/></CUILabel></ass>";
const char kBuild[] =
    "<Fixture css=\"Win\">"
    "<FormCaption type=\"CUICaption\" css=\"Cap\" ass=\"Cap\">"
    "<SysButtonClose type=\"CUIButton\" ass=\"Close\"/><SysButtonMax type=\"CUIButton\" ass=\"Max\"/></FormCaption>"
    "<Text type=\"CUILabel\" css=\"Text\" ass=\"Text\"/><Link type=\"CUILabel\" css=\"Link\" ass=\"Link\"/>"
    "</Fixture>";

bool InSkinFolder() {
  if (!uitest::InProgramFolder(uitest::SkinTheme(kSkin, "", kBuild))) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  win32::Launcher::SetMode(win32::Launcher::Mode::Record);
  return true;
}

TEST(LabelCaptionTest, ALabelClicksOnlyWhenPressedAndReleasedOnIt) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  auto* text = form.Get<UI::CUILabel>(L"Text");
  ASSERT_NE(text, nullptr);
  text->SetText(L"abc", FALSE);
  form.Click(20, 60);
  EXPECT_EQ(form.TakeEvents(), (Events{{"Text", 5}, {"Text", 1}}));
  form.Down(20, 60);
  form.MoveTo(250, 90);  // leaving clears the press
  form.Up(250, 90);
  EXPECT_EQ(form.TakeEvents(), (Events{{"Text", 6}}));
  // The height is the style font's as stored, whatever the glyphs measure.
  EXPECT_EQ(text->GetTextSize().cy, 12);
  // The width is measured even when no edit has bound the script library yet.
  UI::CUniscribeBuffer::UnloadUniscribe();
  const int abc = text->GetTextSize().cx;
  EXPECT_GT(abc, 0);
  text->SetText(L"abcabc", FALSE);
  EXPECT_GT(text->GetTextSize().cx, abc);
  dynamic_cast<UI::_LabelConfig*>(text->GetSkinConfig(CString()))->m_font.lfHeight = -14;
  EXPECT_EQ(text->GetTextSize().cy, 14);  // a character height counts by its magnitude
  text->SetText(L"", FALSE);
  EXPECT_EQ(text->GetTextSize(), CSize(0, 0));
  form.DestroyWindow();
}

TEST(LabelCaptionTest, AHyperlinkOpensItsAddressMaximised) {
  if (!InSkinFolder()) return;
  win32::Launcher::ClearRecorded();
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  auto* link = form.Get<UI::CUILabel>(L"Link");
  form.Click(110, 60);
  const auto launched = win32::Launcher::Recorded();
  ASSERT_EQ(launched.size(), 1u);
  // Straight to the address, or through the old browser when the registry names it.
  const std::wstring url = L"https://example.org/help";
  EXPECT_TRUE(launched[0].file == url || launched[0].parameters == url) << launched[0].file;
  EXPECT_EQ(launched[0].show, 3);
  EXPECT_EQ(form.TakeEvents(), (Events{{"Link", 1}}));
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_TRUE(link->OnSetCursor(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
  EXPECT_FALSE(form.Get<UI::CUILabel>(L"Text")->OnSetCursor(HTCLIENT, WM_MOUSEMOVE));

  auto* config = dynamic_cast<UI::_LabelConfig*>(link->GetSkinConfig(CString()));
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(config->m_nHorFormat, DT_CENTER);
  EXPECT_EQ(config->m_nVerFormat, DT_BOTTOM);
  link->SetAlignmentVer(1);  // stored as given, not read as a skin code
  EXPECT_EQ(config->m_nVerFormat, 1);
  link->SetEnabled(FALSE);
  form.Click(110, 60);
  EXPECT_EQ(win32::Launcher::Recorded().size(), 1u);
  form.DestroyWindow();
}

TEST(LabelCaptionTest, TheCaptionDragsOnlyWhereNoButtonIs) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  auto* caption = form.Get<UI::CUICaption>(L"FormCaption");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->GetBounds(), CRect(0, 0, 300, 30));
  EXPECT_EQ(caption->IsHitCaption(CPoint(100, 15)), 1);
  EXPECT_EQ(caption->IsHitCaption(CPoint(285, 15)), 2);  // the close button
  EXPECT_EQ(caption->IsHitCaption(CPoint(100, 1)), 0);   // the padding
  EXPECT_EQ(caption->IsHitCaption(CPoint(100, 50)), 0);
  POINT on{100, 15}, button{285, 15};
  ::ClientToScreen(form.m_hWnd, &on);
  ::ClientToScreen(form.m_hWnd, &button);
  EXPECT_EQ(::SendMessageW(form.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(on.x, on.y)), HTCAPTION);
  EXPECT_EQ(::SendMessageW(form.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(button.x, button.y)), HTCLIENT);
  caption->SetHitTransparent(TRUE);
  EXPECT_EQ(caption->IsHitCaption(CPoint(100, 15)), 0);
  form.DestroyWindow();
}

// Ends a modal form through its caption's close button from inside its loop.
struct CloseByButton {
  FixtureForm* form;
  void Run(UINT id) {
    form->UnRegisterTimerHandler(id);
    form->ClickOn(L"SysButtonClose");
  }
};

TEST(LabelCaptionTest, TheCloseButtonEndsAModalFormWithZero) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  CloseByButton closer{&form};
  form.RegisterTimerHandler(7, 1, fastdelegate::MakeDelegate(&closer, &CloseByButton::Run));
  EXPECT_EQ(form.DoModal(), 0);
  // The click went on to the form.
  const Events events = form.TakeEvents();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), (EventRecord{"SysButtonClose", 1}));
}

TEST(LabelCaptionTest, MaximisingSwapsMaxAndRestoreOnlyWhenBothExist) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  auto* caption = form.Get<UI::CUICaption>(L"FormCaption");
  EXPECT_FALSE(caption->IsMaximized());  // the first size message was not a maximise
  caption->OnSize(SIZE_MAXIMIZED);  // no restore button in this skin: nothing swaps
  EXPECT_TRUE(caption->IsMaximized());
  EXPECT_TRUE(form.FindControlRecusive(L"SysButtonMax")->IsVisible());

  auto* restore = new UI::CUIButton;
  restore->SetObjectID(L"SysButtonRestore");
  restore->SetVisible(FALSE);
  caption->RegisterControl(restore);
  caption->OnSize(SIZE_RESTORED);
  caption->OnSize(SIZE_MAXIMIZED);
  EXPECT_TRUE(restore->IsVisible());
  EXPECT_FALSE(form.FindControlRecusive(L"SysButtonMax")->IsVisible());
  caption->OnSize(SIZE_RESTORED);
  EXPECT_FALSE(restore->IsVisible());
  EXPECT_TRUE(form.FindControlRecusive(L"SysButtonMax")->IsVisible());
  form.DestroyWindow();
}

}  // namespace
