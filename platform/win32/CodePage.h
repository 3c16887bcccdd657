#pragma once
// Code-page conversions with the Win32 contracts, and small helpers for UTF-16 bytes.
//
// Wide text is wchar_t, which holds one code point per unit here (UTF-32). The ANSI code page
// (CP_ACP) is UTF-8 unless a test switches it to GBK (936) with SetAnsiCodePage.
#include <string>
#include <string_view>

#include "win32/WinDef.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

using LPBOOL = BOOL*;

// Count -1 reads a NUL-terminated input and counts the terminator in the result. An output size
// of 0 asks for the size needed. Malformed UTF-8 becomes U+FFFD per maximal subpart; an
// unpaired surrogate becomes U+FFFD; a character the ANSI code page lacks becomes the default
// character ('?' unless lpDefaultChar names another), and *lpUsedDefaultChar tells whether one
// was used. CP_UTF8 refuses lpDefaultChar and lpUsedDefaultChar (ERROR_INVALID_PARAMETER).
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);

// The ANSI code page: 65001 (UTF-8, the encoding of narrow file names here) or 936 (GBK).
UINT GetACP();
UINT GetOEMCP();
// Switches the process's ANSI code page; returns FALSE (ERROR_INVALID_PARAMETER) for a code
// page other than 65001 and 936. Meant for tests.
BOOL SetAnsiCodePage(UINT codePage);
BOOL IsValidCodePage(UINT codePage);

// Whole-string helpers; they never fail (malformed input becomes U+FFFD, a character missing
// from the ANSI code page '?') and keep embedded NULs.
std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
// Explicit UTF-16 for records, files and network bytes; astral characters become pairs,
// unpaired surrogates U+FFFD.
std::u16string WideToUtf16(std::wstring_view text);
std::wstring Utf16ToWide(std::u16string_view text);
// UTF-16LE bytes: two per unit, low byte first, no terminator.
std::string WideToUtf16LE(std::wstring_view text);
// Reads byteCount / 2 units (rounded down) of UTF-16LE.
std::wstring Utf16LEToWide(const void* bytes, size_t byteCount);
