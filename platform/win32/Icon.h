#pragma once
// Icons: loaded from a module's icon resources or from .ico files, drawn into the
// bitmap of a memory DC; and a module's bitmap resources. A module's resources are the
// icon files and pictures it registers for itself when it loads (win32::AddIconResource,
// win32::AddBitmapResource), under the ids its code loads them by. An .ico file's images
// may be 32-bit or 24-bit bitmaps (with their mask) or PNG.
// Their pixels: win32/IconImage.h.
#include "win32/GdiTypes.h"
#include "win32/WinUser.h"

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;

constexpr UINT DI_MASK = 0x1;
constexpr UINT DI_IMAGE = 0x2;
constexpr UINT DI_NORMAL = 0x3;
constexpr UINT DI_DEFAULTSIZE = 0x8;

constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

inline LPCWSTR MAKEINTRESOURCEW(WORD id) { return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id)); }

// IMAGE_ICON: the icon resource `name` (an id made with MAKEINTRESOURCEW) of `module`,
// or with LR_LOADFROMFILE the .ico file `name`. The image nearest the size asked for is
// scaled to it; a size of 0 takes the image's own size, or 32 with LR_DEFAULTSIZE. Free
// the icon with DestroyIcon.
// IMAGE_BITMAP: the bitmap resource `name` of `module` as a 24-bit bitmap (scaled to a
// size other than 0). Free it with DeleteObject.
// Other types fail with ERROR_NOT_SUPPORTED.
HANDLE LoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags);
// The icon resource at the default size; the bitmap resource at its own.
HICON LoadIconW(HINSTANCE module, LPCWSTR name);
HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name);
BOOL DestroyIcon(HICON icon);
// Draws the icon at (x, y) in cx x cy pixels (0: its own size) into the bitmap
// selected into the DC, blending by the icon's transparency. The step and the brush
// are not used.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH brush, UINT flags);

namespace win32 {

// Registers the bytes of an .ico file as the icon resource `id` of `module`; the
// bytes are copied. Registering an id again replaces it.
void AddIconResource(HMODULE module, WORD id, const void* data, size_t size);
// Registers the bytes of a PNG file as the bitmap resource `id` of `module`, likewise.
void AddBitmapResource(HMODULE module, WORD id, const void* data, size_t size);
// Forgets the module's resources (when it unloads).
void RemoveIconResources(HMODULE module);

}  // namespace win32
