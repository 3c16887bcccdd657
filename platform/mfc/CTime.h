#pragma once
// CTime: a point in time as seconds since 1970 (UTC), read in local time.
#include <compare>
#include <ctime>

#include "mfc/CString.h"
#include "mfc/CTimeSpan.h"
#include "win32/WinDef.h"

class CTime {
 public:
  CTime() = default;
  CTime(time_t time) : m_time(time) {}
  // A local time; dst < 0 lets the C library decide whether daylight saving applies. A date
  // that cannot be represented gives the time -1.
  CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);
  CTime(const SYSTEMTIME& st, int dst = -1);

  static CTime GetCurrentTime();

  time_t GetTime() const { return m_time; }
  int GetYear() const { return Local().tm_year + 1900; }
  int GetMonth() const { return Local().tm_mon + 1; }
  int GetDay() const { return Local().tm_mday; }
  int GetHour() const { return Local().tm_hour; }
  int GetMinute() const { return Local().tm_min; }
  int GetSecond() const { return Local().tm_sec; }
  // 1 = Sunday ... 7 = Saturday.
  int GetDayOfWeek() const { return Local().tm_wday + 1; }
  struct tm* GetLocalTm(struct tm* out) const;
  struct tm* GetGmtTm(struct tm* out) const;
  bool GetAsSystemTime(SYSTEMTIME& st) const;

  // strftime specifiers on wide text, in local time or UTC; "%#d" and the like drop leading
  // zeros as on Windows.
  CString Format(LPCTSTR format) const;
  CString FormatGmt(LPCTSTR format) const;

  CTimeSpan operator-(CTime other) const { return m_time - other.m_time; }
  CTime operator+(CTimeSpan span) const { return m_time + span.GetTimeSpan(); }
  CTime operator-(CTimeSpan span) const { return m_time - span.GetTimeSpan(); }
  CTime& operator+=(CTimeSpan span) { m_time += span.GetTimeSpan(); return *this; }
  CTime& operator-=(CTimeSpan span) { m_time -= span.GetTimeSpan(); return *this; }
  friend auto operator<=>(CTime a, CTime b) = default;

 private:
  struct tm Local() const;

  time_t m_time = 0;
};
