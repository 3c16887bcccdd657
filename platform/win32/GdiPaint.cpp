#include "win32/GdiPaint.h"

#include <map>
#include <mutex>

#include <juce_graphics/juce_graphics.h>

#include "win32/GdiBitmap.h"
#include "win32/GdiDc.h"
#include "win32/WinError.h"

namespace {

struct Colours {
  COLORREF background = RGB(255, 255, 255);
  COLORREF text = RGB(0, 0, 0);
};

struct ColourTable {
  std::mutex lock;
  std::map<HDC, Colours> colours;  // only DCs whose colours were set
};

ColourTable& Table() {
  static ColourTable* table = new ColourTable;  // lives until process end
  return *table;
}

Colours ColoursOf(HDC dc) {
  ColourTable& t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.colours.find(dc);
  return it == t.colours.end() ? Colours{} : it->second;
}

COLORREF Set(HDC dc, COLORREF colour, COLORREF Colours::*field) {
  if (!win32::FindGdi<win32::GdiDc>(dc)) return CLR_INVALID;
  ColourTable& t = Table();
  std::lock_guard guard(t.lock);
  Colours& entry = t.colours[dc];
  COLORREF previous = entry.*field;
  entry.*field = colour;
  return previous;
}

COLORREF Get(HDC dc, COLORREF Colours::*field) {
  if (!win32::FindGdi<win32::GdiDc>(dc)) return CLR_INVALID;
  return ColoursOf(dc).*field;
}

juce::Colour ToJuce(COLORREF c) { return juce::Colour(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

COLORREF SetBkColor(HDC dc, COLORREF colour) { return Set(dc, colour, &Colours::background); }
COLORREF GetBkColor(HDC dc) { return Get(dc, &Colours::background); }
COLORREF SetTextColor(HDC dc, COLORREF colour) { return Set(dc, colour, &Colours::text); }
COLORREF GetTextColor(HDC dc) { return Get(dc, &Colours::text); }

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const INT*) {
  auto* context = win32::FindGdi<win32::GdiDc>(dc);
  if (!context) return FALSE;
  if (count && !text) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* bitmap = win32::FindGdi<win32::GdiBitmap>(context->SelectedBitmap());
  juce::Image target = bitmap ? bitmap->Image() : juce::Image();
  if (target.isNull()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  Colours colours = ColoursOf(dc);
  juce::Graphics g(target);
  if (rect && (options & ETO_CLIPPED)) {
    g.reduceClipRegion(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  }
  if (rect && (options & ETO_OPAQUE)) {
    g.setColour(ToJuce(colours.background));
    g.fillRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  }
  if (count) {
    juce::Font font(13.0f);
    g.setFont(font);
    g.setColour(ToJuce(colours.text));
    juce::String line(juce::CharPointer_UTF32(reinterpret_cast<const juce::juce_wchar*>(text)), count);
    g.drawSingleLineText(line, x, y + juce::roundToInt(font.getAscent()));
  }
  return TRUE;
}
