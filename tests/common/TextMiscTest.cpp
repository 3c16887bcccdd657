// Picture tests, random text and Base64.
#include <gtest/gtest.h>

#include <cwctype>
#include <set>

#include "common/Base64.h"
#include "common/PictureTypes.h"
#include "common/RandomText.h"

using namespace Common;

TEST(PictureTypes, ByTheExtensionOfTheLastComponent) {
  struct Row { const wchar_t* path; int upload; int picture; };
  for (Row r : {Row{L"/a.b/photo.JPG", 1, 1}, Row{L"/a.jpg/photo", 0, 0}, Row{L"x.PnG", 1, 1},
                Row{L"x.gif", 0, 1}, Row{L"x.dng", 0, 1}, Row{L"x.jpgx", 0, 0}, Row{L"jpg", 0, 0},
                Row{L"x.", 0, 0}, Row{L"", 0, 0}, Row{L"archive.tar.jfif", 1, 1}}) {
    EXPECT_EQ(IsUploadPicture(r.path), r.upload) << r.path;
    EXPECT_EQ(IsPicture(r.path), r.picture) << r.path;
  }
}

TEST(RandomText, GivesCountLettersAndDigitsThatDiffer) {
  // Asked for six, it gives six (it once gave one less).
  EXPECT_EQ(GetRandomNumString(6).GetLength(), 6);
  EXPECT_EQ(GetRandomNumString(1).GetLength(), 1);
  EXPECT_TRUE(GetRandomNumString(0).IsEmpty());
  EXPECT_TRUE(GetRandomNumString(-3).IsEmpty());
  CString text = GetRandomNumString(200);
  for (int i = 0; i < text.GetLength(); ++i) {
    wchar_t c = text[i];
    EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z')) << static_cast<int>(c);
  }
  // Texts made in the same millisecond differ.
  std::set<std::wstring> seen;
  for (int i = 0; i < 50; ++i) seen.insert(GetRandomNumString(16).GetString());
  EXPECT_EQ(seen.size(), 50u);
}

TEST(Base64, PadsAndBreaksLinesEveryEightyCharacters) {
  EXPECT_EQ(TransferToBase64(""), "");
  EXPECT_EQ(TransferToBase64("abc"), "YWJj");
  EXPECT_EQ(TransferToBase64("ab"), "YWI=");
  EXPECT_EQ(TransferToBase64("a"), "YQ==");
  EXPECT_EQ(TransferToBase64(std::string("\xFF\xFE\0", 3)), "//4A");

  std::string sixty(60, 'x');
  std::string line = TransferToBase64(sixty);
  ASSERT_EQ(line.size(), 82u);
  EXPECT_EQ(line.substr(80), "\r\n");
  EXPECT_EQ(line.substr(0, 4), "eHh4");
  std::string more = TransferToBase64(sixty + "x");
  EXPECT_EQ(more, line + "eA==");  // no line break after the padded group
  EXPECT_EQ(TransferToBase64(std::string(120, 'x')).size(), 164u);
}
