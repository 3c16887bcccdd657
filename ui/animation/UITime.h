#pragma once
// Time of animations in performance-counter ticks: a reading (`CUITime`) and
// the span between two readings (`CUITimeSpan`). Spans compare by whole
// milliseconds.
#include <cstdint>

namespace UI {

class CUITimeSpan {
 public:
  CUITimeSpan() = default;
  // Ticks of `milliseconds`, truncated.
  explicit CUITimeSpan(int64_t milliseconds);
  static CUITimeSpan FromTicks(int64_t ticks);

  int64_t GetTicks() const { return m_ticks; }
  unsigned GetTotalMillisecond() const;

  bool operator<(const CUITimeSpan& o) const { return GetTotalMillisecond() < o.GetTotalMillisecond(); }
  bool operator<=(const CUITimeSpan& o) const { return GetTotalMillisecond() <= o.GetTotalMillisecond(); }
  bool operator==(const CUITimeSpan& o) const { return GetTotalMillisecond() == o.GetTotalMillisecond(); }
  bool operator>=(const CUITimeSpan& o) const { return GetTotalMillisecond() >= o.GetTotalMillisecond(); }
  bool operator>(const CUITimeSpan& o) const { return GetTotalMillisecond() > o.GetTotalMillisecond(); }

 private:
  int64_t m_ticks = 0;
};

class CUITime {
 public:
  CUITime() = default;
  // The performance counter now.
  static CUITime Now();

  unsigned GetTotalMillisecond() const;
  CUITimeSpan operator-(const CUITime& earlier) const { return CUITimeSpan::FromTicks(m_reading - earlier.m_reading); }

 private:
  int64_t m_reading = 0;
};

}  // namespace UI
