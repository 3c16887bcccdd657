// The edit, the list box with its scroll bar, the combo box, the tab control
// and the multi-line edit in its scroll viewer on a real X server (Xvfb),
// worked by xdotool's pointer and keys as a user would. A picture of the form
// is kept under screenshots/ for people to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ControlFixture.h"
#include "X11Server.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UIComboBox.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIListBox.h"
#include "ui/controls/UIMultiEdit.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UIScrollViewer.h"
#include "ui/controls/UITabControl.h"
#include "ui/controls/UITabItem.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Cursor.h"
#include "win32/MessageQueue.h"

#include <juce_core/juce_core.h>

// Last: Xlib's macros (None, Bool, True) would spoil the headers above.
#include <X11/Xlib.h>
#include <X11/cursorfont.h>

namespace {

using display::Desktop;
using x11test::WaitFor;
using uitest::FixtureForm;

const std::string kBuild = "<Fixture css=\"Win\"><Edit type=\"CUIEditEx\" css=\"Default\"/>"
                           "<List type=\"CUIListBox\" css=\"Default\"/><Combo type=\"CUIComboBox\" css=\"Default\"/>" +
                           std::string(uitest::kTabsBuild) +
                           "<Notes type=\"CUIScrollViewer\" css=\"Default\"><Memo type=\"CUIMultiEdit\" css=\"Default\"/>"
                           "</Notes></Fixture>";

std::string Utf8(const wchar_t* text) { return juce::String(text).toStdString(); }

class ControlsOnX11 {
 public:
  bool Start() {
    m_server = x11test::X11Server::Start();
    if (!m_server) return false;
    m_x11 = x11test::Present(*m_server);
    return m_x11 != nullptr;
  }
  ~ControlsOnX11() {
    if (m_server) Desktop::Get().SetPresenter(nullptr);
  }
  // xdotool's pointer to a point of the form's client area.
  std::string At(FixtureForm& form, CPoint client) {
    POINT p{client.x, client.y};
    ::ClientToScreen(form.m_hWnd, &p);
    return std::to_string(p.x) + " " + std::to_string(p.y);
  }
  void Xdo(const std::string& args) { ASSERT_EQ(m_server->Xdo(args), 0) << args; }
  bool BindKeys(const std::wstring& characters) { return m_server->BindKeys(characters); }

