#include "common/DateParse.h"

#include <ctime>
#include <cwctype>

namespace Common {

namespace {

class Reader {
 public:
  explicit Reader(const wchar_t* text) : m_p(text) {}

  void SkipSpace() {
    while (std::iswspace(*m_p)) ++m_p;
  }
  bool AtEnd() const { return !*m_p; }
  wchar_t Peek() const { return *m_p; }
  bool Take(wchar_t c) {
    if (*m_p != c) return false;
    ++m_p;
    return true;
  }
  // 1 to maxDigits decimal digits.
  bool Number(int maxDigits, int& value, int* digits = nullptr) {
    int n = 0;
    value = 0;
    while (n < maxDigits && *m_p >= L'0' && *m_p <= L'9') value = value * 10 + (*m_p++ - L'0'), ++n;
    if (digits) *digits = n;
    return n > 0 && !(*m_p >= L'0' && *m_p <= L'9');
  }
  bool Word(const wchar_t* word) {
    const wchar_t* p = m_p;
    for (; *word; ++word, ++p)
      if (static_cast<wchar_t>(std::towupper(*p)) != *word) return false;
    m_p = p;
    return true;
  }

 private:
  const wchar_t* m_p;
};

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

int ConverCString2CTime(CString text, CTime& out) {
  Reader in(text.GetString());
  in.SkipSpace();
  int year, month, day, digits;
  if (!in.Number(4, year, &digits) || digits != 4) return 0;
  wchar_t separator = in.Peek();
  if (separator != L'-' && separator != L'/' && separator != L'.') return 0;
  in.Take(separator);
  if (!in.Number(2, month) || !in.Take(separator) || !in.Number(2, day)) return 0;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return 0;

  int hour = 0, minute = 0, second = 0, millis = 0;
  bool hasTime = false;
  if (in.Take(L'-') || in.Take(L'T') || std::iswspace(in.Peek())) {
    in.SkipSpace();
    if (!in.AtEnd()) {
      hasTime = true;
      if (!in.Number(2, hour) || !in.Take(L':') || !in.Number(2, minute)) return 0;
      if (in.Take(L':')) {
        if (!in.Number(2, second)) return 0;
        if (in.Take(L'.')) {
          int fraction;
          if (!in.Number(9, fraction, &digits)) return 0;
          while (digits > 3) fraction /= 10, --digits;
          while (digits < 3) fraction *= 10, ++digits;
          millis = fraction;
        }
      }
      in.SkipSpace();
      bool pm = in.Word(L"PM");
      bool am = !pm && in.Word(L"AM");
      if (am || pm) {
        if (hour < 1 || hour > 12) return 0;
        hour = hour % 12 + (pm ? 12 : 0);
      }
    }
  }
  in.SkipSpace();
  if (!in.AtEnd()) return 0;
  if (hasTime && (hour > 23 || minute > 59 || second > 59)) return 0;
  if (year < 1900) return 0;

  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second + (millis >= 500 ? 1 : 0);  // mktime carries a 60th second over
  local.tm_isdst = -1;
  std::time_t value = std::mktime(&local);
  if (value == static_cast<std::time_t>(-1)) return 0;
  out = CTime(value);
  return 1;
}

}  // namespace Common
