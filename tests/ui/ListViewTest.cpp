// The list view: its grid and column arithmetic, and its items deployed in a
// scroll viewer of a fixture form (the shipped skin: 50 x 50 cells, padding 10).
#include <gtest/gtest.h>

#include <algorithm>

#include "ControlFixture.h"
#include "display/Desktop.h"
#include "ui/controls/UIListView.h"
#include "ui/controls/UIMultiEdit.h"
#include "ui/controls/UIScrollViewer.h"
#include "ui/render/DXCore.h"
#include "ui/skin/UISkinManager.h"


namespace {

using display::Desktop;
using uitest::FixtureForm;
using Arranger = UI::VirtualArranger<UI::CUIListView, UI::CUIControl>;

TEST(VirtualArrangerTest, GridCellsPerRowGapsAndContentSize) {
  const struct {
    int width, count;
    int capacity, gap, rows, columns, contentWidth, contentHeight;
  } cases[] = {
      {500, 20, 8, 11, 3, 8, 11 + 8 * 61, 10 + 3 * 60},
      {500, 5, 8, 11, 1, 5, 500, 70},
      {500, 8, 8, 11, 1, 8, 500, 70},
      {500, 0, 0, 0, 0, 0, 0, 0},
      // Narrower than one cell and its padding: no row at all.
      {59, 3, 0, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    Arranger a;
    a.VirtualArrangeItemsMultiColumn(CRect(0, 0, c.width, 300), c.count, CSize(50, 50), 10);
    EXPECT_EQ(a.m_nCapacity, c.capacity) << c.width << " " << c.count;
    EXPECT_EQ(a.m_nGap, c.gap) << c.width << " " << c.count;
    EXPECT_EQ(a.m_nRows, c.rows) << c.width << " " << c.count;
    EXPECT_EQ(a.m_nColumns, c.columns) << c.width << " " << c.count;
    EXPECT_EQ(CSize(a.m_nContentWidth, a.m_nContentHeight), CSize(c.contentWidth, c.contentHeight)) << c.count;
  }
  Arranger a;
  EXPECT_EQ(a.VirtualArrangeItemsMultiColumn(CRect(0, 0, 500, 300), 20, CSize(50, 50), 10), 1);
  EXPECT_EQ(a.m_rcContent, CRect(11, 10, 8 * 61, 3 * 60));
  EXPECT_EQ(a.VirtualArrangeItemsMultiColumn(CRect(0, 0, 500, 300), 20, CSize(50, 50), 10), 0);
  // Cells and padding of no size fit nothing, and divide nothing by zero.
  EXPECT_EQ(a.VirtualArrangeItemsMultiColumn(CRect(0, 0, 500, 300), 20, CSize(0, 0), 0), 1);
  EXPECT_EQ(a.m_nRows, 0);
  // One column as wide as the view at least, rows of the cell height.
  EXPECT_EQ(a.VirtualArrangeItemsSingleColumn(CRect(5, 5, 205, 300), 4, CSize(120, 30), 0), 1);
  EXPECT_EQ(a.m_nCellWidth, 200);
  EXPECT_EQ(CSize(a.m_nContentWidth, a.m_nContentHeight), CSize(200, 120));
  a.VirtualArrangeItemsSingleColumn(CRect(5, 5, 205, 300), 4, CSize(300, 30), 0);
  EXPECT_EQ(a.m_nCellWidth, 300);
}

// A viewer whose available area is 500 x 120 at (10, 10).
const char kBuild[] =
    "<Fixture css=\"Win\">"
    "<Viewer type=\"CUIScrollViewer\" css=\"Default\" ass=\"Viewer\"><List type=\"CUIListView\" css=\"Default\"/></Viewer>"
    "</Fixture>";
const char kLayouts[] =
    "<CUIScrollViewer><Viewer Size=\"516, 136\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/></CUIScrollViewer>";

bool InSkinFolder() {
  uitest::Files files = uitest::ShippedTheme(kBuild, kLayouts);
  std::string& skin = files["Theme/Default/Skin.xml"];
  skin.insert(skin.find("</CUIForm>"), "<Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/>");
  if (!uitest::InProgramFolder(files)) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

struct Changes {
  std::vector<std::pair<UI::CUIControl*, int>> seen;
  int On(UI::CUIControl*, void* param) {
    auto* change = static_cast<UI::ListViewChange*>(param);
    seen.emplace_back(change->m_pItem, change->m_nChange);
    return 0;
  }
};

struct ListForm {
  FixtureForm form;
  UI::CUIScrollViewer* viewer = nullptr;
  UI::CUIListView* list = nullptr;
  std::vector<UI::CUIControl*> items;

  bool Make(int count) {
    if (form.Make(600, 200) != 1) return false;
    viewer = form.Get<UI::CUIScrollViewer>(L"Viewer");
    list = form.Get<UI::CUIListView>(L"List");
    if (!viewer || !list) return false;
    for (int i = 0; i < count; ++i) {
      auto* item = new UI::CUIControl;
      CString id;
      id.Format(L"Item%d", i);
      item->SetObjectID(id);
      item->SetSize(40, 50);
      items.push_back(item);
      list->AddItem(item, i == count - 1);
    }
    return true;
  }
  std::vector<UI::CUIControl*> Deployed() const { return list->GetSubControls(); }
};

TEST(ListViewTest, OnlyTheRowsInTheViewportAreDeployedAndScrollingRedeploys) {
  if (!InSkinFolder()) return;
  ListForm f;
  ASSERT_TRUE(f.Make(40));
  // Five rows of eight: 310 pixels in a viewport 120 high.
  EXPECT_EQ(f.viewer->GetExtentSize(), CSize(11 + 8 * 61, 10 + 5 * 60));
  EXPECT_TRUE(f.viewer->IsVerScrollBarVisible());
  // At offset 0 rows 0 and 1 (e = 0, h = ceil(110 / 60) = 2).
  std::vector<UI::CUIControl*> deployed = f.Deployed();
  ASSERT_EQ(deployed.size(), 16u);
  EXPECT_EQ(deployed.front(), f.items[0]);
  EXPECT_EQ(f.items[9]->GetBounds(), CRect(10 + 11 + 61, 10 + 10 + 60, 10 + 11 + 61 + 50, 10 + 10 + 60 + 50));
  // Offset 70: rows 1 and 2, items 8 to 23, moved up by the offset.
  f.viewer->SetVerticalOffset(70);
  deployed = f.Deployed();
  ASSERT_EQ(deployed.size(), 16u);
  EXPECT_EQ(deployed.front(), f.items[8]);
  EXPECT_EQ(deployed.back(), f.items[23]);
  EXPECT_EQ(f.items[8]->GetBounds(), CRect(21, 10, 71, 60));
  EXPECT_EQ(f.list->GetArranger().m_nFirst, 8);
  // Hit testing finds a deployed item and nothing of the others.
  EXPECT_EQ(f.form.FindControlUnderPoint(CPoint(30, 20)), f.items[8]);
  // The wheel scrolls a line of 40; the last row shows at the end.
  f.viewer->SetVerticalOffset(1000);
  EXPECT_EQ(f.viewer->GetOffset().y, 310 - 120);
  deployed = f.Deployed();
  EXPECT_EQ(deployed.back(), f.items[39]);
  f.form.DestroyWindow();
}

TEST(ListViewTest, InsertingRemovingAndClearingFireEventsAndKeepTheChildListTrue) {
  if (!InSkinFolder()) return;
  ListForm f;
  ASSERT_TRUE(f.Make(3));
  Changes changes;
  f.list->ListenEvent(2, fastdelegate::MakeDelegate(&changes, &Changes::On));
  auto* first = new UI::CUIControl;
  auto* last = new UI::CUIControl;
  EXPECT_EQ(f.list->InsertItem(first, 0, 1), 1);
  EXPECT_EQ(f.list->InsertItem(last, 99, 1), 1);
  EXPECT_EQ(f.list->InsertItem(nullptr, 0, 1), 0);
  EXPECT_EQ(f.list->InsertItem(first, 2, 1), 0);
  EXPECT_EQ(f.list->GetItem(0), first);
  EXPECT_EQ(f.list->GetItem(4), last);
  EXPECT_EQ(f.Deployed().size(), 5u);
  // A removed item leaves the child list at once and belongs to the caller.
  UI::CUIControl* removed = f.list->RemoveItem(1);
  EXPECT_EQ(removed, f.items[0]);
  EXPECT_EQ(removed->GetParent(), nullptr);
  const std::vector<UI::CUIControl*> after = f.Deployed();
  EXPECT_EQ(std::count(after.begin(), after.end(), removed), 0);
  delete removed;
  EXPECT_EQ(f.list->RemoveItem(f.items[0]), 0);
  EXPECT_EQ(f.list->RemoveItem(7), nullptr);
  EXPECT_EQ(f.list->RemoveItem(last), 1);
  delete last;
  // A hidden item takes no cell.
  f.items[1]->SetVisible(FALSE);
  f.viewer->ArrangeScrollContent();
  EXPECT_EQ(f.Deployed().size(), 2u);
  EXPECT_EQ(f.items[2]->GetBounds().left, f.list->GetArranger().m_rcContent.left + f.list->GetArranger().m_nGap + 50);
  const std::vector<std::pair<UI::CUIControl*, int>> expected = {
      {first, 1}, {last, 1}, {f.items[0], -1}, {last, -1}};
  EXPECT_EQ(changes.seen, expected);
  changes.seen.clear();
  f.list->ClearAllItem();
  EXPECT_EQ(f.list->GetCount(), 0);
  EXPECT_TRUE(f.Deployed().empty());
  f.list->ClearAllItem();
  EXPECT_EQ(changes.seen, (std::vector<std::pair<UI::CUIControl*, int>>{{nullptr, -3}}));
  f.form.DestroyWindow();
}

TEST(ListViewTest, OneColumnTakesTheWidestItemAndANewCellSizeRearranges) {
  if (!InSkinFolder()) return;
  ListForm f;
  ASSERT_TRUE(f.Make(4));
  f.items[2]->SetSize(700, 50);
  f.list->SetArrangeType(UI::ArrangeSingleColumn);
  f.viewer->ArrangeScrollContent();
  EXPECT_EQ(f.viewer->GetExtentSize(), CSize(700, 4 * 50));
  EXPECT_TRUE(f.viewer->IsHorScrollBarVisible());
  EXPECT_EQ(f.items[1]->GetBounds(), CRect(10, 10 + 60, 710, 10 + 110));
  f.list->SetItemSize(CSize(50, 20));
  EXPECT_EQ(f.list->GetItemRealSize(), CSize(50, 30));
  EXPECT_EQ(f.viewer->GetExtentSize(), CSize(700, 4 * 20));
  f.form.DestroyWindow();
}

}  // namespace

namespace {

// A square of one colour with its number, as a list view's item.
class Swatch : public UI::CUIControl {
 public:
  explicit Swatch(DWORD colour) : m_colour(colour) {}
  void RenderSelf(UI::DXCore* core, const CRect*) override { core->FillRectangle(m_rcBounds, m_colour); }
  DWORD m_colour;
};

const char kShotBuild[] =
    "<Fixture css=\"Win\">"
    "<Notes type=\"CUIScrollViewer\" css=\"Default\"><Memo type=\"CUIMultiEdit\" css=\"Default\"/></Notes>"
    "<Viewer type=\"CUIScrollViewer\" css=\"Default\"><List type=\"CUIListView\" css=\"Default\"/></Viewer>"
    "</Fixture>";

// A picture for people to look at: the shipped skin's multi-line edit with a
// selection over two lines, and a list view of 40 squares scrolled a little,
// written beside the build.
TEST(ScrollScreenshot, FixtureFormWithAMultiLineEditAndAListView) {
  uitest::Files files = uitest::ShippedTheme(kShotBuild);
  std::string& skin = files["Theme/Default/Skin.xml"];
  skin.insert(skin.find("</CUIForm>"), "<Win BkColor=\"250, 251, 252\" MinSize=\"10, 10\"/>");
  if (!uitest::InProgramFolder(files)) return;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  FixtureForm form;
  ASSERT_EQ(form.Make(420, 330), 1);
  form.Place(L"Notes", CRect(20, 20, 380, 110), CRect(1, 1, 1, 1));
  form.Place(L"Viewer", CRect(20, 150, 380, 160), CRect(1, 1, 1, 1));
  auto* list = form.Get<UI::CUIListView>(L"List");
  for (int i = 0; i < 40; ++i) {
    const DWORD colour = 0xFF000000 | static_cast<DWORD>((45 + i * 5) << 16 | (127 + i * 3) << 8 | (249 - i * 4));
    list->AddItem(new Swatch(colour), 0);
  }
  form.ArrangeAllSubControls();
  form.Get<UI::CUIScrollViewer>(L"Viewer")->SetVerticalOffset(35);
  auto* memo = form.Get<UI::CUIMultiEdit>(L"Memo");
  memo->SetText(L"同步记录 2026-12-10\n上传 3 个文件，下载 1 个文件\nDorv keeps this folder in step\n\n最后一行");
  memo->Select(8, 20);
  memo->SetCursor(28);
  form.Refresh(FALSE, nullptr);
  EXPECT_TRUE(form.SavePicture(DORV_BUILD_DIR "/scroll-fixture.png"));
  form.DestroyWindow();
}

}  // namespace
