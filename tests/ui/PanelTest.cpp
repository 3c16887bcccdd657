// The layout panels: dock, stack and wrap arrangements by layout numbers, the
// split panel dragged by injected input, and the panel's background.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlFixture.h"
#include "ui/controls/PanelConfig.h"
#include "ui/controls/UIDockPanel.h"
#include "ui/controls/UISplitPanel.h"
#include "ui/controls/UIStackPanel.h"
#include "ui/controls/UIWrapPanel.h"
#include "ui/skin/SkinReader.h"
#include "ui/skin/UISkinManager.h"

namespace {

using UI::CUIControl;

struct Child {
  Child(CSize s, unsigned int c = UI::AnchorNone, CRect m = CRect()) : size(s), code(c), margin(m) {}
  CSize size;
  unsigned int code;
  CRect margin;
};

// A panel of the given class arranged over `bounds` with its style record and children.
template <typename Panel>
std::vector<CRect> Arrange(UI::_SkinConfig& config, const CRect& bounds, const std::vector<Child>& children,
                           const CRect& padding = CRect()) {
  Panel panel;
  panel.SetSkinConfig(&config);
  panel.SetBounds(bounds);
  panel.SetPadding(padding);
  for (const Child& c : children) {
    auto* child = new CUIControl;
    child->SetSize(c.size);
    child->SetAnchorStyle(static_cast<UI::AnchorStyle>(c.code));
    child->SetMargin(c.margin);
    panel.RegisterControl(child);
  }
  panel.ArrangeAllSubControls();
  std::vector<CRect> placed;
  for (int i = 0; i < panel.GetChildCount(); ++i) placed.push_back(panel.GetChild(i)->GetBounds());
  return placed;
}

struct DockCase {
  const char* name;
  int lastChildFill;
  CRect bounds;
  std::vector<Child> children;
  std::vector<CRect> expected;
};

TEST(PanelTest, DockPanelStacksChildrenAgainstItsEdges) {
  const DockCase cases[] = {
      {"top, left, then the last fills the rest", 1, CRect(0, 0, 200, 100),
       {{CSize(0, 20), UI::DockTop}, {CSize(50, 0), UI::DockLeft}, {CSize(0, 0), UI::DockFill}},
       {CRect(0, 0, 200, 20), CRect(0, 20, 50, 100), CRect(50, 20, 200, 100)}},
      {"without the fill flag the last one docks too", 0, CRect(0, 0, 200, 100),
       {{CSize(0, 20), UI::DockTop}, {CSize(30, 0), UI::DockRight}},
       {CRect(0, 0, 200, 20), CRect(170, 20, 200, 100)}},
      {"fill before the end docks left", 1, CRect(0, 0, 200, 100),
       {{CSize(40, 0), UI::DockFill}, {CSize(0, 0), UI::AnchorNone}},
       {CRect(0, 0, 40, 100), CRect(40, 0, 200, 100)}},
      {"bottom and right count from the far edges", 0, CRect(10, 10, 110, 60),
       {{CSize(0, 10), UI::DockBottom}, {CSize(20, 0), UI::DockRight}},
       {CRect(10, 50, 110, 60), CRect(90, 10, 110, 50)}},
      {"a side wider than the content is clamped at the window's origin", 0, CRect(10, 10, 60, 60),
       {{CSize(100, 0), UI::DockRight}}, {CRect(0, 10, 100, 60)}},
      {"used-up space leaves an empty rectangle", 1, CRect(0, 0, 100, 50),
       {{CSize(120, 0), UI::DockLeft}, {CSize(0, 0), UI::AnchorNone}},
       {CRect(0, 0, 120, 50), CRect(120, 0, 120, 50)}},
  };
  for (const DockCase& c : cases) {
    UI::_DockPanelConfig config;
    config.m_bLastChildFill = c.lastChildFill;
    EXPECT_EQ(Arrange<UI::CUIDockPanel>(config, c.bounds, c.children), c.expected) << c.name;
  }
}

struct StackCase {
  const char* name;
  int orientation;
  CRect bounds;
  std::vector<Child> children;
  std::vector<CRect> expected;
};

TEST(PanelTest, StackPanelLinesChildrenUpCentredAcrossTheLine) {
  const StackCase cases[] = {
      {"vertical column centred", UI::OrientationVertical, CRect(0, 0, 100, 300),
       {{CSize(40, 30)}, {CSize(20, 10)}}, {CRect(30, 0, 70, 30), CRect(40, 30, 60, 40)}},
      {"an odd width loses its last pixel", UI::OrientationVertical, CRect(0, 0, 100, 300),
       {{CSize(41, 30)}}, {CRect(30, 0, 70, 30)}},
      {"horizontal row with margins", UI::OrientationHorizontal, CRect(0, 0, 300, 40),
       {{CSize(50, 20), 0, CRect(5, 0, 10, 0)}, {CSize(30, 10), 0, CRect(0, 2, 0, 0)}},
       {CRect(5, 10, 55, 30), CRect(65, 17, 95, 27)}},
      {"no height spans the line, the far margin outward", UI::OrientationHorizontal, CRect(0, 0, 300, 40),
       {{CSize(50, 0), 0, CRect(0, 3, 0, 4)}}, {CRect(0, 3, 50, 44)}},
      {"children run past the end", UI::OrientationHorizontal, CRect(0, 0, 60, 20),
       {{CSize(50, 20)}, {CSize(50, 20)}}, {CRect(0, 0, 50, 20), CRect(50, 0, 100, 20)}},
  };
  for (const StackCase& c : cases) {
    UI::_StackPanelConfig config;
    config.m_nOrientation = c.orientation;
    EXPECT_EQ(Arrange<UI::CUIStackPanel>(config, c.bounds, c.children), c.expected) << c.name;
  }
}

struct WrapCase {
  const char* name;
  int orientation;
  CSize itemSize;
  CRect bounds;
  std::vector<Child> children;
  std::vector<CRect> expected;
};

TEST(PanelTest, WrapPanelStartsANewLineWhenTheNextChildWouldNotFit) {
  const WrapCase cases[] = {
      {"rows as tall as their tallest child", UI::OrientationHorizontal, CSize(0, 0), CRect(0, 0, 100, 200),
       {{CSize(40, 10)}, {CSize(40, 30)}, {CSize(40, 20)}},
       {CRect(0, 0, 40, 30), CRect(40, 0, 80, 30), CRect(0, 30, 40, 50)}},
      {"the item size replaces the children's", UI::OrientationHorizontal, CSize(30, 12), CRect(5, 5, 75, 100),
       {{CSize(10, 10)}, {CSize(10, 10)}, {CSize(10, 10)}},
       {CRect(5, 5, 35, 17), CRect(35, 5, 65, 17), CRect(5, 17, 35, 29)}},
      {"a child wider than the panel stands alone", UI::OrientationHorizontal, CSize(0, 0), CRect(0, 0, 100, 200),
       {{CSize(150, 10)}, {CSize(20, 10)}}, {CRect(0, 0, 150, 10), CRect(0, 10, 20, 20)}},
      {"columns when vertical", UI::OrientationVertical, CSize(0, 0), CRect(0, 0, 100, 50),
       {{CSize(10, 30)}, {CSize(20, 30)}}, {CRect(0, 0, 10, 30), CRect(10, 0, 30, 30)}},
  };
  for (const WrapCase& c : cases) {
    UI::_WrapPanelConfig config;
    config.m_nOrientation = c.orientation;
    config.m_itemSize = c.itemSize;
    EXPECT_EQ(Arrange<UI::CUIWrapPanel>(config, c.bounds, c.children), c.expected) << c.name;
  }
}

TEST(PanelTest, PanelsWithoutStyleOrContentLeaveTheirChildrenAlone) {
  UI::CUIStackPanel panel;  // no style record
  panel.SetBounds(CRect(0, 0, 100, 100));
  auto* child = new CUIControl;
  child->SetSize(10, 10);
  child->SetBounds(CRect(1, 2, 3, 4));
  panel.RegisterControl(child);
  panel.ArrangeAllSubControls();
  EXPECT_EQ(child->GetBounds(), CRect(1, 2, 3, 4));

  UI::_StackPanelConfig config;
  panel.SetSkinConfig(&config);
  panel.SetPadding(50, 0, 50, 0);  // the padding eats the whole width
  panel.ArrangeAllSubControls();
  EXPECT_EQ(child->GetBounds(), CRect(1, 2, 3, 4));
  panel.SetPadding(0, 0, 0, 0);
  panel.ArrangeAllSubControls();
  EXPECT_EQ(child->GetBounds(), CRect(0, 45, 10, 55));
}

TEST(PanelTest, OrientationIsAWordOfTheSkin) {
  const struct {
    const char* attribute;
    int expected;
  } cases[] = {{"Orientation=\"Vertical\"", 1}, {"Orientation=\"ver\"", 1}, {"Orientation=\"Hor\"", 0},
               {"Orientation=\"sideways\"", 0}, {"", 1}};
  for (const auto& c : cases) {
    uitest::XmlText xml(std::string("<S ") + c.attribute + " IsLastChildFill=\"false\"/>");
    UI::CSkinReader reader(xml.Path(L"S"));
    UI::_StackPanelConfig stack;
    stack.m_nOrientation = UI::OrientationVertical;  // an absent attribute keeps it
    stack.Read(&reader);
    EXPECT_EQ(stack.m_nOrientation, c.expected) << c.attribute;
  }
  uitest::XmlText xml("<S IsLastChildFill=\"false\" BkColor=\"1, 2, 3\"/>");
  UI::CSkinReader reader(xml.Path(L"S"));
  UI::_DockPanelConfig dock;
  dock.Read(&reader);
  std::unique_ptr<UI::_SkinConfig, void (*)(UI::_SkinConfig*)> clone(dock.Clone(),
                                                                        [](UI::_SkinConfig* c) { c->Release(); });
  auto* copy = dynamic_cast<UI::_DockPanelConfig*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->m_bLastChildFill, 0);
  EXPECT_EQ(copy->m_bkColor, 0xFF010203u);
}

