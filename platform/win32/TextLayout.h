#pragma once
// Laying text out in a face: the `&` prefix rule, breaking into lines that fit a width, and
// shortening a line or a path with "...". Shared by DrawTextW and PathCompactPathW.
#include <functional>
#include <string>
#include <vector>

#include "win32/TextMetrics.h"

namespace win32 {

// "&&" becomes "&"; "&x" becomes "x", and the position of the last such x (or npos) is the
// character to underline.
std::wstring StripPrefixes(const std::wstring& text, size_t* underlined);

// The text's lines: split at "\r\n", "\n" and "\r" unless singleLine; with wordBreak, a line
// wider than width breaks after its last space that fits (the spaces end the line and are not
// drawn) or between Chinese characters; a word wider than the width stays whole. Each entry:
// the line's first character and its length.
struct TextLine {
  size_t start = 0;
  size_t length = 0;
};
std::vector<TextLine> BreakLines(const std::wstring& text, const FontFace& face, int width, bool singleLine, bool wordBreak);

using Measure = std::function<int(const std::wstring&)>;
// The longest beginning of the text followed by "..." that fits; the text itself when it fits.
std::wstring EndEllipsis(const std::wstring& text, int width, const Measure& measure);
// A path that fits: its middle becomes "..." ("/home/user/.../file.txt"), keeping the last
// part; when even that is too wide, the beginning of the name followed by "...".
std::wstring CompactPath(const std::wstring& path, int width, const Measure& measure);

}  // namespace win32
