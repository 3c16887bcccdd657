#pragma once
// The GDI subset: bitmaps and device-independent bitmap sections, regions, fonts and device
// contexts. The objects behind the handles are the layer's (win32/Gdi*.h classes, over JUCE
// images and rectangle lists), for the drawing code to build on.
#include "win32/GdiTypes.h"

// Objects.
// FALSE for an unknown handle and for a device context (DeleteDC ends those).
BOOL DeleteObject(HGDIOBJ object);
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
DWORD GetObjectType(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);

// Fonts.
HFONT CreateFontIndirectW(const LOGFONTW* description);
// The same from the description's fields; the face is cut to LF_FACESIZE - 1 characters.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR face);

// Regions.
// An empty rectangle (right <= left or bottom <= top) gives an empty region.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
// A rectangle with corners rounded by quarters of an ellipse of the given width and height.
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
// dest = src1 op src2 (src2 unused for RGN_COPY); dest may be one of the sources. Returns the
// complexity of the result, or ERROR.
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);
// The bounding box ((0,0,0,0) for an empty region) and the complexity, or ERROR.
int GetRgnBox(HRGN region, LPRECT box);

// Bitmaps. A section's pixels are the caller's to write through *bits as long as the bitmap
// lives. Only DIB_RGB_COLORS; uncompressed (BI_RGB) layouts of 1, 4, 8, 16, 24 and 32 bits.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
// A 32-bit top-down bitmap of the given size, cleared to black.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// Copies scan lines of the bitmap into bits in the layout info asks for (24 or 32 bits per
// pixel, bottom-up for a positive height, top-down for a negative one); line 0 is the bottom
// line of a bottom-up layout. With bits null and a bit count of 0 fills info's header with the
// bitmap's own. Returns the lines copied, 0 on failure.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info, UINT usage);

// Device contexts. GetDC(nullptr) is the screen's, which keeps no pixels; GetDC(window) draws
// on the window's client area, GetWindowDC on its whole rectangle (win32/WindowSurface.h).
HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Bitmaps go into memory DCs only; fonts, brushes and pens into any DC; returns the object
// replaced, or null. A region becomes the clip (as SelectClipRgn) and its complexity is returned.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

// A window's shape: outside the region (window coordinates) the window is neither hit nor
// shown. The window takes the region over (the caller must not use it again); null removes
// the shape. GetWindowRgn copies it into region: its complexity, or ERROR when there is none.
int SetWindowRgn(HWND window, HRGN region, BOOL redraw);
int GetWindowRgn(HWND window, HRGN region);
