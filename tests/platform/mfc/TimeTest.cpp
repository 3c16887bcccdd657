#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "mfc/CTime.h"

namespace {
// Runs the local-time cases in a fixed zone with daylight saving.
struct Berlin : ::testing::Test {
  void SetUp() override {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
  }
  void TearDown() override {
    unsetenv("TZ");
    tzset();
  }
};
}  // namespace

TEST_F(Berlin, LocalFieldsAndConstruction) {
  CTime t(2024, 7, 1, 13, 45, 30);
  EXPECT_EQ(t.GetTime(), 1719834330);  // 11:45:30 UTC, summer time
  EXPECT_EQ(t.GetYear(), 2024);
  EXPECT_EQ(t.GetMonth(), 7);
  EXPECT_EQ(t.GetDay(), 1);
  EXPECT_EQ(t.GetHour(), 13);
  EXPECT_EQ(t.GetMinute(), 45);
  EXPECT_EQ(t.GetSecond(), 30);
  EXPECT_EQ(t.GetDayOfWeek(), 2);  // Monday
  EXPECT_EQ(CTime(2024, 1, 1, 0, 0, 0).GetTime(), 1704063600);  // winter time

  SYSTEMTIME st{};
  ASSERT_TRUE(t.GetAsSystemTime(st));
  EXPECT_EQ(CTime(st), t);
}

TEST_F(Berlin, FormatAndArithmetic) {
  CTime t(2024, 3, 5, 7, 8, 9);
  EXPECT_EQ(t.Format(L"%Y-%m-%d %H:%M:%S"), L"2024-03-05 07:08:09");
  EXPECT_EQ(t.Format(L"%#m/%#d %%"), L"3/5 %");
  EXPECT_EQ(t.FormatGmt(L"%H"), L"06");
  EXPECT_EQ(t.Format(L""), L"");

  CTime later = t + CTimeSpan(1, 2, 3, 4);
  CTimeSpan span = later - t;
  EXPECT_EQ(span.GetTotalSeconds(), 93784);
  EXPECT_EQ(span.GetDays(), 1);
  EXPECT_EQ(span.GetHours(), 2);
  EXPECT_EQ(span.GetMinutes(), 3);
  EXPECT_EQ(span.GetSeconds(), 4);
  EXPECT_LT(t, later);
  later -= span;
  EXPECT_EQ(later, t);

  time_t before = std::time(nullptr);
  EXPECT_GE(CTime::GetCurrentTime().GetTime(), before);
}
