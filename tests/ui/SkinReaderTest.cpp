// The skin reader: attribute values into typed targets, image pieces and
// layout records.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/AssData.h"
#include "ui/skin/SkinReader.h"

namespace {

using UI::CSkinReader;

// A reader on <E> with one attribute "v" of the given text.
struct OneValue {
  explicit OneValue(const std::string& text) : xml("<E v=\"" + text + "\"/>"), reader(xml.Path(L"E")) {}
  uitest::XmlText xml;
  CSkinReader reader;
};

struct ColorCase {
  const char* name;
  const char* text;
  DWORD expected;
};

class ColorTest : public ::testing::TestWithParam<ColorCase> {};

TEST_P(ColorTest, ReadsTheColour) {
  OneValue v(GetParam().text);
  DWORD colour = 0x12345678;
  EXPECT_EQ(v.reader.GetColor(colour, L"v"), 1);
  EXPECT_EQ(colour, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ColorTest,
                         ::testing::Values(ColorCase{"RgbIsOpaque", "255, 0, 0", 0xFFFF0000},
                                           ColorCase{"AlphaComesFirst", "128, 255, 0, 0", 0x80FF0000},
                                           ColorCase{"AllZeroIsTransparent", "0, 0, 0, 0", 0},
                                           ColorCase{"OneNumberGivesZero", "12", 0},
                                           ColorCase{"OnlyTheLowByteCounts", "300, 0, 0", 0xFF2C0000},
                                           ColorCase{"NoSpacesNeeded", "1,2,3", 0xFF010203}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SkinReaderTest, NumbersFollowTheirFormatsAndKeepWhatIsNotParsed) {
  CSize size(7, 7);
  EXPECT_EQ(OneValue("1,2").reader.GetSize(size, L"v"), 1);
  EXPECT_EQ(size, CSize(1, 2));
  EXPECT_EQ(OneValue("3, 4").reader.GetSize(size, L"v"), 1);
  EXPECT_EQ(size, CSize(3, 4));
  EXPECT_EQ(OneValue("5 ,6").reader.GetSize(size, L"v"), 1);  // a blank before the comma stops it
  EXPECT_EQ(size, CSize(5, 4));
  EXPECT_EQ(OneValue("").reader.GetSize(size, L"v"), 0);
  EXPECT_EQ(size, CSize(5, 4));

  CRect rect;
  EXPECT_EQ(OneValue("10, 20, 30, 40").reader.GetRect(rect, L"v", 0), 1);
  EXPECT_EQ(rect, CRect(10, 20, 40, 60));
  EXPECT_EQ(OneValue("10, 20, 30, 40").reader.GetRect(rect, L"v", 1), 1);
  EXPECT_EQ(rect, CRect(10, 20, 30, 40));

  DWORD value = 0;
  EXPECT_EQ(OneValue("0xFF336699").reader.GetDWORD(value, L"v"), 1);
  EXPECT_EQ(value, 0xFF336699u);
  value = 0;
  EXPECT_EQ(OneValue("4281558681").reader.GetDWORD(value, L"v"), 1);
  EXPECT_EQ(value, 0xFF336699u);
  EXPECT_EQ(OneValue("010").reader.GetDWORD(value, L"v"), 1);
  EXPECT_EQ(value, 8u);

  int n = 5;
  EXPECT_EQ(OneValue("abc").reader.GetInt(n, L"v"), 1);  // reported, but nothing parsed
  EXPECT_EQ(n, 5);
  float f = 0;
  EXPECT_EQ(OneValue("2.5").reader.GetReal(f, L"v"), 1);
  EXPECT_FLOAT_EQ(f, 2.5f);
}

TEST(SkinReaderTest, BooleansIgnoreCaseAndOtherTextsLeaveTheFlag) {
  for (const char* yes : {"TRUE", "t", "True"}) {
    int flag = 0;
    EXPECT_EQ(OneValue(yes).reader.GetBool(flag, L"v"), 1) << yes;
    EXPECT_EQ(flag, 1) << yes;
  }
  int flag = 1;
  EXPECT_EQ(OneValue("f").reader.GetBool(flag, L"v"), 1);
  EXPECT_EQ(flag, 0);
  flag = 7;
  EXPECT_EQ(OneValue("yes").reader.GetBool(flag, L"v"), 0);
  EXPECT_EQ(flag, 7);
}

TEST(SkinReaderTest, GetStringAlwaysOverwrites) {
  uitest::XmlText xml("<E a=\"x\">body</E>");
  CSkinReader reader(xml.Path(L"E"));
  CString out = L"old";
  EXPECT_EQ(reader.GetString(out, L"missing"), 0);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(reader.GetString(out, L""), 1);
  EXPECT_EQ(out, CString(L"body"));
  CSkinReader child;
  EXPECT_EQ(reader.FindChild(child, L"none"), 0);
  EXPECT_FALSE(child.IsValid());
}

TEST(SkinReaderTest, LayoutDockDecidesAndAnUnknownDockKeepsTheCode) {
  uitest::XmlText xml(
      "<R><a Size=\"10, 20\" Margin=\"1, 2, 3, 4\" Padding=\"5, 6, 7, 8\" DockStyle=\"FILL\" AnchorStyle=\"center\"/>"
      "<b DockStyle=\"middle\" AnchorStyle=\"center\"/><c AnchorStyle=\"BottomCenter\"/><d DockStyle=\"\" "
      "AnchorStyle=\"topright\"/></R>");
  UI::_AssData data;
  CSkinReader(xml.Path(L"R a")).GetAssData(&data);
  EXPECT_EQ(data.m_size, CSize(10, 20));
  EXPECT_EQ(data.m_margin, CRect(1, 2, 3, 4));
  EXPECT_EQ(data.m_padding, CRect(5, 6, 7, 8));
  EXPECT_EQ(data.m_anchor, UI::DockFill);
  CSkinReader(xml.Path(L"R b")).GetAssData(&data);
  EXPECT_EQ(data.m_anchor, UI::DockFill);
  CSkinReader(xml.Path(L"R c")).GetAssData(&data);
  EXPECT_EQ(data.m_anchor, UI::AnchorBottomCenter);
  CSkinReader(xml.Path(L"R d")).GetAssData(&data);
  EXPECT_EQ(data.m_anchor, UI::AnchorTopRight);
  CSkinReader(xml.Path(L"R a")).GetAssData(nullptr);  // nothing happens
}

TEST(SkinReaderTest, FontsReadOverTheCallersFont) {
  uitest::XmlText xml(
      "<S><Title TextColor=\"1, 2, 3\" FontFace=\"Sans\" FontSize=\"-14\" FontBold=\"true\"/>"
      "<Thin FontBold=\"false\"/></S>");
  CSkinReader reader(xml.Path(L"S"));
  LOGFONTW font{};
  font.lfWeight = 400;
  DWORD colour = 0;
  ASSERT_EQ(reader.GetFont(font, colour, L"Title"), 1);
  EXPECT_EQ(colour, 0xFF010203u);
  EXPECT_EQ(std::wstring(font.lfFaceName), L"Sans");
  EXPECT_EQ(font.lfHeight, -14);
  EXPECT_EQ(font.lfWeight, 700);
  font.lfWeight = 400;
  ASSERT_EQ(reader.GetFont(font, colour, L"Thin"), 1);
  EXPECT_EQ(font.lfWeight, 400);
  EXPECT_EQ(reader.GetFont(font, colour, L"None"), 0);
}

TEST(SkinReaderTest, ImagesNeedAFileAndEdgesReplaceOrKeepSlices) {
  uitest::XmlText xml(
      "<S><NoFile Rect=\"0, 0, 5, 5\"/>"
      "<Plain File=\"a/b.png\" Rect=\"1, 2, 3, 4\" Color=\"0x80FFFFFF\"/>"
      "<Edge File=\"e.png\" left=\"0, 0, 4, 10\" Hor=\"true\"/>"
      "<Border File=\"n.png\"><EdgeTop left=\"0, 0, 2, 3\"/></Border>"
      "<States File=\"s.png\" Normal=\"0, 0, 10, 10\" Press=\"20, 0, 10, 10\"/></S>");
  CSkinReader reader(xml.Path(L"S"));
  UI::_ImageConfig piece;
  EXPECT_EQ(reader.GetImage(piece, L"NoFile"), 0);
  EXPECT_TRUE(piece.m_strFile.IsEmpty());
  EXPECT_EQ(reader.GetImage(piece, L"Plain"), 1);
  EXPECT_TRUE(piece.m_strFile.Right(14) == L"images/a/b.png") << piece.m_strFile.GetString();
  EXPECT_EQ(piece.m_rcSource, UI::RectF(1, 2, 4, 6));
  EXPECT_EQ(piece.m_color, 0x80FFFFFFu);

  UI::_ImageEdgeConfig edge;
  edge.m_edge.m_middle = CRect(0, 0, 9, 9);
  edge.m_edge.m_last = CRect(0, 0, 9, 9);
  ASSERT_EQ(reader.GetImage(edge, L"Edge"), 1);
  EXPECT_TRUE(edge.m_edge.m_middle.IsRectNull());  // replaced by what the element gives
  EXPECT_TRUE(edge.m_edge.m_last.IsRectNull());
  EXPECT_EQ(edge.m_rcSource, UI::RectF(0, 0, 4, 10));  // the natural size

  UI::_ImageBorderConfig border;
  border.m_top.m_middle = CRect(0, 0, 9, 9);
  ASSERT_EQ(reader.GetImage(border, L"Border"), 1);
  EXPECT_EQ(border.m_top.m_first, CRect(0, 0, 2, 3));
  EXPECT_EQ(border.m_top.m_middle, CRect(0, 0, 9, 9));  // kept

  UI::_ImageConfig states[5];
  states[1].m_strFile = L"focus";
  ASSERT_EQ(reader.Get5StateImage(states, L"States"), 1);
  EXPECT_EQ(states[0].m_rcSource, UI::RectF(0, 0, 10, 10));
  EXPECT_EQ(states[2].m_rcSource, UI::RectF(20, 0, 30, 10));
  EXPECT_EQ(states[1].m_strFile, CString(L"focus"));
  EXPECT_TRUE(states[3].m_strFile.IsEmpty());
}

}  // namespace
