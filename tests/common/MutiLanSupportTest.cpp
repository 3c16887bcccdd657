#include "common/MutiLanSupport.h"

#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "common/StringConvert.h"

namespace {

using Common::CMutiLanSupport;

class MutiLanSupportTest : public testing::Test {
 protected:
  void SetUp() override {
    table = CMutiLanSupport::GetInstance();
    ASSERT_NE(table, nullptr);
    table->ClearAll();
  }
  // Writes the bytes as the table file and loads it.
  int Load(const std::string& bytes) {
    static int serial = 0;
    auto file = dir / ("table" + std::to_string(++serial) + ".ini");
    dorvtest::WriteFile(file, bytes);
    CString path;
    Common::utf8_to_CString(file.string(), path);
    return table->LoadStringTable(path);
  }

  dorvtest::TempDir dir;
  CMutiLanSupport* table = nullptr;
};

struct LookupCase {
  const char* name;
  std::string file;
  std::wstring key;
  std::wstring expected;
};

TEST_F(MutiLanSupportTest, LinesBecomeEntries) {
  const std::string longValue(5000, 'x');
  const LookupCase cases[] = {
      {"value keeps later '=' and the blank before ';'", "STRID_A = Hello = World ; comment\n", L"STRID_A",
       L"Hello = World "},
      {"backslash-n becomes a line feed", "STRID_B=Line one\\nLine two\n", L"STRID_B", L"Line one\nLine two"},
      {"backslash-r becomes a carriage return", "STRID_R=one\\r\\ntwo\n", L"STRID_R", L"one\r\ntwo"},
      {"other backslashes stay", "STRID_P=C:\\temp\\x\n", L"STRID_P", L"C:\\temp\\x"},
      {"later line wins", "STRID_C=first\nSTRID_C=second\n", L"STRID_C", L"second"},
      {"empty value is stored empty", "STRID_D=\n", L"STRID_D", L""},
      {"unknown key gives empty text", "STRID_E=e\n", L"STRID_NOPE", L""},
      {"empty key gives empty text", "=orphan\n", L"", L""},
      {"line without '=' adds nothing", ";comment\n", L";comment", L""},
      {"';x=y' adds the key ';x'", ";x=y\n", L";x", L"y"},
      {"key is trimmed, case kept", "  STRID_Mixed\t=  v  \n", L"STRID_Mixed", L"v"},
      {"keys compare with case", "STRID_CASE=v\n", L"strid_case", L""},
      {"byte-order mark and CR LF are skipped", "\xEF\xBB\xBFSTRID_F=bom\r\nSTRID_G=g\r\n", L"STRID_F", L"bom"},
      {"last line without a line end", "STRID_H=a\nSTRID_I=end", L"STRID_I", L"end"},
      {"Chinese text", "STRID_Z=同步已暂停\n", L"STRID_Z", L"同步已暂停"},
      {"malformed UTF-8 becomes U+FFFD", "STRID_BAD=a\xFF" "b\n", L"STRID_BAD", L"a\xFFFD" L"b"},
      // A long text stays one line: cut into pieces, its rest would become an entry of its own.
      {"5000-character line stays whole", "STRID_LONG=" + longValue + "\n", L"STRID_LONG",
       std::wstring(5000, L'x')},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.name);
    table->ClearAll();
    ASSERT_EQ(Load(c.file), 1);
    EXPECT_EQ(table->GetStringViaID(CString(c.key)), CString(c.expected));
  }
}

TEST_F(MutiLanSupportTest, LongLineAddsNoStrayEntry) {
  // Pieces of 4095 characters would make "x=y" in the tail a key of its own.
  std::string line = "STRID_LONG=" + std::string(4095 - 11, 'a') + "tail=stray\n";
  ASSERT_EQ(Load(line), 1);
  EXPECT_EQ(table->GetStringViaID(L"tail"), CString());
  EXPECT_EQ(table->GetStringViaID(L"STRID_LONG").Right(10), CString(L"tail=stray"));
}

TEST_F(MutiLanSupportTest, LoadingAddsToWhatIsThere) {
  ASSERT_EQ(Load("STRID_KEEP=old\nSTRID_SWAP=old\n"), 1);
  ASSERT_EQ(Load("STRID_SWAP=new\n\n   \n"), 1);
  EXPECT_EQ(table->GetStringViaID(L"STRID_KEEP"), CString(L"old"));
  EXPECT_EQ(table->GetStringViaID(L"STRID_SWAP"), CString(L"new"));
}

TEST_F(MutiLanSupportTest, MissingFileLeavesTheTable) {
  ASSERT_EQ(Load("STRID_KEEP=kept\n"), 1);
  CString missing;
  Common::utf8_to_CString((dir / "absent.ini").string(), missing);
  EXPECT_EQ(table->LoadStringTable(missing), 0);
  EXPECT_EQ(table->GetStringViaID(L"STRID_KEEP"), CString(L"kept"));
}

TEST_F(MutiLanSupportTest, EmptyFileOpensAndAddsNothing) {
  EXPECT_EQ(Load(""), 1);
  EXPECT_EQ(Load("\xEF\xBB\xBF"), 1);
}

TEST_F(MutiLanSupportTest, ShutdownDeletesTheTableAndALaterCallerGetsAFreshOne) {
  ASSERT_EQ(Load("STRID_KEEP=kept\n"), 1);
  Common::CDeletedAtShutdown::DeleteAll();
  EXPECT_EQ(CMutiLanSupport::m_pInstance, nullptr);
  CMutiLanSupport* fresh = CMutiLanSupport::GetInstance();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->GetStringViaID(L"STRID_KEEP"), CString());
}

}  // namespace
