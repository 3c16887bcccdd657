// The edit, the list box with its scroll bar, the combo box and the range
// controls in a fixture form, driven by injected input on the headless desktop.
#include <gtest/gtest.h>

#include "ControlFixture.h"
#include "display/Desktop.h"
#include "ui/controls/UIComboBox.h"
#include "ui/controls/EditExConfig.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIListBox.h"
#include "ui/controls/UIRangeBase.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UITabControl.h"
#include "ui/controls/UISlider.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Caret.h"
#include "win32/Clipboard.h"
#include "win32/Gdi.h"
#include "win32/GdiText.h"
#include "win32/Imm.h"

namespace {

using display::Desktop;
using uitest::EventRecord;
using uitest::FixtureForm;
using Events = std::vector<EventRecord>;
using uitest::Chord;
using uitest::ClipboardText;
using uitest::SetClipboardText;
using uitest::Type;

const char kSkin[] =
    "<css><CUIForm><Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/></CUIForm>"
    "<CUIEditEx><Edit><Font FontFace=\"SimSun\" FontSize=\"12\"/></Edit></CUIEditEx>"
    "<CUIListBox><List ItemCss=\"Row\" ItemSize=\"150, 20\" BkColor=\"255, 255, 255\"/>"
    "<ComboList ItemCss=\"Row\" ItemSize=\"150, 20\"/></CUIListBox>"
    "<CUIListBoxItem><Row BkColorNormal=\"255, 255, 255\"/></CUIListBoxItem>"
    "<CUIScrollBar><VScrollBar IsHorz=\"false\">"
    "<ThumbImageBKNormal File=\"thumb.png\"><EdgeTop left=\"0, 0, 4, 4\" mid=\"4, 0, 4, 4\" right=\"8, 0, 4, 4\"/>"
    "</ThumbImageBKNormal></VScrollBar></CUIScrollBar>"
    "<CUIComboBox><Combo EditExCss=\"Edit\" ListBoxCss=\"ComboList\"/></CUIComboBox>"
    "<CUISlider><Slider><SliderBtn File=\"knob.png\" Normal=\"0, 0, 20, 10\"/></Slider></CUISlider></css>"
    "<ass><CUIEditEx><Edit Size=\"100, 24\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\" Padding=\"4, 2, 4, 2\"/>"
    "<Pwd Size=\"100, 24\" AnchorStyle=\"topleft\" Margin=\"150, 10, 0, 0\" Padding=\"4, 2, 4, 2\"/></CUIEditEx>"
    "<CUIListBox><List Size=\"150, 100\" AnchorStyle=\"topleft\" Margin=\"10, 50, 0, 0\"/>"
    "<ComboList Size=\"0, 60\"/></CUIListBox>"
    "<CUIScrollBar><VScrollBar Size=\"16, 0\" DockStyle=\"right\"/></CUIScrollBar>"
    "<CUIButton><VSUpBotton Size=\"0, 16\" DockStyle=\"top\"/><VSDownButton Size=\"0, 16\" DockStyle=\"bottom\"/>"
    "</CUIButton>"
    "<CUIComboBox><Combo Size=\"150, 24\" AnchorStyle=\"topleft\" Margin=\"200, 50, 0, 0\"/></CUIComboBox>"
    "<CUIControl><After Size=\"50, 24\" AnchorStyle=\"topleft\" Margin=\"200, 200, 0, 0\"/></CUIControl>"
    "<CUISlider><Slider Size=\"100, 20\" AnchorStyle=\"topleft\" Margin=\"10, 170, 0, 0\"/></CUISlider></ass>";
const char kBuild[] =
    "<Fixture css=\"Win\">"
    "<Edit type=\"CUIEditEx\" css=\"Edit\" ass=\"Edit\"/><Pwd type=\"CUIEditEx\" css=\"Edit\" ass=\"Pwd\"/>"
    "<List type=\"CUIListBox\" css=\"List\" ass=\"List\"/>"
    "<Combo type=\"CUIComboBox\" css=\"Combo\" ass=\"Combo\"/>"
    "<Slider type=\"CUISlider\" css=\"Slider\" ass=\"Slider\"/>"
    "</Fixture>";

bool InSkinFolder() {
  uitest::Files files = uitest::SkinTheme(kSkin, "", kBuild);
  if (!uitest::InProgramFolder(files)) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

struct Counter {
  int changes = 0;
  void OnChanged(UI::CUIEditEx*) { ++changes; }
  void DigitsOnly(UI::CUIEditEx*, wchar_t ch, int& accept) { accept = ch >= L'0' && ch <= L'9'; }
};

TEST(EditTest, TypingSelectingAndTheClipboardRoundTrip) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  auto* edit = form.Get<UI::CUIEditEx>(L"Edit");
  ASSERT_NE(edit, nullptr);
  Counter counter;
  edit->m_TextChangedHandler = fastdelegate::MakeDelegate(&counter, &Counter::OnChanged);
  form.ClickOn(L"Edit");
  EXPECT_TRUE(edit->IsKBFocused());
  EXPECT_TRUE(edit->IsCaretShown());
  Type(L"ab 云盘");
  EXPECT_STREQ(edit->GetText(), L"ab 云盘");
  EXPECT_EQ(edit->GetCaret(), 5);
  EXPECT_EQ(counter.changes, 5);
  // Shift+Left selects the last two characters; Ctrl+C copies them.
  Desktop::Get().KeyDown(VK_SHIFT);
  form.Key(VK_LEFT);
  form.Key(VK_LEFT);
  Desktop::Get().KeyUp(VK_SHIFT);
  EXPECT_EQ(edit->GetAnchor(), 5);
  EXPECT_EQ(edit->GetCaret(), 3);
  Chord(VK_CONTROL, 'C');
  EXPECT_EQ(ClipboardText(), L"云盘");
  // Ctrl+X cuts them; Ctrl+V at the start puts them back there.
  Chord(VK_CONTROL, 'X');
  EXPECT_STREQ(edit->GetText(), L"ab ");
  form.Key(VK_HOME);
  Chord(VK_CONTROL, 'V');
  EXPECT_STREQ(edit->GetText(), L"云盘ab ");
  EXPECT_EQ(edit->GetCaret(), 2);
  // Left alone drops a selection; Backspace at position 0 changes nothing.
  form.Key(VK_HOME);
  const int before = counter.changes;
  Type(L"\b");
  EXPECT_EQ(counter.changes, before);
  form.Key(VK_END);
  form.Key(VK_DELETE);
  EXPECT_EQ(counter.changes, before);
  form.DestroyWindow();
}

TEST(EditTest, ARefusedCharacterOrPasteChangesNothingAndCallsNoHandler) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  auto* edit = form.Get<UI::CUIEditEx>(L"Edit");
  Counter counter;
  edit->m_TextChangedHandler = fastdelegate::MakeDelegate(&counter, &Counter::OnChanged);
  edit->m_CharJudgeHandler = fastdelegate::MakeDelegate(&counter, &Counter::DigitsOnly);
  form.ClickOn(L"Edit");
  Type(L"1x2");
  EXPECT_STREQ(edit->GetText(), L"12");
  EXPECT_EQ(counter.changes, 2);
  // Select all, then paste a text the filter refuses: the selection stays.
  Chord(VK_CONTROL, 'A');
  SetClipboardText(L"12a");
  Chord(VK_CONTROL, 'V');
  EXPECT_STREQ(edit->GetText(), L"12");
  EXPECT_EQ(edit->GetAnchor(), 0);
  EXPECT_EQ(edit->GetCaret(), 2);
  EXPECT_EQ(counter.changes, 2);
  SetClipboardText(L"345");
  Chord(VK_CONTROL, 'V');
  EXPECT_STREQ(edit->GetText(), L"345");
  EXPECT_EQ(counter.changes, 3);
  // The same text again: no handler, the caret stays.
  form.Key(VK_HOME);
  edit->SetText(L"345");
  EXPECT_EQ(counter.changes, 3);
  EXPECT_EQ(edit->GetCaret(), 0);
  form.DestroyWindow();
}

