#pragma once
// The dialog manager's keyboard: Tab and Shift+Tab move the focus among the controls with
// WS_TABSTOP, Enter presses the focused push button or else the default one (IDOK when there
// is none), Escape is IDCANCEL, Space presses the focused button.
#include "win32/DialogControls.h"

// More of the control classes' styles and messages.
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_TYPEMASK = 0x001F;
// A static's picture: STM_SETIMAGE with IMAGE_BITMAP in wParam and the bitmap in lParam, or
// STM_SETICON with the icon in wParam.
constexpr UINT STM_SETICON = 0x0170;
constexpr UINT STM_GETICON = 0x0171;
constexpr UINT STM_SETIMAGE = 0x0172;
constexpr UINT STM_GETIMAGE = 0x0173;
// A control's font, and the colours a static asks its parent for (wParam the DC, lParam the
// static; the answer a brush for its background, or 0).
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;

// Handles `msg` when it is for the dialog or one of its controls: the keys above, every
// other message translated and dispatched. FALSE when the message is not the dialog's.
BOOL IsDialogMessageW(HWND dialog, LPMSG msg);
// The next (or previous) visible, enabled control with WS_TABSTOP after `control`, around.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
