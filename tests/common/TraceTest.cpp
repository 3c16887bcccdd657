// Trace loggers writing real files in the test's application-data folder.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "TempDir.h"
#include "common/AppPaths.h"
#include "common/ITrace_Imp.h"

namespace {

std::filesystem::path DataFile(const wchar_t* name) {
  CString folder;
  Common::GetAppDataPath(folder);
  return std::filesystem::path(folder.GetString()) / name;
}

ITrace_Imp* Create(int level, const wchar_t* name, long maxBytes = 1 << 20) {
  return static_cast<ITrace_Imp*>(ITrace_Creater(level, name, maxBytes));
}

}  // namespace

TEST(ITrace, OneLoggerPerNameWhateverItsCase) {
  ITrace* a = ITrace_Creater(0, L"Net.log", 1000);
  ITrace* b = ITrace_Creater(5, L"net.log", 9);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(CString(DataFile(L"net.log").wstring()), a->GetLogFilePath());
  a->Release();
  EXPECT_EQ(ITrace_Creater(0, L"NET.LOG", 1000), nullptr);  // released names stay released
}

TEST(ITrace, WritesTimeStampedLinesAtOrAboveItsLevel) {
  ITrace_Imp* log = Create(2, L"levels.log");
  ASSERT_TRUE(log->IsFileOpen());
  EXPECT_TRUE(log->Trace(1, true, L"hidden %d", 1));
  EXPECT_TRUE(log->Trace(2, true, L"shown %d %s", 2, L"文字"));
  EXPECT_TRUE(log->Trace(3, false, L"%I64d", 1234567890123LL));
  std::string content = dorvtest::ReadFile(DataFile(L"levels.log"));
  std::regex line(R"(\[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\] shown 2 文字\r\n\[[^\]]+\] 1234567890123\r\n)");
  EXPECT_TRUE(std::regex_match(content, line)) << content;
  log->Release();
}

TEST(ITrace, LongFormatIsRefusedAndLongMessageIsCut) {
  ITrace_Imp* log = Create(0, L"long.log");
  std::wstring format(1024, L'x');
  EXPECT_FALSE(log->Trace(0, true, format.c_str()));
  EXPECT_TRUE(log->GetRecentLines().empty());
  format.resize(1023);
  EXPECT_TRUE(log->Trace(0, true, format.c_str()));
  // A short format that expands far beyond the limit is cut, not overflowed.
  std::wstring big(5000, L'y');
  EXPECT_TRUE(log->Trace(0, true, L"%s!", big.c_str()));
  auto lines = log->GetRecentLines();
  ASSERT_EQ(lines.size(), 2u);
  const std::string& last = lines.back();
  size_t bracket = last.find("] ");
  ASSERT_NE(bracket, std::string::npos);
  EXPECT_EQ(last.substr(bracket + 2), std::string(1023, 'y') + "\r\n");
  log->Release();
}

TEST(ITrace, QueueKeepsTheLast400Lines) {
  ITrace_Imp* log = Create(0, L"queue.log");
  for (int i = 1; i <= 401; ++i) log->Trace(0, false, L"line %d", i);
  auto lines = log->GetRecentLines();
  ASSERT_EQ(lines.size(), 400u);
  EXPECT_NE(lines.front().find("] line 2\r\n"), std::string::npos);
  EXPECT_NE(lines.back().find("] line 401\r\n"), std::string::npos);
  log->Release();
}

TEST(ITrace, OversizedFileKeepsItsLastHalfOfTheLimit) {
  std::string old;
  for (int i = 0; i < 10000; ++i) old += static_cast<char>('a' + i % 26);
  dorvtest::WriteFile(DataFile(L"big.log"), old);
  ITrace_Imp* log = Create(0, L"big.log", 8000);
  ASSERT_TRUE(log->IsFileOpen());
  log->Trace(0, true, L"after");
  std::string content = dorvtest::ReadFile(DataFile(L"big.log"));
  EXPECT_EQ(content.substr(0, 4000), old.substr(6000));
  EXPECT_NE(content.find("] after\r\n", 4000), std::string::npos);
  log->Release();

  // Below the limit the file is appended to as it is.
  dorvtest::WriteFile(DataFile(L"small.log"), "kept\r\n");
  log = Create(0, L"small.log", 8000);
  log->Trace(0, true, L"more");
  EXPECT_EQ(dorvtest::ReadFile(DataFile(L"small.log")).substr(0, 6), "kept\r\n");
  log->Release();
}

TEST(ITrace, UnopenableFileLeavesAMemoryLogger) {
  ITrace_Imp* log = Create(0, L"no-such-folder/x.log");
  EXPECT_FALSE(log->IsFileOpen());
  EXPECT_TRUE(log->Trace(0, true, L"kept in memory"));
  EXPECT_EQ(log->GetRecentLines().size(), 1u);
  log->Release();
}

TEST(ITrace, ReleaseAllEndsEveryRegisteredLogger) {
  ASSERT_NE(ITrace_Creater(0, L"one.log", 100), nullptr);
  ASSERT_NE(ITrace_Creater(0, L"two.log", 100), nullptr);
  ITrace_ReleaseAll();
  EXPECT_EQ(ITrace_Creater(0, L"one.log", 100), nullptr);
  EXPECT_EQ(ITrace_Creater(0, L"two.log", 100), nullptr);
}
