#pragma once
// Numbers, colours and transfer speeds to and from text.
#include <string>

#include "mfc/Afx.h"

namespace Common {

// Optional white space and sign, then decimal digits; 0 when there are none.
// Values beyond the type's range saturate.
int CString2Int(const CString& text);
CString Int2CString(int value);
float CSring2Float(const CString& text);
// Signed 64-bit decimal; a minus sign gives the two's-complement value.
unsigned long long CString2DWORD64(const CString& text);
CString DWORD642CString(const unsigned long long& value);  // signed decimal
// "0x" hexadecimal, a leading "0" octal, else decimal.
unsigned long long CString2UInt(const CString& text);
CString UInt2CString(unsigned long long value);  // unsigned decimal
std::string Int2Utf8(int value);
std::string Int2Bytes(int value);
std::string DWORD642Bytes(const unsigned long long& value);
int Bytes2Int(const std::string& bytes);
unsigned long long Bytes2DWORD64(const std::string& bytes);

// The hexadecimal digits at the end of the text ("0x1A" gives 26, "12G4" gives 4);
// more than eight digits wrap around.
int HexStringToInt(const CString& text);
// 1 for an optional "-" followed by decimal digits only (also for an empty text);
// 0 for "-" alone, any other character, or a null pointer.
int IsInteger(const wchar_t* text);

// "0xBBGGRR" in upper-case hexadecimal.
CString ColorRefToCString_Hex(unsigned long color);
// The low 24 bits as decimal.
CString ColorRefToCString_Dec(unsigned long color);
// Hexadecimal text to a colour: 0 for 0 and for unreadable or overflowing text,
// 0xFFFFFFFF above 0xFFFFFF.
unsigned long StringToColorRef(const std::string& text);

// "1.5KB/S", "2.0MB/S", "999.0B/S" (decimal units).
CString SpeedToCString(long bytesPerSecond);

}  // namespace Common