TEST(EditTest, AMaskedEditNeverGivesItsTextToTheClipboardAndDetachesTheInputMethod) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  auto* pwd = form.Get<UI::CUIEditEx>(L"Pwd");
  pwd->SetPasswordChar(L'*');
  SetClipboardText(L"before");
  form.ClickOn(L"Pwd");
  EXPECT_FALSE(win32::ImeEnabled(form.m_hWnd));
  Type(L"secret");
  Chord(VK_CONTROL, 'A');
  Chord(VK_CONTROL, 'C');
  Chord(VK_CONTROL, 'X');
  EXPECT_EQ(ClipboardText(), L"before");
  EXPECT_STREQ(pwd->GetText(), L"secret");
  // Focus elsewhere gives the input method back.
  form.ClickOn(L"Edit");
  EXPECT_TRUE(win32::ImeEnabled(form.m_hWnd));
  form.DestroyWindow();
}

// The width the edit's text is drawn with: the style font as the render context makes it.
int DrawnWidth(UI::CUIEditEx* edit, const std::wstring& shown) {
  const LOGFONTW& f = dynamic_cast<UI::_EditExConfig*>(edit->GetSkinConfig(L""))->m_font;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HFONT font = ::CreateFontW(f.lfHeight, 0, 0, 0, f.lfWeight, f.lfItalic, f.lfUnderline, 0, DEFAULT_CHARSET,
                             OUT_CHARACTER_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, f.lfFaceName);
  HGDIOBJ previous = ::SelectObject(dc, font);
  SIZE size{};
  ::GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  ::SelectObject(dc, previous);
  ::DeleteObject(font);
  ::DeleteDC(dc);
  return size.cx;
}

