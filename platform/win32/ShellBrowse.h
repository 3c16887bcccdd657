#pragma once
// The shell's folder chooser and its item lists. An item list here names one
// file-system path; it is allocated with the task allocator (CoTaskMemFree or ILFree).
// The chooser's answer comes from win32::Choosers (win32/Choosers.h).
#include "win32/HResult.h"
#include "win32/WinDef.h"
#include "win32/WinUser.h"

struct SHITEMID {
  USHORT cb;      // bytes of this item, cb included
  BYTE abID[1];
};
struct ITEMIDLIST {
  SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;
using PCUITEMID_CHILD = const ITEMIDLIST*;
using PCUITEMID_CHILD_ARRAY = const PCUITEMID_CHILD*;

using BFFCALLBACK = int (*)(HWND chooser, UINT message, LPARAM lParam, LPARAM data);

struct BROWSEINFOW {
  HWND hwndOwner;
  PCIDLIST_ABSOLUTE pidlRoot;
  LPWSTR pszDisplayName;  // MAX_PATH characters: receives the chosen item's name
  LPCWSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};
using LPBROWSEINFOW = BROWSEINFOW*;

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x0002;
constexpr UINT BIF_STATUSTEXT = 0x0004;
constexpr UINT BIF_EDITBOX = 0x0010;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;
constexpr UINT BIF_BROWSEFORCOMPUTER = 0x1000;

// Chooser to callback.
constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SELCHANGED = 2;
// Callback to chooser (sent to the chooser's window).
constexpr UINT BFFM_SETSTATUSTEXTW = WM_USER + 104;
constexpr UINT BFFM_ENABLEOK = WM_USER + 101;
constexpr UINT BFFM_SETSELECTIONW = WM_USER + 103;

// Shows the chooser as a window owned by hwndOwner; the callback gets
// BFFM_INITIALIZED with the chooser's window, to which it may send
// BFFM_SETSELECTIONW (wParam TRUE, lParam the path). Returns the chosen folder's
// item list, or null when the user cancelled.
PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info);
// path holds MAX_PATH characters. FALSE for a null list or a path that doesn't fit.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path);
// The item list of a path (null when the path is empty); free it with ILFree.
PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR path);
void ILFree(PIDLIST_ABSOLUTE list);
// Shows an item selected in its folder in the file manager: with no children
// the folder's list names the item itself, else the first child (a name in
// the folder, or a full path) is the item. The path reaches the launcher
// whole, as the request's file with the verb "select" (win32/Launcher.h).
HRESULT SHOpenFolderAndSelectItems(PCIDLIST_ABSOLUTE folder, UINT count, PCUITEMID_CHILD_ARRAY children, DWORD flags);
