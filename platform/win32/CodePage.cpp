#include "win32/CodePage.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "win32/WinError.h"

namespace {

constexpr DWORD kErrorNoUnicodeTranslation = 1113;  // ERROR_NO_UNICODE_TRANSLATION
constexpr UINT kCpGbk = 936;
constexpr wchar_t kReplacement = 0xFFFD;

std::atomic<UINT> g_ansiCodePage{CP_UTF8};

// Decodes UTF-8; each maximal subpart of an ill-formed sequence becomes one U+FFFD.
void DecodeUtf8(const unsigned char* p, size_t n, std::wstring& out, bool& invalid) {
  size_t i = 0;
  while (i < n) {
    unsigned char b = p[i];
    if (b < 0x80) {
      out.push_back(static_cast<wchar_t>(b));
      ++i;
      continue;
    }
    int len;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    char32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2; cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3; cp = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4; cp = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
      out.push_back(kReplacement);
      invalid = true;
      ++i;
      continue;
    }
    int k = 1;
    for (; k < len; ++k) {
      if (i + k >= n) break;
      unsigned char c = p[i + k];
      unsigned char kl = k == 1 ? lo : 0x80, kh = k == 1 ? hi : 0xBF;
      if (c < kl || c > kh) break;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (k == len) {
      out.push_back(static_cast<wchar_t>(cp));
    } else {
      out.push_back(kReplacement);
      invalid = true;
    }
    i += k;
  }
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Reads one code point from wide text. A surrogate pair held in two wchar_t units (text that
// came from UTF-16 units) is joined; an unpaired surrogate or a value beyond U+10FFFF is
// reported as invalid.
char32_t NextCodePoint(const wchar_t* p, size_t n, size_t& i, bool& invalid) {
  char32_t c = static_cast<char32_t>(p[i++]);
  if (IsHighSurrogate(c) && i < n && IsLowSurrogate(static_cast<char32_t>(p[i]))) {
    char32_t low = static_cast<char32_t>(p[i++]);
    return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
  }
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
    invalid = true;
    return kReplacement;
  }
  return c;
}

void EncodeUtf8(const wchar_t* p, size_t n, std::string& out, bool& invalid) {
  size_t i = 0;
  while (i < n) AppendUtf8(NextCodePoint(p, n, i, invalid), out);
}

struct Iconv {
  iconv_t cd;
  Iconv(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

bool DecodeGbk(const char* p, size_t n, std::wstring& out, bool& invalid) {
  Iconv conv("WCHAR_T", "CP936");
  if (!conv.ok()) return false;
  char* in = const_cast<char*>(p);
  size_t inLeft = n;
  while (inLeft > 0) {
    wchar_t buf[256];
    char* o = reinterpret_cast<char*>(buf);
    size_t oLeft = sizeof(buf);
    size_t r = iconv(conv.cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, (sizeof(buf) - oLeft) / sizeof(wchar_t));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // An invalid or truncated byte sequence: one U+FFFD for its first byte, then go on.
      out.push_back(kReplacement);
      invalid = true;
      ++in;
      --inLeft;
    }
  }
  return true;
}

bool EncodeGbk(const wchar_t* p, size_t n, std::string& out, const char* defaultChar, bool& usedDefault) {
  Iconv conv("CP936", "WCHAR_T");
  if (!conv.ok()) return false;
  char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(p));
  size_t inLeft = n * sizeof(wchar_t);
  while (inLeft > 0) {
    char buf[512];
    char* o = buf;
    size_t oLeft = sizeof(buf);
    size_t r = iconv(conv.cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, sizeof(buf) - oLeft);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out += defaultChar;
      usedDefault = true;
      in += sizeof(wchar_t);
      inLeft -= sizeof(wchar_t);
    }
  }
  return true;
}

UINT ResolveCodePage(UINT codePage) {
  if (codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP) return GetACP();
  return codePage;
}

bool Decode(UINT cp, const char* p, size_t n, std::wstring& out, bool& invalid) {
  if (cp == CP_UTF8) {
    DecodeUtf8(reinterpret_cast<const unsigned char*>(p), n, out, invalid);
    return true;
  }
  return cp == kCpGbk && DecodeGbk(p, n, out, invalid);
}

// defaultChar null: '?' for GBK, U+FFFD for UTF-8.
bool Encode(UINT cp, const wchar_t* p, size_t n, std::string& out, const char* defaultChar, bool& usedDefault) {
  if (cp == CP_UTF8) {
    if (defaultChar == nullptr) {
      EncodeUtf8(p, n, out, usedDefault);
      return true;
    }
    // The ANSI code page is UTF-8 and the caller named a default character: use it for what
    // UTF-8 cannot carry (unpaired surrogates).
    size_t i = 0;
    while (i < n) {
      bool bad = false;
      char32_t c = NextCodePoint(p, n, i, bad);
      if (bad) out += defaultChar; else AppendUtf8(c, out);
      usedDefault = usedDefault || bad;
    }
    return true;
  }
  return cp == kCpGbk && EncodeGbk(p, n, out, defaultChar ? defaultChar : "?", usedDefault);
}

}  // namespace

