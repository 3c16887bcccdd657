#include "win32/GdiText.h"

#include <algorithm>
#include <cwchar>

#include "win32/GdiCanvas.h"
#include "win32/TextLayout.h"
#include "win32/TextMetrics.h"
#include "win32/WinError.h"

namespace {

// The text a call names, or false for a null text with characters.
bool TextOf(LPCWSTR text, int count, std::wstring* out) {
  if (!text) {
    if (count != 0) return false;
    out->clear();
    return true;
  }
  *out = count < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(count));
  return true;
}

struct ShownLine {
  std::wstring text;
  bool shortened = false;
  size_t start = 0;  // in the stripped text
  int width = 0;
};

}  // namespace

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  win32::GdiCanvas canvas(dc);
  if (!canvas) return 0;
  std::wstring all;
  if (!rect || !TextOf(text, count, &all)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto face = win32::FaceOfDc(dc);
  const win32::FaceMetrics& metrics = face->Metrics();
  size_t underlined = std::wstring::npos;
  if (!(format & DT_NOPREFIX)) all = win32::StripPrefixes(all, &underlined);
  if (all.empty()) {
    if (format & DT_CALCRECT) rect->right = rect->left, rect->bottom = rect->top;
    return 0;
  }
  const int lineHeight = metrics.Height() + ((format & DT_EXTERNALLEADING) ? metrics.externalLeading : 0);
  const int width = rect->right - rect->left;
  const bool single = (format & DT_SINGLELINE) != 0;
  win32::Measure measure = [&face](const std::wstring& t) { return face->Width(t); };

  std::vector<ShownLine> lines;
  int widest = 0;
  for (const win32::TextLine& line : win32::BreakLines(all, *face, width, single, (format & DT_WORDBREAK) != 0)) {
    ShownLine shown{all.substr(line.start, line.length), false, line.start, 0};
    std::wstring before = shown.text;
    if (format & DT_PATH_ELLIPSIS)
      shown.text = win32::CompactPath(shown.text, width, measure);
    else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
      shown.text = win32::EndEllipsis(shown.text, width, measure);
    shown.shortened = shown.text != before;
    shown.width = measure(shown.text);
    widest = std::max(widest, shown.width);
    lines.push_back(std::move(shown));
  }
  const int textHeight = lineHeight * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    rect->right = rect->left + widest;
    rect->bottom = rect->top + textHeight;
    return textHeight;
  }

  int y = rect->top;
  if (single && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
  if (single && (format & DT_BOTTOM)) y = rect->bottom - lineHeight;
  const int result = (single && (format & (DT_VCENTER | DT_BOTTOM))) ? y - rect->top + textHeight : textHeight;
  if (!canvas.Drawable()) return result;

  const win32::DcState& state = canvas.Dc().State();
  juce::Graphics& g = canvas.Graphics();
  juce::Graphics::ScopedSaveState keep(g);
  if (!(format & DT_NOCLIP)) g.reduceClipRegion(rect->left, rect->top, width, rect->bottom - rect->top);
  for (const ShownLine& line : lines) {
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (width - line.width) / 2;
    if (format & DT_RIGHT) x = rect->right - line.width;
    if (state.backgroundMode == 2 /* OPAQUE */) {
      g.setColour(win32::ToJuce(state.background));
      g.fillRect(x, y, line.width, metrics.Height());
    }
    g.setColour(win32::ToJuce(state.text));
    if (!(format & DT_PREFIXONLY)) face->Draw(g, line.text, x, y);
    bool marks = underlined != std::wstring::npos && !(format & DT_HIDEPREFIX) && !line.shortened &&
                 underlined >= line.start && underlined < line.start + line.text.size();
    if (marks) {
      std::vector<int> extents = face->Extents(line.text);
      size_t at = underlined - line.start;
      int from = at == 0 ? 0 : extents[at - 1];
      g.fillRect(x + from, y + metrics.ascent + 1, extents[at] - from, 1);
    }
    y += lineHeight;
  }
  return result;
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT extents, LPSIZE size) {
  auto face = win32::FaceOfDc(dc);
  if (!face) return FALSE;
  std::wstring all;
  if (count < 0 || !TextOf(text, count, &all)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<int> ends = face->Extents(all);
  if (fit) *fit = static_cast<int>(std::count_if(ends.begin(), ends.end(), [&](int e) { return e <= maxExtent; }));
  if (extents) std::copy(ends.begin(), ends.end(), extents);
  if (size) *size = SIZE{ends.empty() ? 0 : ends.back(), face->Metrics().Height()};
  return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return GetTextExtentExPointW(dc, text, count, 0, nullptr, nullptr, size);
}

BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics) {
  auto face = win32::FaceOfDc(dc);
  if (!face) return FALSE;
  if (!metrics) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const win32::FaceMetrics& m = face->Metrics();
  *metrics = TEXTMETRICW{};
  metrics->tmHeight = m.Height();
  metrics->tmAscent = m.ascent;
  metrics->tmDescent = m.descent;
  metrics->tmInternalLeading = m.internalLeading;
  metrics->tmExternalLeading = m.externalLeading;
  metrics->tmAveCharWidth = m.averageWidth;
  metrics->tmMaxCharWidth = m.maxWidth;
  metrics->tmWeight = m.weight;
  metrics->tmDigitizedAspectX = 96;
  metrics->tmDigitizedAspectY = 96;
  metrics->tmFirstChar = L' ';
  metrics->tmLastChar = 0xFFFF;
  metrics->tmDefaultChar = L'?';
  metrics->tmBreakChar = L' ';
  metrics->tmCharSet = DEFAULT_CHARSET;
  return TRUE;
}

BOOL PathCompactPathW(HDC dc, LPWSTR path, UINT width) {
  auto face = win32::FaceOfDc(dc);
  if (!face) return FALSE;
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The buffer holds MAX_PATH characters, as the caller must provide.
  constexpr size_t kBuffer = 260;
  std::wstring shortened = win32::CompactPath(std::wstring(path, wcsnlen(path, kBuffer - 1)), static_cast<int>(width),
                                              [&face](const std::wstring& t) { return face->Width(t); });
  shortened.resize(std::min(shortened.size(), kBuffer - 1));
  std::copy(shortened.begin(), shortened.end(), path);
  path[shortened.size()] = L'\0';
  return TRUE;
}
