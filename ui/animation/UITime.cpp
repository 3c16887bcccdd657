#include "ui/animation/UITime.h"

#include "win32/Clock.h"

namespace UI {

namespace {

int64_t Frequency() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

unsigned Milliseconds(int64_t ticks) { return static_cast<unsigned>(ticks * 1000 / Frequency()); }

}  // namespace

CUITimeSpan::CUITimeSpan(int64_t milliseconds) : m_ticks(Frequency() * milliseconds / 1000) {}

CUITimeSpan CUITimeSpan::FromTicks(int64_t ticks) {
  CUITimeSpan span;
  span.m_ticks = ticks;
  return span;
}

unsigned CUITimeSpan::GetTotalMillisecond() const { return Milliseconds(m_ticks); }

CUITime CUITime::Now() {
  LARGE_INTEGER count{};
  ::QueryPerformanceCounter(&count);
  CUITime now;
  now.m_reading = count.QuadPart;
  return now;
}

unsigned CUITime::GetTotalMillisecond() const { return Milliseconds(m_reading); }

}  // namespace UI
