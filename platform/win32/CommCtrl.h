#pragma once
// The common controls' start. The framework draws its own controls, so there
// are no system control classes to register; the call checks its record as
// Windows does.
#include "win32/WinDef.h"

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
using LPINITCOMMONCONTROLSEX = INITCOMMONCONTROLSEX*;

constexpr DWORD ICC_LISTVIEW_CLASSES = 0x1;
constexpr DWORD ICC_TREEVIEW_CLASSES = 0x2;
constexpr DWORD ICC_BAR_CLASSES = 0x4;
constexpr DWORD ICC_TAB_CLASSES = 0x8;
constexpr DWORD ICC_UPDOWN_CLASS = 0x10;
constexpr DWORD ICC_PROGRESS_CLASS = 0x20;
constexpr DWORD ICC_HOTKEY_CLASS = 0x40;
constexpr DWORD ICC_ANIMATE_CLASS = 0x80;
constexpr DWORD ICC_WIN95_CLASSES = 0xFF;

// FALSE with ERROR_INVALID_PARAMETER for a null record or one whose size is
// not the record's.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