// --- built from a skin --------------------------------------------------------

const char kSkin[] =
    "<css><CUIForm><Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/></CUIForm>"
    "<CUIPanel><Back BkColor=\"0, 0, 255\"/></CUIPanel>"
    "<CUISplitPanel><Split OriFirSubConPixel=\"100\" MinFirSubConPixel=\"50\" MaxFirSubConPixel=\"300\"/>"
    "<Stacked IsHorz=\"false\" OriFirSubConPixel=\"40\" MinFirSubConPixel=\"20\" MaxFirSubConPixel=\"80\"/></CUISplitPanel></css>"
    "<ass><CUIButton><Behind Size=\"100, 50\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/></CUIButton>"
    "<CUIPanel><Back Size=\"100, 50\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/></CUIPanel>"
    "<CUISplitPanel><Split Size=\"400, 100\" AnchorStyle=\"topleft\" Margin=\"0, 100, 0, 0\"/>"
    "<Stacked Size=\"100, 200\" AnchorStyle=\"topleft\" Margin=\"500, 0, 0, 0\"/></CUISplitPanel>"
    "<CUIControl><Pane DockStyle=\"fill\"/></CUIControl></ass>";
const char kBuild[] =
    "<Fixture css=\"Win\">"
    "<Behind type=\"CUIButton\" ass=\"Behind\"/>"
    "<Back type=\"CUIPanel\" css=\"Back\" ass=\"Back\"/>"
    "<Split type=\"CUISplitPanel\" css=\"Split\" ass=\"Split\">"
    "<First type=\"CUIControl\" ass=\"Pane\"/><Second type=\"CUIControl\" ass=\"Pane\"/></Split>"
    "<Stacked type=\"CUISplitPanel\" css=\"Stacked\" ass=\"Stacked\">"
    "<Top type=\"CUIControl\" ass=\"Pane\"/><Bottom type=\"CUIControl\" ass=\"Pane\"/></Stacked>"
    "</Fixture>";

