// The menu tree and the popup menu window on the headless desktop: the tree's
// look-ups and its release, the rows and the placement, the pointer (hover on
// the layer's clock), the keys, and every way a menu closes, each releasing
// the tree exactly once.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "ControlFixture.h"
#include "display/Desktop.h"
#include "ui/menu/IMenu.h"
#include "ui/menu/MenuItem.h"
#include "ui/menu/UIMenu.h"
#include "ui/skin/UISkinManager.h"
#include "win32/ManualClock.h"

namespace {

using display::Desktop;
using UI::CUIMenu;
using UI::IMenu;
using uitest::FixtureForm;

// Rows 20 high, an indent of 2 and separators 6 high (the tallest of their pieces);
// the lit row's text in pure red.
const char kSkin[] =
    "<css><CUIForm><Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/></CUIForm>"
    "<CUIMenu><Public Indent=\"2\" TextOffset=\"6, 30\" MenuItemHeight=\"20\">"
    "<Color Text=\"0, 0, 0\" TextSel=\"255, 0, 0\"/>"
    "<SeperatorImage File=\"sep.png\" left=\"0, 0, 1, 4\" mid=\"1, 0, 1, 6\" right=\"2, 0, 1, 4\"/>"
    "</Public>"
    // Red text in the test font 20 high, whose space is 10 pixels wide.
    "<Wide Indent=\"2\" TextOffset=\"6, 30\" MenuItemHeight=\"24\">"
    "<Font FontFace=\"Dorv Test\" FontSize=\"20\"/><Color Text=\"255, 0, 0\"/>"
    "</Wide></CUIMenu></css>";
const char kBuild[] = "<Fixture css=\"Win\"/>";

bool InSkinFolder() {
  if (!uitest::InProgramFolder(uitest::SkinTheme(kSkin, "", kBuild))) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

// Counts the data objects deleted with their nodes.
int g_dataDeleted = 0;
struct CountedData : UI::IMenuData {
  ~CountedData() override { ++g_dataDeleted; }
};

// The pump of the program's loop: keys are offered to the windows first.
void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (CWnd::WalkPreTranslateTree(nullptr, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// The owner form, noting the hover messages its menus post.
class OwnerForm : public FixtureForm {
 public:
  std::vector<WPARAM> hovered;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == CUIMenu::kHoverMsg) hovered.push_back(wParam);
    return FixtureForm::WindowProc(message, wParam, lParam);
  }
};

class Handlers {
 public:
  void OnChosen(IMenu* node) {
    chosen.push_back(node->GetID());
    activeDuringHandler = owner ? owner->GetActiveMenu() : nullptr;
    if (node->m_pMenuData) ++dataSeen;
    if (reopen) IMenu::PopupMenu(owner, Tree(), 50, 50, 1, L"");
  }
  void Throw(IMenu*) { throw std::runtime_error("handler failed"); }

  // root: 0 "open", 1 "more" (2 "inner", 3 "inner2"), separator, 4 "off" (disabled), 5 "last".
  IMenu* Tree() {
    auto* root = new IMenu;
    UI::MenuHandler handler = fastdelegate::MakeDelegate(this, &Handlers::OnChosen);
    root->AddMenu(L"open", 0, 0, 0, handler, CString())->m_pMenuData = new CountedData;
    IMenu* more = root->AddMenu(L"more", 1, 0, 0, handler, CString());
    more->AddMenu(L"inner", 2, 0, 0, handler, CString())->m_pMenuData = new CountedData;
    more->AddMenu(L"inner2", 3, 0, 1, handler, CString());
    root->AddMenu(L"", 0, 0, 0);
    root->AddMenu(L"off", 4, 1, 0, handler, CString());
    root->AddMenu(L"last", 5, 0, 0, handler, CString());
    return root;
  }

  UI::CUIForm* owner = nullptr;
  std::vector<int> chosen;
  CUIMenu* activeDuringHandler = reinterpret_cast<CUIMenu*>(1);
  int dataSeen = 0;
  bool reopen = false;
};

class MenuTest : public testing::Test {
 public:
  void Open(int x = 300, int y = 200) {
    g_dataDeleted = 0;
    form.Make(200, 150, 20, 20);
    handlers.owner = &form;
    IMenu::PopupMenu(&form, handlers.Tree(), x, y, 1, L"");
    Pump();
    menu = form.GetActiveMenu();
    ASSERT_NE(menu, nullptr);
  }
  // The middle of a row of a menu, on the screen.
  POINT RowPoint(CUIMenu* m, int row) {
    UI::MenuItem* item = m->GetItem(row);
    POINT at{10, item->GetPos() + item->GetHeight() / 2};
    ::ClientToScreen(m->m_hWnd, &at);
    return at;
  }
  void MoveTo(POINT at) {
    Desktop::Get().MouseMove(at.x, at.y);
    Pump();
  }
  void Hover(POINT at) {
    MoveTo(at);
    clock.Advance(1);
    Pump();
  }
  void Click(POINT at) {
    MoveTo(at);
    Desktop::Get().MouseDown(Desktop::Button::Left, at.x, at.y);
    Desktop::Get().MouseUp(Desktop::Button::Left, at.x, at.y);
    Pump();
  }
  void Key(UINT vk) {
    Desktop::Get().KeyPress(vk);
    Pump();
  }

  win32::ManualClock clock;
  win32::ScopedClock useClock{clock};
  OwnerForm form;
  Handlers handlers;
  CUIMenu* menu = nullptr;
};

TEST(MenuTree, LookUpsCloneInvokeAndReleaseEveryNodeOnce) {
  Handlers handlers;
  IMenu* root = handlers.Tree();
  EXPECT_EQ(root->FindIMenu(-2), nullptr);
  IMenu* unnamed = new IMenu(L"x", 7, 0, 0);
  root->AddMenu(unnamed);
  // -1 finds nothing left at the default id here; a bare node is found.
  EXPECT_EQ(root->FindIMenu(-1), nullptr);
  root->AddMenu(new IMenu);
  EXPECT_EQ(root->FindIMenu(-1), root->GetSubMenu(6));
  // Depth first: a child before its subtree, the subtree before later siblings.
  std::list<IMenu*> all;
  root->GetAllSubMenu(all);
  std::vector<int> ids;
  for (IMenu* n : all) ids.push_back(n->GetID());
  EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3, 0, 4, 5, 7, -1}));
  EXPECT_EQ(root->FindIMenu(3)->GetCaption(), CString(L"inner2"));
  EXPECT_EQ(root->FindIMenu(0), root->GetSubMenu(0));

  IMenu* copy = IMenu::Clone(root);
  EXPECT_EQ(copy->GetSubMenu(1)->GetCaption(), CString(L"more"));
  EXPECT_EQ(copy->GetSubMenu(1)->GetSubMenuCount(), 2);
  EXPECT_EQ(copy->GetSubMenu(1)->GetSubMenu(1)->IsChecked(), 1);
  EXPECT_EQ(copy->GetSubMenu(0)->m_pMenuData, nullptr);
  EXPECT_EQ(copy->GetSubMenu(0)->Invoke(), 1);  // the handler came along
  EXPECT_EQ(handlers.chosen, std::vector<int>{0});
  copy->Release();

  EXPECT_EQ(unnamed->Invoke(), 0);  // no handler
  IMenu* failing = root->AddMenu(L"bad", 9, 0, 0, fastdelegate::MakeDelegate(&handlers, &Handlers::Throw), CString());
  EXPECT_EQ(failing->Invoke(), 0);

  g_dataDeleted = 0;
  root->Release();
  EXPECT_EQ(g_dataDeleted, 2);
}

