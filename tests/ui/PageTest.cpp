// Pages chained by the skin or by code, moved by their buttons, with vetoes.
#include <gtest/gtest.h>

#include "ControlFixture.h"
#include "ui/controls/UIPage.h"
#include "ui/skin/UISkinManager.h"

namespace {

using uitest::EventRecord;
using uitest::FixtureForm;

const char kSkin[] =
    "<css><CUIForm><Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/></CUIForm><CUIPage>"
    "<First DefaultVisiblity=\"true\" NextPageID=\"Second\" NextPageButtonID=\"Next\"/>"
    "<Second PrevPageID=\"first\" PrevPageButtonID=\"Back\" NextPageID=\"Plain\" NextPageButtonID=\"Next\"/>"
    "</CUIPage></css>"
    "<ass><CUIButton><Go Size=\"40, 20\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/>"
    "<Other Size=\"40, 20\" AnchorStyle=\"topleft\" Margin=\"60, 10, 0, 0\"/>"
    "<Back Size=\"40, 20\" AnchorStyle=\"topleft\" Margin=\"110, 10, 0, 0\"/></CUIButton>"
    "<CUIPage><Page DockStyle=\"fill\"/></CUIPage></ass>";
const char kBuild[] =
    "<Fixture css=\"Win\">"
    "<First type=\"CUIPage\" css=\"First\" ass=\"Page\">"
    "<Next type=\"CUIButton\" ass=\"Go\"/><Other type=\"CUIButton\" ass=\"Other\"/></First>"
    "<Second type=\"CUIPage\" css=\"Second\" ass=\"Page\">"
    "<Next type=\"CUIButton\" ass=\"Go\"/><Back type=\"CUIButton\" ass=\"Back\"/></Second>"
    "<Plain type=\"CUIControl\" Visible=\"false\"/>"
    "<Third type=\"CUIPage\" ass=\"Page\"/>"
    "</Fixture>";

bool InSkinFolder() {
  if (!uitest::InProgramFolder(uitest::SkinTheme(kSkin, "", kBuild))) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

// A handler that answers with a fixed value and counts its calls.
struct Gate {
  int answer = 1;
  int calls = 0;
  void Ask(UI::CUIPage*, int& allow) {
    ++calls;
    allow = answer;
  }
};

TEST(PageTest, TheNextButtonMovesToTheSkinsNextPage) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  auto* first = form.Get<UI::CUIPage>(L"First");
  auto* second = form.Get<UI::CUIPage>(L"Second");
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(first->IsVisible());
  EXPECT_FALSE(second->IsVisible());
  EXPECT_FALSE(form.Get<UI::CUIPage>(L"Third")->IsVisible());  // no style: stays hidden

  form.ClickOn(L"Other");  // any other click reaches the page and goes on
  EXPECT_TRUE(first->IsVisible());
  EXPECT_EQ(form.TakeEvents(), (std::vector<EventRecord>{{"Other", 5}, {"Other", 1}}));

  form.Click(30, 20);
  EXPECT_FALSE(first->IsVisible());
  EXPECT_TRUE(second->IsVisible());
  EXPECT_EQ(first->GetNextPage(), second);
  // The page change, then the click going on to the form.
  EXPECT_EQ(form.TakeEvents(), (std::vector<EventRecord>{{"Next", 5}, {"First", 2}, {"Next", 1}}));

  form.ClickOn(L"Back");  // the previous page's ID is matched without regard to case
  EXPECT_TRUE(first->IsVisible());
  EXPECT_FALSE(second->IsVisible());
  form.DestroyWindow();
}

TEST(PageTest, TheHandlerDecidesEveryMove) {
  if (!InSkinFolder()) return;
  const struct {
    const char* name;
    int answer;
    bool withHandler;
    bool moves;
  } cases[] = {{"allow left at 0 vetoes", 0, true, false},
               {"allow set to 2 vetoes", 2, true, false},
               {"allow set to 1 moves", 1, true, true},
               {"no handler moves", 0, false, true}};
  for (const auto& c : cases) {
    FixtureForm form;
    ASSERT_EQ(form.Make(300, 100), 1);
    auto* first = form.Get<UI::CUIPage>(L"First");
    Gate gate{c.answer};
    if (c.withHandler) first->SetBeforChangeNextPageHandler(fastdelegate::MakeDelegate(&gate, &Gate::Ask));
    first->ChangeToNextPage();
    EXPECT_EQ(form.Get<UI::CUIPage>(L"Second")->IsVisible(), c.moves) << c.name;
    EXPECT_EQ(first->IsVisible(), !c.moves) << c.name;
    EXPECT_EQ(gate.calls, c.withHandler ? 1 : 0) << c.name;
    form.DestroyWindow();
  }
}

TEST(PageTest, WithoutATargetTheHandlerIsAskedAndNothingMoves) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  auto* second = form.Get<UI::CUIPage>(L"Second");
  Gate gate;
  second->SetBeforChangePrePageHandler(fastdelegate::MakeDelegate(&gate, &Gate::Ask));
  auto* third = form.Get<UI::CUIPage>(L"Third");
  third->SetBeforChangeNextPageHandler(fastdelegate::MakeDelegate(&gate, &Gate::Ask));
  third->SetVisible(TRUE);
  third->ChangeToNextPage();  // no style, no page set
  EXPECT_EQ(gate.calls, 1);
  EXPECT_TRUE(third->IsVisible());
  form.DestroyWindow();
}

TEST(PageTest, ANonPageTargetIsOnlyShown) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  auto* second = form.Get<UI::CUIPage>(L"Second");
  second->SetVisible(TRUE);
  form.Get<UI::CUIPage>(L"First")->SetVisible(FALSE);
  form.TakeEvents();
  second->ChangeToNextPage();  // "Plain" is a bare control
  EXPECT_EQ(second->GetNextPage(), nullptr);
  EXPECT_TRUE(form.FindControlRecusive(L"Plain")->IsVisible());
  EXPECT_FALSE(second->IsVisible());
  EXPECT_EQ(form.TakeEvents(), (std::vector<EventRecord>{{"Second", 2}}));
  form.DestroyWindow();
}

TEST(PageTest, APageSetByCodeWinsOverTheSkin) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  auto* first = form.Get<UI::CUIPage>(L"First");
  auto* third = form.Get<UI::CUIPage>(L"Third");
  first->SetNextPage(third);
  form.Click(30, 20);
  EXPECT_TRUE(third->IsVisible());
  EXPECT_FALSE(form.Get<UI::CUIPage>(L"Second")->IsVisible());
  form.DestroyWindow();
}

TEST(PageTest, ADisabledPageMovesWithoutTellingItsAncestors) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(300, 100), 1);
  auto* first = form.Get<UI::CUIPage>(L"First");
  first->SetEnabled(FALSE);
  form.TakeEvents();
  first->ChangeToNextPage();
  EXPECT_TRUE(form.Get<UI::CUIPage>(L"Second")->IsVisible());
  EXPECT_TRUE(form.TakeEvents().empty());
  form.DestroyWindow();
}

TEST(PageTest, APageOutsideAWindowDoesNotMove) {
  UI::CUIPage lone;
  UI::CUIPage next;
  lone.SetNextPage(&next);
  lone.SetVisible(TRUE);
  lone.ChangeToNextPage();
  EXPECT_TRUE(lone.IsVisible());
  EXPECT_FALSE(next.IsVisible());
}

}  // namespace
