#pragma once
// Shell folders over the file system: the desktop folder, binding to a folder by
// its item list, and display names. An item list here (win32/ShellBrowse.h) holds
// path parts, one per item; a list's path is its parts joined with '/', a part
// that starts with '/' starting again from the top.
#include <string>

#include "win32/ComInterfaces.h"
#include "win32/ShellBrowse.h"

using PCUITEMID_CHILD = const ITEMIDLIST*;
using PCUIDLIST_RELATIVE = const ITEMIDLIST*;

inline constexpr IID IID_IShellFolder{0x000214E6, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

constexpr UINT STRRET_WSTR = 0;
constexpr UINT STRRET_OFFSET = 1;
constexpr UINT STRRET_CSTR = 2;

struct STRRET {
  UINT uType;
  union {
    LPWSTR pOleStr;  // STRRET_WSTR: from the task allocator
    UINT uOffset;    // STRRET_OFFSET: UTF-8 text at this offset in the item
    char cStr[MAX_PATH];  // STRRET_CSTR: UTF-8 text
  };
};

constexpr DWORD SHGDN_NORMAL = 0x0000;
constexpr DWORD SHGDN_INFOLDER = 0x0001;
constexpr DWORD SHGDN_FORPARSING = 0x8000;

struct IBindCtx;
struct IEnumIDList;

struct IShellFolder : IUnknown {
  virtual HRESULT ParseDisplayName(HWND owner, IBindCtx* bind, LPWSTR name, ULONG* eaten, PIDLIST_ABSOLUTE* list,
                                   ULONG* attributes) = 0;
  virtual HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** out) = 0;
  virtual HRESULT BindToObject(PCUIDLIST_RELATIVE list, IBindCtx* bind, REFIID iid, void** out) = 0;
  virtual HRESULT BindToStorage(PCUIDLIST_RELATIVE list, IBindCtx* bind, REFIID iid, void** out) = 0;
  virtual HRESULT CompareIDs(LPARAM how, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) = 0;
  virtual HRESULT CreateViewObject(HWND owner, REFIID iid, void** out) = 0;
  virtual HRESULT GetAttributesOf(UINT count, const ITEMIDLIST** lists, ULONG* attributes) = 0;
  virtual HRESULT GetUIObjectOf(HWND owner, UINT count, const ITEMIDLIST** lists, REFIID iid, UINT* reserved,
                                void** out) = 0;
  virtual HRESULT GetDisplayNameOf(PCUITEMID_CHILD item, DWORD flags, STRRET* name) = 0;
  virtual HRESULT SetNameOf(HWND owner, PCUITEMID_CHILD item, LPCWSTR name, DWORD flags, PIDLIST_ABSOLUTE* out) = 0;

 protected:
  ~IShellFolder() = default;
};

// The desktop folder: the top of every absolute list. Binding gives the folder a
// list names (only IID_IShellFolder). Display names are paths with SHGDN_FORPARSING,
// else the last part of the path. Enumeration, comparison, attributes, UI objects and
// renaming are not offered (E_NOTIMPL).
HRESULT SHGetDesktopFolder(IShellFolder** out);
// Converts a STRRET into a wide string from the task allocator; a STRRET_WSTR's
// string is freed. E_INVALIDARG for an unknown type.
HRESULT StrRetToStrW(STRRET* name, PCUITEMID_CHILD item, LPWSTR* out);
// Bytes of a list with its terminating empty item; 0 for null.
UINT ILGetSize(const ITEMIDLIST* list);

namespace win32 {
// The path a list names (see above); empty for null or an empty list.
std::wstring ItemListPath(const ITEMIDLIST* list);
}  // namespace win32