TEST(EditTest, EndScrollsALongTextAndHomeShowsItsStart) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  auto* edit = form.Get<UI::CUIEditEx>(L"Edit");
  form.ClickOn(L"Edit");
  const std::wstring text = L"a text much wider than the box it is typed in";
  edit->SetText(text.c_str());
  EXPECT_GT(edit->GetFirstVisible(), 0);
  form.Key(VK_HOME);
  EXPECT_EQ(edit->GetFirstVisible(), 0);
  EXPECT_EQ(edit->GetCaret(), 0);
  // End scrolls just far enough that the last character shows whole.
  form.Key(VK_END);
  const int inner = edit->GetBoundsSmall().Width();
  const size_t first = static_cast<size_t>(edit->GetFirstVisible());
  ASSERT_GT(first, 0u);
  EXPECT_LE(DrawnWidth(edit, text.substr(first)), inner);
  EXPECT_GT(DrawnWidth(edit, text.substr(first - 1)), inner);
  POINT caret{};
  ASSERT_TRUE(::GetCaretPos(&caret));
  EXPECT_LE(caret.x, edit->GetBoundsSmall().right);
  form.DestroyWindow();
}

TEST(EditTest, TheCaretStandsRightAfterTheDrawnTextPlainMaskedAndChinese) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  auto* pwd = form.Get<UI::CUIEditEx>(L"Pwd");
  pwd->SetPasswordChar(L'\x25CF');
  auto* edit = form.Get<UI::CUIEditEx>(L"Edit");
  // The program's own face, whose letters and dots differ in width.
  for (UI::CUIEditEx* e : {edit, pwd})
    std::wcscpy(dynamic_cast<UI::_EditExConfig*>(e->GetSkinConfig(L""))->m_font.lfFaceName, L"WenQuanYi Zen Hei");
  form.ArrangeAllSubControls();
  struct Case {
    UI::CUIEditEx* edit;
    const wchar_t* typed;
    const wchar_t* shown;
  };
  for (const Case& c : {Case{edit, L"iii", L"iii"}, Case{edit, L"\u6587\u4EF6", L"\u6587\u4EF6"},
                        Case{edit, L"D:\u4E91", L"D:\u4E91"},
                        Case{edit, L"/home/user/Documents/\u6211\u7684\u4E91\u76D8",
                             L"/home/user/Documents/\u6211\u7684\u4E91\u76D8"}, Case{pwd, L"il1", L"\x25CF\x25CF\x25CF"},
                        Case{pwd, L"WWW", L"\x25CF\x25CF\x25CF"}}) {
    SCOPED_TRACE(testing::Message() << "shown " << c.shown);
    c.edit->SetText(L"");
    form.ClickOn(c.edit == pwd ? L"Pwd" : L"Edit");
    Type(c.typed);
    ::InvalidateRect(form.m_hWnd, nullptr, FALSE);
    Desktop::Get().PumpUntilIdle();
    POINT caret{};
    ASSERT_TRUE(::GetCaretPos(&caret));
    if (std::wcslen(c.typed) > 20) {
      EXPECT_GT(c.edit->GetFirstVisible(), 0) << "the long path scrolls";
    }
    // A text wider than the box is drawn from the first visible position.
    EXPECT_EQ(caret.x - c.edit->GetBoundsSmall().left,
              DrawnWidth(c.edit, std::wstring(c.shown).substr(static_cast<size_t>(c.edit->GetFirstVisible()))));
  }
  form.DestroyWindow();
}

