// The scroll viewer with a content of a set size, in a fixture form with the
// shipped skin's scroll bars, driven by injected input on the headless desktop.
#include <gtest/gtest.h>

#include "ControlFixture.h"
#include "display/Desktop.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UIScrollContent.h"
#include "ui/controls/UIScrollViewer.h"
#include "ui/skin/UISkinManager.h"

namespace {

using display::Desktop;
using uitest::EventRecord;
using uitest::FixtureForm;

class SizedContent : public UI::CUIScrollContent {
 public:
  SizedContent() { m_strTypeName = L"SizedContent"; }
  void CalculateContentSize(CRect*, CSize* size) override { *size = m_content; }
  void OnScrollViewerLButtonDown(UINT, CPoint) override { ++m_downs; }
  CSize m_content{100, 100};
  int m_downs = 0;
};

UI::CUIControl* CreateSizedContent(CString name) { return name == L"SizedContent" ? new SizedContent : nullptr; }

// A viewer whose available area is 200 x 300 at (10, 10), beside the bars'
// 16 pixels; another without content.
const char kBuild[] =
    "<Fixture css=\"Win\">"
    "<Viewer type=\"CUIScrollViewer\" ass=\"Viewer\"><Content type=\"SizedContent\" ass=\"Content\"/></Viewer>"
    "<Bare type=\"CUIScrollViewer\" ass=\"Bare\"/>"
    "</Fixture>";
const char kLayouts[] =
    "<CUIScrollViewer><Viewer Size=\"216, 316\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/>"
    "<Bare Size=\"100, 100\" AnchorStyle=\"topleft\" Margin=\"250, 10, 0, 0\"/></CUIScrollViewer>";

bool InSkinFolder() {
  uitest::Files files = uitest::ShippedTheme(kBuild, kLayouts);
  std::string& skin = files["Theme/Default/Skin.xml"];
  skin.insert(skin.find("</CUIForm>"), "<Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/>");
  if (!uitest::InProgramFolder(files)) return false;
  UI::CUISkinManager* skins = UI::CUISkinManager::GetInstance();
  skins->InitSkinData();
  skins->RegisterObjectCreateor(&CreateSizedContent);
  return true;
}

struct Viewer {
  FixtureForm form;
  UI::CUIScrollViewer* viewer = nullptr;
  SizedContent* content = nullptr;