TEST_F(MenuTest, RowsBoundsStylesAndTheOwnersActiveMenu) {
  if (!InSkinFolder()) return;
  Open(300, 200);
  ASSERT_EQ(menu->GetItemCount(), 5);
  // Rows stack from the indent; the separator takes its tallest piece's height.
  std::vector<int> pos, height;
  for (int i = 0; i < 5; ++i) {
    pos.push_back(menu->GetItem(i)->GetPos());
    height.push_back(menu->GetItem(i)->GetHeight());
  }
  EXPECT_EQ(pos, (std::vector<int>{2, 22, 42, 48, 68}));
  EXPECT_EQ(height, (std::vector<int>{20, 20, 6, 20, 20}));
  EXPECT_EQ(menu->GetBounds().bottom, 90);
  EXPECT_GT(menu->GetBounds().Width(), 40);  // text plus offsets and indents
  // A borderless topmost tool window, active, its client area at the point less the overlap.
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(menu->m_hWnd, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(menu->m_hWnd, GWL_EXSTYLE));
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_EQ(::GetForegroundWindow(), menu->m_hWnd);
  POINT origin{0, 0};
  ::ClientToScreen(menu->m_hWnd, &origin);
  EXPECT_EQ(origin.x, 299);
  EXPECT_EQ(origin.y, 200);
  // Only the client area shows.
  RECT window;
  ::GetWindowRect(menu->m_hWnd, &window);
  EXPECT_EQ(::WindowFromPoint(POINT{origin.x + 5, origin.y + 5}), menu->m_hWnd);
  if (origin.x > window.left) {
    EXPECT_NE(::WindowFromPoint(POINT{window.left, origin.y + 5}), menu->m_hWnd);
  }
  menu->ReleaseAll();
  EXPECT_EQ(form.GetActiveMenu(), nullptr);
  EXPECT_EQ(g_dataDeleted, 2);
}

