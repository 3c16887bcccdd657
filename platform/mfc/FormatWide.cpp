#include "mfc/FormatWide.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "win32/CodePage.h"

namespace {

enum class Size { None, hh, h, l, ll, L, w, Ptr };

// Whether a string or character argument is wide: %ls/%ws/%lc are, %hs/%hc are not, and
// plain %s/%c match the format's own width while %S/%C take the other one.
bool IsWideArg(Size size, bool lowerCase, bool wideFormat) {
  if (size == Size::l || size == Size::w) return true;
  if (size == Size::h) return false;
  return lowerCase == wideFormat;
}

template <class Ch>
void AppendAscii(std::basic_string<Ch>& out, const std::string& s) {
  for (char c : s) out.push_back(static_cast<Ch>(static_cast<unsigned char>(c)));
}

// Formats one number with the C library's narrow printf (its output is plain ASCII).
template <class T>
std::string FormatNumber(const std::string& spec, T value) {
  char small[128];
  int n = std::snprintf(small, sizeof(small), spec.c_str(), value);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof(small)) return std::string(small, n);
  std::string big(n + 1, '\0');
  std::snprintf(big.data(), big.size(), spec.c_str(), value);
  big.resize(n);
  return big;
}

// Text of a string argument in the output's character type, cut to the precision.
template <class Ch>
std::basic_string<Ch> StringArg(const void* arg, bool wideArg, int precision) {
  size_t limit = precision >= 0 ? static_cast<size_t>(precision) : SIZE_MAX;
  if (arg == nullptr) {
    std::basic_string<Ch> null;
    AppendAscii(null, "(null)");
    if (null.size() > limit) null.resize(limit);
    return null;
  }
  if (wideArg) {
    const wchar_t* s = static_cast<const wchar_t*>(arg);
    size_t n = precision >= 0 ? wcsnlen(s, limit) : std::wcslen(s);
    if constexpr (std::is_same_v<Ch, wchar_t>) {
      return std::wstring(s, n);
    } else {
      return WideToAnsi(std::wstring_view(s, n));
    }
  }
  const char* s = static_cast<const char*>(arg);
  size_t n = precision >= 0 ? strnlen(s, limit) : std::strlen(s);
  if constexpr (std::is_same_v<Ch, wchar_t>) {
    return AnsiToWide(std::string_view(s, n));
  } else {
    return std::string(s, n);
  }
}

template <class Ch>
void AppendPadded(std::basic_string<Ch>& out, const std::basic_string<Ch>& text, const std::string& flags,
                  int width) {
  bool left = flags.find('-') != std::string::npos;
  Ch pad = !left && flags.find('0') != std::string::npos ? Ch('0') : Ch(' ');
  size_t fill = width > 0 && static_cast<size_t>(width) > text.size() ? width - text.size() : 0;
  if (!left) out.append(fill, pad);
  out += text;
  if (left) out.append(fill, Ch(' '));
}

