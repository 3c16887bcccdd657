#pragma once
// A device context's background and text colours, and ExtTextOutW: the opaque rectangle in
// the background colour, then the text in the text colour and the DC's font (its cells on the
// background colour in the OPAQUE background mode).
#include "win32/GdiTypes.h"

constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// The previous colour; CLR_INVALID for an unknown DC. A new DC has a white
// background and black text.
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF GetTextColor(HDC dc);
// `x`, `y`: the text's top left. dx, when given, is each character's advance.
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const INT* dx);