  std::unique_ptr<x11test::X11Server> m_server;
  display::X11Presenter* m_x11 = nullptr;
};

TEST(ControlsX11Test, AUserTypesPicksScrollsAndSwitchesTabsWithTheRealPointerAndKeys) {
  uitest::Files files = uitest::ShippedTheme(kBuild);
  std::string& skin = files["Theme/Default/Skin.xml"];
  skin.insert(skin.find("</CUIForm>"), "<Win BkColor=\"250, 251, 252\" MinSize=\"10, 10\"/>");
  if (!uitest::InProgramFolder(files)) return;
  ControlsOnX11 x;
  if (!x.Start()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  ASSERT_TRUE(x.BindKeys(L"云盘同步记录"));
  UI::CUISkinManager::GetInstance()->InitSkinData();
  FixtureForm form;
  ASSERT_EQ(form.Make(410, 320, 100, 100), 1);
  form.Place(L"Edit", CRect(20, 20, 170, 28), CRect(6, 3, 6, 3));
  form.Place(L"List", CRect(20, 70, 170, 122), CRect(1, 1, 1, 1));
  form.Place(L"Combo", CRect(220, 20, 170, 28), CRect(2, 2, 2, 2));
  form.Place(L"Tabs", CRect(20, 220, 370, 80));
  // Below the combo box's list, which drops over whatever lies under the box.
  form.Place(L"Notes", CRect(220, 128, 170, 72), CRect(1, 1, 1, 1));
  form.TitleTabs(L"常规", L"网络", L"高级");
  auto* list = form.Get<UI::CUIListBox>(L"List");
  for (const wchar_t* text : {L"文档", L"照片", L"音乐", L"视频", L"下载", L"备份", L"项目", L"归档"}) {
    list->AddItemData(new UI::ListBoxItemData(text));
  }
  auto* combo = form.Get<UI::CUIComboBox>(L"Combo");
  for (const wchar_t* text : {L"不使用代理", L"HTTP 代理", L"SOCKS5 代理"}) {
    combo->GetInnerListBox()->AddItemData(new UI::ListBoxItemData(text));
  }
  auto* tabs = form.Get<UI::CUITabControl>(L"Tabs");
  tabs->SetSelected(1);
  form.ArrangeAllSubControls();
  ASSERT_TRUE(WaitFor([&] { return x.m_x11->XWindowOf(form.m_hWnd) != 0; }));

  // The edit: a click, then ASCII and Chinese typed on the keyboard.
  auto* edit = form.Get<UI::CUIEditEx>(L"Edit");
  x.Xdo("mousemove " + x.At(form, form.BoundsOf(L"Edit").CenterPoint()) + " click 1");
  ASSERT_TRUE(WaitFor([&] { return edit->IsKBFocused(); }));
  x.Xdo("type --delay 20 'Dorv 云盘'");
  ASSERT_TRUE(WaitFor([&] { return CString(edit->GetText()) == L"Dorv 云盘"; })) << Utf8(edit->GetText());

  // The list box: the row under the pointer is selected, the wheel scrolls a
  // row, the scroll bar's down arrow another.
  UI::CUIItemBase* third = list->GetItemFromIndex(3);
  ASSERT_NE(third, nullptr);
  x.Xdo("mousemove " + x.At(form, third->GetBounds().CenterPoint()));
  ASSERT_TRUE(WaitFor([&] { return list->GetSelectedItemIndex() == 3; }));
  x.Xdo("click 5");
  ASSERT_TRUE(WaitFor([&] { return list->GetOffset().y == 24; })) << list->GetOffset().y;
  UI::CUIScrollBar* bar = list->GetScrollBar();
  ASSERT_TRUE(bar && bar->IsVisible());
  x.Xdo("mousemove " + x.At(form, bar->GetSecondButton()->GetBounds().CenterPoint()) + " click 1");
  ASSERT_TRUE(WaitFor([&] { return list->GetOffset().y == 48; })) << list->GetOffset().y;
  // Dragging the thumb to the top scrolls back to the first row.
  const CPoint grip = bar->GetThumbRect().CenterPoint();
  x.Xdo("mousemove " + x.At(form, grip) + " mousedown 1");
  ASSERT_TRUE(WaitFor([&] { return bar->IsDragging(); }));
  x.Xdo("mousemove " + x.At(form, CPoint(grip.x, grip.y - 100)) + " mouseup 1");
  ASSERT_TRUE(WaitFor([&] { return !bar->IsDragging() && list->GetOffset().y == 0; }));

  // The combo box: a click opens its list, a click on a row takes it.
  x.Xdo("mousemove " + x.At(form, form.BoundsOf(L"Combo").CenterPoint()) + " click 1");
  UI::CUIListBox* drop = combo->GetInnerListBox();
  ASSERT_TRUE(WaitFor([&] { return drop->IsVisible(); }));
  const CRect row = drop->GetItemFromIndex(2)->GetBounds();
  x.Xdo("mousemove " + x.At(form, CPoint(row.left + 5, row.top + 5)) + " sleep 0.1 mousemove " +
        x.At(form, CPoint(row.left + 8, row.top + 6)) + " click 1");
  ASSERT_TRUE(WaitFor([&] { return CString(combo->m_pEditEx->GetText()) == L"HTTP 代理"; }));
  EXPECT_FALSE(drop->IsVisible());

  // The tab control: a click on the third header, then Ctrl+Tab wraps to the first.
  auto* p3 = form.Get<UI::CUITabItem>(L"P3");
  x.Xdo("mousemove " + x.At(form, p3->GetHeader()->GetBounds().CenterPoint()) + " sleep 0.1 click 1");
  ASSERT_TRUE(WaitFor([&] { return tabs->GetSelectedItemIndex() == 3; }));
  tabs->SetKBFocused(TRUE);
  x.Xdo("key ctrl+Tab");
  ASSERT_TRUE(WaitFor([&] { return tabs->GetSelectedItemIndex() == 1; }));
  tabs->SetSelected(2);

  // The multi-line edit: two lines typed, the second long enough to scroll sideways.
  auto* memo = form.Get<UI::CUIMultiEdit>(L"Memo");
  auto* notes = form.Get<UI::CUIScrollViewer>(L"Notes");
  x.Xdo("mousemove " + x.At(form, form.BoundsOf(L"Memo").TopLeft() + CPoint(5, 5)) + " click 1");
  ASSERT_TRUE(WaitFor([&] { return form.GetKeyFocusControl() == memo; }));
  x.Xdo("type --delay 20 '同步记录'");
  ASSERT_TRUE(WaitFor([&] { return CString(memo->GetText()) == L"同步记录"; })) << Utf8(memo->GetText());
  x.Xdo("key Return");
  ASSERT_TRUE(WaitFor([&] { return memo->GetTextLength() == 5; })) << Utf8(memo->GetText());
  x.Xdo("type --delay 10 'the second line, long enough to scroll'");
  const CString typed = L"同步记录\nthe second line, long enough to scroll";
  ASSERT_TRUE(WaitFor([&] { return CString(memo->GetText()) == typed; })) << Utf8(memo->GetText());
  EXPECT_GT(notes->GetOffset().x, 0);
  x.Xdo("key Left");
  ASSERT_TRUE(WaitFor([&] { return memo->GetCursor() == typed.GetLength() - 1; }));

  form.Refresh(FALSE, nullptr);
  Desktop::Get().PumpUntilIdle();
  EXPECT_TRUE(x.m_server->Screen().WritePng(DORV_SCREENSHOTS "/controls-x11.png"));
  form.DestroyWindow();
}

// The pointer on the display takes the shape of the control under it, and the
// form's own cursor over all of them while it is set.
TEST(ControlsX11Test, ThePointerShowsTheShapeOfTheControlUnderIt) {
  uitest::Files files = uitest::ShippedTheme(
      "<Cursors css=\"Win\"><Edit type=\"CUIEditEx\" css=\"Default\"/>"
      "<Link type=\"CUILabel\" css=\"HyperLink\"/></Cursors>");
  std::string& skin = files["Theme/Default/Skin.xml"];
  skin.insert(skin.find("</CUIForm>"), "<Win BkColor=\"250, 251, 252\" MinSize=\"10, 10\"/>");
  if (!uitest::InProgramFolder(files)) return;
  ControlsOnX11 x;
  if (!x.Start()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  // How the server draws each shape, learnt before the form is up.
  using Look = x11test::X11Server::CursorLook;
  const Look arrow = x.m_server->FontCursor(XC_left_ptr), beam = x.m_server->FontCursor(XC_xterm),
             hand = x.m_server->FontCursor(XC_hand2), cross = x.m_server->FontCursor(XC_crosshair);
  ASSERT_FALSE(beam.pixels.empty());
  ASSERT_NE(beam, arrow);
  ASSERT_NE(hand, arrow);
  ASSERT_NE(cross, arrow);
  UI::CUISkinManager::GetInstance()->InitSkinData();
  FixtureForm form(L"Cursors");
  ASSERT_EQ(form.Make(300, 160, 100, 100), 1);
  form.Place(L"Edit", CRect(20, 20, 170, 28), CRect(6, 3, 6, 3));
  form.Place(L"Link", CRect(20, 80, 120, 24));
  form.FindControlRecusive(L"Link")->SetText(L"dorv.example", FALSE);
  form.ArrangeAllSubControls();
  ASSERT_TRUE(WaitFor([&] { return x.m_x11->XWindowOf(form.m_hWnd) != 0; }));
  auto shows = [&](const Look& look) { return WaitFor([&] { return x.m_server->PointerShape() == look; }); };
  auto moveTo = [&](CPoint client) { x.Xdo("mousemove " + x.At(form, client)); };

  moveTo(form.BoundsOf(L"Edit").CenterPoint());
  EXPECT_TRUE(shows(beam)) << "the edit's I-beam";
  moveTo(form.BoundsOf(L"Link").CenterPoint());
  EXPECT_TRUE(shows(hand)) << "the link's hand";
  moveTo(CPoint(250, 140));
  EXPECT_TRUE(shows(arrow)) << "the bare form's arrow";

  ASSERT_EQ(form.SetGlobalCursor(IDC_CROSS), 1);
  EXPECT_TRUE(shows(cross)) << "the form's own, at once";
  auto* edit = form.Get<UI::CUIEditEx>(L"Edit");
  moveTo(form.BoundsOf(L"Edit").CenterPoint());
  ASSERT_TRUE(WaitFor([&] { return form.GetMouseFocusControl() == edit; }));
  EXPECT_TRUE(shows(cross)) << "the form's own over the edit";
  ASSERT_EQ(form.SetGlobalCursor(nullptr), 1);
  moveTo(form.BoundsOf(L"Edit").CenterPoint() + CPoint(3, 0));
  EXPECT_TRUE(shows(beam)) << "the edit's own again";
  form.DestroyWindow();
}

}  // namespace
