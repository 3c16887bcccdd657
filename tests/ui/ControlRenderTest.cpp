// Controls drawn through a render context, hit testing, hover and leave, and
// control events up the parent chain.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "ui/UIControl.h"
#include "ui/render/DXCore.h"
#include "ui/render/RotateTransform.h"

namespace {

using UI::CUIControl;

// Fills its bounds with one colour and records the mouse messages it gets.
class Swatch : public CUIControl {
 public:
  Swatch(DWORD colour, CRect bounds, std::vector<std::string>* log = nullptr, const char* name = "")
      : m_colour(colour), m_log(log), m_name(name) {
    SetBounds(bounds);
  }
  void RenderSelf(UI::DXCore* core, const CRect*) override { core->FillRectangle(GetBounds(), m_colour); }
  BOOL OnMouseMessage(UINT message, UINT, const CPoint&) override {
    if (m_log) m_log->push_back(m_name + (message == WM_MOUSEHOVER ? "+" : message == WM_MOUSELEAVE ? "-" : "?"));
    return FALSE;
  }
  int OnClick(CUIControl* sender, void*) {
    if (m_log) m_log->push_back(m_name + "<" + static_cast<Swatch*>(sender)->m_name);
    return m_handles;
  }
  DWORD m_colour;
  std::vector<std::string>* m_log;
  std::string m_name;
  int m_handles = 0;
};

constexpr DWORD kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override { core.ResetD3DSize(100, 100); }
  // One paint of the root into the back buffer, limited to `paint`.
  void Paint(CUIControl& root, CRect paint = CRect(0, 0, 100, 100)) {
    ASSERT_EQ(core.BeginPaint(), S_OK);
    CRect all(0, 0, 100, 100);
    root.Render(&core, &all, &paint);
    EXPECT_EQ(core.GetWorldTransform().isIdentity(), true);
    core.EndPaint(nullptr, paint.left, paint.top, paint.Width(), paint.Height());
  }
  uint32_t At(int x, int y) { return core.GetBackBuffer().getPixelAt(x, y).getARGB(); }
  UI::DXCore core;
};

TEST_F(RenderTest, ChildrenDrawOverParentsAndAreCutOnlyByAClippingParent) {
  Swatch root(kRed, CRect(0, 0, 50, 50));
  auto* wide = new Swatch(kBlue, CRect(40, 0, 80, 10));  // runs out of its parent
  root.RegisterControl(wide);
  Paint(root);
  EXPECT_EQ(At(10, 10), kRed);
  EXPECT_EQ(At(45, 5), kBlue);
  EXPECT_EQ(At(70, 5), kBlue);

  core.ResetD3DSize(100, 100);
  root.SetClipToBounds(TRUE);
  Paint(root);
  EXPECT_EQ(At(45, 5), kBlue);
  EXPECT_EQ(At(70, 5), 0xFF000000u);  // cut at the parent's right edge
}

TEST_F(RenderTest, AControlOutsideThePaintAreaIsSkippedWithItsChildren) {
  Swatch root(kRed, CRect(0, 0, 100, 100));
  auto* left = new Swatch(kBlue, CRect(0, 0, 40, 40));
  left->RegisterControl(new Swatch(kGreen, CRect(30, 60, 90, 90)));  // reaches into the paint area
  root.RegisterControl(left);
  Paint(root, CRect(50, 50, 100, 100));
  EXPECT_EQ(At(60, 70), kRed);  // the green grandchild was not drawn
  EXPECT_EQ(At(10, 10), 0xFF000000u);  // outside the painted rectangle: the back buffer is untouched
}

TEST_F(RenderTest, HitTestingFindsTheTopmostAndFallsThroughHitTransparentControls) {
  CUIControl root;
  root.SetBounds(CRect(0, 0, 100, 100));
  auto* under = new Swatch(kRed, CRect(10, 10, 50, 50));
  auto* over = new Swatch(kBlue, CRect(30, 30, 70, 70));
  root.RegisterControl(under);
  root.RegisterControl(over);
  EXPECT_EQ(root.FindControlUnderPoint(CPoint(35, 35)), over);
  EXPECT_EQ(root.FindControlUnderPoint(CPoint(20, 20)), under);
  EXPECT_EQ(root.FindControlUnderPoint(CPoint(70, 70)), &root);  // right and bottom edges are outside
  EXPECT_EQ(root.FindControlUnderPoint(CPoint(200, 0)), nullptr);

  over->SetHitTransparent(TRUE);
  auto* inner = new Swatch(kGreen, CRect(60, 60, 70, 70));
  over->RegisterControl(inner);
  EXPECT_EQ(root.FindControlUnderPoint(CPoint(35, 35)), under);
  EXPECT_EQ(root.FindControlUnderPoint(CPoint(65, 65)), inner);
  over->SetVisible(FALSE);
  EXPECT_EQ(root.FindControlUnderPoint(CPoint(65, 65)), &root);
}

