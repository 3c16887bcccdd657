#pragma once
// Drawing on device contexts: brushes and pens, filled and framed rectangles, the background
// mode, clip regions, saved states, origins and the device's capabilities. Drawing lands in
// the DC's bitmap or window surface; the screen DC keeps no pixels, so drawing on it succeeds
// and leaves nothing.
#include "win32/GdiPaint.h"
#include "win32/GdiTypes.h"

DORV_DECLARE_HANDLE(HBRUSH);
DORV_DECLARE_HANDLE(HPEN);

// Stock objects (GetStockObject) besides DEFAULT_GUI_FONT.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;

constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// System colours (classic scheme); a window class's background may be one plus an index.
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
// 0 for an index out of range.
DWORD GetSysColor(int index);

HBRUSH CreateSolidBrush(COLORREF colour);
HPEN CreatePen(int style, int width, COLORREF colour);

// Rectangles exclude their right and bottom edges. FillRect paints with the brush; FrameRect
// draws a one-pixel border with it; Rectangle frames with the pen and fills with the brush.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// Inverts every other pixel of the rectangle's border; drawn twice it is gone.
BOOL DrawFocusRect(HDC dc, const RECT* rect);
BOOL InvertRect(HDC dc, const RECT* rect);
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);

int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);

// Clip regions. The region of SelectClipRgn is in device coordinates and copied (null: no
// clip); the rectangles of IntersectClipRect and ExcludeClipRect are logical. Each returns
// the complexity of the new clip, or ERROR.
int SelectClipRgn(HDC dc, HRGN region);
// The clip becomes clip `mode` region (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF; a DC without a
// clip region starts from its whole area), or a copy of the region with RGN_COPY, where a
// null region removes the clip.
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
// The clip's bounding box in logical coordinates (the whole area without a clip region).
int GetClipBox(HDC dc, LPRECT rect);
// 1 and the clip region's copy in region; 0 when the DC has none; -1 on error.
int GetClipRgn(HDC dc, HRGN region);

// The new depth of the saved states, or 0. RestoreDC: a level from SaveDC, or -n for n back.
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int savedDc);

// Only the text mapping mode exists (a logical unit is a pixel): the previous mode, MM_TEXT;
// 0 for an unknown DC or another mode.
constexpr int MM_TEXT = 1;
int SetMapMode(HDC dc, int mode);

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous);
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin);
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous);
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin);

// Capabilities of the device (for memory DCs, the screen's).
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_PALETTE = 0x0100;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;
int GetDeviceCaps(HDC dc, int index);

namespace win32 {
// The screen's colour depth as GetDeviceCaps reports it (32 unless set; 8 makes it a
// palette device).
void SetScreenBitsPerPixel(int bits);
}  // namespace win32
