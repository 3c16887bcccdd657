#pragma once
// The interfaces of Explorer's in-process extensions: icon overlays, the
// initialisation of a context-menu handler with the selection, and the context
// menu itself (IContextMenu, with the menu messages of IContextMenu2 and 3).
#include "win32/DataObject.h"
#include "win32/Registry.h"
#include "win32/ShellBrowse.h"
#include "win32/WinUser.h"

inline constexpr IID IID_IShellIconOverlayIdentifier{
    0x0C6C4200, 0xC589, 0x11D0, {0x99, 0x9A, 0x00, 0xC0, 0x4F, 0xD6, 0x55, 0xE1}};
inline constexpr IID IID_IShellExtInit{0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IContextMenu{0x000214E4, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IContextMenu2{0x000214F4, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IContextMenu3{0xBCFCE0A0, 0xEC17, 0x11D0, {0x8D, 0x10, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x19}};

// GetOverlayInfo's flags.
constexpr DWORD ISIOI_ICONFILE = 0x1;
constexpr DWORD ISIOI_ICONINDEX = 0x2;

struct IShellIconOverlayIdentifier : IUnknown {
  virtual HRESULT IsMemberOf(LPCWSTR path, DWORD attributes) = 0;
  virtual HRESULT GetOverlayInfo(LPWSTR iconFile, int size, int* index, DWORD* flags) = 0;
  virtual HRESULT GetPriority(int* priority) = 0;

 protected:
  ~IShellIconOverlayIdentifier() = default;
};

struct IShellExtInit : IUnknown {
  virtual HRESULT Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) = 0;

 protected:
  ~IShellExtInit() = default;
};

// QueryContextMenu's flags.
constexpr UINT CMF_NORMAL = 0x0;
constexpr UINT CMF_DEFAULTONLY = 0x1;
constexpr UINT CMF_VERBSONLY = 0x2;
constexpr UINT CMF_EXPLORE = 0x4;
constexpr UINT CMF_NOVERBS = 0x8;
constexpr UINT CMF_CANRENAME = 0x10;
constexpr UINT CMF_EXTENDEDVERBS = 0x100;

// GetCommandString's kinds.
constexpr UINT GCS_VERBA = 0x0;
constexpr UINT GCS_HELPTEXTA = 0x1;
constexpr UINT GCS_VALIDATEA = 0x2;
constexpr UINT GCS_VERBW = 0x4;
constexpr UINT GCS_HELPTEXTW = 0x5;

struct CMINVOKECOMMANDINFO {
  DWORD cbSize;
  DWORD fMask;
  HWND hwnd;
  LPCSTR lpVerb;  // a verb, or a command offset as MAKEINTRESOURCEA(offset)
  LPCSTR lpParameters;
  LPCSTR lpDirectory;
  int nShow;
  DWORD dwHotKey;
  HANDLE hIcon;
};
using LPCMINVOKECOMMANDINFO = CMINVOKECOMMANDINFO*;

inline LPCSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(id)); }

struct IContextMenu : IUnknown {
  // Adds items with ids from idCmdFirst; returns MAKE_HRESULT(0, 0, highest offset used + 1).
  virtual HRESULT QueryContextMenu(HMENU menu, UINT index, UINT idCmdFirst, UINT idCmdLast, UINT flags) = 0;
  virtual HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) = 0;
  virtual HRESULT GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, CHAR* name, UINT size) = 0;

 protected:
  ~IContextMenu() = default;
};

struct IContextMenu2 : IContextMenu {
  virtual HRESULT HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~IContextMenu2() = default;
};

struct IContextMenu3 : IContextMenu2 {
  virtual HRESULT HandleMenuMsg2(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;

 protected:
  ~IContextMenu3() = default;
};
