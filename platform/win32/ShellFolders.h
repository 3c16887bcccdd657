#pragma once
// The user's special folders, named as on Linux desktops:
//   CSIDL_APPDATA, CSIDL_LOCAL_APPDATA  $XDG_DATA_HOME, else ~/.local/share
//   CSIDL_PERSONAL                      the XDG documents folder ($XDG_CONFIG_HOME/user-dirs.dirs),
//                                       else ~/Documents when it exists, else ~
// Folders are returned without a trailing '/'.
#include "win32/HResult.h"
#include "win32/WinDef.h"

constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_FLAG_CREATE = 0x8000;

constexpr DWORD SHGFP_TYPE_CURRENT = 0;

// path must hold MAX_PATH characters. With CSIDL_FLAG_CREATE the folder is created
// when missing. E_INVALIDARG for an unknown folder, E_FAIL when it can't be named,
// created or doesn't fit.
HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create);
