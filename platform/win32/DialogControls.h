#pragma once
// The system control classes a dialog is built of: "STATIC" (a text or a
// picture), "BUTTON" (a push button) and "msctls_progress32" (a progress bar).
// They hold their state and report as the system's do — a button sends its
// parent WM_COMMAND with BN_CLICKED when it is clicked (a press and release
// inside it, or BM_CLICK) — and draw themselves (win32/ControlPaint.h).
#include "win32/WinUser.h"

constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16)); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high) { return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16)); }

// WM_SETICON's wParam.
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

// Static styles.
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_WHITERECT = 0x0006;
constexpr DWORD SS_BITMAP = 0x000E;
// Button styles and messages.
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr UINT BN_CLICKED = 0;
constexpr UINT BM_CLICK = 0x00F5;
// Dialog styles.
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_FIXEDSYS = 0x0008;
// Progress bar messages.
constexpr UINT PBM_SETRANGE = WM_USER + 1;
constexpr UINT PBM_SETPOS = WM_USER + 2;
constexpr UINT PBM_DELTAPOS = WM_USER + 3;
constexpr UINT PBM_SETSTEP = WM_USER + 4;
constexpr UINT PBM_STEPIT = WM_USER + 5;
constexpr UINT PBM_GETPOS = WM_USER + 8;

constexpr const wchar_t* WC_STATICW = L"STATIC";
constexpr const wchar_t* WC_BUTTONW = L"BUTTON";
constexpr const wchar_t* PROGRESS_CLASSW = L"msctls_progress32";

namespace win32 {
// Registers the three classes once per process (any thread may call it).
void RegisterDialogControlClasses();
}  // namespace win32
