#pragma once
// ShellExecuteW and ShellExecuteExW, served by the launcher (win32/Launcher.h).
// The verbs "open", "runas" (no elevation here: the same as open), "explore" and
// a null verb are known; others fail with SE_ERR_NOASSOC.
#include "win32/Launcher.h"
#include "win32/WinDef.h"

constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_NOASSOC = 31;

constexpr ULONG SEE_MASK_DEFAULT = 0x0;
constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x40;
constexpr ULONG SEE_MASK_FLAG_DDEWAIT = 0x100;
constexpr ULONG SEE_MASK_NOASYNC = 0x100;
constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x400;

struct SHELLEXECUTEINFOW {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCWSTR lpVerb;
  LPCWSTR lpFile;
  LPCWSTR lpParameters;
  LPCWSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  void* lpIDList;
  LPCWSTR lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  HANDLE hIcon;
  HANDLE hProcess;
};
using LPSHELLEXECUTEINFOW = SHELLEXECUTEINFOW*;

// A value above 32 on success, else one of the SE_ERR_ codes (as HINSTANCE).
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int show);
// FALSE with the last error on failure; hInstApp holds the ShellExecuteW-style code.
BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info);
