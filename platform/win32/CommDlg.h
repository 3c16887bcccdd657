#pragma once
// The common file dialogs (open and save). The answer comes from win32::Choosers
// (win32/Choosers.h); the request carries the filter as "description|pattern|..."
// and the initial folder and name.
#include "win32/WinDef.h"

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCWSTR lpstrFilter;       // pairs of texts, each ending with a NUL; a second NUL ends the list
  LPWSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPWSTR lpstrFile;          // in: the proposed name; out: the chosen path
  DWORD nMaxFile;            // characters of lpstrFile
  LPWSTR lpstrFileTitle;     // out: the chosen file's name
  DWORD nMaxFileTitle;
  LPCWSTR lpstrInitialDir;
  LPCWSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;          // out: where the name starts in lpstrFile
  WORD nFileExtension;       // out: where the extension starts (0: none)
  LPCWSTR lpstrDefExt;       // added (with a '.') to a chosen name that has no extension
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
using LPOPENFILENAMEW = OPENFILENAMEW*;

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;

constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// TRUE when the user chose a file; FALSE when they cancelled (CommDlgExtendedError 0)
// or the call failed (its code). A path longer than the buffer gives
// FNERR_BUFFERTOOSMALL with the characters needed in the buffer's first element.
BOOL GetOpenFileNameW(LPOPENFILENAMEW info);
BOOL GetSaveFileNameW(LPOPENFILENAMEW info);
// The calling thread's code of the last dialog failure; 0 after a cancel or success.
DWORD CommDlgExtendedError();
