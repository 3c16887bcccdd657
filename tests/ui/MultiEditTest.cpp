// The multi-line edit inside a scroll viewer, in a fixture form with the
// shipped skin's bars and the test font (6 pixels an ASCII character, 12 a
// Chinese one, rows of 5 + 12 pixels), driven by injected input on the
// headless desktop.
#include <gtest/gtest.h>

#include "ControlFixture.h"
#include "display/Desktop.h"
#include "ui/controls/UIMultiEdit.h"
#include "ui/controls/UIScrollViewer.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Caret.h"
#include "win32/ManualClock.h"

namespace {

using display::Desktop;
using uitest::Chord;
using uitest::ClipboardText;
using uitest::FixtureForm;
using uitest::SetClipboardText;
using uitest::Type;

// The edit's viewer shows 200 x 100 pixels at (10, 10); a second edit's style
// has rows of no height.
const char kBuild[] =
    "<Fixture css=\"Win\">"
    "<Viewer type=\"CUIScrollViewer\" css=\"Default\" ass=\"Viewer\"><Edit type=\"CUIMultiEdit\" css=\"Test\"/></Viewer>"
    "<Flat type=\"CUIScrollViewer\" ass=\"Flat\"><FlatEdit type=\"CUIMultiEdit\" css=\"Flat\"/></Flat>"
    "</Fixture>";
const char kLayouts[] =
    "<CUIScrollViewer><Viewer Size=\"216, 116\" AnchorStyle=\"topleft\" Margin=\"10, 10, 0, 0\"/>"
    "<Flat Size=\"116, 116\" AnchorStyle=\"topleft\" Margin=\"250, 10, 0, 0\"/></CUIScrollViewer>";
const char kStyles[] =
    "<Test FrontNormal=\"0, 0, 0\" FrontHigh=\"255, 255, 255\" BackgroundHigh=\"0, 0, 255\" LineSpacing=\"5\">"
    "<Font FontFace=\"Dorv Test\" FontSize=\"12\"/></Test>"
    "<Flat LineSpacing=\"0\"/>";

constexpr int kRow = 17;
constexpr uint32_t kBlue = 0xFF0000FF;

bool InSkinFolder() {
  uitest::Files files = uitest::ShippedTheme(kBuild, kLayouts);
  std::string& skin = files["Theme/Default/Skin.xml"];
  skin.insert(skin.find("</CUIForm>"), "<Win BkColor=\"255, 255, 255\" MinSize=\"10, 10\"/>");
  skin.insert(skin.find("</CUIMultiEdit>"), kStyles);
  if (!uitest::InProgramFolder(files)) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  return true;
}

struct EditForm {
  FixtureForm form;
  UI::CUIScrollViewer* viewer = nullptr;
  UI::CUIMultiEdit* edit = nullptr;

