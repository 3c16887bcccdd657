// The name filter of the watcher's pipeline and of the start-up walk.
#include <gtest/gtest.h>

#include "client/sync/watcher/PathFilter.h"

namespace {

struct NameCase {
  const wchar_t* name;
  bool allowed;
};

TEST(PathFilter, TheDefaultListIgnoresLockTempAndShellFilesInAnyCase) {
  const NameCase cases[] = {
      {L"desktop.ini", false}, {L"THUMBS.DB", false},  {L"~$letter.docx", false}, {L"~x.tmp", false},
      {L"a.cache", false},     {L"data$$$", false},    {L"draft~mp", false},      {L"draft_mp", false},
      {L"report.tmp", true},   {L"letter.docx", true}, {L"x~.tmp", true},        {L"cache", true},
      {L"Desktop.ini.bak", true}, {L"a:b.txt", false},     {L"why?.txt", false},     {L"back\\slash", false},
      {L"q\"uote", false},         {L"<tag>", false},        {L"pi|pe", false},
  };
  CPathFilter* filter = CPathFilter::GetInstance();
  for (const NameCase& c : cases) {
    EXPECT_EQ(filter->IsPathAllowed(CString(L"/root/folder/") + c.name), c.allowed) << CString(c.name).GetString();
  }
  // Only the name counts, not the folders above it.
  EXPECT_TRUE(filter->IsPathAllowed(L"/root/~$folder/x.txt"));
}

TEST(PathFilter, PatternsMatchCharacterByCharacterWithStarAndQuestionMark) {
  struct PatternCase {
    const wchar_t* pattern;
    const wchar_t* name;
    bool match;
  };
  const PatternCase cases[] = {
      {L"a*b?c", L"AxxBzC", true}, {L"a*b?c", L"abc", false},  {L"*", L"", true},
      {L"*", L"anything", true},   {L"?", L"", false},          {L"a*", L"a", true},
      {L"*a*a", L"banana", true},  {L"*a*a", L"bananas", false}, {L"x**y", L"xzzy", true},
      {L"abc", L"abcd", false},    {L"abcd", L"abc", false},    {L"*.tmp", L"t.tmp.txt", false},
  };
  for (const PatternCase& c : cases) {
    EXPECT_EQ(CPathFilter::MatchPattern(c.pattern, c.name), c.match)
        << CString(c.pattern).GetString() << " / " << CString(c.name).GetString();
  }
}

TEST(PathFilter, IncludeAndExcludeListsAreSplitAtSemicolons) {
  CPathFilter filter(L"*.txt;;*.doc", L";secret*;");
  EXPECT_TRUE(filter.IsPathAllowed(L"/r/a.txt"));
  EXPECT_TRUE(filter.IsPathAllowed(L"/r/b.DOC"));
  EXPECT_FALSE(filter.IsPathAllowed(L"/r/c.pdf"));     // not included
  EXPECT_FALSE(filter.IsPathAllowed(L"/r/secret.txt"));  // excluded
  CPathFilter open(L"", L"");
  EXPECT_TRUE(open.IsIncluded(L"whatever"));
  EXPECT_FALSE(open.IsExcluded(L"whatever"));
}

}  // namespace