TEST_F(MenuTest, PlacementAvoidsTheScreensRightAndBottomEdges) {
  if (!InSkinFolder()) return;
  const int screenW = ::GetSystemMetrics(SM_CXFULLSCREEN), screenH = ::GetSystemMetrics(SM_CYFULLSCREEN);
  Open(screenW - 5, screenH - 5);
  POINT origin{0, 0};
  ::ClientToScreen(menu->m_hWnd, &origin);
  const CRect b = menu->GetBounds();
  EXPECT_EQ(origin.x, screenW - 5 + 1 - b.Width());  // right-aligned at x + dx
  EXPECT_EQ(origin.y, screenH - 5 - b.Height());     // opened upward
  // The sub-menu crosses neither edge either: left of its parent, shifted down by a row + 4.
  Hover(RowPoint(menu, 1));
  CUIMenu* child = menu->GetChildMenu();
  ASSERT_NE(child, nullptr);
  POINT childOrigin{0, 0};
  ::ClientToScreen(child->m_hWnd, &childOrigin);
  const int x = origin.x + b.Width(), y = origin.y + menu->GetItem(1)->GetPos() - 2;
  EXPECT_EQ(childOrigin.x, x + 4 - child->GetBounds().Width() - b.Width());
  EXPECT_EQ(childOrigin.y, y);  // it fits below
  menu->ReleaseAll();
}

// Rows without icon whose caption begins with spaces keep the icon's place free: their
// text lines up with the text after an icon, however wide the face's spaces are.
TEST_F(MenuTest, SpacedTextLinesUpWithTextAfterAnIconInAnyFace) {
  if (!InSkinFolder()) return;
  form.Make(200, 150, 20, 20);
  auto* root = new IMenu;
  root->AddMenu(L"Ab", 0, 0, 0, UI::MenuHandler(), CString(L"icon.png"));
  root->AddMenu(L"   Ab", 1, 0, 0);
  root->AddMenu(L"Ab", 2, 0, 0);
  IMenu::PopupMenu(&form, root, 100, 100, 1, L"Wide");
  Pump();
  menu = form.GetActiveMenu();
  ASSERT_NE(menu, nullptr);
  const display::Pixels pixels = Desktop::Get().CaptureWindow(menu->m_hWnd);
  auto textLeft = [&](int row) {
    UI::MenuItem* item = menu->GetItem(row);
    for (int x = 0; x < menu->GetBounds().Width(); ++x)
      for (int y = item->GetPos(); y < item->GetPos() + item->GetHeight(); ++y) {
        const COLORREF c = pixels.At(x, y);
        if (GetRValue(c) > 200 && GetGValue(c) < 50 && GetBValue(c) < 50) return x;
      }
    return -1;
  };
  // Indent 2, gap 6, the icon's 18, and the glyph's own first column.
  EXPECT_EQ(textLeft(0), 27);
  EXPECT_EQ(textLeft(1), 27);
  EXPECT_EQ(textLeft(2), 9);
  // The spaces are not measured either: the row needs no more room than the icon's.
  const int width = menu->GetBounds().Width();
  menu->ReleaseAll();
  auto* alone = new IMenu;
  alone->AddMenu(L"Ab", 0, 0, 0, UI::MenuHandler(), CString(L"icon.png"));
  IMenu::PopupMenu(&form, alone, 100, 100, 1, L"Wide");
  Pump();
  ASSERT_NE(form.GetActiveMenu(), nullptr);
  EXPECT_EQ(form.GetActiveMenu()->GetBounds().Width(), width);
  form.GetActiveMenu()->ReleaseAll();
}

