#include "mfc/CTime.h"

#include <cwchar>
#include <string>

namespace {

// Windows writes "%#d" for a day without its leading zero; the C library here writes "%-d".
std::wstring TranslateFormat(LPCTSTR format) {
  std::wstring out;
  for (const wchar_t* p = format; *p; ++p) {
    out.push_back(*p);
    if (*p == L'%' && p[1] != L'\0') {
      ++p;
      if (*p == L'#') {
        if (p[1] != L'\0' && std::wcschr(L"dHIjmMSUwWyY", p[1])) out.push_back(L'-');
        ++p;
        if (*p == L'\0') break;
      }
      out.push_back(*p);
    }
  }
  return out;
}

CString FormatTm(LPCTSTR format, const struct tm& tm) {
  if (format == nullptr || *format == L'\0') return CString();
  std::wstring fmt = TranslateFormat(format);
  // wcsftime gives 0 both for a too-small buffer and for an empty result: grow to a bound.
  for (size_t size = 128; size <= 64 * (fmt.size() + 16); size *= 2) {
    std::wstring buf(size, L'\0');
    size_t n = std::wcsftime(buf.data(), size, fmt.c_str(), &tm);
    if (n > 0) return CString(buf.c_str(), static_cast<int>(n));
  }
  return CString();
}

}  // namespace

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst) {
  struct tm tm {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = dst;
  m_time = std::mktime(&tm);
}

CTime::CTime(const SYSTEMTIME& st, int dst)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, dst) {}

CTime CTime::GetCurrentTime() { return CTime(std::time(nullptr)); }

struct tm CTime::Local() const {
  struct tm tm {};
  localtime_r(&m_time, &tm);
  return tm;
}

struct tm* CTime::GetLocalTm(struct tm* out) const {
  if (out == nullptr) return nullptr;
  return localtime_r(&m_time, out);
}

struct tm* CTime::GetGmtTm(struct tm* out) const {
  if (out == nullptr) return nullptr;
  return gmtime_r(&m_time, out);
}

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const {
  struct tm tm {};
  if (localtime_r(&m_time, &tm) == nullptr) return false;
  st.wYear = static_cast<WORD>(tm.tm_year + 1900);
  st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wDay = static_cast<WORD>(tm.tm_mday);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec);
  st.wMilliseconds = 0;
  return true;
}

CString CTime::Format(LPCTSTR format) const { return FormatTm(format, Local()); }

CString CTime::FormatGmt(LPCTSTR format) const {
  struct tm tm {};
  gmtime_r(&m_time, &tm);
  return FormatTm(format, tm);
}