UINT GetACP() { return g_ansiCodePage.load(); }
UINT GetOEMCP() { return GetACP(); }

BOOL IsValidCodePage(UINT codePage) { return codePage == CP_UTF8 || codePage == kCpGbk; }

BOOL SetAnsiCodePage(UINT codePage) {
  if (!IsValidCodePage(codePage)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  g_ansiCodePage.store(codePage);
  return TRUE;
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
  if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && lpWideCharStr == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  std::wstring out;
  bool invalid = false;
  if (!Decode(ResolveCodePage(CodePage), lpMultiByteStr, n, out, invalid)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (invalid && (dwFlags & MB_ERR_INVALID_CHARS)) {
    SetLastError(kErrorNoUnicodeTranslation);
    return 0;
  }
  int needed = static_cast<int>(out.size());
  if (cchWideChar == 0) return needed;
  if (needed > cchWideChar) {
    std::memcpy(lpWideCharStr, out.data(), cchWideChar * sizeof(wchar_t));
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpWideCharStr, out.data(), out.size() * sizeof(wchar_t));
  return needed;
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar) {
  if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && lpMultiByteStr == nullptr) ||
      (CodePage == CP_UTF8 && (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = cchWideChar == -1 ? std::wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
  std::string out;
  bool invalid = false;
  UINT cp = ResolveCodePage(CodePage);
  if (!Encode(cp, lpWideCharStr, n, out, lpDefaultChar, invalid)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (cp == CP_UTF8 && invalid && (dwFlags & WC_ERR_INVALID_CHARS)) {
    SetLastError(kErrorNoUnicodeTranslation);
    return 0;
  }
  if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = invalid ? TRUE : FALSE;
  int needed = static_cast<int>(out.size());
  if (cbMultiByte == 0) return needed;
  if (needed > cbMultiByte) {
    std::memcpy(lpMultiByteStr, out.data(), cbMultiByte);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpMultiByteStr, out.data(), out.size());
  return needed;
}

std::wstring AnsiToWide(std::string_view text) {
  std::wstring out;
  bool invalid = false;
  Decode(GetACP(), text.data(), text.size(), out, invalid);
  return out;
}

std::string WideToAnsi(std::wstring_view text) {
  std::string out;
  bool usedDefault = false;
  Encode(GetACP(), text.data(), text.size(), out, nullptr, usedDefault);
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  bool invalid = false;
  EncodeUtf8(text.data(), text.size(), out, invalid);
  return out;
}

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  bool invalid = false;
  DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out, invalid);
  return out;
}

std::u16string WideToUtf16(std::wstring_view text) {
  std::u16string out;
  out.reserve(text.size());
  bool invalid = false;
  size_t i = 0;
  while (i < text.size()) {
    char32_t c = NextCodePoint(text.data(), text.size(), i, invalid);
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

std::wstring Utf16ToWide(std::u16string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      out.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00)));
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      out.push_back(kReplacement);
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
  }
  return out;
}

std::string WideToUtf16LE(std::wstring_view text) {
  std::u16string units = WideToUtf16(text);
  std::string out;
  out.reserve(units.size() * 2);
  for (char16_t u : units) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  return out;
}

std::wstring Utf16LEToWide(const void* bytes, size_t byteCount) {
  const unsigned char* b = static_cast<const unsigned char*>(bytes);
  std::u16string units(byteCount / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(b[2 * i] | (b[2 * i + 1] << 8));
  }
  return Utf16ToWide(units);
}
