// The tab control: its header strip, selection by mouse (with a veto) and by keys.
#include <gtest/gtest.h>

#include "ControlFixture.h"
#include "display/Desktop.h"
#include "ui/controls/UITabControl.h"
#include "ui/controls/UITabItem.h"
#include "ui/skin/UISkinManager.h"

namespace {

using display::Desktop;
using uitest::EventRecord;
using uitest::FixtureForm;
using Events = std::vector<EventRecord>;

std::string Skin(const std::string& placement) {
  return "<css><CUIForm><Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/></CUIForm>"
         "<CUITabControl><Tabs TabStripPlacement=\"" + placement +
         "\" ItemSize=\"80, 24\" TabPanelOffset=\"0, 0, 10, 0\" TabItemHeaderMargin=\"2, 3, 2, 0\"/>"
         "</CUITabControl><CUITabItem><Page/></CUITabItem></css>"
         "<ass><CUITabControl><Tabs Size=\"300, 150\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/></CUITabControl>"
         "<CUITabItem><Page DockStyle=\"fill\"/></CUITabItem></ass>";
}
const char kBuild[] =
    "<Fixture css=\"Win\"><Tabs type=\"CUITabControl\" css=\"Tabs\" ass=\"Tabs\">"
    "<P1 type=\"CUITabItem\" css=\"Page\" ass=\"Page\"/><P2 type=\"CUITabItem\" css=\"Page\" ass=\"Page\"/><P3 type=\"CUITabItem\" css=\"Page\" ass=\"Page\"/>"
    "</Tabs></Fixture>";

bool InSkinFolder(const std::string& placement) {
  if (!uitest::InProgramFolder(uitest::SkinTheme(Skin(placement), "", kBuild))) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

UI::CUITabItem* Page(FixtureForm& form, const wchar_t* id) { return form.Get<UI::CUITabItem>(id); }

struct Veto {
  int allow = 1;
  void Ask(UI::CUITabItem*, int& answer) { answer = allow; }
};

TEST(TabControlTest, TopStripHoldsTheHeadersSideBySideAndAClickSelectsAPage) {
  if (!InSkinFolder("top")) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 200), 1);
  auto* tabs = form.Get<UI::CUITabControl>(L"Tabs");
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->GetDataCount(), 3);
  tabs->SetSelected(1);
  form.ArrangeAllSubControls();
  EXPECT_EQ(tabs->GetTabPanel()->GetBounds(), CRect(10, 10, 310, 34));
  for (int i = 0; i < 3; ++i) {
    const CRect header = Page(form, i == 0 ? L"P1" : i == 1 ? L"P2" : L"P3")->GetHeader()->GetBounds();
    EXPECT_EQ(header, CRect(10 + 80 * i, 10, 90 + 80 * i, 34)) << i;
  }
  EXPECT_TRUE(Page(form, L"P1")->IsVisible());
  EXPECT_FALSE(Page(form, L"P2")->IsVisible());
  // The pages fill the rest below the strip.
  EXPECT_EQ(Page(form, L"P1")->GetBounds(), CRect(10, 34, 310, 160));
  form.TakeEvents();
  const CPoint second = Page(form, L"P2")->GetHeader()->GetBounds().CenterPoint();
  form.MoveTo(second.x, second.y);
  form.MoveTo(second.x + 1, second.y);
  form.Click(second.x + 1, second.y);
  EXPECT_EQ(tabs->GetSelectedItem(), Page(form, L"P2"));
  EXPECT_TRUE(Page(form, L"P2")->IsVisible());
  EXPECT_FALSE(Page(form, L"P1")->IsVisible());
  EXPECT_EQ(Page(form, L"P2")->GetHeader()->GetHeaderStatus(), UI::UITabItemHeaderSelected);
  const Events events = form.TakeEvents();
  EXPECT_EQ(std::count(events.begin(), events.end(), EventRecord{"Tabs", 2}), 1);
  EXPECT_EQ(std::count(events.begin(), events.end(), EventRecord{"Header", 5}), 1);
  // A vetoed click keeps the page and leaves the clicked header normal.
  Veto veto{0};
  tabs->SetBeforeChangeHandler(fastdelegate::MakeDelegate(&veto, &Veto::Ask));
  const CPoint third = Page(form, L"P3")->GetHeader()->GetBounds().CenterPoint();
  form.Click(third.x, third.y);
  EXPECT_EQ(tabs->GetSelectedItem(), Page(form, L"P2"));
  EXPECT_NE(Page(form, L"P3")->GetHeader()->GetHeaderStatus(), UI::UITabItemHeaderSelected);
  form.DestroyWindow();
}

TEST(TabControlTest, CtrlTabHomeAndEndMoveBetweenPagesAndWrap) {
  if (!InSkinFolder("Top")) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 200), 1);
  auto* tabs = form.Get<UI::CUITabControl>(L"Tabs");
  tabs->SetSelected(3);
  tabs->SetKBFocused(TRUE);
  const auto chord = [](std::initializer_list<UINT> held, UINT key) {
    for (UINT k : held) Desktop::Get().KeyDown(k);
    Desktop::Get().KeyPress(key);
    for (UINT k : held) Desktop::Get().KeyUp(k);
    Desktop::Get().PumpUntilIdle();
  };
  chord({VK_CONTROL}, VK_TAB);
  EXPECT_EQ(tabs->GetSelectedItemIndex(), 1);
  chord({VK_CONTROL, VK_SHIFT}, VK_TAB);
  EXPECT_EQ(tabs->GetSelectedItemIndex(), 3);
  form.Key(VK_HOME);
  EXPECT_EQ(tabs->GetSelectedItemIndex(), 1);
  form.Key(VK_END);
  EXPECT_EQ(tabs->GetSelectedItemIndex(), 3);
  // Emptying it releases strip, headers and pages and forgets the selected page.
  tabs->DeleteAlltems();
  EXPECT_EQ(tabs->GetSelectedItem(), nullptr);
  EXPECT_EQ(tabs->GetDataCount(), 0);
  form.DestroyWindow();
}

TEST(TabControlTest, TopRightStripEndsAtItsOffsetAndInsetsEachHeader) {
  if (!InSkinFolder("TR")) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 200), 1);
  form.ArrangeAllSubControls();
  // Last page's header first, from the strip's right edge less the offset of 10.
  EXPECT_EQ(Page(form, L"P3")->GetHeader()->GetBounds(), CRect(310 - 10 - 80 + 2, 13, 310 - 10 - 2, 34));
  EXPECT_EQ(Page(form, L"P2")->GetHeader()->GetBounds(), CRect(310 - 90 - 80 + 2, 13, 310 - 90 - 2, 34));
  form.DestroyWindow();
}

TEST(TabControlTest, TheBottomPlacementIgnoresLetterCase) {
  if (!InSkinFolder("bOtToM")) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 200), 1);
  form.ArrangeAllSubControls();
  EXPECT_EQ(form.Get<UI::CUITabControl>(L"Tabs")->GetTabPanel()->GetBounds(), CRect(10, 136, 310, 160));
  form.DestroyWindow();
}

}  // namespace
