#include "mfc/CString.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <ostream>

#include "mfc/FormatWide.h"
#include "win32/CodePage.h"

namespace {

std::wstring FromAnsi(LPCSTR text) { return text ? AnsiToWide(text) : std::wstring(); }

// White space as Windows classifies wide characters, independent of the C locale.
bool IsSpace(wchar_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool InSet(LPCTSTR set, wchar_t ch) { return set != nullptr && ch != L'\0' && std::wcschr(set, ch) != nullptr; }

}  // namespace

CString::CString(LPCTSTR text) : m_str(text ? text : L"") {}

CString::CString(LPCTSTR text, int length) {
  if (text != nullptr && length > 0) m_str.assign(text, length);
}

CString::CString(LPCSTR text) : m_str(FromAnsi(text)) {}

CString::CString(wchar_t ch, int repeat) {
  if (repeat > 0) m_str.assign(repeat, ch);
}

CString& CString::operator=(LPCTSTR text) {
  if (text == nullptr) m_str.clear();
  else m_str.assign(text);  // safe also when text points into m_str
  return *this;
}

CString& CString::operator=(LPCSTR text) {
  m_str = FromAnsi(text);
  return *this;
}

CString& CString::operator=(wchar_t ch) {
  m_str.assign(1, ch);
  return *this;
}

CString& CString::operator+=(const CString& text) {
  m_str += text.m_str;
  return *this;
}

CString& CString::operator+=(LPCTSTR text) {
  if (text != nullptr) m_str.append(text);
  return *this;
}

CString& CString::operator+=(LPCSTR text) {
  m_str += FromAnsi(text);
  return *this;
}

CString& CString::operator+=(wchar_t ch) {
  m_str.push_back(ch);
  return *this;
}

wchar_t CString::GetAt(int index) const {
  if (index < 0 || index >= GetLength()) return L'\0';
  return m_str[index];
}

void CString::SetAt(int index, wchar_t ch) {
  if (index >= 0 && index < GetLength()) m_str[index] = ch;
}

void CString::Append(LPCTSTR text, int length) {
  if (text != nullptr && length > 0) m_str.append(text, length);
}

void CString::Truncate(int length) {
  if (length >= 0 && length < GetLength()) m_str.resize(length);
}

CString CString::Left(int count) const {
  if (count <= 0) return CString();
  return CString(m_str.substr(0, count));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  if (first < 0) first = 0;
  if (count <= 0 || first >= GetLength()) return CString();
  return CString(m_str.substr(first, count));
}

CString CString::Right(int count) const {
  if (count <= 0) return CString();
  if (count >= GetLength()) return *this;
  return CString(m_str.substr(m_str.size() - count));
}

CString CString::SpanIncluding(LPCTSTR charSet) const {
  if (charSet == nullptr) return CString();
  return Left(static_cast<int>(std::wcsspn(m_str.c_str(), charSet)));
}

CString CString::SpanExcluding(LPCTSTR charSet) const {
  if (charSet == nullptr) return *this;
  return Left(static_cast<int>(std::wcscspn(m_str.c_str(), charSet)));
}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0 || start >= GetLength()) return -1;
  size_t pos = m_str.find(ch, start);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCTSTR sub, int start) const {
  if (sub == nullptr || start < 0 || start > GetLength()) return -1;
  size_t pos = m_str.find(sub, start);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
  size_t pos = m_str.rfind(ch);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(LPCTSTR charSet) const {
  if (charSet == nullptr || *charSet == L'\0') return -1;
  size_t pos = m_str.find_first_of(charSet);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Replace(wchar_t oldCh, wchar_t newCh) {
  int count = 0;
  for (wchar_t& c : m_str) {
    if (c == oldCh) {
      c = newCh;
      ++count;
    }
  }
  return count;
}

int CString::Replace(LPCTSTR oldText, LPCTSTR newText) {
  if (oldText == nullptr || *oldText == L'\0') return 0;
  std::wstring from(oldText), to(newText ? newText : L"");
  std::wstring result;
  int count = 0;
  size_t pos = 0;
  for (;;) {
    size_t hit = m_str.find(from, pos);
    if (hit == std::wstring::npos) break;
    result.append(m_str, pos, hit - pos);
    result += to;
    pos = hit + from.size();
    ++count;
  }
  if (count > 0) {
    result.append(m_str, pos, std::wstring::npos);
    m_str.swap(result);
  }
  return count;
}

int CString::Remove(wchar_t ch) {
  size_t before = m_str.size();
  m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
  return static_cast<int>(before - m_str.size());
}

int CString::Insert(int index, wchar_t ch) {
  index = std::clamp(index, 0, GetLength());
  m_str.insert(m_str.begin() + index, ch);
  return GetLength();
}

int CString::Insert(int index, LPCTSTR text) {
  index = std::clamp(index, 0, GetLength());
  if (text != nullptr) m_str.insert(index, std::wstring(text));
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index < 0) index = 0;
  if (count > 0 && index < GetLength()) m_str.erase(index, count);
  return GetLength();
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(wchar_t target) { return TrimRight(target).TrimLeft(target); }
CString& CString::Trim(LPCTSTR targets) { return TrimRight(targets).TrimLeft(targets); }

CString& CString::TrimLeft() {
  size_t i = 0;
  while (i < m_str.size() && IsSpace(m_str[i])) ++i;
  m_str.erase(0, i);
  return *this;
}

CString& CString::TrimLeft(wchar_t target) {
  size_t i = 0;
  while (i < m_str.size() && m_str[i] == target) ++i;
  m_str.erase(0, i);
  return *this;
}

CString& CString::TrimLeft(LPCTSTR targets) {
  size_t i = 0;
  while (i < m_str.size() && InSet(targets, m_str[i])) ++i;
  m_str.erase(0, i);
  return *this;
}

CString& CString::TrimRight() {
  size_t n = m_str.size();
  while (n > 0 && IsSpace(m_str[n - 1])) --n;
  m_str.resize(n);
  return *this;
}

CString& CString::TrimRight(wchar_t target) {
  size_t n = m_str.size();
  while (n > 0 && m_str[n - 1] == target) --n;
  m_str.resize(n);
  return *this;
}

CString& CString::TrimRight(LPCTSTR targets) {
  size_t n = m_str.size();
  while (n > 0 && InSet(targets, m_str[n - 1])) --n;
  m_str.resize(n);
  return *this;
}

CString& CString::MakeLower() {
  for (wchar_t& c : m_str) c = static_cast<wchar_t>(std::towlower(c));
  return *this;
}

CString& CString::MakeUpper() {
  for (wchar_t& c : m_str) c = static_cast<wchar_t>(std::towupper(c));
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_str.begin(), m_str.end());
  return *this;
}

int CString::Compare(LPCTSTR text) const { return std::wcscmp(m_str.c_str(), text ? text : L""); }

int CString::CompareNoCase(LPCTSTR text) const {
  const wchar_t* a = m_str.c_str();
  const wchar_t* b = text ? text : L"";
  for (;; ++a, ++b) {
    wint_t ca = std::towlower(*a), cb = std::towlower(*b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

CString CString::Tokenize(LPCTSTR delimiters, int& start) const {
  if (start < 0 || start >= GetLength()) {
    start = -1;
    return CString();
  }
  if (delimiters == nullptr || *delimiters == L'\0') {
    // The whole rest is one token; the next call ends.
    CString rest = Mid(start);
    start = GetLength();
    return rest;
  }
  size_t from = m_str.find_first_not_of(delimiters, start);
  if (from == std::wstring::npos) {
    start = -1;
    return CString();
  }
  size_t until = m_str.find_first_of(delimiters, from);
  if (until == std::wstring::npos) until = m_str.size();
  start = static_cast<int>(until) + 1;
  return CString(m_str.substr(from, until - from));
}

LPTSTR CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_str.resize(minLength);
  return m_str.data();
}

LPTSTR CString::GetBufferSetLength(int length) {
  m_str.resize(length > 0 ? length : 0);
  return m_str.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    newLength = static_cast<int>(std::wcslen(m_str.c_str()));
  }
  if (newLength < GetLength()) m_str.resize(newLength);
}

void CString::FormatV(LPCTSTR format, va_list args) { m_str = FormatWide(format, args); }

void CString::AppendFormatV(LPCTSTR format, va_list args) { m_str += FormatWide(format, args); }

void CString::FormatRaw(LPCTSTR format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::AppendFormatRaw(LPCTSTR format, ...) {
  va_list args;
  va_start(args, format);
  AppendFormatV(format, args);
  va_end(args);
}

CString operator+(const CString& a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(const CString& a, LPCTSTR b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(LPCTSTR a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(const CString& a, wchar_t b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(wchar_t a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}

void PrintTo(const CString& s, std::ostream* os) { *os << '"' << WideToUtf8(s.str()) << '"'; }
