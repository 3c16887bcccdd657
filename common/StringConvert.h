#pragma once
// Conversions between the three string types: CString (wide), std::string (UTF-8,
// ANSI code page or raw UTF-16LE bytes, as each name says) and juce::String.
// They never fail: malformed UTF-8 and unpaired surrogates become U+FFFD, characters
// the ANSI code page lacks become '?', and an embedded NUL ends the text.
// Counts are in wide units (one per character here) and include the terminator.
#include <string>

#include "mfc/Afx.h"

namespace juce {
class String;
}

namespace Common {

std::string CString_to_utf8(const CString& text);
int utf8_to_CString(const std::string& text, CString& out);
std::string WString_to_utf8(const wchar_t* text);
// Writes at most outCount units, the terminator included: a longer text is cut.
// Returns the units written including the terminator; 0 when there is no room at all.
int utf8_to_WString(const std::string& text, wchar_t* out, int outCount);
int CString_to_MBCS(const CString& text, std::string& out);
std::string CString_to_MBCS(const CString& text);
int MBCS_to_CString(const char* text, CString& out);

juce::String CString_to_String(CString text);
CString String_To_CString(juce::String text);
juce::String Stdstring_To_String(std::string text);
std::string String_ToStdString(juce::String text);

// Raw UTF-16LE: two bytes per unit, low byte first, no terminator.
std::string CString_to_Bytes(const CString& text);
// Reads byteCount / 2 units and stops at the first NUL unit.
CString Bytes_to_CString(const std::string& bytes);

}  // namespace Common
