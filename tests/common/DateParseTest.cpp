// Reading dates and times.
#include <gtest/gtest.h>

#include "common/DateParse.h"

using namespace Common;

TEST(ConverCString2CTime, ReadsLocalDatesAndTimes) {
  struct Row { const wchar_t* text; CTime expected; };
  const Row rows[] = {
      {L"2012-03-05 07:08:09", CTime(2012, 3, 5, 7, 8, 9)},
      {L"  2012/3/5 7:08  ", CTime(2012, 3, 5, 7, 8, 0)},
      {L"2012.03.05", CTime(2012, 3, 5, 0, 0, 0)},
      {L"2012/03/5-07:08:09", CTime(2012, 3, 5, 7, 8, 9)},
      {L"2012-03-05T23:59:59", CTime(2012, 3, 5, 23, 59, 59)},
      {L"2012-03-05 7:08 pm", CTime(2012, 3, 5, 19, 8, 0)},
      {L"2012-03-05 12:00 AM", CTime(2012, 3, 5, 0, 0, 0)},
      {L"2024-02-29 10:00:00.600", CTime(2024, 2, 29, 10, 0, 1)},
      {L"2012-12-31 23:59:59.5", CTime(2013, 1, 1, 0, 0, 0)},
  };
  for (const Row& r : rows) {
    CTime out;
    EXPECT_EQ(ConverCString2CTime(r.text, out), 1) << r.text;
    EXPECT_EQ(out.GetTime(), r.expected.GetTime()) << r.text;
  }
}

TEST(ConverCString2CTime, RefusesWhatIsNoDateAndLeavesTheOutValue) {
  const CTime before(2000, 1, 2, 3, 4, 5);
  for (const wchar_t* text : {L"", L"abc", L"2012-13-01", L"2023-02-29", L"2012-04-31", L"1899-12-31",
                              L"2012-03-05 25:00", L"2012-03-05 10:60", L"12:30", L"2012-03/05",
                              L"2012-03-05 10:00 xyz", L"2012-03-05 13:00 PM", L"20120-03-05", L"12-03-05"}) {
    CTime out = before;
    EXPECT_EQ(ConverCString2CTime(text, out), 0) << text;
    EXPECT_EQ(out.GetTime(), before.GetTime()) << text;
  }
}