  bool Make() {
    if (form.Make(400, 200) != 1) return false;
    viewer = form.Get<UI::CUIScrollViewer>(L"Viewer");
    edit = form.Get<UI::CUIMultiEdit>(L"Edit");
    return viewer && edit;
  }
  const UI::_SingleArrangeData& Row(size_t i) const { return edit->GetArrangeData().m_rows.at(i); }
  size_t Rows() const { return edit->GetArrangeData().m_rows.size(); }
  std::pair<int, int> Selection() const {
    int start = -1;
    int length = -1;
    edit->GetSelect(&start, &length);
    return {start, length};
  }
};

CPoint CaretAt() {
  POINT at{};
  ::GetCaretPos(&at);
  return CPoint(at.x, at.y);
}

TEST(MultiEditTest, TypingAsciiAndChineseOverTwoLinesMovesTheCaretAlongTheRows) {
  if (!InSkinFolder()) return;
  EditForm f;
  ASSERT_TRUE(f.Make());
  // An empty edit has one empty row and takes the caret at its start (a click
  // below the text reaches the viewer, not the edit).
  f.form.Click(20, 15);
  EXPECT_EQ(f.Rows(), 1u);
  EXPECT_EQ(CaretAt(), CPoint(10, 10 + kRow - 12));
  Type(L"ab");
  f.form.Key(VK_RETURN);
  Type(L"云盘");
  EXPECT_STREQ(f.edit->GetText(), L"ab\n云盘");
  EXPECT_EQ(f.edit->GetCursor(), 5);
  ASSERT_EQ(f.Rows(), 2u);
  EXPECT_EQ(f.Row(0).m_rcLine.left, 10);
  EXPECT_EQ(f.Row(1).m_rcLine.top, 10 + kRow);
  EXPECT_EQ(f.Row(1).m_rcLine.bottom, 10 + 2 * kRow);
  EXPECT_EQ(CaretAt(), CPoint(10 + 24, 10 + 2 * kRow - 12));
  EXPECT_EQ(f.viewer->GetExtentSize().cy, 2 * kRow);
  // Left and Right step one unit, across the line's end too.
  f.form.Key(VK_LEFT);
  f.form.Key(VK_LEFT);
  f.form.Key(VK_LEFT);
  EXPECT_EQ(f.edit->GetCursor(), 2);
  EXPECT_EQ(CaretAt(), CPoint(10 + 12, 10 + kRow - 12));
  // Tab and Escape characters are not text.
  Type(L"\t\x1b");
  EXPECT_STREQ(f.edit->GetText(), L"ab\n云盘");
  // An empty line draws nothing and still counts its height.
  f.edit->SetText(L"ab\n\ncd");
  ASSERT_EQ(f.Rows(), 3u);
  EXPECT_EQ(f.viewer->GetExtentSize().cy, 3 * kRow);
  EXPECT_TRUE(f.Row(1).m_strLine.empty());
  f.form.DestroyWindow();
}

TEST(MultiEditTest, DraggingSelectsAcrossLinesAndTheClipboardRoundTrips) {
  if (!InSkinFolder()) return;
  EditForm f;
  ASSERT_TRUE(f.Make());
  f.edit->SetText(L"ab\ncd");
  // From inside the first row's "b" to inside the second row's "d".
  f.form.Down(10 + 7, 10 + 5);
  f.form.MoveTo(10 + 7, 10 + kRow + 5);
  f.form.Up(10 + 7, 10 + kRow + 5);
  EXPECT_EQ(f.Selection(), std::make_pair(1, 3));
  EXPECT_EQ(f.edit->GetCursor(), 4);
  EXPECT_EQ(CRect(f.Row(0).m_rcSelect), CRect(16, 10, 22, 10 + kRow));
  EXPECT_EQ(CRect(f.Row(1).m_rcSelect), CRect(10, 10 + kRow, 16, 10 + 2 * kRow));
  EXPECT_EQ(f.form.At(16, 10 + kRow - 2), kBlue);
  Chord(VK_CONTROL, 'C');
  EXPECT_EQ(ClipboardText(), L"b\nc");
  Chord(VK_CONTROL, 'X');
  EXPECT_STREQ(f.edit->GetText(), L"ad");
  EXPECT_EQ(f.edit->GetCursor(), 1);
  EXPECT_EQ(f.Selection(), std::make_pair(1, 0));
  // A pasted "\r\n" is one newline; the cursor ends after the pasted text.
  SetClipboardText(L"x\r\ny");
  Chord(VK_CONTROL, 'V');
  EXPECT_STREQ(f.edit->GetText(), L"ax\nyd");
  EXPECT_EQ(f.edit->GetCursor(), 4);
  // Select all; a typed character takes the selection's place.
  Chord(VK_CONTROL, 'A');
  EXPECT_EQ(f.Selection(), std::make_pair(0, 5));
  Type(L"云");
  EXPECT_STREQ(f.edit->GetText(), L"云");
  EXPECT_EQ(f.edit->GetCursor(), 1);
  // Copy without a selection leaves the clipboard alone.
  Chord(VK_CONTROL, 'C');
  EXPECT_EQ(ClipboardText(), L"x\r\ny");
  f.form.DestroyWindow();
}

TEST(MultiEditTest, SelectionPiecesOnEachRow) {
  if (!InSkinFolder()) return;
  EditForm f;
  ASSERT_TRUE(f.Make());
  f.edit->SetText(L"ab\ncd");
  f.edit->Select(1, 4);
  EXPECT_EQ(std::make_pair(f.Row(0).m_nSelStart, f.Row(0).m_nSelLength), std::make_pair(1, 1));
  EXPECT_EQ(std::make_pair(f.Row(1).m_nSelStart, f.Row(1).m_nSelLength), std::make_pair(0, 2));
  // A selection starting on the second row leaves the first alone.
  f.edit->Select(4, 1);
  EXPECT_EQ(f.Row(0).m_nSelLength, 0);
  EXPECT_TRUE(CRect(f.Row(0).m_rcSelect).IsRectEmpty());
  EXPECT_EQ(std::make_pair(f.Row(1).m_nSelStart, f.Row(1).m_nSelLength), std::make_pair(1, 1));
  f.form.DestroyWindow();
}

TEST(MultiEditTest, KeysEditAroundTheCursorAndLeftDropsTheSelection) {
  if (!InSkinFolder()) return;
  EditForm f;
  ASSERT_TRUE(f.Make());
  f.form.Click(20, 15);
  f.edit->SetText(L"abcd");
  f.edit->SetCursor(3);
  f.edit->Select(1, 2);
  // One unit left of the cursor, not to the selection's start.
  f.form.Key(VK_LEFT);
  EXPECT_EQ(f.Selection(), std::make_pair(0, 0));
  EXPECT_EQ(f.edit->GetCursor(), 2);
  f.form.Key(VK_BACK);
  EXPECT_STREQ(f.edit->GetText(), L"acd");
  EXPECT_EQ(f.edit->GetCursor(), 1);
  f.form.Key(VK_DELETE);
  EXPECT_STREQ(f.edit->GetText(), L"ad");
  f.form.Key(VK_RIGHT);
  f.form.Key(VK_RIGHT);
  EXPECT_EQ(f.edit->GetCursor(), 2);
  f.form.Key(VK_DELETE);
  EXPECT_STREQ(f.edit->GetText(), L"ad");
  f.edit->Select(0, 1);
  f.form.Key(VK_BACK);
  EXPECT_STREQ(f.edit->GetText(), L"d");
  EXPECT_EQ(f.edit->GetCursor(), 0);
  f.form.Key(VK_BACK);
  EXPECT_STREQ(f.edit->GetText(), L"d");
  f.form.DestroyWindow();
}

TEST(MultiEditTest, LimitsCutTheTextAndPullTheCursorBack) {
  if (!InSkinFolder()) return;
  EditForm f;
  ASSERT_TRUE(f.Make());
  const struct {
    int length, columns, lines;
    const wchar_t* text;
    const wchar_t* kept;
  } cases[] = {
      {0, 0, 2, L"a\nb\nc", L"a\nb"},
      {0, 3, 0, L"abcdef", L"abc"},
      {0, 3, 0, L"abc\ndefg", L"abc\nde"},
      {5, 0, 0, L"abcdefgh", L"abcde"},
  };
  for (const auto& c : cases) {
    UI::CUIMultiEdit& edit = *f.edit;
    edit.SetMaxLength(c.length ? c.length : 65534);
    edit.SetMaxColumns(c.columns ? c.columns : 65534);
    edit.SetMaxLines(c.lines ? c.lines : 65534);
    edit.SetText(L"");
    edit.InsertText(c.text, -1);
    EXPECT_STREQ(edit.GetText(), c.kept) << c.text;
  }
  // The cursor is pulled back to the cut length; out-of-range limits are ignored.
  f.edit->SetMaxLength(65534);
  f.edit->SetText(L"abcdefgh");
  f.edit->SetCursor(8);
  f.edit->SetMaxLength(5);
  f.edit->SetMaxLength(0);
  f.edit->SetMaxLength(65535);
  f.edit->SetText(L"abcdefgh");
  EXPECT_STREQ(f.edit->GetText(), L"abcde");
  EXPECT_EQ(f.edit->GetCursor(), 5);
  // A character typed into a full text pushes the last one out.
  f.edit->InsertChar(L'X', 0);
  EXPECT_STREQ(f.edit->GetText(), L"Xabcd");
  // Positions outside the text change nothing.
  f.edit->InsertText(L"y", 9);
  f.edit->InsertChar(L'y', -2);
  f.edit->EraseText(-1, 2);
  EXPECT_STREQ(f.edit->GetText(), L"Xabcd");
  f.form.DestroyWindow();
}

TEST(MultiEditTest, TheViewerKeepsTheCaretInViewAndTheWheelScrolls) {
  if (!InSkinFolder()) return;
  EditForm f;
  ASSERT_TRUE(f.Make());
  f.form.Click(20, 15);
  for (int i = 0; i < 8; ++i) {
    Type(L"line");
    f.form.Key(VK_RETURN);
  }
  // Nine rows, 153 pixels in a 100-pixel viewport: the caret's row at the bottom.
  EXPECT_EQ(f.viewer->GetExtentSize().cy, 9 * kRow);
  EXPECT_TRUE(f.viewer->IsVerScrollBarVisible());
  EXPECT_EQ(f.viewer->GetOffset().y, 9 * kRow - 100);
  EXPECT_EQ(CaretAt().y + 12, 110);
  POINT at{60, 60};
  ::ClientToScreen(f.form.m_hWnd, &at);
  Desktop::Get().MouseWheel(120, at.x, at.y);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(f.viewer->GetOffset().y, 9 * kRow - 100 - 40);
  // A line wider than the viewport scrolls sideways with the caret, and back.
  f.edit->SetText(L"");
  f.edit->SetCursor(0);
  Type(std::wstring(40, L'w'));
  EXPECT_TRUE(f.viewer->IsHorScrollBarVisible());
  EXPECT_GT(f.viewer->GetOffset().x, 0);
  EXPECT_LE(CaretAt().x, 210);
  EXPECT_GE(CaretAt().x, 10);
  f.edit->SetCursor(0);
  EXPECT_EQ(f.viewer->GetOffset().x, 0);
  EXPECT_EQ(CaretAt().x, 10);
  f.form.DestroyWindow();
}

// While the pointer is outside the visible area during a drag, the viewer
// scrolls by the pointer's distance every 100 ms.
TEST(MultiEditTest, ADragOutsideTheViewerScrollsItOnTheEditsTimer) {
  if (!InSkinFolder()) return;
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  EditForm f;
  ASSERT_TRUE(f.Make());
  std::wstring text;
  for (int i = 0; i < 20; ++i) text += (i ? L"\n" : L"") + std::wstring(60, L'a' + i % 26);
  f.edit->SetText(text.c_str());
  auto tick = [&clock] {
    clock.Advance(100);
    Desktop::Get().PumpUntilIdle();
  };
  // Above the first row nothing scrolls.
  f.form.Down(20, 15);
  f.form.MoveTo(20, 0);
  tick();
  EXPECT_EQ(f.viewer->GetOffset(), CPoint(0, 0));
  // 30 pixels below: 30 pixels a tick (and the few that bring the cursor's
  // row wholly into view), the selection growing with it.
  f.form.MoveTo(20, 140);
  const int start = f.viewer->GetOffset().y;
  EXPECT_LT(start, kRow);
  tick();
  const int first = f.viewer->GetOffset().y;
  EXPECT_GE(first, start + 30);
  EXPECT_LT(first, start + 30 + kRow);
  tick();
  EXPECT_GE(f.viewer->GetOffset().y, first + 30);
  EXPECT_GT(f.Selection().second, 5 * 61);
  f.form.Up(20, 140);
  const int released = f.viewer->GetOffset().y;
  tick();
  EXPECT_EQ(f.viewer->GetOffset().y, released);
  EXPECT_FALSE(f.edit->IsDragging());
  // Left of a row scrolled sideways: 30 pixels a tick back toward its start.
  f.edit->SetCursor(60);
  const int right = f.viewer->GetOffset().x;
  ASSERT_GT(right, 60);
  f.form.Down(100, 60);
  f.form.MoveTo(-20, 60);
  tick();
  EXPECT_LE(f.viewer->GetOffset().x, right - 30);
  EXPECT_GT(f.viewer->GetOffset().x, right - 30 - 20);
  f.form.Up(-20, 60);
  f.form.DestroyWindow();
}

TEST(MultiEditTest, EachEditHasItsOwnTimerAndRowsOfNoHeightAreSafe) {
  if (!InSkinFolder()) return;
  EditForm f;
  ASSERT_TRUE(f.Make());
  auto* flat = f.form.Get<UI::CUIMultiEdit>(L"FlatEdit");
  ASSERT_NE(flat, nullptr);
  EXPECT_EQ(f.edit->GetTimerID(), 870420);
  EXPECT_EQ(flat->GetTimerID(), 870421);
  // No font and no line spacing: every row is 0 high, clicks find the first row.
  flat->SetText(L"ab\ncd");
  const CRect bounds = f.form.BoundsOf(L"Flat");
  f.form.Click(bounds.left + 20, bounds.top + 20);
  EXPECT_EQ(flat->GetCursor(), 0);
  f.form.MoveTo(bounds.left + 20, bounds.bottom + 30);
  EXPECT_STREQ(flat->GetText(), L"ab\ncd");
  f.form.DestroyWindow();
}

}  // namespace
