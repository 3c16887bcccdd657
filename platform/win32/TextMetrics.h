#pragma once
// The one text-metrics provider behind DrawTextW, ExtTextOutW, GetTextExtentPoint32W,
// GetTextMetricsW and whatever else lays out text: a font description becomes a face that
// measures and draws. Two kinds of face:
//  - the test font (face name kTestFontFace, or every font after UseTestFontEverywhere):
//    a cell as high as |lfHeight| (12 when 0), ascent 4/5 of it, half the height per
//    UTF-16 unit and the full height per Chinese, Japanese or Korean character, each glyph
//    a filled box ([x+1, x+advance-1) by [top+1, top+ascent)); spaces draw nothing;
//  - the desktop's fonts, found by family through fontconfig (faces of collections too) and
//    read by FreeType: a negative height is the em, a positive one the cell; weight 600 or
//    more is bold; "SimSun", "宋体", "微软雅黑" and other faces
//    meant for Chinese use the Chinese face, which also draws those characters in any font.
#include <juce_graphics/juce_graphics.h>

#include <memory>
#include <string>
#include <vector>

#include "win32/GdiTypes.h"

namespace win32 {

inline constexpr wchar_t kTestFontFace[] = L"Dorv Test";

struct FaceMetrics {
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
  int externalLeading = 0;
  int averageWidth = 0;
  int maxWidth = 0;
  int weight = 400;
  int Height() const { return ascent + descent; }
};

class FontFace {
 public:
  virtual ~FontFace() = default;
  virtual const FaceMetrics& Metrics() const = 0;
  // Pixels from the start of the text to the end of each character (one entry per character).
  virtual std::vector<int> Extents(const std::wstring& text) const = 0;
  int Width(const std::wstring& text) const;
  // Draws the text with its top left at (x, top), in the graphics' current colour.
  virtual void Draw(juce::Graphics& g, const std::wstring& text, int x, int top) const = 0;
};

// The face of a description (cached; the same description gives the same face).
std::shared_ptr<const FontFace> FaceFor(const LOGFONTW& description);
// The face of the font selected into a DC (the GUI font when none is), or null for an
// unknown DC.
std::shared_ptr<const FontFace> FaceOfDc(HDC dc);
// Makes every font the test font (tests of code that picks its own fonts).
void UseTestFontEverywhere(bool on);
// Chinese, Japanese and Korean characters, which take a full cell.
bool IsWideCharacter(wchar_t c);

}  // namespace win32
