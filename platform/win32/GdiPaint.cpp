#include "win32/GdiPaint.h"

#include "win32/GdiCanvas.h"
#include "win32/TextMetrics.h"
#include "win32/WinError.h"

namespace {

COLORREF Set(HDC dc, COLORREF colour, COLORREF win32::DcState::*field) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found) return CLR_INVALID;
  COLORREF previous = found->State().*field;
  found->State().*field = colour & 0xFFFFFF;
  return previous;
}

COLORREF Get(HDC dc, COLORREF win32::DcState::*field) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  return found ? found->State().*field : CLR_INVALID;
}

}  // namespace

COLORREF SetBkColor(HDC dc, COLORREF colour) { return Set(dc, colour, &win32::DcState::background); }
COLORREF GetBkColor(HDC dc) { return Get(dc, &win32::DcState::background); }
COLORREF SetTextColor(HDC dc, COLORREF colour) { return Set(dc, colour, &win32::DcState::text); }
COLORREF GetTextColor(HDC dc) { return Get(dc, &win32::DcState::text); }

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const INT* dx) {
  win32::GdiCanvas canvas(dc);
  if (!canvas) return FALSE;
  if (count && !text) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!canvas.Drawable()) return TRUE;
  const win32::DcState& state = canvas.Dc().State();
  auto face = win32::FaceOfDc(dc);
  juce::Graphics& g = canvas.Graphics();
  juce::Graphics::ScopedSaveState keep(g);
  if (rect && (options & ETO_CLIPPED)) {
    g.reduceClipRegion(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  }
  if (rect && (options & ETO_OPAQUE)) {
    g.setColour(win32::ToJuce(state.background));
    g.fillRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  }
  if (!count) return TRUE;
  std::wstring line(text, count);
  std::vector<int> advances;
  if (dx) {
    advances.assign(dx, dx + count);
  } else {
    int before = 0;
    for (int end : face->Extents(line)) {
      advances.push_back(end - before);
      before = end;
    }
  }
  int width = 0;
  for (int a : advances) width += a;
  if (state.backgroundMode == 2 /* OPAQUE */) {
    g.setColour(win32::ToJuce(state.background));
    g.fillRect(x, y, width, face->Metrics().Height());
  }
  g.setColour(win32::ToJuce(state.text));
  if (!dx) {
    face->Draw(g, line, x, y);
    return TRUE;
  }
  for (size_t i = 0; i < line.size(); ++i) {  // each character at its given place
    face->Draw(g, line.substr(i, 1), x, y);
    x += advances[i];
  }
  return TRUE;
}