TEST_F(MenuTest, EmptyMenuIs200Square) {
  if (!InSkinFolder()) return;
  form.Make(200, 150, 20, 20);
  IMenu::PopupMenu(&form, new IMenu, 100, 100, 1, L"");
  Pump();
  ASSERT_NE(form.GetActiveMenu(), nullptr);
  EXPECT_EQ(form.GetActiveMenu()->GetBounds(), CRect(0, 0, 200, 200));
  form.GetActiveMenu()->ReleaseAll();
}

TEST_F(MenuTest, HoverOpensSubMenusAndReportsLeaves) {
  if (!InSkinFolder()) return;
  Open();
  Hover(RowPoint(menu, 0));
  EXPECT_EQ(menu->GetSelectedItem(), menu->GetItem(0));
  // The lit row shows at once, in the selected text colour.
  auto litPixels = [&](int row) {
    UI::MenuItem* item = menu->GetItem(row);
    const display::Pixels pixels = Desktop::Get().CaptureWindow(menu->m_hWnd);
    int reddish = 0;  // the text's edges are blended with the white
    for (int y = item->GetPos(); y < item->GetPos() + item->GetHeight(); ++y)
      for (int x = 0; x < menu->GetBounds().Width(); ++x) {
        const COLORREF c = pixels.At(x, y);
        reddish += GetRValue(c) > 150 && GetGValue(c) < 100 && GetBValue(c) < 100;
      }
    return reddish;
  };
  EXPECT_GT(litPixels(0), 0);
  EXPECT_EQ(Desktop::Get().PointerGrab(), menu->m_hWnd);
  // A row with children opens its sub-menu, not activated, to the right; the
  // pointer's grab goes with the newest menu of the chain.
  Hover(RowPoint(menu, 1));
  CUIMenu* child = menu->GetChildMenu();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(::GetForegroundWindow(), menu->m_hWnd);
  EXPECT_TRUE(::IsWindowVisible(child->m_hWnd));
  EXPECT_EQ(Desktop::Get().PointerGrab(), child->m_hWnd);
  // Into the sub-menu: the parent row stays lit.
  Hover(RowPoint(child, 0));
  EXPECT_EQ(menu->GetSelectedItem(), menu->GetItem(1));
  EXPECT_EQ(child->GetSelectedItem(), child->GetItem(0));
  EXPECT_EQ(litPixels(0), 0);
  EXPECT_GT(litPixels(1), 0);
  // Back onto the separator: the sub-menu closes, nothing is lit, and the
  // grab is the root's again.
  MoveTo(RowPoint(menu, 2));
  EXPECT_EQ(menu->GetChildMenu(), nullptr);
  EXPECT_EQ(menu->GetSelectedItem(), nullptr);
  EXPECT_EQ(Desktop::Get().PointerGrab(), menu->m_hWnd);
  // A disabled row is never lit.
  MoveTo(RowPoint(menu, 3));
  EXPECT_EQ(menu->GetSelectedItem(), nullptr);
  menu->ReleaseAll();
}

