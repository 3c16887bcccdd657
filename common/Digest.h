#pragma once
// MD5 digests of text as 32 lower-case hexadecimal digits.
#include <string>

#include "mfc/Afx.h"

namespace Common {

// MD5 of the first length characters as UTF-16LE bytes; empty for null or a length of 0.
CString MakeMD5Value(const wchar_t* text, unsigned int length);
// MD5 of the text's bytes in the ANSI code page.
std::string MakeMD5Value(const CString& text);

}  // namespace Common
