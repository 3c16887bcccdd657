#include "client/windows/TableFormat.h"

#include <cstring>
#include <cwctype>

#include "client/core/LogWriter.h"
#include "common/StringConvert.h"

namespace {

// The kind letter of the conversion at text[i] (just after '%'); i moves past it.
// 0 for one that takes no argument here ("%%"), '?' for one not allowed.
char ConversionKind(const CString& text, int& i) {
  const int length = text.GetLength();
  while (i < length && std::wcschr(L"-+ #0", text[i])) ++i;
  while (i < length && std::iswdigit(text[i])) ++i;
  if (i < length && text[i] == L'.') {
    ++i;
    while (i < length && std::iswdigit(text[i])) ++i;
  }
  bool wide64 = false;
  if (text.Mid(i, 3) == L"I64") {
    wide64 = true;
    i += 3;
  } else if (text.Mid(i, 2) == L"ll") {
    wide64 = true;
    i += 2;
  } else if (i < length && (text[i] == L'l' || text[i] == L'h' || text[i] == L'w')) {
    ++i;
  }
  if (i >= length) return '?';
  const wchar_t conversion = text[i++];
  switch (conversion) {
    case L'd': case L'i': case L'u': case L'x': case L'X': case L'o': return wide64 ? 'D' : 'd';
    case L'e': case L'E': case L'f': case L'g': case L'G': return wide64 ? '?' : 'f';
    case L's': return wide64 ? '?' : 's';
    default: return '?';
  }
}

}  // namespace

bool FormatTakes(const CString& format, const char* kinds) {
  const size_t count = std::strlen(kinds);
  size_t used = 0;
  for (int i = 0; i < format.GetLength(); ++i) {
    if (format[i] != L'%') continue;
    if (i + 1 < format.GetLength() && format[i + 1] == L'%') {
      ++i;
      continue;
    }
    ++i;
    const char kind = ConversionKind(format, i);
    --i;  // the loop steps past the conversion
    if (used >= count || kind != kinds[used]) return false;
    ++used;
  }
  return true;
}

void LogBadTableFormat(const CString& format) {
  WriteMessageLog(ErrorLog, "String table text does not take its arguments: " + Common::CString_to_String(format));
}