template <class Ch>
std::basic_string<Ch> FormatImpl(const Ch* format, va_list args) {
  constexpr bool kWideOut = std::is_same_v<Ch, wchar_t>;
  std::basic_string<Ch> out;
  if (format == nullptr) return out;
  va_list ap;
  va_copy(ap, args);
  const Ch* p = format;
  while (*p) {
    if (*p != Ch('%')) {
      out.push_back(*p++);
      continue;
    }
    const Ch* start = p++;
    if (*p == Ch('%')) {
      out.push_back(Ch('%'));
      ++p;
      continue;
    }
    std::string flags;
    while (*p == Ch('-') || *p == Ch('+') || *p == Ch(' ') || *p == Ch('0') || *p == Ch('#')) {
      flags.push_back(static_cast<char>(*p++));
    }
    int width = 0;
    if (*p == Ch('*')) {
      width = va_arg(ap, int);
      if (width < 0) {
        flags.push_back('-');
        width = -width;
      }
      ++p;
    } else {
      while (*p >= Ch('0') && *p <= Ch('9')) width = width * 10 + (*p++ - Ch('0'));
    }
    int precision = -1;
    if (*p == Ch('.')) {
      ++p;
      precision = 0;
      if (*p == Ch('*')) {
        precision = va_arg(ap, int);
        if (precision < 0) precision = -1;
        ++p;
      } else {
        while (*p >= Ch('0') && *p <= Ch('9')) precision = precision * 10 + (*p++ - Ch('0'));
      }
    }
    Size size = Size::None;
    switch (*p) {
      case Ch('h'):
        ++p;
        size = Size::h;
        if (*p == Ch('h')) { size = Size::hh; ++p; }
        break;
      case Ch('l'):
        ++p;
        size = Size::l;
        if (*p == Ch('l')) { size = Size::ll; ++p; }
        break;
      case Ch('L'): size = Size::L; ++p; break;
      case Ch('w'): size = Size::w; ++p; break;
      case Ch('q'): size = Size::ll; ++p; break;
      case Ch('z'): case Ch('t'): case Ch('j'): size = Size::Ptr; ++p; break;
      case Ch('I'):
        if (p[1] == Ch('6') && p[2] == Ch('4')) { size = Size::ll; p += 3; }
        else if (p[1] == Ch('3') && p[2] == Ch('2')) { size = Size::None; p += 3; }
        else { size = Size::Ptr; ++p; }
        break;
      default: break;
    }
    Ch conv = *p;
    if (conv == Ch('\0')) {
      out.append(start, p);
      break;
    }
    ++p;
    std::string spec = "%" + flags + (width > 0 ? std::to_string(width) : std::string()) +
                       (precision >= 0 ? "." + std::to_string(precision) : std::string());
    switch (conv) {
      case Ch('d'): case Ch('i'): {
        long long v;
        if (size == Size::ll || size == Size::Ptr || size == Size::L) v = va_arg(ap, long long);
        else if (size == Size::hh) v = static_cast<signed char>(va_arg(ap, int));
        else if (size == Size::h) v = static_cast<short>(va_arg(ap, int));
        else v = va_arg(ap, int);  // long is 32 bits on Windows
        AppendAscii(out, FormatNumber(spec + "lld", v));
        break;
      }
      case Ch('u'): case Ch('o'): case Ch('x'): case Ch('X'): {
        unsigned long long v;
        if (size == Size::ll || size == Size::Ptr || size == Size::L) v = va_arg(ap, unsigned long long);
        else if (size == Size::hh) v = static_cast<unsigned char>(va_arg(ap, unsigned int));
        else if (size == Size::h) v = static_cast<unsigned short>(va_arg(ap, unsigned int));
        else v = va_arg(ap, unsigned int);
        AppendAscii(out, FormatNumber(spec + "ll" + static_cast<char>(conv), v));
        break;
      }
      case Ch('f'): case Ch('F'): case Ch('e'): case Ch('E'):
      case Ch('g'): case Ch('G'): case Ch('a'): case Ch('A'):
        if (size == Size::L) {
          AppendAscii(out, FormatNumber(spec + "L" + static_cast<char>(conv), va_arg(ap, long double)));
        } else {
          AppendAscii(out, FormatNumber(spec + static_cast<char>(conv), va_arg(ap, double)));
        }
        break;
      case Ch('p'): {
        void* v = va_arg(ap, void*);
        std::string text = FormatNumber("%016llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(v)));
        std::basic_string<Ch> t;
        AppendAscii(t, text);
        AppendPadded(out, t, flags, width);
        break;
      }
      case Ch('s'): case Ch('S'): {
        bool wideArg = IsWideArg(size, conv == Ch('s'), kWideOut);
        const void* v = va_arg(ap, const void*);
        AppendPadded(out, StringArg<Ch>(v, wideArg, precision), flags, width);
        break;
      }
      case Ch('c'): case Ch('C'): {
        bool wideArg = IsWideArg(size, conv == Ch('c'), kWideOut);
        int v = va_arg(ap, int);
        std::basic_string<Ch> t;
        if (wideArg) {
          wchar_t c = static_cast<wchar_t>(v);
          t = StringArg<Ch>(&c, true, 1);
          if (c == L'\0') t.assign(1, Ch('\0'));
        } else {
          char c = static_cast<char>(v);
          t = StringArg<Ch>(&c, false, 1);
          if (c == '\0') t.assign(1, Ch('\0'));
        }
        AppendPadded(out, t, flags, width);
        break;
      }
      case Ch('n'):
        (void)va_arg(ap, void*);  // never written through, as with Windows' default
        break;
      default:
        out.append(start, p);  // not a conversion: keep the text
        break;
    }
  }
  va_end(ap);
  return out;
}

}  // namespace

std::wstring FormatWide(const wchar_t* format, va_list args) { return FormatImpl<wchar_t>(format, args); }

std::string FormatNarrow(const char* format, va_list args) { return FormatImpl<char>(format, args); }
