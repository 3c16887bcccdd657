#include "win32/ComInterfaces.h"

#include <cwchar>
#include <cwctype>

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* out) {
  if (!out) return E_POINTER;
  *out = static_cast<LPOLESTR>(CoTaskMemAlloc(39 * sizeof(wchar_t)));
  if (!*out) return E_OUTOFMEMORY;
  StringFromGUID2(clsid, *out, 39);
  return S_OK;
}

HRESULT CLSIDFromString(LPCWSTR text, CLSID* clsid) {
  if (!clsid) return E_POINTER;
  if (!text || std::wcslen(text) != 38 || text[0] != L'{' || text[37] != L'}') return CO_E_CLASSSTRING;
  BYTE bytes[16];
  int count = 0;
  int high = -1;
  for (int i = 1; i < 37; ++i) {
    wchar_t c = text[i];
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (c != L'-') return CO_E_CLASSSTRING;
      continue;
    }
    if (!std::iswxdigit(c)) return CO_E_CLASSSTRING;
    int value = (c <= L'9') ? c - L'0' : (std::towlower(c) - L'a' + 10);
    if (high < 0) {
      high = value;
    } else {
      bytes[count++] = static_cast<BYTE>(high << 4 | value);
      high = -1;
    }
  }
  clsid->Data1 = static_cast<DWORD>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
  clsid->Data2 = static_cast<WORD>(bytes[4] << 8 | bytes[5]);
  clsid->Data3 = static_cast<WORD>(bytes[6] << 8 | bytes[7]);
  for (int i = 0; i < 8; ++i) clsid->Data4[i] = bytes[8 + i];
  return S_OK;
}
