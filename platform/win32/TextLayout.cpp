#include "win32/TextLayout.h"

namespace win32 {

std::wstring StripPrefixes(const std::wstring& text, size_t* underlined) {
  std::wstring out;
  size_t mark = std::wstring::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != L'&') mark = out.size();
    } else if (text[i] == L'&') {
      continue;  // a lone '&' at the end shows nothing
    }
    out += text[i];
  }
  if (underlined) *underlined = mark;
  return out;
}

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

// Breaks one paragraph (no line ends) into lines no wider than width where it can.
void BreakParagraph(const std::wstring& text, size_t start, size_t end, const FontFace& face, int width,
                    std::vector<TextLine>& lines) {
  while (true) {
    std::wstring rest = text.substr(start, end - start);
    std::vector<int> extents = face.Extents(rest);
    if (extents.empty() || extents.back() <= width) {
      lines.push_back({start, end - start});
      return;
    }
    size_t fit = 0;  // characters that fit
    while (fit < extents.size() && extents[fit] <= width) ++fit;
    // The last break opportunity within what fits (a line keeps at least one character).
    size_t cut = 0, next = 0;
    for (size_t i = 1; i <= fit && i < rest.size(); ++i) {
      if (IsSpace(rest[i])) {
        cut = i;
        next = i;
        while (next < rest.size() && IsSpace(rest[next])) ++next;
      } else if (IsWideCharacter(rest[i]) || IsWideCharacter(rest[i - 1])) {
        if (!IsSpace(rest[i - 1])) {
          cut = i;
          next = i;
        }
      }
    }
    if (cut == 0) {  // one word wider than the line: it stays whole up to its end
      size_t i = 0;
      while (i < rest.size() && !IsSpace(rest[i]) && !(i > 0 && IsWideCharacter(rest[i]))) ++i;
      cut = i;
      next = i;
      while (next < rest.size() && IsSpace(rest[next])) ++next;
    }
    lines.push_back({start, cut});
    start += next;
    if (start >= end) return;
  }
}

}  // namespace

std::vector<TextLine> BreakLines(const std::wstring& text, const FontFace& face, int width, bool singleLine,
                                 bool wordBreak) {
  std::vector<TextLine> lines;
  size_t start = 0;
  while (true) {
    size_t end = singleLine ? text.size() : text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    if (wordBreak && !singleLine && end > start)
      BreakParagraph(text, start, end, face, width, lines);
    else
      lines.push_back({start, end - start});
    if (end >= text.size()) break;
    start = end + (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n' ? 2 : 1);
    if (start >= text.size()) break;
  }
  return lines;
}

std::wstring EndEllipsis(const std::wstring& text, int width, const Measure& measure) {
  if (measure(text) <= width) return text;
  for (size_t keep = text.size(); keep-- > 0;) {
    std::wstring candidate = text.substr(0, keep) + L"...";
    if (measure(candidate) <= width) return candidate;
  }
  return L"...";  // nothing but the dots
}

std::wstring CompactPath(const std::wstring& path, int width, const Measure& measure) {
  if (measure(path) <= width) return path;
  const std::wstring dots = L"...";
  size_t cut = path.find_last_of(L"/\\");
  std::wstring tail = cut == std::wstring::npos ? path : path.substr(cut);  // with its separator
  std::wstring head = cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
  for (size_t keep = head.size(); keep-- > 0;) {
    std::wstring candidate = head.substr(0, keep) + dots + tail;
    if (measure(candidate) <= width) return candidate;
  }
  std::wstring name = cut == std::wstring::npos ? path : path.substr(cut + 1);
  for (size_t keep = name.size(); keep-- > 0;) {
    std::wstring candidate = name.substr(0, keep) + dots;
    if (measure(candidate) <= width) return candidate;
  }
  for (size_t keep = dots.size(); keep-- > 0;)
    if (measure(dots.substr(0, keep)) <= width) return dots.substr(0, keep);
  return std::wstring();
}

}  // namespace win32