UI::CUIListBox* FilledList(FixtureForm& form, int rows) {
  auto* list = form.Get<UI::CUIListBox>(L"List");
  for (int i = 0; i < rows; ++i) {
    CString text;
    text.Format(L"行 %d", i + 1);
    list->AddItemData(new UI::ListBoxItemData(text));
  }
  form.ArrangeAllSubControls();
  Desktop::Get().PumpUntilIdle();
  return list;
}

TEST(ListBoxTest, TenRowsInAHundredPixelsScrollByRowsAndHalfPages) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  UI::CUIListBox* list = FilledList(form, 10);
  EXPECT_EQ(list->GetExtent(), CSize(150, 200));
  EXPECT_EQ(list->CalculatePages(), 2);
  UI::CUIScrollBar* bar = list->GetScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->IsVisible());
  int minimum = -1;
  int maximum = -1;
  bar->GetRange(minimum, maximum);
  EXPECT_EQ(maximum, 100);
  // Track 100 - 2 * 16 = 68; thumb 100 * 68 / 200 = 34.
  EXPECT_EQ(bar->GetThumbRect().Height(), 34);
  list->PageDown();
  EXPECT_EQ(list->GetOffset().y, 50);
  list->PageDown();
  list->PageDown();
  EXPECT_EQ(list->GetOffset().y, 100);
  // The wheel: one row per message.
  const CRect bounds = form.BoundsOf(L"List");
  POINT at{bounds.left + 20, bounds.top + 20};
  ::ClientToScreen(form.m_hWnd, &at);
  Desktop::Get().MouseMove(at.x, at.y);
  Desktop::Get().MouseWheel(120, at.x, at.y);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(list->GetOffset().y, 80);
  form.DestroyWindow();
}

TEST(ListBoxTest, ArrowKeysWrapSkipDisabledRowsAndScrollTheRowIntoView) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  UI::CUIListBox* list = FilledList(form, 10);
  list->GetItemFromIndex(2)->SetEnabled(FALSE);
  list->SetKBFocused(TRUE);
  form.Key(VK_DOWN);  // nothing selected: the last row
  EXPECT_EQ(list->GetSelectedItemIndex(), 10);
  EXPECT_EQ(list->GetOffset().y, 100);
  form.Key(VK_DOWN);  // wraps to row 1
  EXPECT_EQ(list->GetSelectedItemIndex(), 1);
  EXPECT_EQ(list->GetOffset().y, 0);
  form.Key(VK_DOWN);  // row 2 is disabled
  EXPECT_EQ(list->GetSelectedItemIndex(), 3);
  auto* selected = dynamic_cast<UI::ListBoxItemData*>(list->GetSelected());
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->m_strText, CString(L"行 3"));
  // No enabled row: the keys leave the selection alone instead of searching forever.
  for (int i = 1; i < list->GetChildCount(); ++i) list->GetItemFromIndex(i)->SetEnabled(FALSE);
  EXPECT_EQ(list->FindNextEnableItem(3, 1), -1);
  form.Key(VK_UP);
  EXPECT_EQ(list->GetSelectedItemIndex(), 3);
  form.DestroyWindow();
}

TEST(ListBoxTest, DeletingAllRowsLeavesNoSelectedItemBehind) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  UI::CUIListBox* list = FilledList(form, 3);
  list->SetSelected(2);
  EXPECT_NE(list->GetSelectedItem(), nullptr);
  list->DeleteAlltems();
  EXPECT_EQ(list->GetSelectedItem(), nullptr);
  EXPECT_EQ(list->GetScrollBar(), nullptr);
  EXPECT_EQ(list->CreateScrollBar(), 1);
  list->AddItemData(new UI::ListBoxItemData(L"again"));
  list->AddItemData(new UI::ListBoxItemData(L"AGAIN 2"));
  form.ArrangeAllSubControls();
  // The index survived: the row at the same place is selected again.
  EXPECT_EQ(list->GetSelectedItemIndex(), 2);
  ASSERT_NE(list->GetSelectedItem(), nullptr);
  list->SetSelected(CString(L"again 2"));
  EXPECT_EQ(list->GetSelectedItemIndex(), 2);
  form.DestroyWindow();
}

