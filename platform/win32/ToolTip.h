#pragma once
// The tooltip control class "tooltips_class32": a popup window that keeps a list of tools
// (a window, or a rectangle of a window's client area, each with a text) and shows the
// text of the tool under the pointer once the pointer has rested on it for the initial
// delay. It learns about the pointer from the messages its owner relays (TTM_RELAYEVENT).
// The tip is drawn by the layer in the GUI font on the info colours, wrapped at the
// maximum tip width, placed below the pointer and kept on the screen. Timers run on the
// layer's clock; the window's text is the shown tip's.
#include "win32/WinUser.h"

constexpr const wchar_t* TOOLTIPS_CLASSW = L"tooltips_class32";

constexpr DWORD TTS_ALWAYSTIP = 0x01;
constexpr DWORD TTS_NOPREFIX = 0x02;

constexpr UINT TTF_IDISHWND = 0x0001;
constexpr UINT TTF_CENTERTIP = 0x0002;
constexpr UINT TTF_SUBCLASS = 0x0010;
constexpr UINT TTF_TRANSPARENT = 0x0100;

constexpr WPARAM TTDT_AUTOMATIC = 0;
constexpr WPARAM TTDT_RESHOW = 1;
constexpr WPARAM TTDT_AUTOPOP = 2;
constexpr WPARAM TTDT_INITIAL = 3;

constexpr UINT TTM_ACTIVATE = WM_USER + 1;
constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
constexpr UINT TTM_RELAYEVENT = WM_USER + 7;
constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
constexpr UINT TTM_GETDELAYTIME = WM_USER + 21;
constexpr UINT TTM_SETMAXTIPWIDTH = WM_USER + 24;
constexpr UINT TTM_GETMAXTIPWIDTH = WM_USER + 25;
constexpr UINT TTM_POP = WM_USER + 28;
constexpr UINT TTM_ADDTOOLW = WM_USER + 50;
constexpr UINT TTM_DELTOOLW = WM_USER + 51;
constexpr UINT TTM_NEWTOOLRECTW = WM_USER + 52;
constexpr UINT TTM_GETTOOLINFOW = WM_USER + 53;
constexpr UINT TTM_GETTEXTW = WM_USER + 56;
constexpr UINT TTM_UPDATETIPTEXTW = WM_USER + 57;

// A tool: the window `hwnd` with the id `uId`, or with TTF_IDISHWND the window `uId`
// itself (its whole client area). TTM_GETTOOLINFOW fills the flags and the rectangle and
// leaves lpszText alone; TTM_GETTEXTW copies the text into lpszText, whose size in
// characters is wParam.
struct TOOLINFOW {
  UINT cbSize;
  UINT uFlags;
  HWND hwnd;
  UINT_PTR uId;
  RECT rect;
  HINSTANCE hinst;
  LPWSTR lpszText;
  LPARAM lParam;
  void* lpReserved;
};
using LPTOOLINFOW = TOOLINFOW*;

namespace win32 {
// Registers the class once per process (any thread may call it).
void RegisterToolTipClass();
}  // namespace win32