  bool Make(CSize size, UINT anchor = UI::AnchorTopLeft) {
    if (form.Make(400, 360) != 1) return false;
    viewer = form.Get<UI::CUIScrollViewer>(L"Viewer");
    content = form.Get<SizedContent>(L"Content");
    if (!viewer || !content) return false;
    content->m_content = size;
    content->SetAnchorStyle(static_cast<UI::AnchorStyle>(anchor));
    form.ArrangeAllSubControls();
    Desktop::Get().PumpUntilIdle();
    form.TakeEvents();
    return true;
  }
  void Wheel(int delta) {
    POINT at{60, 60};
    ::ClientToScreen(form.m_hWnd, &at);
    Desktop::Get().MouseMove(at.x, at.y);
    Desktop::Get().MouseWheel(delta, at.x, at.y);
    Desktop::Get().PumpUntilIdle();
  }
};

int Maximum(UI::CUIScrollBar* bar) {
  int minimum = 0;
  int maximum = 0;
  bar->GetRange(minimum, maximum);
  return maximum;
}

TEST(ScrollViewerTest, ATallContentShowsTheVerticalBarAndScrollsByPagesLinesAndTheWheel) {
  if (!InSkinFolder()) return;
  Viewer v;
  ASSERT_TRUE(v.Make(CSize(150, 500)));
  EXPECT_EQ(v.viewer->GetAvailableBounds(), CRect(10, 10, 210, 310));
  EXPECT_EQ(v.viewer->GetViewportSize(), CSize(200, 300));
  EXPECT_EQ(v.viewer->GetExtentSize(), CSize(150, 500));
  EXPECT_TRUE(v.viewer->IsVerScrollBarVisible());
  EXPECT_FALSE(v.viewer->IsHorScrollBarVisible());
  UI::CUIScrollBar* bar = v.viewer->GetVerScrollBar();
  EXPECT_EQ(Maximum(bar), 200);
  EXPECT_EQ(bar->GetPageSize(), CSize(0, 300));
  // The content is as wide as the area at least, moved by the offset.
  EXPECT_EQ(v.content->GetBounds(), CRect(10, 10, 210, 510));

  v.viewer->PageDown();
  EXPECT_EQ(v.viewer->GetOffset(), CPoint(0, 200));
  EXPECT_EQ(bar->GetValue(), 200);
  EXPECT_EQ(v.content->GetBounds(), CRect(10, -190, 210, 310));
  v.viewer->PageDown();
  EXPECT_EQ(v.viewer->GetOffset().y, 200);
  // Every arrangement tells the form; an unchanged offset arranges nothing.
  EXPECT_EQ(v.form.TakeEvents(), (std::vector<EventRecord>{{"Viewer", 2}}));

  v.Wheel(120);
  EXPECT_EQ(v.viewer->GetOffset().y, 160);
  v.Wheel(-120);
  v.Wheel(-120);
  EXPECT_EQ(v.viewer->GetOffset().y, 200);
  v.viewer->SetOffset(CPoint(50, -30));
  EXPECT_EQ(v.viewer->GetOffset(), CPoint(0, 0));
  v.form.DestroyWindow();
}

TEST(ScrollViewerTest, TheBarsArrowsAndThumbDragScrollTheViewer) {
  if (!InSkinFolder()) return;
  Viewer v;
  ASSERT_TRUE(v.Make(CSize(150, 500)));
  UI::CUIScrollBar* bar = v.viewer->GetVerScrollBar();
  ASSERT_NE(bar->GetSecondButton(), nullptr);
  EXPECT_EQ(bar->GetBounds(), CRect(210, 10, 226, 326));
  v.form.ClickOn(L"VSDownButton");
  EXPECT_EQ(v.viewer->GetOffset().y, 40);
  v.form.ClickOn(L"VSUpBotton");
  EXPECT_EQ(v.viewer->GetOffset().y, 0);
  // A click in the track below the thumb pages once, on release.
  const CRect thumb = bar->GetThumbRect();
  v.form.Click(218, thumb.bottom + 20);
  EXPECT_EQ(v.viewer->GetOffset().y, 200);
  // Dragging the thumb to the top of the track scrolls back to the start.
  const CPoint grip = bar->GetThumbRect().CenterPoint();
  v.form.Down(grip.x, grip.y);
  v.form.MoveTo(grip.x, 0);
  v.form.Up(grip.x, 0);
  EXPECT_EQ(v.viewer->GetOffset().y, 0);
  v.form.DestroyWindow();
}

TEST(ScrollViewerTest, AContentThatFitsShowsNoBarAndTheAreaLeavesRoomForHiddenBars) {
  if (!InSkinFolder()) return;
  Viewer v;
  ASSERT_TRUE(v.Make(CSize(200, 300)));
  EXPECT_FALSE(v.viewer->IsVerScrollBarVisible());
  EXPECT_FALSE(v.viewer->IsHorScrollBarVisible());
  EXPECT_EQ(v.viewer->GetViewportSize(), CSize(200, 300));
  EXPECT_EQ(v.viewer->CalculatePages(), CSize(1, 1));
  v.viewer->LineDown();
  v.viewer->PageRight();
  EXPECT_EQ(v.viewer->GetOffset(), CPoint(0, 0));
  v.form.DestroyWindow();
}

TEST(ScrollViewerTest, AWideContentScrollsSidewaysAndAShorterOneClampsTheOffset) {
  if (!InSkinFolder()) return;
  Viewer v;
  ASSERT_TRUE(v.Make(CSize(450, 100)));
  EXPECT_TRUE(v.viewer->IsHorScrollBarVisible());
  EXPECT_EQ(v.viewer->CalculatePages(), CSize(3, 1));
  EXPECT_EQ(Maximum(v.viewer->GetHorScrollBar()), 250);
  v.viewer->PageRight();
  v.viewer->LineRight();
  EXPECT_EQ(v.viewer->GetOffset().x, 240);
  EXPECT_EQ(v.content->GetBounds().left, 10 - 240);
  // The content shrinks: the next arrangement pulls the offset back into range.
  v.content->m_content = CSize(300, 100);
  v.viewer->ArrangeAllSubControls();
  EXPECT_EQ(v.viewer->GetOffset().x, 100);
  EXPECT_EQ(v.viewer->GetHorScrollBar()->GetValue(), 100);
  v.form.DestroyWindow();
}

// Centred content larger than the area starts at its left and top edges at
// offset 0; the other corners pin the content to theirs.
TEST(ScrollViewerTest, TheContentsLayoutCodePlacesItInTheArea) {
  if (!InSkinFolder()) return;
  const struct {
    UINT anchor;
    CSize size;
    CRect bounds;
  } cases[] = {
      {UI::AnchorCenter, CSize(100, 60), CRect(60, 130, 160, 190)},
      {UI::AnchorCenter, CSize(300, 500), CRect(10, 10, 310, 510)},
      {UI::AnchorTopRight, CSize(100, 60), CRect(110, 10, 210, 70)},
      {UI::AnchorBottomLeft, CSize(100, 60), CRect(10, 250, 110, 310)},
      {UI::AnchorBottomRight, CSize(100, 60), CRect(110, 250, 210, 310)},
  };
  for (const auto& c : cases) {
    Viewer v;
    ASSERT_TRUE(v.Make(c.size, c.anchor));
    EXPECT_EQ(v.content->GetBounds(), c.bounds) << c.anchor;
    v.form.DestroyWindow();
  }
}

TEST(ScrollViewerTest, ClicksReachTheContentAndAViewerWithoutContentHasNoBars) {
  if (!InSkinFolder()) return;
  Viewer v;
  ASSERT_TRUE(v.Make(CSize(150, 500)));
  v.form.Click(50, 50);
  EXPECT_EQ(v.content->m_downs, 1);
  auto* bare = v.form.Get<UI::CUIScrollViewer>(L"Bare");
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->GetScrollContent(), nullptr);
  EXPECT_EQ(bare->GetVerScrollBar(), nullptr);
  EXPECT_EQ(bare->GetChildCount(), 0);
  bare->ArrangeAllSubControls();
  bare->PageDown();
  bare->ThumbTrack();
  EXPECT_FALSE(bare->IsVerScrollBarVisible());
  v.form.DestroyWindow();
}

}  // namespace
