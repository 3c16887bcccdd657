#include "common/NumberText.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

#include "common/StringConvert.h"

namespace Common {

namespace {

CString Text(const std::wstring& s) { return CString(s.c_str()); }

// Decimal digits after optional white space and sign, saturating like the run time.
long long ParseDecimal(const wchar_t* text) { return std::wcstoll(text, nullptr, 10); }

}  // namespace

int CString2Int(const CString& text) {
  long long value = ParseDecimal(text.GetString());
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

CString Int2CString(int value) { return Text(std::to_wstring(value)); }

float CSring2Float(const CString& text) { return static_cast<float>(std::wcstod(text.GetString(), nullptr)); }

unsigned long long CString2DWORD64(const CString& text) {
  return static_cast<unsigned long long>(ParseDecimal(text.GetString()));
}

CString DWORD642CString(const unsigned long long& value) {
  return Text(std::to_wstring(static_cast<long long>(value)));
}

unsigned long long CString2UInt(const CString& text) { return std::wcstoull(text.GetString(), nullptr, 0); }

CString UInt2CString(unsigned long long value) { return Text(std::to_wstring(value)); }

std::string Int2Utf8(int value) { return std::to_string(value); }

std::string Int2Bytes(int value) { return CString_to_Bytes(Int2CString(value)); }

std::string DWORD642Bytes(const unsigned long long& value) { return CString_to_Bytes(DWORD642CString(value)); }

int Bytes2Int(const std::string& bytes) { return CString2Int(Bytes_to_CString(bytes)); }

unsigned long long Bytes2DWORD64(const std::string& bytes) { return CString2DWORD64(Bytes_to_CString(bytes)); }

int HexStringToInt(const CString& text) {
  unsigned int value = 0;  // unsigned: long texts wrap instead of overflowing
  unsigned int weight = 1;
  for (int i = text.GetLength() - 1; i >= 0; --i) {
    wchar_t c = text.GetAt(i);
    unsigned int digit;
    if (c >= L'0' && c <= L'9') digit = static_cast<unsigned>(c - L'0');
    else if (c >= L'a' && c <= L'f') digit = static_cast<unsigned>(c - L'a' + 10);
    else if (c >= L'A' && c <= L'F') digit = static_cast<unsigned>(c - L'A' + 10);
    else break;
    value += digit * weight;
    weight *= 16;
  }
  return static_cast<int>(value);
}

int IsInteger(const wchar_t* text) {
  if (!text) return 0;
  if (*text == L'-') {
    ++text;
    if (!*text) return 0;
  }
  for (; *text; ++text)
    if (*text < L'0' || *text > L'9') return 0;
  return 1;
}

CString ColorRefToCString_Hex(unsigned long color) {
  wchar_t buffer[16];
  std::swprintf(buffer, 16, L"0x%02X%02X%02X", static_cast<unsigned>((color >> 16) & 0xFF),
                static_cast<unsigned>((color >> 8) & 0xFF), static_cast<unsigned>(color & 0xFF));
  return CString(buffer);
}

CString ColorRefToCString_Dec(unsigned long color) { return Int2CString(HexStringToInt(ColorRefToCString_Hex(color))); }

unsigned long StringToColorRef(const std::string& text) {
  errno = 0;
  unsigned long long value = std::strtoull(text.c_str(), nullptr, 16);
  // A number too large for 32 bits reads as 0xFFFFFFFF, as the run time's 32-bit parser gives.
  if (errno == ERANGE || value > 0xFFFFFFFFull) value = 0xFFFFFFFFull;
  if (value == 0 || value == 0xFFFFFFFFull) return 0;
  if (value > 0xFFFFFF) return 0xFFFFFFFF;
  return static_cast<unsigned long>(value);
}

CString SpeedToCString(long bytesPerSecond) {
  double v = static_cast<double>(bytesPerSecond);
  wchar_t buffer[64];
  if (bytesPerSecond >= 1000000) std::swprintf(buffer, 64, L"%.1lfMB/S", v / 1000000);
  else if (bytesPerSecond < 1000) std::swprintf(buffer, 64, L"%.1lfB/S", v);
  else std::swprintf(buffer, 64, L"%.1lfKB/S", v / 1000);
  return CString(buffer);
}

}  // namespace Common
