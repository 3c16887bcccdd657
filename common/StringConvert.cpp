#include "common/StringConvert.h"

#include <juce_core/juce_core.h>

#include "win32/CodePage.h"

namespace Common {

namespace {

std::string WideToCodePage(UINT codePage, const wchar_t* text, int* count) {
  std::string out;
  int n = WideCharToMultiByte(codePage, 0, text ? text : L"", -1, nullptr, 0, nullptr, nullptr);
  if (n > 0) {
    out.resize(static_cast<size_t>(n));
    n = WideCharToMultiByte(codePage, 0, text ? text : L"", -1, out.data(), n, nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
  }
  if (count) *count = n;
  return out;
}

std::wstring CodePageToWide(UINT codePage, const char* text, int* count) {
  std::wstring out;
  int n = MultiByteToWideChar(codePage, 0, text ? text : "", -1, nullptr, 0);
  if (n > 0) {
    out.resize(static_cast<size_t>(n));
    n = MultiByteToWideChar(codePage, 0, text ? text : "", -1, out.data(), n);
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
  }
  if (count) *count = n;
  return out;
}

}  // namespace

std::string CString_to_utf8(const CString& text) { return WString_to_utf8(text.GetString()); }

int utf8_to_CString(const std::string& text, CString& out) {
  int count = 0;
  out = CodePageToWide(CP_UTF8, text.c_str(), &count).c_str();
  return count;
}

std::string WString_to_utf8(const wchar_t* text) { return WideToCodePage(CP_UTF8, text, nullptr); }

int utf8_to_WString(const std::string& text, wchar_t* out, int outCount) {
  if (!out || outCount <= 0) return 0;
  std::wstring wide = CodePageToWide(CP_UTF8, text.c_str(), nullptr);
  size_t units = std::min(wide.size(), static_cast<size_t>(outCount - 1));
  wide.copy(out, units);
  out[units] = L'\0';
  return static_cast<int>(units + 1);
}

int CString_to_MBCS(const CString& text, std::string& out) {
  int count = 0;
  out = WideToCodePage(CP_ACP, text.GetString(), &count);
  return count;
}

std::string CString_to_MBCS(const CString& text) { return WideToCodePage(CP_ACP, text.GetString(), nullptr); }

int MBCS_to_CString(const char* text, CString& out) {
  int count = 0;
  out = CodePageToWide(CP_ACP, text, &count).c_str();
  return count;
}

juce::String CString_to_String(CString text) { return juce::String(text.GetString()); }

CString String_To_CString(juce::String text) {
  CString out;
  utf8_to_CString(String_ToStdString(text), out);
  return out;
}

// Through the code page so that malformed bytes become U+FFFD instead of
// reaching JUCE's decoder, which expects valid UTF-8.
juce::String Stdstring_To_String(std::string text) {
  return juce::String(CodePageToWide(CP_UTF8, text.c_str(), nullptr).c_str());
}

std::string String_ToStdString(juce::String text) { return WString_to_utf8(text.toWideCharPointer()); }

std::string CString_to_Bytes(const CString& text) {
  return WideToUtf16LE(std::wstring_view(text.GetString(), static_cast<size_t>(text.GetLength())));
}

CString Bytes_to_CString(const std::string& bytes) {
  std::wstring wide = Utf16LEToWide(bytes.data(), bytes.size());
  return CString(wide.c_str());  // stops at the first NUL unit
}

}  // namespace Common
