#include "common/TextFit.h"

#include <juce_graphics/juce_graphics.h>

#include <cmath>
#include <functional>


namespace Common {
namespace {

// Chinese, Japanese and Korean characters: square, one em wide in every face that has them.
bool IsSquare(wchar_t c) {
  return (c >= 0x2E80 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFF60) ||
         c >= 0x20000;
}

// The font a description names, as the renderer has it; a face the machine lacks
// becomes the default sans-serif face.
juce::Font FontOf(const LOGFONTW& description) {
  juce::String face(juce::CharPointer_UTF32(reinterpret_cast<const juce::juce_wchar*>(description.lfFaceName)));
  static const juce::StringArray installed = juce::Font::findAllTypefaceNames();
  if (!installed.contains(face)) face = juce::Font::getDefaultSansSerifFontName();
  int style = juce::Font::plain;
  if (description.lfWeight >= FW_BOLD) style |= juce::Font::bold;
  if (description.lfItalic) style |= juce::Font::italic;
  if (description.lfUnderline) style |= juce::Font::underlined;
  // A negative height is the characters' height (the em), a positive one the cell's.
  LONG height = description.lfHeight == 0 ? -12 : description.lfHeight;
  juce::Font font(face, static_cast<float>(std::abs(height)), style);
  if (height < 0) font = font.withPointHeight(static_cast<float>(-height));
  return font;
}

// The renderer reads no font collection files, so it has no face with Chinese
// characters here: those are counted one em each, the rest measured.
int WidthOf(const juce::Font& font, const std::wstring& text) {
  std::wstring rest;
  float width = 0;
  for (wchar_t c : text) {
    if (IsSquare(c))
      width += font.getHeightInPoints();
    else
      rest += c;
  }
  return static_cast<int>(std::ceil(width + font.getStringWidthFloat(juce::String(rest.c_str()))));
}

// Fits the path into the width: keeps its last part and as much of its beginning
// as fits before "..."; when even "..." and the last part are too wide, keeps the
// beginning of the last part before "...".
std::wstring CompactPath(const std::wstring& path, int width, const std::function<int(const std::wstring&)>& measure) {
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

}  // namespace

CSize GetTextSize(CWnd*, CString& text, LOGFONTW& description) {
  juce::Font font = FontOf(description);
  return CSize(WidthOf(font, text.str()), static_cast<int>(std::ceil(font.getHeight())));
}

void PathCompactPathInCommon(CWnd*, CString& path, LOGFONTW& description, int width) {
  juce::Font font = FontOf(description);
  path = CString(CompactPath(path.str(), width, [&font](const std::wstring& t) { return WidthOf(font, t); }));
}

}  // namespace Common
