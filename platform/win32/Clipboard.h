#pragma once
// The clipboard, kept in the process (the desktop is the process's own). Data are
// global memory blocks (win32/GlobalMemory.h): SetClipboardData takes the block over,
// GetClipboardData lends one that stays the clipboard's. CF_TEXT (in the ANSI code
// page) and CF_UNICODETEXT (wide characters of this platform, terminated) are made
// from each other when only one was set, as on Windows.
#include "win32/GlobalMemory.h"
#include "win32/WinDef.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_UNICODETEXT = 13;
constexpr DWORD ERROR_CLIPBOARD_NOT_OPEN = 1418;

// One thread at a time: while another thread has it open, FALSE with ERROR_ACCESS_DENIED.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Frees what the clipboard holds; the window that opened it becomes its owner.
BOOL EmptyClipboard();
// Null with ERROR_CLIPBOARD_NOT_OPEN when the calling thread has not opened it.
HANDLE SetClipboardData(UINT format, HANDLE data);
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
HWND GetClipboardOwner();