TEST_F(MenuTest, HoverOnALeafPostsItsIdToTheOwner) {
  if (!InSkinFolder()) return;
  Open();
  MoveTo(RowPoint(menu, 4));
  EXPECT_TRUE(form.hovered.empty());
  clock.Advance(1);
  Pump();
  EXPECT_EQ(form.hovered, std::vector<WPARAM>{5});
  // Separators and disabled rows report nothing.
  Hover(RowPoint(menu, 2));
  Hover(RowPoint(menu, 3));
  EXPECT_EQ(form.hovered, std::vector<WPARAM>{5});
  menu->ReleaseAll();
}

TEST_F(MenuTest, ClickingALeafRunsItsHandlerOnceAfterTheWindowsWent) {
  if (!InSkinFolder()) return;
  Open();
  HWND window = menu->m_hWnd;
  // Separators, disabled rows and rows with children do nothing.
  for (int row : {1, 2, 3}) Click(RowPoint(menu, row));
  EXPECT_TRUE(handlers.chosen.empty());
  ASSERT_EQ(form.GetActiveMenu(), menu);
  Click(RowPoint(menu, 0));
  EXPECT_EQ(handlers.chosen, std::vector<int>{0});
  EXPECT_EQ(handlers.activeDuringHandler, nullptr);  // the handler sees no menu...
  EXPECT_EQ(handlers.dataSeen, 1);                   // ...but its node and data
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(form.GetActiveMenu(), nullptr);
  EXPECT_EQ(g_dataDeleted, 2);
  EXPECT_EQ(Desktop::Get().PointerGrab(), nullptr);
}

TEST_F(MenuTest, ChoosingInASubMenuAndOpeningANewMenuFromTheHandler) {
  if (!InSkinFolder()) return;
  Open();
  handlers.reopen = true;
  Hover(RowPoint(menu, 1));
  CUIMenu* child = menu->GetChildMenu();
  ASSERT_NE(child, nullptr);
  HWND childWindow = child->m_hWnd;
  Click(RowPoint(child, 0));
  EXPECT_EQ(handlers.chosen, std::vector<int>{2});
  EXPECT_FALSE(::IsWindow(childWindow));
  EXPECT_EQ(g_dataDeleted, 2);
  // The handler's own menu is the form's menu now, and works.
  CUIMenu* again = form.GetActiveMenu();
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again->m_hWnd, nullptr);
  handlers.reopen = false;
  Click(RowPoint(again, 4));
  EXPECT_EQ(handlers.chosen, (std::vector<int>{2, 5}));
  EXPECT_EQ(g_dataDeleted, 4);
}

TEST_F(MenuTest, KeysMoveTheSelectionOpenSubMenusAndChoose) {
  if (!InSkinFolder()) return;
  Open();
  Key(VK_DOWN);
  EXPECT_EQ(menu->GetSelectedItem(), menu->GetItem(0));
  Key(VK_DOWN);
  Key(VK_DOWN);  // over the separator and the disabled row
  EXPECT_EQ(menu->GetSelectedItem(), menu->GetItem(4));
  Key(VK_DOWN);  // wraps
  EXPECT_EQ(menu->GetSelectedItem(), menu->GetItem(0));
  Key(VK_UP);
  EXPECT_EQ(menu->GetSelectedItem(), menu->GetItem(4));
  Key(VK_UP);
  EXPECT_EQ(menu->GetSelectedItem(), menu->GetItem(1));
  Key(VK_RIGHT);
  CUIMenu* child = menu->GetChildMenu();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->GetSelectedItem(), child->GetItem(0));
  Key(VK_DOWN);
  EXPECT_EQ(child->GetSelectedItem(), child->GetItem(1));
  Key(VK_LEFT);
  EXPECT_EQ(menu->GetChildMenu(), nullptr);
  EXPECT_EQ(menu->GetSelectedItem(), menu->GetItem(1));
  Key(VK_RETURN);  // on a row with children: opens it
  ASSERT_NE(menu->GetChildMenu(), nullptr);
  Key(VK_RETURN);
  EXPECT_EQ(handlers.chosen, std::vector<int>{2});
  EXPECT_EQ(form.GetActiveMenu(), nullptr);
  EXPECT_EQ(g_dataDeleted, 2);
}