TEST(ScrollBarTest, DraggingTheThumbScrollsAndStopsAtTheEnd) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  UI::CUIListBox* list = FilledList(form, 10);
  UI::CUIScrollBar* bar = list->GetScrollBar();
  const CRect thumb = bar->GetThumbRect();
  const CPoint grab = thumb.CenterPoint();
  form.Down(grab.x, grab.y);
  EXPECT_TRUE(bar->IsDragging());
  form.MoveTo(grab.x, grab.y + 17);  // half the free track of 34
  EXPECT_EQ(list->GetOffset().y, 50);
  form.MoveTo(grab.x, grab.y + 200);  // past the end
  EXPECT_EQ(bar->GetThumbRect().bottom, form.BoundsOf(L"List").bottom - 16);
  EXPECT_EQ(list->GetOffset().y, 100);
  form.Up(grab.x, grab.y + 200);
  EXPECT_FALSE(bar->IsDragging());
  // A click in the track above the thumb pages up once on release.
  form.Click(grab.x, form.BoundsOf(L"List").top + 20);
  EXPECT_EQ(list->GetOffset().y, 50);
  form.DestroyWindow();
}

TEST(ComboBoxTest, PickingARowByMouseAndByKeyboard) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  auto* combo = form.Get<UI::CUIComboBox>(L"Combo");
  ASSERT_NE(combo, nullptr);
  ASSERT_NE(combo->m_pEditEx, nullptr);
  EXPECT_TRUE(combo->m_pEditEx->IsReadOnly());
  UI::CUIListBox* list = combo->GetInnerListBox();
  form.ClickOn(L"Combo");  // empty: nothing opens
  EXPECT_FALSE(list->IsVisible());
  for (const wchar_t* text : {L"不使用代理", L"HTTP", L"SOCKS5"}) list->AddItemData(new UI::ListBoxItemData(text));
  form.ArrangeAllSubControls();
  form.ClickOn(L"Combo");
  EXPECT_TRUE(list->IsVisible());
  form.TakeEvents();
  // The pointer over a row selects it; a click takes it.
  ASSERT_NE(list->GetItemFromIndex(2), nullptr);
  const CRect row = list->GetItemFromIndex(2)->GetBounds();
  form.MoveTo(row.left + 5, row.top + 5);
  form.Click(row.left + 5, row.top + 5);
  EXPECT_STREQ(combo->m_pEditEx->GetText(), L"HTTP");
  EXPECT_FALSE(list->IsVisible());
  Events events = form.TakeEvents();
  EXPECT_EQ(std::count(events.begin(), events.end(), EventRecord{"Combo", 8}), 1);  // the row was taken
  EXPECT_EQ(std::count(events.begin(), events.end(), EventRecord{"ComboBox_ListBox", 1}), 0);
  // Down with the list closed moves the selection; Enter does not take it while closed.
  form.Get<UI::CUIControl>(L"Combo")->SetKBFocused(TRUE);
  form.Key(VK_DOWN);
  EXPECT_EQ(list->GetSelectedItemIndex(), 3);
  EXPECT_STREQ(combo->m_pEditEx->GetText(), L"HTTP");
  form.ClickOn(L"Combo");
  EXPECT_TRUE(list->IsVisible());
  EXPECT_EQ(form.GetKeyFocusControl(), list);
  form.TakeEvents();
  form.Key(VK_RETURN);
  EXPECT_STREQ(combo->m_pEditEx->GetText(), L"SOCKS5");
  EXPECT_FALSE(list->IsVisible());
  EXPECT_EQ(form.TakeEvents(), (Events{{"Combo", 8}}));
  form.DestroyWindow();
}

