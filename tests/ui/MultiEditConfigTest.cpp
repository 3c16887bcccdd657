// The multi-line edit's style record: its defaults, the attributes it reads
// and the font's colour over the normal text colour.
#include <gtest/gtest.h>

#include <memory>

#include "UiTestSupport.h"
#include "ui/controls/MultiEditConfig.h"
#include "ui/skin/SkinReader.h"

namespace {

TEST(MultiEditConfigTest, ReadsItsAttributesOverItsDefaultsAndTheFontsColourWins) {
  UI::_MultiEditConfig record;
  EXPECT_EQ(record.m_font.lfHeight, 0);  // no font until a skin names one
  EXPECT_EQ(record.m_rowBackground, 0x00FFFFFFu);
  EXPECT_EQ(record.m_nLineSpacing, 5);
  EXPECT_EQ(record.Read(nullptr), 0);

  uitest::XmlText xml(
      "<S FrontNormal=\"0, 0, 255\" FrontHigh=\"1, 2, 3\" BackgroundNormal=\"255, 255, 255\""
      " BackgroundHigh=\"0, 128, 0\" LineSpacing=\"2\" FormatHor=\"1\">"
      "<Font FontFace=\"SimSun\" FontSize=\"12\" TextColor=\"255, 0, 0\"/></S>");
  UI::CSkinReader reader(xml.Path(L"S"));
  ASSERT_EQ(record.Read(&reader), 1);
  EXPECT_EQ(record.m_textColor, 0xFFFF0000u);
  EXPECT_EQ(record.m_selectedTextColor, 0xFF010203u);
  EXPECT_EQ(record.m_rowBackground, 0xFFFFFFFFu);
  EXPECT_EQ(record.m_selectionBackground, 0xFF008000u);
  EXPECT_EQ(record.m_nLineSpacing, 2);
  EXPECT_EQ(record.m_nFormatHor, 1);
  EXPECT_NE(record.m_font.lfHeight, 0);

  std::unique_ptr<UI::_SkinConfig> copy(record.Clone());
  auto* clone = dynamic_cast<UI::_MultiEditConfig*>(copy.get());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->m_nFormatHor, 1);
  EXPECT_EQ(clone->m_font.lfHeight, record.m_font.lfHeight);
}

}  // namespace
