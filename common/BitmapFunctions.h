#pragma once
// The default font description, bitmap headers, bitmap files and window regions from bitmaps.
#include <string>

#include "mfc/Afx.h"

namespace Common {

// The system GUI font with a height of 12 and the face "SimSun"; out is left alone when the
// GUI font is not available.
void GetDefaultLOGFONT(LOGFONTW& out);
// A zero-filled header with room for one colour entry (free it with delete): 40, the size, one
// plane, the bit count, BI_RGB, and the image size of whole 32-bit words per row times the rows.
BITMAPINFO* PrepareRGBBitmapInfo(int width, int height, int bitsPerPixel);
// Replaces what the bitmap held by the uncompressed bitmap file's picture (40-byte header;
// 1, 4, 8, 16, 24 or 32 bits per pixel). Every size in the file is checked against the file
// before it is used; a file that lies about one, or is too short, gives 0 and an empty bitmap.
int LoadBitmapFromFile(CBitmap* bitmap, const CString& path);
// Appends the packed bitmap in the global memory block (header, colour table, pixels) to out
// as a bitmap file. 0 for a null block or one too small for the header it holds, else 1.
int DIBToStream(void* packedBitmap, std::string& out);
// The pixels of the area whose colour (a COLORREF) is not the given one, in bitmap
// coordinates; null when the bitmap is not readable or the area misses it.
HRGN BitmapToRegion(HBITMAP bitmap, const CRect& area, unsigned long colour);
// The same over 32-bit bottom-up pixels (rows of rowBytes bytes), for the columns left to
// right - 1 and the rows top to bottom - 1; null when the range lies outside the pixels.
HRGN EvalRgnFromDIBits32(unsigned char* bits, int left, int right, int top, int bottom, int rowBytes, int rows,
                         unsigned long colour);

}  // namespace Common