TEST(SliderTest, AClickOnTheTrackAndARelease) {
  if (!InSkinFolder()) return;
  FixtureForm form;
  ASSERT_EQ(form.Make(400, 240), 1);
  auto* slider = form.Get<UI::CUISlider>(L"Slider");
  ASSERT_NE(slider, nullptr);
  slider->SetRange(100, 0);
  slider->SetValue(50);
  const CRect b = slider->GetBounds();
  EXPECT_EQ(slider->GetThumbRect().left - b.left, 40);
  form.Click(b.left + 90, b.top + 10);
  EXPECT_EQ(slider->GetValue(), 100);
  form.DestroyWindow();
}

// A picture for people to look at: the shipped skin's edit, list, combo box,
// progress bar and slider with text typed, a list scrolled and the combo open,
// written beside the build.
TEST(TextListScreenshot, FixtureFormWithEditListAndComboBox) {
  const std::string build =
      "<Fixture css=\"Win\"><Edit type=\"CUIEditEx\" css=\"Default\"/><Pwd type=\"CUIEditEx\" css=\"Default\"/>"
      "<List type=\"CUIListBox\" css=\"Default\"/><Combo type=\"CUIComboBox\" css=\"Default\"/>"
      "<Bar type=\"CUIProgressBar\" css=\"Default\"/><Slider type=\"CUISlider\" css=\"Default\"/>"
      + std::string(uitest::kTabsBuild) + "</Fixture>";
  uitest::Files files = uitest::ShippedTheme(build);
  std::string& skin = files["Theme/Default/Skin.xml"];
  skin.insert(skin.find("</CUIForm>"), "<Win BkColor=\"250, 251, 252\" MinSize=\"10, 10\"/>");
  if (!uitest::InProgramFolder(files)) return;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  FixtureForm form;
  ASSERT_EQ(form.Make(420, 380), 1);
  form.Place(L"Edit", CRect(20, 20, 170, 28), CRect(6, 3, 6, 3));
  form.Place(L"Pwd", CRect(220, 20, 170, 28), CRect(6, 3, 6, 3));
  form.Place(L"List", CRect(20, 70, 170, 122), CRect(1, 1, 1, 1));
  form.Place(L"Combo", CRect(220, 70, 170, 28), CRect(2, 2, 2, 2));
  form.Place(L"Bar", CRect(20, 214, 170, 8));
  form.Place(L"Slider", CRect(220, 210, 170, 16));
  form.Place(L"Tabs", CRect(20, 250, 370, 110));
  UI::CUIListBox* list = form.Get<UI::CUIListBox>(L"List");
  for (const wchar_t* text : {L"文档", L"照片", L"音乐", L"视频", L"下载", L"备份", L"项目"}) {
    list->AddItemData(new UI::ListBoxItemData(text));
  }
  auto* combo = form.Get<UI::CUIComboBox>(L"Combo");
  for (const wchar_t* text : {L"不使用代理", L"HTTP 代理", L"SOCKS5 代理"}) {
    combo->GetInnerListBox()->AddItemData(new UI::ListBoxItemData(text));
  }
  form.Get<UI::CUIProgressBar>(L"Bar")->SetRange(0, 100);
  form.Get<UI::CUIProgressBar>(L"Bar")->SetValue(60);
  form.Get<UI::CUISlider>(L"Slider")->SetRange(0, 100);
  form.Get<UI::CUISlider>(L"Slider")->SetValue(30);
  form.TitleTabs(L"常规", L"网络", L"高级");
  auto* tabs = form.Get<UI::CUITabControl>(L"Tabs");
  tabs->SetSelected(2);
  form.ArrangeAllSubControls();
  list->SetSelected(3);
  list->LineDown();
  combo->m_pEditEx->SetText(L"HTTP 代理");
  form.ClickOn(L"Edit");
  Type(L"云盘 Dorv");
  Desktop::Get().KeyDown(VK_SHIFT);
  form.Key(VK_LEFT);
  form.Key(VK_LEFT);
  form.Key(VK_LEFT);
  form.Key(VK_LEFT);
  Desktop::Get().KeyUp(VK_SHIFT);
  form.Get<UI::CUIEditEx>(L"Pwd")->SetPasswordChar(L'*');
  form.Get<UI::CUIEditEx>(L"Pwd")->SetText(L"secret");
  form.ClickOn(L"Combo");
  form.Refresh(FALSE, nullptr);
  EXPECT_TRUE(form.SavePicture(DORV_BUILD_DIR "/text-list-fixture.png"));
  form.DestroyWindow();
}

}  // namespace
