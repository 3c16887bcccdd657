#pragma once
// Copying pixels: BitBlt and StretchBlt between DCs, StretchDIBits and DrawDibDraw from
// device-independent bitmaps in memory. All go through one plain copy: nearest pixel when
// stretching, the source's alpha ignored, negative sizes mirror.
#include "win32/GdiTypes.h"

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop);
// The previous mode, 0 for an unknown DC. Every mode copies the nearest pixel.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
// The source rectangle's y counts from the bitmap's bottom for a bottom-up bitmap. Returns
// the lines copied, 0 on failure.
int StretchDIBits(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                  int sourceHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);

// The video-for-windows drawing helper, reduced to the same copy.
DORV_DECLARE_HANDLE(HDRAWDIB);
constexpr UINT DDF_HALFTONE = 0x1000;
HDRAWDIB DrawDibOpen();
BOOL DrawDibClose(HDRAWDIB drawDib);
// A width or height of -1 is the source's; the colour table follows the header.
BOOL DrawDibDraw(HDRAWDIB drawDib, HDC dc, int x, int y, int width, int height, BITMAPINFOHEADER* header, void* bits,
                 int sourceX, int sourceY, int sourceWidth, int sourceHeight, UINT flags);
