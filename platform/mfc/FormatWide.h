#pragma once
// printf-style formatting that reads the format specifiers Windows code writes, the one place
// where they are translated. In a wide format %s and %c take wide text and %S, %hs, %hc narrow
// text (in a narrow format the other way round); %ls/%ws/%lc are always wide. %I64d, %I64u,
// %I64x, %I32d, %Id (pointer-sized), %lld and the usual conversions, flags, width, precision
// and '*' work; %ld is 32 bits as on Windows; %p prints the Windows form (16 upper-case hex
// digits); %n writes nothing. Narrow text is read in the ANSI code page. A null string prints
// "(null)". The output has no length limit.
#include <cstdarg>
#include <string>

std::wstring FormatWide(const wchar_t* format, va_list args);
std::string FormatNarrow(const char* format, va_list args);
