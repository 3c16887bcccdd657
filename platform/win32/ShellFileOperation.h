#pragma once
// The shell's file operations. Deleting with FOF_ALLOWUNDO moves the items to the
// desktop's trash ($XDG_DATA_HOME/Trash, as the freedesktop.org trash keeps it: the
// item under "files", a ".trashinfo" record of its place and time under "info"), from
// where a file manager can restore them; without it they are deleted for good.
// No dialog is ever shown here, so the FOF_ flags about dialogs change nothing.
#include "win32/WinDef.h"

using FILEOP_FLAGS = WORD;

constexpr UINT FO_MOVE = 0x0001;
constexpr UINT FO_COPY = 0x0002;
constexpr UINT FO_DELETE = 0x0003;
constexpr UINT FO_RENAME = 0x0004;

constexpr FILEOP_FLAGS FOF_MULTIDESTFILES = 0x0001;
constexpr FILEOP_FLAGS FOF_SILENT = 0x0004;
constexpr FILEOP_FLAGS FOF_RENAMEONCOLLISION = 0x0008;
constexpr FILEOP_FLAGS FOF_NOCONFIRMATION = 0x0010;
constexpr FILEOP_FLAGS FOF_ALLOWUNDO = 0x0040;
constexpr FILEOP_FLAGS FOF_FILESONLY = 0x0080;
constexpr FILEOP_FLAGS FOF_NOERRORUI = 0x0400;

struct SHFILEOPSTRUCTW {
  HWND hwnd;
  UINT wFunc;
  LPCWSTR pFrom;  // paths, each ending with a NUL; a second NUL ends the list
  LPCWSTR pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCWSTR lpszProgressTitle;
};
using LPSHFILEOPSTRUCTW = SHFILEOPSTRUCTW*;

// 0 when every item was dealt with; otherwise the Win32 error of the first failure
// (ERROR_FILE_NOT_FOUND for a missing item; ERROR_NOT_SUPPORTED for an operation
// other than FO_DELETE, or a trash on another file system than the item).
int SHFileOperationW(LPSHFILEOPSTRUCTW operation);
