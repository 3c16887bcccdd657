#include <gtest/gtest.h>

#include <climits>

#include "base/StringUtil.h"

using juce::StringUtil;

TEST(StringUtil, NumbersToTextAndBack) {
  EXPECT_EQ(StringUtil::num2string(0), "0");
  EXPECT_EQ(StringUtil::num2string(-42), "-42");
  EXPECT_EQ(StringUtil::num2string(INT_MAX), "2147483647");
  struct Row {
    const char* text;
    int value;
  };
  for (Row r : {Row{"8080", 8080}, Row{"  -17", -17}, Row{"+5", 5}, Row{"12abc", 12}, Row{"abc", 0}, Row{"", 0},
                Row{"99999999999", INT_MAX}, Row{"-99999999999", INT_MIN}, Row{"-2147483648", INT_MIN}}) {
    EXPECT_EQ(StringUtil::string2num(r.text), r.value) << '"' << r.text << '"';
  }
}

TEST(StringUtil, TrimRemovesBlanksAtBothEndsOnly) {
  struct Row {
    const char* in;
    const char* out;
  };
  for (Row r : {Row{"  {} \r\n", "{}"}, Row{"a b", "a b"}, Row{"\t\t", ""}, Row{"", ""}, Row{"x", "x"}}) {
    std::string s = r.in;
    StringUtil::TrimString(s);
    EXPECT_EQ(s, r.out);
  }
}
