// The XML document wrapper over TinyXML, on real files.
#include <gtest/gtest.h>

#include <type_traits>

#include "TempDir.h"
#include "common/XmlDocument.h"
#include "common/XmlWideParse.h"

using Common::CXmlDocument;

namespace {

CString Path(const std::filesystem::path& p) { return CString(p.wstring()); }

const char kSkin[] =
    "<?xml version=\"1.0\" ?>\n"
    "<Skin name=\"默认\">\n"
    "  <Window id=\"w1\"><Button id=\"b1\">OK</Button><Button id=\"b2\"/></Window>\n"
    "  <Window id=\"w2\"/>\n"
    "</Skin>\n";

}  // namespace

TEST(CXmlDocument, CannotBeCopied) {
  static_assert(!std::is_copy_constructible_v<CXmlDocument>);
  static_assert(!std::is_copy_assignable_v<CXmlDocument>);
}

TEST(CXmlDocument, PathWalkFollowsFirstElementOfEachName) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "skin.xml", kSkin);
  CXmlDocument doc(Path(dir / "skin.xml"));
  struct Row { const wchar_t* path; const wchar_t* id; };  // null id: not found
  const Row rows[] = {
      {L"Skin", L""},
      {L"Skin Window", L"w1"},
      {L"Skin Window Button", L"b1"},
      {L"Skin Window Missing", nullptr},
      {L"Window", nullptr},       // the first name is the root element
      {L"Skin  Window", nullptr},  // two spaces: a step with an empty name
      {L"Skin Window ", nullptr},
  };
  for (const Row& r : rows) {
    void* node = doc.PathWalk(r.path);
    if (!r.id) {
      EXPECT_EQ(node, nullptr) << WideToUtf8(r.path);
    } else {
      ASSERT_NE(node, nullptr) << WideToUtf8(r.path);
      EXPECT_EQ(CXmlDocument::GetNodeAttribute(node, L"id"), r.id);
    }
  }
  EXPECT_EQ(CXmlDocument::GetNodeAttribute(doc.PathWalk(L"Skin"), L"name"), L"默认");
  EXPECT_EQ(CXmlDocument::GetNodeText(doc.PathWalk(L"Skin Window Button")), L"OK");
  void* second = CXmlDocument::GetNextSibling(doc.PathWalk(L"Skin Window Button"));
  EXPECT_EQ(CXmlDocument::GetNodeAttribute(second, L"id"), L"b2");
  EXPECT_EQ(CXmlDocument::GetNextSibling(second), nullptr);
}

TEST(CXmlDocument, EmptyPathIsAnInvalidArgument) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "skin.xml", kSkin);
  CXmlDocument doc(Path(dir / "skin.xml"));
  try {
    doc.PathWalk(L"");
    FAIL() << "no exception";
  } catch (CInvalidArgException* e) {
    e->Delete();
  }
  CXmlDocument none;
  EXPECT_EQ(none.PathWalk(L""), nullptr);  // nothing loaded: nothing to walk
}

TEST(CXmlDocument, FailedLoadLeavesNoDocument) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "skin.xml", kSkin);
  dorvtest::WriteFile(dir / "broken.xml", "<Skin><Window></Skin>");
  CXmlDocument doc(Path(dir / "skin.xml"));
  ASSERT_NE(doc.PathWalk(L"Skin"), nullptr);
  EXPECT_EQ(doc.LoadFile(Path(dir / "missing.xml")), 0);
  EXPECT_EQ(doc.PathWalk(L"Skin"), nullptr);
  EXPECT_EQ(doc.LoadFile(Path(dir / "broken.xml")), 0);
  EXPECT_EQ(doc.PathWalk(L"Skin"), nullptr);
  EXPECT_EQ(doc.SaveFile(Path(dir / "out.xml")), 0);
}

TEST(CXmlDocument, BuiltDocumentSavesOnlyToAGivenPath) {
  dorvtest::TempDir dir;
  CXmlDocument doc;
  void* config = doc.InsertEndChild(L"Config");
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(CXmlDocument::SetNodeAttribute(config, L"名字", L"值"), config);
  EXPECT_EQ(CXmlDocument::SetNodeText(config, L"first"), config);
  EXPECT_EQ(CXmlDocument::SetNodeText(config, L"second"), config);
  EXPECT_EQ(CXmlDocument::GetNodeText(config), L"first");
  EXPECT_EQ(doc.SaveFile(), 0);  // never loaded from or saved to a file
  ASSERT_EQ(doc.SaveFile(Path(dir / "config.xml")), 1);

  CXmlDocument again;
  ASSERT_EQ(again.LoadFile(Path(dir / "config.xml")), 1);
  void* loaded = again.PathWalk(L"Config");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(CXmlDocument::GetNodeAttribute(loaded, L"名字"), L"值");
  EXPECT_EQ(CXmlDocument::GetNextSibling(loaded), nullptr);  // the only top-level element
  CXmlDocument::SetNodeAttribute(loaded, L"k", L"v");
  EXPECT_EQ(again.SaveFile(), 1);  // back to the file it came from
  CXmlDocument third(Path(dir / "config.xml"));
  EXPECT_EQ(CXmlDocument::GetNodeAttribute(third.PathWalk(L"Config"), L"k"), L"v");
}