TEST_F(RenderTest, ARotatedControlRepaintsItsBoxAndIsHitOnlyInsideItsQuadrilateral) {
  CUIControl root;
  root.SetBounds(CRect(0, 0, 100, 100));
  auto* turned = new Swatch(kBlue, CRect(40, 40, 60, 60));
  root.RegisterControl(turned);
  auto* rotation = new UI::CRotateTransform;
  rotation->SetRotateAngle(45);
  turned->SetTransform(rotation);
  rotation->SetControlBounds(turned->GetBounds());
  const CRect box = turned->GetBoundsRefresh();
  EXPECT_EQ(box, CRect(35, 35, 64, 64));  // 50 -+ 14.14, truncated
  EXPECT_EQ(root.FindControlUnderPoint(CPoint(50, 37)), turned);  // the top point of the diamond
  EXPECT_EQ(root.FindControlUnderPoint(CPoint(41, 41)), &root);   // a corner of the unrotated square
  Paint(root);
  EXPECT_EQ(At(50, 37), kBlue);
  EXPECT_EQ(At(41, 41), 0xFF000000u);
}

TEST_F(RenderTest, AnOutlineThickerThanHalfTheHeightDrawsEachPixelOnce) {
  ASSERT_EQ(core.BeginPaint(), S_OK);
  const UI::RectF flat(0, 0, 20, 4);
  EXPECT_EQ(core.DrawRectOutline(&flat, 3, 0x80FFFFFF), 0);
  const uint32_t once = core.GetTarget().getPixelAt(10, 1).getARGB();
  EXPECT_EQ(core.GetTarget().getPixelAt(10, 2).getARGB(), once);  // no strip drawn over another
  EXPECT_EQ(core.GetTarget().getPixelAt(10, 0).getARGB(), once);
  const UI::RectF empty(5, 5, 5, 9);
  EXPECT_EQ(core.DrawRectOutline(&empty, 1, kRed), E_FAIL);
  core.EndPaint(nullptr, 0, 0, 100, 100);
  EXPECT_EQ(core.DrawRectOutline(&flat, 1, kRed), E_FAIL);  // outside a paint

  std::wstring name = L"Face";
  UI::DXCore::SetSystemFontName(name.c_str());
  name = L"gone";
  EXPECT_EQ(std::wstring(UI::DXCore::GetSystemFontName()), L"Face");  // the caller's string may go
}

TEST(ControlEventTest, EventsBubbleUntilHandledAndDisabledControlsFireNothing) {
  std::vector<std::string> log;
  Swatch root(0, CRect(), &log, "root");
  auto* panel = new Swatch(0, CRect(), &log, "panel");
  auto* button = new Swatch(0, CRect(), &log, "button");
  root.RegisterControl(panel);
  panel->RegisterControl(button);
  EXPECT_EQ(button->FireEvent(1, nullptr), 1);  // no handler anywhere
  panel->ListenEvent(1, fastdelegate::MakeDelegate(panel, &Swatch::OnClick));
  root.ListenEvent(1, fastdelegate::MakeDelegate(&root, &Swatch::OnClick));
  EXPECT_EQ(button->FireEvent(1, nullptr), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"panel<button", "root<button"}));

  log.clear();
  panel->m_handles = 1;
  button->FireEvent(1, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"panel<button"}));

  log.clear();
  panel->SetEnabled(FALSE);  // the button inherits it
  EXPECT_EQ(button->FireEvent(1, nullptr), 0);
  EXPECT_EQ(button->DispatchEvent(button, 1, nullptr), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"panel<button"}));
}

TEST(ControlEventTest, HoverAndLeaveSpareTheAncestorsThatStayUnderTheMouse) {
  std::vector<std::string> log;
  Swatch root(0, CRect(), &log, "root");
  auto* parent = new Swatch(0, CRect(), &log, "p");
  auto* a = new Swatch(0, CRect(), &log, "a");
  auto* b = new Swatch(0, CRect(), &log, "b");
  root.RegisterControl(parent);
  parent->RegisterControl(a);
  parent->RegisterControl(b);
  a->HandleMouseHover(nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"a+", "p+", "root+"}));
  log.clear();
  a->HandleMouseLeave(b);  // between siblings
  b->HandleMouseHover(a);
  EXPECT_EQ(log, (std::vector<std::string>{"a-", "b+"}));
  log.clear();
  b->HandleMouseLeave(parent);  // from a child to its parent
  parent->HandleMouseHover(b);
  EXPECT_EQ(log, (std::vector<std::string>{"b-"}));
}

}  // namespace
