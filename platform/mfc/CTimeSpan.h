#pragma once
// CTimeSpan: a signed number of seconds.
#include <compare>
#include <ctime>

#include "win32/WinDef.h"

class CTimeSpan {
 public:
  CTimeSpan() = default;
  CTimeSpan(time_t seconds) : m_span(seconds) {}
  CTimeSpan(LONG days, int hours, int minutes, int seconds)
      : m_span(((static_cast<time_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) {}

  time_t GetTimeSpan() const { return m_span; }
  LONGLONG GetDays() const { return m_span / 86400; }
  LONGLONG GetTotalHours() const { return m_span / 3600; }
  LONGLONG GetTotalMinutes() const { return m_span / 60; }
  LONGLONG GetTotalSeconds() const { return m_span; }
  // The components within a day, hour and minute.
  LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
  LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
  LONG GetSeconds() const { return static_cast<LONG>(m_span - GetTotalMinutes() * 60); }

  CTimeSpan operator+(CTimeSpan other) const { return m_span + other.m_span; }
  CTimeSpan operator-(CTimeSpan other) const { return m_span - other.m_span; }
  CTimeSpan& operator+=(CTimeSpan other) { m_span += other.m_span; return *this; }
  CTimeSpan& operator-=(CTimeSpan other) { m_span -= other.m_span; return *this; }
  friend auto operator<=>(CTimeSpan a, CTimeSpan b) = default;

 private:
  time_t m_span = 0;
};
