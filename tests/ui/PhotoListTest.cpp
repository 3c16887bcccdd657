// The photo list in a form on the headless desktop: the grid arithmetic, real
// photos with their thumbnails applied on the UI thread, selection by clicks
// and keys, drag and drop, the rubber band, removal and the cache files.
#include <gtest/gtest.h>

#include <filesystem>

#include "PhotoListFixture.h"
#include "display/Desktop.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIPanel.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/photo/ListItemData.h"
#include "ui/photo/UIListItem.h"
#include "ui/photo/UIPhotoEx.h"
#include "ui/menu/IMenu.h"
#include "ui/menu/UIMenu.h"
#include "ui/thumb/ThumbManager.h"
#include "win32/Cursor.h"
#include "win32/Thread.h"

namespace {

namespace fs = std::filesystem;
using display::Desktop;
using uitest::PhotoForm;
using Names = std::vector<std::string>;

UI::ListItemData* Record(UI::CUIList* list, int i) { return dynamic_cast<UI::ListItemData*>(list->GetDataFromIndex(i)); }

std::vector<int> Selected(UI::CUIList* list) {
  std::vector<int> out;
  for (int i = 0; i < list->GetDataCount(); ++i) {
    if (Record(list, i)->m_bSelected) out.push_back(i);
  }
  return out;
}

size_t FilesIn(const std::string& folder) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(folder)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

void Chord(UINT modifier, std::function<void()> inner) {
  Desktop::Get().KeyDown(modifier);
  inner();
  Desktop::Get().KeyUp(modifier);
  Desktop::Get().PumpUntilIdle();
}

// A plain top-level window of another kind, to take the activation away.
HWND OtherWindow() {
  static const ATOM registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.lpszClassName = L"PhotoListTestOther";
    return ::RegisterClassW(&wc);
  }();
  (void)registered;
  return ::CreateWindowExW(0, L"PhotoListTestOther", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 0, 100, 100,
                           nullptr, nullptr, nullptr, nullptr);
}

TEST(PhotoListTest, TheGridFollowsTheViewportCellSizeAndScrollBar) {
  if (!uitest::InPhotoFolder()) return;
  PhotoForm form;
  ASSERT_EQ(form.Open(), 1);
  auto* list = new UI::CUIList;
  list->SetCss(L"Grid");
  form.RegisterControl(list);
  list->SetOwnerForm(&form);
  ASSERT_EQ(list->CreateScrollBar(), 1);
  ASSERT_EQ(list->GetScrollBar()->GetSize().cx, 16);
  for (int i = 0; i < 10; ++i) list->AddItemData(new UI::ListItemData(CString(L"/none/p" + std::to_wstring(i))));
  list->SetBounds(CRect(0, 0, 500, 400));
  list->MeasureItems();
  EXPECT_EQ(list->CalculatePerRowOrColumn(CSize(500, 400)), 4);
  EXPECT_EQ(list->GetGaps(), CSize(16, 0));
  EXPECT_EQ(list->GetExtent(), CSize(400, 360));
  EXPECT_FALSE(list->GetScrollBar()->IsVisible());
  EXPECT_EQ(list->GetItemFromDataIndex(5)->GetBounds(), CRect(132, 120, 232, 240));
  EXPECT_EQ(list->CalculatePerRowOrColumn(CSize(50, 400)), 1) << "narrower than one cell";

  for (int i = 10; i < 20; ++i) list->AddItemData(new UI::ListItemData(CString(L"/none/p" + std::to_wstring(i))));
  list->MeasureItems();
  EXPECT_EQ(list->GetExtent(), CSize(400, 600));
  EXPECT_EQ(list->CalculatePages(), 2);
  EXPECT_TRUE(list->GetScrollBar()->IsVisible());
  int low = -1, high = -1;
  list->GetScrollBar()->GetRange(low, high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 200);
  int first = 0, end = 0;
  list->GetRealisedRange(first, end);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(end, 20);
  list->SetVerticalOffset(-5);
  EXPECT_EQ(list->GetOffset().y, 0);
  list->SetVerticalOffset(10000);
  EXPECT_EQ(list->GetOffset().y, 200);
  list->PageUp();
  EXPECT_EQ(list->GetOffset().y, 0);
  list->MakeVisible(Record(list, 13));  // row 3, just below the view
  EXPECT_EQ(list->GetOffset().y, 4 * 120 - 400);
  list->MakeVisible(Record(list, 0));
  EXPECT_EQ(list->GetOffset().y, 0);
  form.DestroyWindow();
}

