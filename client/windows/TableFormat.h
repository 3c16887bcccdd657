#pragma once
// Texts of the string table used as format strings. The table is a data file:
// a text whose specifiers don't take the arguments the caller passes would be
// undefined behaviour in a printf-style formatter, so each text is checked
// first and used unformatted (and logged) when it doesn't fit.
#include "mfc/Afx.h"

// Whether the format's conversions take arguments of these kinds, in order: one
// letter per argument, s wide text, d 32-bit integer, D 64-bit integer, f double.
// A format may use fewer arguments than given, never others.
bool FormatTakes(const CString& format, const char* kinds);
// Logs a text that FormatTakes refused.
void LogBadTableFormat(const CString& format);

template <typename... Args>
CString FormatTableText(const CString& format, const char* kinds, const Args&... args) {
  CString out;
  if (FormatTakes(format, kinds)) {
    out.Format(format, args...);
    return out;
  }
  LogBadTableFormat(format);
  return format;
}
