// The control tree: the child registry, inherited visibility and enabling, the
// layout pass and building a tree from the build file.
#include <gtest/gtest.h>

#include <memory>

#include "UiTestSupport.h"
#include "ui/UIControl.h"
#include "ui/UIForm.h"
#include "ui/render/TransformBase.h"

namespace {

using UI::CUIControl;

CUIControl* Named(const wchar_t* id) {
  auto* c = new CUIControl;
  c->SetObjectID(id);
  return c;
}

TEST(ControlTreeTest, FindPrefersItselfThenTheFirstChildAndIgnoresCase) {
  CUIControl root;
  root.SetObjectID(L"Panel");
  CUIControl* first = Named(L"ok");
  CUIControl* second = Named(L"OK");
  CUIControl* same = Named(L"panel");
  root.RegisterControl(first);
  root.RegisterControl(second);
  root.RegisterControl(same);
  EXPECT_EQ(root.FindControl(L"PANEL"), &root);
  EXPECT_EQ(root.FindControl(L"Ok"), first);
  EXPECT_EQ(root.FindControl(L"none"), nullptr);

  CUIControl* grandchild = Named(L"deep");
  first->RegisterControl(grandchild);
  second->RegisterControl(Named(L"deep"));
  EXPECT_EQ(root.FindControl(L"deep"), nullptr);  // direct children only
  EXPECT_EQ(root.FindControlRecusive(L"DEEP"), grandchild);

  CPtrArray all;
  root.GetAllSubControls(all);
  ASSERT_EQ(all.GetSize(), 5);
  EXPECT_EQ(all[0], first);
  EXPECT_EQ(all[1], grandchild);  // each control before its own children
  EXPECT_EQ(all[2], second);
}

TEST(ControlTreeTest, AControlIsInOneListOnceAndMovesWhenRegisteredElsewhere) {
  CUIControl a, b;
  CUIControl* child = Named(L"c");
  EXPECT_EQ(a.RegisterControl(child), 1);
  EXPECT_EQ(a.RegisterControl(child), 0);
  EXPECT_EQ(a.RegisterControl(0, child), 0);  // inserting a duplicate would release it twice
  CUIControl* far = Named(L"far");
  EXPECT_EQ(a.RegisterControl(5, far), 0);  // refused: still the caller's
  EXPECT_EQ(far->GetParent(), nullptr);
  far->Release();
  EXPECT_EQ(a.RegisterControl(nullptr), 0);
  EXPECT_EQ(a.GetChildCount(), 1);

  EXPECT_EQ(b.RegisterControl(child), 1);  // unlinked from a, so only b releases it
  EXPECT_EQ(a.GetChildCount(), 0);
  EXPECT_EQ(child->GetParent(), &b);
  EXPECT_EQ(child->RegisterControl(&b), 0);  // no cycles

  CUIControl* front = Named(L"front");
  EXPECT_EQ(b.RegisterControl(0, front), 1);
  EXPECT_EQ(b.GetChild(0), front);
  EXPECT_EQ(b.UnRegisterControl(L"FRONT"), front);
  EXPECT_EQ(front->GetParent(), nullptr);
  EXPECT_EQ(b.UnRegisterControl(front), 0);
  EXPECT_EQ(b.UnRegisterControl(1), nullptr);
  EXPECT_EQ(b.UnRegisterControl(-1), nullptr);
  front->Release();
}

TEST(ControlTreeTest, AncestorsHideAndDisableWithoutTouchingOwnFlags) {
  CUIControl root;
  CUIControl* panel = Named(L"panel");
  CUIControl* shown = Named(L"shown");
  CUIControl* hidden = Named(L"hidden");
  root.RegisterControl(panel);
  panel->RegisterControl(shown);
  panel->RegisterControl(hidden);
  hidden->SetVisible(FALSE);

  panel->SetVisible(FALSE);
  EXPECT_FALSE(shown->IsVisible());
  shown->SetVisible(TRUE);  // its own setter forgets what the panel said
  EXPECT_TRUE(shown->IsVisible());
  panel->SetVisible(TRUE);
  EXPECT_TRUE(shown->IsVisible());
  EXPECT_FALSE(hidden->IsVisible());

  panel->SetEnabled(FALSE);
  EXPECT_FALSE(shown->IsEnabled());
  shown->SetKBFocused(TRUE);  // ignored while disabled
  EXPECT_FALSE(shown->IsKBFocused());
  panel->SetEnabled(TRUE);
  shown->SetKBFocused(TRUE);
  EXPECT_TRUE(shown->IsKBFocused());
}

TEST(ControlTreeTest, PaddingIsTakenInwardAndNeverGivesANegativeSize) {
  CUIControl c;
  c.SetBounds(CRect(0, 0, 100, 50));
  c.SetPadding(-10, 5, 10, -5);
  EXPECT_EQ(c.GetBoundsSmall(), CRect(10, 5, 90, 45));
  c.SetPadding(80, 0, 60, 0);
  EXPECT_EQ(c.GetBoundsSmall(), CRect(40, 0, 80, 50));  // left and right exchanged
}

struct LayoutCase {
  const char* name;
  unsigned int code;
  CSize size;
  CRect margin;
  CRect expected;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class LayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, PlacesTheControlFromItsCode) {
  const LayoutCase& c = GetParam();
  CUIControl parent;
  parent.SetBounds(CRect(100, 200, 203, 303));  // 103 × 103
  parent.SetPadding(10, 10, 10, 10);
  CUIControl* child = new CUIControl;
  child->SetSize(c.size);
  child->SetMargin(c.margin);
  child->SetAnchorStyle(static_cast<UI::AnchorStyle>(c.code));
  parent.RegisterControl(child);
  parent.ArrangeAllSubControls();
  EXPECT_EQ(child->GetBounds(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, LayoutTest,
    ::testing::Values(
        LayoutCase{"NoCodeSitsAtTheFormOrigin", 0, {20, 10}, {}, {0, 0, 20, 10}},
        LayoutCase{"UnknownCodeSitsAtTheFormOrigin", 50, {20, 10}, {1, 1, 1, 1}, {0, 0, 20, 10}},
        LayoutCase{"TopLeftIgnoresPadding", 1, {20, 10}, {2, 3, 0, 0}, {102, 203, 122, 213}},
        LayoutCase{"TopRight", 2, {20, 10}, {0, 3, 4, 0}, {179, 203, 199, 213}},
        LayoutCase{"BottomLeft", 3, {20, 10}, {2, 0, 0, 5}, {102, 288, 122, 298}},
        LayoutCase{"BottomRight", 4, {20, 10}, {0, 0, 4, 5}, {179, 288, 199, 298}},
        LayoutCase{"CentringThreeFreePixelsLeavesOne", 5, {100, 10}, {}, {101, 200, 201, 210}},
        LayoutCase{"CentringMinusThreeGoesTwoLeft", 6, {106, 106}, {}, {98, 198, 204, 304}},
        LayoutCase{"BottomCenter", 7, {21, 10}, {}, {141, 293, 162, 303}},
        LayoutCase{"DockTopStretchesAcrossThePadding", 100, {5, 10}, {1, 2, 3, 4}, {111, 212, 190, 222}},
        LayoutCase{"DockBottom", 101, {5, 10}, {1, 2, 3, 4}, {111, 279, 190, 289}},
        LayoutCase{"DockLeft", 102, {5, 10}, {1, 2, 3, 4}, {111, 212, 116, 289}},
        LayoutCase{"DockRight", 103, {5, 10}, {1, 2, 3, 4}, {185, 212, 190, 289}},
        LayoutCase{"DockFill", 104, {5, 10}, {1, 2, 3, 4}, {111, 212, 190, 289}},
        LayoutCase{"DockCaptionUsesTheOuterBounds", 105, {5, 10}, {1, 2, 3, 4}, {101, 202, 200, 212}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ControlTreeTest, DocksConsumeSpaceInRegistrationOrder) {
  CUIControl parent;
  parent.SetBounds(CRect(0, 0, 100, 100));
  auto add = [&](unsigned int code, int cy) {
    auto* c = new CUIControl;
    c->SetSize(10, cy);
    c->SetAnchorStyle(static_cast<UI::AnchorStyle>(code));
    parent.RegisterControl(c);
    return c;
  };
  CUIControl* caption = add(UI::DockCaption, 5);
  CUIControl* top1 = add(UI::DockTop, 10);
  CUIControl* top2 = add(UI::DockTop, 20);
  CUIControl* fill = add(UI::DockFill, 0);
  parent.ArrangeAllSubControls();
  EXPECT_EQ(caption->GetBounds(), CRect(0, 0, 100, 5));
  EXPECT_EQ(top1->GetBounds(), CRect(0, 5, 100, 15));
  EXPECT_EQ(top2->GetBounds(), CRect(0, 15, 100, 35));
  EXPECT_EQ(fill->GetBounds(), CRect(0, 35, 100, 100));
  EXPECT_EQ(fill->GetSize(), CSize(100, 65));  // the stretched size is kept
}

class RecordingTransform : public UI::CTransformBase {
 public:
  explicit RecordingTransform(int* calls) : m_calls(calls) {}
  void SetControlBounds(CRect) override { ++*m_calls; }
  UI::CTransformBase* CloneCurrentValue() override { return new RecordingTransform(m_calls); }

 private:
  int* m_calls;
};

TEST(ControlTreeTest, EqualBoundsChangeNothingAndTransformsReachEveryDescendant) {
  int calls = 0;
  CUIControl root;
  CUIControl* child = new CUIControl;
  child->RegisterControl(new CUIControl);
  root.RegisterControl(child);
  root.SetTransform(new RecordingTransform(&calls));
  ASSERT_NE(child->GetTransform(), nullptr);
  EXPECT_NE(child->GetTransform(), root.GetTransform());
  EXPECT_NE(child->GetChild(0)->GetTransform(), nullptr);

  root.SetBounds(CRect(0, 0, 10, 10));
  EXPECT_EQ(calls, 1);
  root.SetBounds(CRect(0, 0, 10, 10));
  EXPECT_EQ(calls, 1);
}

TEST(ControlTreeTest, AFocusedControlLeavingTheTreeIsForgottenByItsForm) {
  auto* form = new UI::CUIForm;
  CUIControl& root = *form;
  CUIControl* panel = Named(L"panel");
  CUIControl* edit = Named(L"edit");
  root.RegisterControl(panel);
  panel->RegisterControl(edit);
  EXPECT_EQ(edit->GetOwnerForm(), form);
  EXPECT_TRUE(edit->IsValid());
  edit->SetKBFocused(TRUE);
  EXPECT_EQ(form->GetKeyFocusControl(), edit);
  edit->Release();  // released from inside the tree
  EXPECT_EQ(form->GetKeyFocusControl(), nullptr);
  EXPECT_EQ(panel->GetChildCount(), 0);  // and out of its parent's list

  CUIControl* kept = Named(L"kept");
  panel->RegisterControl(kept);
  kept->SetKBFocused(TRUE);
  ASSERT_EQ(root.UnRegisterControl(L"panel"), panel);  // the subtree leaves with the panel
  EXPECT_EQ(form->GetKeyFocusControl(), nullptr);
  EXPECT_EQ(panel->GetOwnerForm(), form);  // kept, as callers may register it again
  root.Release();
  panel->UnRegisterControl(kept);  // after its form: neither touches it
  kept->Release();
  panel->Release();
}

TEST(ControlTreeTest, BuildSkipsUnknownTypesAndKeepsStateThatCodeSet) {
  uitest::XmlText xml(
      "<BuildRoot><Main css=\"big\" ass=\"wide\" IsHitTransparent=\"true\">"
      "<Ok type=\"CUIControl\" Visible=\"false\" Enable=\"F\"><Inner type=\"CUIControl\"/></Ok>"
      "<Odd type=\"CUIWidget\"><Lost type=\"CUIControl\"/></Odd>"
      "<Plain type=\"CUIControl\" Visible=\"true\"/>"
      "<cased type=\"cuicontrol\"/>"
      "</Main></BuildRoot>");
  CUIControl root;
  root.SetVisible(FALSE);
  ASSERT_EQ(root.BuildFromXML(xml.Path(L"BuildRoot Main")), 1);
  EXPECT_EQ(root.GetCss(), CString(L"big"));
  EXPECT_EQ(root.GetAss(), CString(L"wide"));
  EXPECT_TRUE(root.IsHitTransparent());
  EXPECT_FALSE(root.IsVisible());  // "true" in the file doesn't undo code

  ASSERT_EQ(root.GetChildCount(), 2);
  CUIControl* ok = root.FindControl(L"Ok");
  ASSERT_NE(ok, nullptr);
  EXPECT_FALSE(ok->IsEnabled());
  EXPECT_EQ(ok->FindControl(L"Inner")->GetParent(), ok);
  EXPECT_EQ(root.FindControlRecusive(L"Lost"), nullptr);
  EXPECT_EQ(root.FindControl(L"cased"), nullptr);  // class names are case-sensitive
  EXPECT_EQ(root.BuildFromXML(nullptr), 0);
}

}  // namespace