TEST(CXmlDocument, StaticOperationsTolerateNullAndNonElements) {
  EXPECT_EQ(CXmlDocument::GetNodeName(nullptr), L"");
  EXPECT_EQ(CXmlDocument::GetNodeAttribute(nullptr, L"a"), L"");
  EXPECT_EQ(CXmlDocument::GetNodeText(nullptr), L"");
  EXPECT_EQ(CXmlDocument::SetNodeText(nullptr, L"x"), nullptr);
  EXPECT_EQ(CXmlDocument::SetNodeAttribute(nullptr, L"a", L"b"), nullptr);
  EXPECT_EQ(CXmlDocument::InsertEndChild(nullptr, nullptr), nullptr);
  EXPECT_EQ(CXmlDocument::GetFirstChild(nullptr), nullptr);
  EXPECT_EQ(CXmlDocument::GetFirstChild(nullptr, L"a"), nullptr);
  EXPECT_EQ(CXmlDocument::GetNextSibling(nullptr), nullptr);
  TiXmlText text("t");
  EXPECT_EQ(CXmlDocument::SetNodeText(&text, L"x"), nullptr);
  EXPECT_EQ(CXmlDocument::GetNodeAttribute(&text, L"a"), L"");
}

TEST(CXmlDocument, CreatedNodesAreCopiedIn) {
  CXmlDocument doc;
  void* root = doc.InsertEndChild(L"Root");
  void* item = CXmlDocument::CreateNode(L"Item");
  CXmlDocument::SetNodeAttribute(item, L"n", L"1");
  void* copy = CXmlDocument::InsertEndChild(root, item);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, item);
  CXmlDocument::SetNodeAttribute(item, L"n", L"2");
  EXPECT_EQ(CXmlDocument::GetNodeAttribute(CXmlDocument::FindChild(root, L"Item"), L"n"), L"1");
  EXPECT_EQ(CXmlDocument::GetNodeName(CXmlDocument::GetFirstChild(root)), L"Item");
  EXPECT_EQ(CXmlDocument::DeleteNode(item), 1);
  TiXmlDocument inner;
  EXPECT_EQ(CXmlDocument::InsertEndChild(root, &inner), nullptr);  // a document can't be a child
  // A node still linked into the tree is taken out before it is deleted.
  EXPECT_EQ(CXmlDocument::DeleteNode(copy), 1);
  EXPECT_EQ(CXmlDocument::GetFirstChild(root), nullptr);
}

TEST(CXmlDocument, IncludeAppendsOrMerges) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "skin.xml", "<Skin><Fonts><Font id=\"a\"/></Fonts></Skin>");
  dorvtest::WriteFile(dir / "more.xml", "<Fonts>text<!-- note --><Font id=\"b\"/><Font id=\"c\"/></Fonts>");

  CXmlDocument merged(Path(dir / "skin.xml"));
  ASSERT_EQ(merged.Include(Path(dir / "more.xml"), L"Skin", 1), 1);
  void* fonts = merged.PathWalk(L"Skin Fonts");
  CString ids;
  int textOrComments = 0;
  for (TiXmlNode* n = static_cast<TiXmlNode*>(fonts)->FirstChild(); n; n = n->NextSibling()) {
    if (n->ToElement()) ids += CXmlDocument::GetNodeAttribute(n, L"id");
    else ++textOrComments;
  }
  EXPECT_EQ(ids, L"abc");
  EXPECT_EQ(textOrComments, 0);
  EXPECT_EQ(CXmlDocument::GetNextSibling(fonts), nullptr);

  CXmlDocument appended(Path(dir / "skin.xml"));
  ASSERT_EQ(appended.Include(Path(dir / "more.xml"), L"Skin", 0), 1);
  void* second = CXmlDocument::GetNextSibling(appended.PathWalk(L"Skin Fonts"));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(CXmlDocument::GetNodeText(second), L"text");

  EXPECT_EQ(appended.Include(Path(dir / "missing.xml"), L"Skin", 0), 0);
  EXPECT_EQ(appended.Include(Path(dir / "more.xml"), L"Skin Nowhere", 0), 0);
}

TEST(ParseWideText, ParsesThroughTheAnsiCodePageAndReturnsTheRest) {
  TiXmlElement element("");
  CString rest = Common::ParseWideText(&element, L"<a b=\"中\">t</a>tail", nullptr, TIXML_ENCODING_UNKNOWN);
  EXPECT_EQ(rest, L"tail");
  EXPECT_STREQ(element.Value(), "a");
  EXPECT_EQ(CXmlDocument::GetNodeAttribute(&element, L"b"), L"中");
  EXPECT_EQ(Common::ParseWideText(&element, nullptr, nullptr, TIXML_ENCODING_UNKNOWN), L"");
  TiXmlDocument doc;
  EXPECT_EQ(Common::ParseWideText(&doc, L"", nullptr, TIXML_ENCODING_UNKNOWN), L"");
}

TEST(CXmlDocument, TextIsInTheAnsiCodePage) {
  ASSERT_TRUE(SetAnsiCodePage(936));
  struct Restore { ~Restore() { SetAnsiCodePage(65001); } } restore;
  dorvtest::TempDir dir;
  // "默认" in GBK, as a skin file written on a Chinese system holds it.
  dorvtest::WriteFile(dir / "gbk.xml", "<Skin name=\"\xc4\xac\xc8\xcf\"/>");
  CXmlDocument doc(Path(dir / "gbk.xml"));
  EXPECT_EQ(CXmlDocument::GetNodeAttribute(doc.PathWalk(L"Skin"), L"name"), L"默认");
  CXmlDocument::SetNodeAttribute(doc.PathWalk(L"Skin"), L"name", L"皮肤");
  EXPECT_EQ(doc.SaveFile(), 1);
  EXPECT_NE(dorvtest::ReadFile(dir / "gbk.xml").find("\xc6\xa4\xb7\xf4"), std::string::npos);
}