bool InSkinFolder() {
  if (!uitest::InProgramFolder(uitest::SkinTheme(kSkin, "", kBuild))) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

TEST(PanelTest, APanelDrawsItsBackgroundAndLetsClicksThrough) {
  if (!InSkinFolder()) return;
  uitest::FixtureForm form;
  ASSERT_EQ(form.Make(640, 240), 1);
  EXPECT_EQ(form.BoundsOf(L"Back"), CRect(10, 10, 110, 60));
  EXPECT_EQ(form.At(50, 30), 0xFF0000FFu);
  EXPECT_EQ(form.At(5, 5), 0xFFFFFFFFu);
  // The bare panel is not hit: the button behind it is.
  EXPECT_EQ(form.FindControlUnderPoint(CPoint(50, 30)), form.FindControlRecusive(L"Behind"));
  form.DestroyWindow();
}

TEST(PanelTest, TheSplitBarIsDraggedWithinItsRange) {
  if (!InSkinFolder()) return;
  uitest::FixtureForm form;
  ASSERT_EQ(form.Make(640, 240), 1);
  auto* split = form.Get<UI::CUISplitPanel>(L"Split");
  ASSERT_NE(split, nullptr);
  EXPECT_EQ(split->GetThumbRect(), CRect(100, 100, 110, 200));
  EXPECT_EQ(form.BoundsOf(L"First"), CRect(0, 100, 100, 200));
  EXPECT_EQ(form.BoundsOf(L"Second"), CRect(100, 100, 400, 200));  // under the bar's 10 pixels
  EXPECT_EQ(form.FindControlUnderPoint(CPoint(105, 150)), split);

  auto shows = [](LPCWSTR shape) { return ::GetCursor() == ::LoadCursorW(nullptr, shape); };
  form.MoveTo(105, 150);
  EXPECT_EQ(split->GetCursorState(), UI::CUISplitPanel::CursorSizeWE);
  EXPECT_TRUE(shows(IDC_SIZEWE));
  form.MoveTo(200, 150);  // off the bar: back to the arrow
  EXPECT_TRUE(shows(IDC_ARROW));
  form.MoveTo(105, 150);
  form.Down(105, 150);
  EXPECT_TRUE(split->IsDragging());
  const struct {
    int x;
    int barLeft;
  } steps[] = {
      {145, 140},  // accepted
      {345, 140},  // the bar would reach 340: refused, the point not remembered
      {305, 300},  // measured from 145: exactly the maximum, accepted
      {50, 300},   // below the minimum: refused
      {55, 50},    // from 305: exactly the minimum
  };
  for (const auto& step : steps) {
    form.MoveTo(step.x, 150);
    EXPECT_EQ(split->GetThumbRect().left, step.barLeft) << "pointer at " << step.x;
    EXPECT_EQ(form.BoundsOf(L"First").right, step.barLeft);
    EXPECT_EQ(form.BoundsOf(L"Second").left, step.barLeft);
  }
  form.Up(55, 150);
  EXPECT_FALSE(split->IsDragging());
  EXPECT_EQ(form.GetCaptureControl(), nullptr);
  EXPECT_EQ(split->GetCursorState(), UI::CUISplitPanel::CursorSizeWE);
  // The next arrangement puts the bar back where the style has it.
  form.ArrangeAllSubControls();
  EXPECT_EQ(split->GetThumbRect().left, 100);
  form.DestroyWindow();
}

TEST(PanelTest, AVerticalSplitStacksItsPanes) {
  if (!InSkinFolder()) return;
  uitest::FixtureForm form;
  ASSERT_EQ(form.Make(640, 240), 1);
  auto* split = form.Get<UI::CUISplitPanel>(L"Stacked");
  ASSERT_NE(split, nullptr);
  EXPECT_EQ(split->GetThumbRect(), CRect(500, 40, 600, 50));
  EXPECT_EQ(form.BoundsOf(L"Top"), CRect(500, 0, 600, 40));
  EXPECT_EQ(form.BoundsOf(L"Bottom"), CRect(500, 40, 600, 200));
  form.MoveTo(550, 45);
  EXPECT_EQ(split->GetCursorState(), UI::CUISplitPanel::CursorSizeNS);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZENS));
  form.Down(550, 45);
  form.MoveTo(550, 75);
  form.Up(550, 75);
  EXPECT_EQ(form.BoundsOf(L"Top"), CRect(500, 0, 600, 70));
  EXPECT_EQ(form.BoundsOf(L"Bottom").top, 70);
  form.DestroyWindow();
}

TEST(PanelTest, ADragThatLosesThePointerGivesTheCaptureBack) {
  if (!InSkinFolder()) return;
  uitest::FixtureForm form;
  ASSERT_EQ(form.Make(640, 240), 1);
  auto* split = form.Get<UI::CUISplitPanel>(L"Split");
  form.Down(105, 150);
  ASSERT_EQ(form.GetCaptureControl(), split);
  split->OnMouseMessage(WM_MOUSELEAVE, 0, CPoint(0, 0));
  EXPECT_FALSE(split->IsDragging());
  EXPECT_EQ(form.GetCaptureControl(), nullptr);
  form.Up(105, 150);
  form.Click(20, 20);  // the form routes the pointer again
  EXPECT_EQ(form.GetMouseFocusControl(), form.FindControlUnderPoint(CPoint(20, 20)));
  form.DestroyWindow();
}

}  // namespace