TEST(PhotoListTest, ThumbnailsArriveOnTheUIThreadAndFillTheCells) {
  if (!uitest::InPhotoFolder()) return;
  PhotoForm form;
  ASSERT_EQ(form.Open(), 1);
  UI::CUIList* list = form.List();
  form.AddPhotos(8);
  ASSERT_TRUE(form.WaitForThumbnails());
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(form.m_thumbsDoneThread, ::GetCurrentThreadId());
  struct Row {
    int index;
    CSize photo;
    bool thumb;
  } rows[] = {{0, CSize(400, 300), true},   // JPEG
              {1, CSize(440, 300), true},   // PNG
              {2, CSize(480, 300), true},   // EXIF thumbnail, turned
              {3, CSize(0, 0), false},      // damaged
              {6, CSize(480, 300), true}};  // EXIF thumbnail
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index);
    UI::ListItemData* record = Record(list, row.index);
    EXPECT_EQ(record->m_photoSize, row.photo);
    EXPECT_EQ(!record->GetPhotoThumbPath().IsEmpty(), row.thumb);
    auto* cell = dynamic_cast<UI::CUIListItem*>(list->GetItemFromData(record));
    ASSERT_NE(cell, nullptr);
    // 400 × 300 is far short of a 6-inch print: the warning shows with the real numbers.
    if (row.thumb) {
      EXPECT_EQ(cell->GetBigPhoto()->GetImageFile(), record->GetPhotoThumbPath());
      EXPECT_TRUE(cell->GetWarningIcon()->IsVisible());
      EXPECT_NE(cell->GetWarningIcon()->GetTooltipText().Find(std::to_wstring(row.photo.cx).c_str()), -1);
    }
  }
  // The damaged photo keeps the default picture.
  EXPECT_EQ(dynamic_cast<UI::CUIListItem*>(list->GetItemFromDataIndex(3))->GetBigPhoto()->GetImageFile(),
            UI::CUIPhoto::DefaultImagePath());
  EXPECT_EQ(FilesIn(form.ThumbFolder()), 7u);

  // Removing a photo deletes its thumbnail file; the others stay.
  const CString gone = Record(list, 0)->GetPhotoThumbPath();
  EXPECT_EQ(list->RemoveItem(Record(list, 0), TRUE), 1);
  Desktop::Get().PumpUntilIdle();
  EXPECT_FALSE(fs::exists(gone.str()));
  EXPECT_EQ(FilesIn(form.ThumbFolder()), 6u);
  UI::ListItemData stranger(L"/elsewhere.jpg");
  EXPECT_EQ(list->RemoveItem(&stranger, TRUE), 0) << "a record the list does not hold is not its to delete";
  list->DeleteAlltems();
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(FilesIn(form.ThumbFolder()), 0u);
  form.DestroyWindow();
}

TEST(PhotoListTest, ClicksAndKeysSelectAsTheModeSays) {
  if (!uitest::InPhotoFolder()) return;
  PhotoForm form;
  ASSERT_EQ(form.Open(), 1);
  UI::CUIList* list = form.List();
  form.AddPhotos(9);
  auto click = [&](int i) {
    const CPoint p = form.PhotoCentre(i);
    form.Click(p.x, p.y);
  };
  click(0);
  EXPECT_EQ(Selected(list), (std::vector<int>{0}));
  click(1);
  EXPECT_EQ(Selected(list), (std::vector<int>{0, 1}));
  click(0);
  EXPECT_EQ(Selected(list), (std::vector<int>{1}));
  click(0);
  Chord(VK_SHIFT, [&] { click(3); });
  EXPECT_EQ(Selected(list), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(list->GetAnchorItemData(), Record(list, 0));
  Desktop::Get().KeyDown(VK_SHIFT);
  Chord(VK_CONTROL, [&] { click(5); });
  Desktop::Get().KeyUp(VK_SHIFT);
  EXPECT_EQ(Selected(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  Chord(VK_CONTROL, [&] { form.Key('A'); });
  EXPECT_EQ(Selected(list).size(), 9u);
  // A cell's photo status follows its record.
  EXPECT_EQ(dynamic_cast<UI::CUIListItem*>(list->GetItemFromDataIndex(8))->GetBigPhoto()->GetPhotoStatus(),
            UI::UIPhotoStatusSelected);

  // Delete takes the selected photos; the anchor moves past them.
  list->UnSelectAll();
  click(2);
  click(3);
  click(4);
  list->UpdateAnchorItemData(Record(list, 2));
  UI::ListItemData* after = Record(list, 5);
  form.Key(VK_DELETE);
  EXPECT_EQ(form.Order(), (Names{"photo0", "photo1", "photo5", "photo6", "photo7", "photo8"}));
  EXPECT_EQ(list->GetAnchorItemData(), after);

  // Arrows: three to a row here, so down from index 1 goes to 4.
  list->UnSelectAll();
  click(1);
  form.Key(VK_DOWN);
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 4}));
  form.Key(VK_LEFT);
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 3, 4}));

  // Single mode: clicking another photo selects only that one.
  list->SetSelectionMode(0);
  list->UnSelectAll();
  click(0);
  click(0);
  click(2);
  EXPECT_EQ(Selected(list), (std::vector<int>{2}));

  // Down past the end of a longer list goes to the last photo (3 + 3 ≥ 6: to 5, not 4)...
  list->UnSelectAll();
  click(3);
  form.Key(VK_DOWN);
  EXPECT_EQ(Selected(list), (std::vector<int>{5}));
  // ...and, when one row holds every photo, to the next one.
  for (int i = 0; i < 3; ++i) list->RemoveItem(Record(list, 3), TRUE);
  ASSERT_EQ(list->GetDataCount(), 3);
  list->UnSelectAll();
  click(0);
  form.Key(VK_DOWN);
  EXPECT_EQ(Selected(list), (std::vector<int>{1}));
  form.DestroyWindow();
}

