#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/Windows.h"

namespace {

using Args = std::vector<std::wstring>;

std::vector<std::wstring> Split(const wchar_t* line) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(line, &count);
  std::vector<std::wstring> out(argv, argv + count);
  EXPECT_EQ(argv[count], nullptr);
  LocalFree(argv);
  return out;
}

TEST(CommandLine, SplitsByTheWindowsRules) {
  struct Case {
    const wchar_t* line;
    Args args;
  } cases[] = {
      {LR"(prog a b)", {L"prog", L"a", L"b"}},
      {LR"("C:\Program Files\x.exe" /s)", {LR"(C:\Program Files\x.exe)", L"/s"}},
      {LR"(C:\dir\x.exe   "two words"	tab)", {LR"(C:\dir\x.exe)", L"two words", L"tab"}},
      {LR"(p a\\b c\"d "e\\" f\\\"g)", {L"p", LR"(a\\b)", LR"(c"d)", LR"(e\)", LR"(f\"g)"}},
      {LR"(p "" x)", {L"p", L"", L"x"}},
      {LR"(p "say ""hi""")", {L"p", LR"(say "hi")"}},
      {LR"(p ab"c d"e)", {L"p", L"abc de"}},
      {LR"("a\"b c)", {LR"(a\)", L"b", L"c"}},  // no escapes in the program name
      {L"p  ", {L"p"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Split(c.line), c.args) << c.line;
}

TEST(CommandLine, QuotingRoundTrips) {
  Args args = {L"/prog dir/x", L"plain", L"", L"two words", LR"(end\)", LR"(q"uote)", LR"(\\"mixed\" \)", L"tab\there"};
  EXPECT_EQ(win32::SplitCommandLine(win32::JoinCommandLine(args)), args);
}

TEST(CommandLine, ArgumentsAfterTheProgramName) {
  EXPECT_EQ(win32::ArgumentsOf(LR"("C:\a b\Dorv_Win.exe"  ExploreRefresh)"), L"ExploreRefresh");
  EXPECT_EQ(win32::ArgumentsOf(L"Dorv_Win.exe"), L"");
  EXPECT_EQ(win32::ArgumentsOf(L"x.exe a \"b c\""), L"a \"b c\"");
}

TEST(CommandLine, OurOwnAndTheEmptyLine) {
  std::vector<std::wstring> own = Split(GetCommandLineW());
  ASSERT_FALSE(own.empty());
  EXPECT_NE(own[0].find(L"win32_tests"), std::wstring::npos);
  std::vector<std::wstring> empty = Split(L"");
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_NE(empty[0].find(L"win32_tests"), std::wstring::npos);
  EXPECT_EQ(CommandLineToArgvW(L"x", nullptr), nullptr);
}

}  // namespace