// Every way of closing releases the tree once and leaves the owner without a menu.
TEST_F(MenuTest, EscapeAClickOutsideAPressOnTheOwnerAndLostActivationClose) {
  if (!InSkinFolder()) return;
  struct Way {
    const char* name;
    void (*close)(MenuTest&);
  };
  const Way ways[] = {
      {"Escape", [](MenuTest& t) { t.Key(VK_ESCAPE); }},
      {"click on no window",
       [](MenuTest&) {
         Desktop::Get().MouseDown(Desktop::Button::Left, 1000, 700);
         Desktop::Get().MouseUp(Desktop::Button::Left, 1000, 700);
         Pump();
       }},
      {"right press on the owner",
       [](MenuTest& t) {
         POINT at{50, 50};
         ::ClientToScreen(t.form.m_hWnd, &at);
         Desktop::Get().MouseDown(Desktop::Button::Right, at.x, at.y);
         Desktop::Get().MouseUp(Desktop::Button::Right, at.x, at.y);
         Pump();
       }},
      {"another window activated", [](MenuTest& t) {
         ::SetForegroundWindow(t.form.m_hWnd);
         Pump();
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    if (!form.m_hWnd) form.Make(200, 150, 20, 20);
    g_dataDeleted = 0;
    handlers.owner = &form;
    IMenu::PopupMenu(&form, handlers.Tree(), 300, 200, 1, L"");
    Pump();
    menu = form.GetActiveMenu();
    ASSERT_NE(menu, nullptr);
    Hover(RowPoint(menu, 1));  // with a sub-menu open
    ASSERT_NE(menu->GetChildMenu(), nullptr);
    HWND window = menu->m_hWnd, child = menu->GetChildMenu()->m_hWnd;
    way.close(*this);
    EXPECT_EQ(form.GetActiveMenu(), nullptr);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(::IsWindow(child));
    EXPECT_EQ(g_dataDeleted, 2);
    EXPECT_TRUE(handlers.chosen.empty());
    EXPECT_EQ(Desktop::Get().PointerGrab(), nullptr);  // the pointer is free again
  }
}

TEST_F(MenuTest, ActivationMovingIntoTheChainKeepsItOpen) {
  if (!InSkinFolder()) return;
  Open();
  Hover(RowPoint(menu, 1));
  CUIMenu* child = menu->GetChildMenu();
  ASSERT_NE(child, nullptr);
  // A press on the sub-menu activates it; the chain stays.
  POINT at = RowPoint(child, 0);
  Desktop::Get().MouseDown(Desktop::Button::Left, at.x, at.y);
  Pump();
  EXPECT_EQ(form.GetActiveMenu(), menu);
  ::SetForegroundWindow(menu->m_hWnd);
  Pump();
  EXPECT_EQ(form.GetActiveMenu(), menu);
  Desktop::Get().MouseUp(Desktop::Button::Left, at.x, at.y);
  Pump();
  EXPECT_EQ(form.GetActiveMenu(), nullptr);  // the release chose the row
  EXPECT_EQ(handlers.chosen, std::vector<int>{2});
  EXPECT_EQ(g_dataDeleted, 2);
}

TEST_F(MenuTest, TheOwnerFormGoingTakesTheMenuAndTree) {
  if (!InSkinFolder()) return;
  auto* owner = new FixtureForm(L"Fixture");
  owner->Make(200, 150, 20, 20);
  g_dataDeleted = 0;
  IMenu::PopupMenu(owner, handlers.Tree(), 300, 200, 1, L"");
  Pump();
  HWND window = owner->GetActiveMenu()->m_hWnd;
  static_cast<UI::CUIControl*>(owner)->Release();
  Pump();
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(g_dataDeleted, 2);
  EXPECT_EQ(Desktop::Get().PointerGrab(), nullptr);
}

}  // namespace