TEST(PhotoListTest, APhotoAlreadyInTheListIsRefusedWhateverTheCaseOfItsPath) {
  if (!uitest::InPhotoFolder()) return;
  PhotoForm form;
  ASSERT_EQ(form.Open(), 1);
  UI::CUIList* list = form.List();
  form.AddPhotos(2);
  CString again = Record(list, 1)->GetOriPath();
  again.MakeUpper();
  EXPECT_EQ(list->AddItemData(new UI::ListItemData(again)), 2);
  EXPECT_EQ(list->GetDataCount(), 2);
  EXPECT_EQ(list->AddItemData(new UI::ListItemData(CString(L"/elsewhere/photo9.jpg"))), 3);
  form.DestroyWindow();
}

TEST(PhotoListTest, APhotoDraggedOntoAnotherLandsBeforeIt) {
  if (!uitest::InPhotoFolder()) return;
  PhotoForm form;
  ASSERT_EQ(form.Open(), 1);
  UI::CUIList* list = form.List();
  list->SetSupportDrag(1);
  form.AddPhotos(6);
  auto drag = [&](int from, int onto) {
    const CPoint a = form.PhotoCentre(from), b = form.PhotoCentre(onto);
    form.Down(a.x, a.y);
    form.MoveTo(a.x + 7, a.y + 9);
    form.MoveTo(b.x, b.y);
    form.Up(b.x, b.y);
  };
  drag(5, 2);
  EXPECT_EQ(form.Order(), (Names{"photo0", "photo1", "photo5", "photo2", "photo3", "photo4"}));
  drag(1, 4);
  EXPECT_EQ(form.Order(), (Names{"photo0", "photo5", "photo2", "photo1", "photo3", "photo4"}));
  drag(3, 3);
  EXPECT_EQ(form.Order(), (Names{"photo0", "photo5", "photo2", "photo1", "photo3", "photo4"}));
  EXPECT_EQ(list->GetMouseState(), 0);
  list->SetSupportDrag(0);
  drag(0, 2);
  EXPECT_EQ(form.Order()[0], "photo0") << "no drag without drag support";
  form.DestroyWindow();
}

TEST(PhotoListTest, TheRubberBandSelectsAndLetsTheCursorGoWhenTheFormLosesFocus) {
  if (!uitest::InPhotoFolder()) return;
  PhotoForm form;
  ASSERT_EQ(form.Open(), 1);
  UI::CUIList* list = form.List();
  form.Down(30, 30);
  EXPECT_EQ(list->GetMouseState(), 0) << "no band without photos";
  form.Up(30, 30);
  form.AddPhotos(6);
  const CRect cell0 = list->GetItemFromDataIndex(0)->GetBounds();
  const CRect cell4 = list->GetItemFromDataIndex(4)->GetBounds();
  // From the gap left of the first photo down across photos 0, 1, 3 and 4.
  const int x0 = list->GetBounds().left + 1, y0 = cell0.top + 20;
  ASSERT_LT(x0, cell0.left);
  form.Down(x0, y0);
  EXPECT_EQ(list->GetMouseState(), 2);
  RECT clip{};
  ::GetClipCursor(&clip);
  EXPECT_LT(clip.right - clip.left, 2000) << "the cursor is kept inside the form";
  Desktop::Get().MouseMove(x0 + 100, y0);  // across only: nothing yet
  form.MoveTo(cell4.left + 20, cell4.top + 20);
  EXPECT_EQ(Selected(list), (std::vector<int>{0, 1, 3, 4}));
  // Leaving the list starts the scrolling timer; losing activation stops it and frees the cursor.
  form.MoveTo(cell4.left + 20, list->GetBounds().bottom + 5);
  EXPECT_EQ(list->GetAutoScrollState(), 1);
  HWND other = OtherWindow();
  ASSERT_NE(other, nullptr);
  ::SetForegroundWindow(other);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(list->GetMouseState(), 0);
  EXPECT_EQ(list->GetAutoScrollState(), 0);
  ::GetClipCursor(&clip);
  const RECT screen = Desktop::Get().ScreenRect();
  EXPECT_TRUE(::EqualRect(&clip, &screen));
  ::DestroyWindow(other);
  form.DestroyWindow();
}

