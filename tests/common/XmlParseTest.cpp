// The one way into TinyXML's parser: padded text, checked UTF-8, files read safely.
#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "common/XmlDocument.h"
#include "common/XmlParse.h"

namespace {

TEST(XmlParse, WellFormedUtf8IsTold) {
  const std::pair<std::string, bool> cases[] = {
      {"", true},
      {"plain", true},
      {"中文 ü \xF0\x9F\x98\x80", true},
      {"\xF0", false},              // cut short
      {"\xE4\xB8", false},          // cut short
      {"\xC0\xAF", false},          // overlong '/'
      {"\xE0\x80\xAF", false},      // overlong
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xFF", false},
      {"\x80", false},               // stray continuation
      {"\xE4\x41\x80", false},       // a continuation missing
  };
  for (const auto& [bytes, expected] : cases) EXPECT_EQ(Common::IsWellFormedUtf8(bytes), expected) << bytes;
}

TEST(XmlParse, TextEndingInsideASequenceIsParsedWithinIt) {
  // Each cut ends the text inside a UTF-8 sequence at a place where TinyXML
  // steps over a whole sequence; under the sanitizers an over-read fails here.
  const std::string cuts[] = {"<a b=\"\xF0", "<a>\xF0", "<\xF0", "<a \xE4\xB8", "<a><!--\xF0", "\xEF\xBB\xBF<a>\xF4"};
  for (const std::string& cut : cuts) {
    TiXmlDocument doc;
    EXPECT_FALSE(Common::ParseXmlText(doc, cut, Common::XmlBytes::AsFound)) << cut;
    EXPECT_FALSE(Common::ParseXmlText(doc, cut, Common::XmlBytes::Utf8Only)) << cut;
    dorvtest::TempDir dir;
    dorvtest::WriteFile(dir / "cut.xml", cut);
    Common::CXmlDocument wrapper;
    EXPECT_EQ(wrapper.LoadFile(CString((dir / "cut.xml").wstring().c_str())), 0) << cut;
  }
}

TEST(XmlParse, FilesReadAsTinyXmlWouldWithTheirNameKept) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "a.xml", "<a><![CDATA[one\r\ntwo\rthree]]></a>");
  TiXmlDocument doc;
  ASSERT_TRUE(Common::LoadXmlFile(doc, (dir / "a.xml").string()));
  EXPECT_STREQ(doc.RootElement()->GetText(), "one\ntwo\nthree");
  EXPECT_EQ(std::string(doc.Value()), (dir / "a.xml").string());
  // A device or a folder is no document, and is never read.
  EXPECT_FALSE(Common::LoadXmlFile(doc, "/dev/zero"));
  EXPECT_FALSE(Common::LoadXmlFile(doc, dir.path().string()));
  EXPECT_FALSE(Common::LoadXmlFile(doc, (dir / "missing.xml").string()));
}

TEST(XmlParse, ConsumedBytesStopAtTheTextsEnd) {
  TiXmlElement element("x");
  EXPECT_EQ(Common::ParseXmlNode(element, "<a>t</a>tail", nullptr, TIXML_ENCODING_UTF8), 8);
  TiXmlDocument doc;
  EXPECT_LE(Common::ParseXmlNode(doc, "<a/>\xF0", nullptr, TIXML_ENCODING_UTF8), 5);
}

// TinyXML itself asserts (the process ends) on an element whose text stops
// right after its '<'.
TEST(XmlParse, AnElementCutAfterItsBracketIsRefused) {
  for (const char* text : {"<", " \n<", "\xEF\xBB\xBF<"}) {
    TiXmlElement element("x");
    EXPECT_EQ(Common::ParseXmlNode(element, text, nullptr, TIXML_ENCODING_UTF8), -1) << text;
  }
}

}  // namespace
