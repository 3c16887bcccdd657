#pragma once
// CString: a wide text with value semantics, as code written against MFC uses it.
//
// Format and AppendFormat take the Windows printf specifiers (see mfc/FormatWide.h) and accept a
// CString itself for %s. A C variadic function (...) of another kind does not: a CString passed
// there arrives as a hidden reference, so callers pass (LPCTSTR)s or s.GetString().
#include <compare>
#include <cstdarg>
#include <functional>
#include <iosfwd>
#include <string>
#include <type_traits>

#include "win32/WinDef.h"

class CString;

namespace mfc {
// What a Format argument becomes on its way into a C variadic formatter: a CString its text,
// anything else itself. Other printf-like front ends written as variadic templates use it too.
inline LPCTSTR FormatArg(const CString& s);
template <class T>
std::decay_t<T> FormatArg(T&& v) {
  static_assert(std::is_trivially_copyable_v<std::decay_t<T>>,
                "pass text to Format as a pointer (CString, LPCTSTR or c_str())");
  return v;
}
}  // namespace mfc

class CString {
 public:
  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(LPCTSTR text);                  // null gives an empty text
  CString(LPCTSTR text, int length);      // the first length characters
  CString(LPCSTR text);                   // narrow text in the ANSI code page
  explicit CString(wchar_t ch, int repeat = 1);
  explicit CString(const std::wstring& text) : m_str(text) {}

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(LPCTSTR text);
  CString& operator=(LPCSTR text);
  CString& operator=(wchar_t ch);

  CString& operator+=(const CString& text);
  CString& operator+=(LPCTSTR text);
  CString& operator+=(LPCSTR text);
  CString& operator+=(wchar_t ch);

  operator LPCTSTR() const { return m_str.c_str(); }
  LPCTSTR GetString() const { return m_str.c_str(); }
  const std::wstring& str() const { return m_str; }

  int GetLength() const { return static_cast<int>(m_str.size()); }
  bool IsEmpty() const { return m_str.empty(); }
  void Empty() { m_str.clear(); }
  wchar_t GetAt(int index) const;
  void SetAt(int index, wchar_t ch);
  wchar_t operator[](int index) const { return GetAt(index); }

  void Append(LPCTSTR text) { *this += text; }
  void Append(LPCTSTR text, int length);
  void AppendChar(wchar_t ch) { m_str.push_back(ch); }
  void SetString(LPCTSTR text) { *this = text; }
  void Truncate(int length);

  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Right(int count) const;
  CString SpanIncluding(LPCTSTR charSet) const;
  CString SpanExcluding(LPCTSTR charSet) const;

  // Positions are 0-based; -1 when not found or when start lies beyond the text.
  int Find(wchar_t ch, int start = 0) const;
  int Find(LPCTSTR sub, int start = 0) const;
  int ReverseFind(wchar_t ch) const;
  int FindOneOf(LPCTSTR charSet) const;

  // Return the number of replacements or removals.
  int Replace(wchar_t oldCh, wchar_t newCh);
  int Replace(LPCTSTR oldText, LPCTSTR newText);
  int Remove(wchar_t ch);
  // Return the new length; the index is clamped into the text.
  int Insert(int index, wchar_t ch);
  int Insert(int index, LPCTSTR text);
  int Delete(int index, int count = 1);

  // Without an argument the trims remove white space (also U+3000 and the other Unicode spaces).
  CString& Trim();
  CString& Trim(wchar_t target);
  CString& Trim(LPCTSTR targets);
  CString& TrimLeft();
  CString& TrimLeft(wchar_t target);
  CString& TrimLeft(LPCTSTR targets);
  CString& TrimRight();
  CString& TrimRight(wchar_t target);
  CString& TrimRight(LPCTSTR targets);

  CString& MakeLower();
  CString& MakeUpper();
  CString& MakeReverse();

  // <0, 0, >0 like wcscmp.
  int Compare(LPCTSTR text) const;
  int CompareNoCase(LPCTSTR text) const;

  // Skips leading delimiters and returns the next token; at the end returns an empty text and
  // sets start to -1. An empty delimiter set returns the rest of the text once.
  CString Tokenize(LPCTSTR delimiters, int& start) const;

  // A writable buffer of at least minLength characters plus the terminator, holding the text.
  // ReleaseBuffer(-1) takes the text up to the first NUL; ReleaseBuffer(n) keeps n characters.
  LPTSTR GetBuffer(int minLength = 0);
  LPTSTR GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);
  void ReleaseBufferSetLength(int newLength) { ReleaseBuffer(newLength); }

  template <class... Args>
  void Format(LPCTSTR format, const Args&... args) {
    FormatRaw(format, mfc::FormatArg(args)...);
  }
  template <class... Args>
  void AppendFormat(LPCTSTR format, const Args&... args) {
    AppendFormatRaw(format, mfc::FormatArg(args)...);
  }
  void FormatV(LPCTSTR format, va_list args);
  void AppendFormatV(LPCTSTR format, va_list args);

  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, LPCTSTR b);
  friend CString operator+(LPCTSTR a, const CString& b);
  friend CString operator+(const CString& a, wchar_t b);
  friend CString operator+(wchar_t a, const CString& b);

  friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
  friend bool operator==(const CString& a, LPCTSTR b) { return a.Compare(b) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, LPCTSTR b) { return !(a == b); }
  friend std::strong_ordering operator<=>(const CString& a, const CString& b) {
    return a.m_str.compare(b.m_str) <=> 0;
  }
  friend std::strong_ordering operator<=>(const CString& a, LPCTSTR b) { return a.Compare(b) <=> 0; }

 private:
  void FormatRaw(LPCTSTR format, ...);
  void AppendFormatRaw(LPCTSTR format, ...);

  std::wstring m_str;
};

namespace mfc {
inline LPCTSTR FormatArg(const CString& s) { return s.GetString(); }
}  // namespace mfc

// Writes the text as UTF-8 (readable test failures).
void PrintTo(const CString& s, std::ostream* os);

template <>
struct std::hash<CString> {
  size_t operator()(const CString& s) const noexcept { return std::hash<std::wstring>()(s.str()); }
};
