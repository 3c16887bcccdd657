#pragma once
// The four kinds of shell object the extension serves, one class identifier each,
// and what registration writes for them.
#include "win32/Windows.h"

enum ShellExtKind {
  kShellExtNormal = 0,  // overlay: in step
  kShellExtUpload = 1,  // overlay: in transfer
  kShellExtError = 2,   // overlay: failed
  kShellExtMenu = 3,    // context-menu handler
  kShellExtKindCount = 4
};

struct ShellExtKindInfo {
  CLSID clsid;
  const wchar_t* overlayKeyName;  // null for the menu
  const wchar_t* iconValueName;   // null for the menu
  const wchar_t* iconFile;        // below the module's folder; null for the menu
};

inline constexpr ShellExtKindInfo kShellExtKinds[kShellExtKindCount] = {
    {{0x3F6B2D10, 0x9C4A, 0x4E87, {0xA1, 0xD5, 0x7E, 0x2B, 0x9C, 0x0F, 0x4A, 0x63}},
     L"!.DorvShellNormal", L"NormalIcon", L"/icons/NormalIcon.ico"},
    {{0x3F6B2D11, 0x9C4A, 0x4E87, {0xA1, 0xD5, 0x7E, 0x2B, 0x9C, 0x0F, 0x4A, 0x63}},
     L"!.DorvShellUpload", L"UploadIcon", L"/icons/UploadIcon.ico"},
    {{0x3F6B2D12, 0x9C4A, 0x4E87, {0xA1, 0xD5, 0x7E, 0x2B, 0x9C, 0x0F, 0x4A, 0x63}},
     L"!.DorvShellError", L"ErrorIcon", L"/icons/ErrorIcon.ico"},
    {{0x3F6B2D13, 0x9C4A, 0x4E87, {0xA1, 0xD5, 0x7E, 0x2B, 0x9C, 0x0F, 0x4A, 0x63}}, nullptr, nullptr, nullptr},
};

// Between a folder and its entries in local paths (the module's folder, the sync root).
inline constexpr wchar_t kPathSeparator = L'/';

// Registry places shared by registration and the overlay objects.
inline constexpr wchar_t kShellExtName[] = L"DorvShell";
inline constexpr wchar_t kIconValuesKey[] = L"Software\\DorvShell";
inline constexpr wchar_t kOverlayIdentifiersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellIconOverlayIdentifiers";
inline constexpr const wchar_t* kMenuHandlerKeys[] = {
    L"*\\shellex\\ContextMenuHandlers\\DorvShell",
    L"Directory\\shellex\\ContextMenuHandlers\\DorvShell",
    L"Directory\\Background\\shellex\\ContextMenuHandlers\\DorvShell",
};