TEST(PhotoListTest, TheCountStaysBetweenOneAnd999AndReportsTheTotal) {
  if (!uitest::InPhotoFolder()) return;
  PhotoForm form;
  ASSERT_EQ(form.Open(), 1);
  UI::CUIList* list = form.List();
  form.AddPhotos(2);
  auto* cell = dynamic_cast<UI::CUIListItem*>(list->GetItemFromDataIndex(0));
  ASSERT_NE(cell, nullptr);
  EXPECT_STREQ(cell->GetNumberEdit()->GetText(), L"1");
  for (const auto& [in, out] : std::vector<std::pair<int, int>>{{0, 1}, {999, 999}, {1000, 999}, {7, 7}}) {
    cell->SetPhotoCount(in);
    EXPECT_EQ(Record(list, 0)->m_nPrintCount, out);
  }
  cell->SetPhotoCount(1);
  cell->AddPrintNum(-1);
  EXPECT_EQ(Record(list, 0)->m_nPrintCount, 1);
  form.m_photoCountEvents = 0;
  list->SetItemData(Record(list, 1), 5);
  EXPECT_EQ(list->GetPhotoCount(), 6);
  EXPECT_GT(form.m_photoCountEvents, 0);
  EXPECT_EQ(form.m_lastPhotoCount, 6);
  EXPECT_EQ(list->IsItemDataExist(Record(list, 1)->GetOriPath().MakeUpper()), 5);
  form.DestroyWindow();
}

}  // namespace

namespace {

UI::IMenu* ShownMenu(PhotoForm& form) {
  UI::CUIMenu* menu = form.GetActiveMenu();
  return menu ? menu->GetRootIMenu() : nullptr;
}

void RightClick(PhotoForm& form, CPoint client) {
  POINT at{client.x, client.y};
  ::ClientToScreen(form.m_hWnd, &at);
  Desktop::Get().MouseMove(at.x, at.y);
  Desktop::Get().MouseDown(Desktop::Button::Right, at.x, at.y);
  Desktop::Get().MouseUp(Desktop::Button::Right, at.x, at.y);
  Desktop::Get().PumpUntilIdle();
}

TEST(PhotoListMenuTest, TheContextMenuInvertsTheSelectionAndKnowsWhereItWasAsked) {
  if (!uitest::InPhotoFolder()) return;
  PhotoForm form;
  ASSERT_EQ(form.Open(), 1);
  UI::CUIList* list = form.List();
  form.AddPhotos(5);
  for (int i : {1, 3}) Record(list, i)->m_bSelected = 1;
  // A right click on an unselected photo adds it to the selection and offers every item.
  RightClick(form, form.PhotoCentre(0));
  EXPECT_EQ(Selected(list), (std::vector<int>{0, 1, 3}));
  UI::IMenu* root = ShownMenu(form);
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->GetSubMenuCount(), 8);
  EXPECT_EQ(root->GetSubMenu(0)->GetCaption(), CString(L"添加照片"));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(root->GetSubMenu(i)->IsDisabled(), 0);
  // "Cancel selection" inverts it.
  UI::IMenu::InvokeMenu(root, root->FindIMenu(3), form.GetActiveMenu());
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(Selected(list), (std::vector<int>{2, 4}));
  EXPECT_EQ(form.GetActiveMenu(), nullptr);

  // On empty space: everything deselected; the items that need a photo are disabled.
  const CRect last = list->GetItemFromDataIndex(4)->GetBounds();
  RightClick(form, CPoint(last.right + 20, last.top + 40));
  EXPECT_TRUE(Selected(list).empty());
  root = ShownMenu(form);
  ASSERT_NE(root, nullptr);
  for (int id : {3, 4, 5}) EXPECT_EQ(root->FindIMenu(id)->IsDisabled(), 1) << id;
  EXPECT_EQ(root->FindIMenu(2)->IsDisabled(), 0);
  UI::IMenu::InvokeMenu(root, root->FindIMenu(2), form.GetActiveMenu());
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(Selected(list).size(), 5u);
  form.DestroyWindow();
}

}  // namespace
