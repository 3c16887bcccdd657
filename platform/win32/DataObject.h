#pragma once
// Data objects: what Explorer hands a shell extension about the selected items.
// IDataObject with its format and storage records, the release of a storage
// medium, registered clipboard formats, and the selection's formats "Shell IDList
// Array" (CIDA: the folder's item list and one relative list per item) and CF_HDROP
// (DROPFILES with the full paths).
#include "win32/ComInterfaces.h"
#include "win32/GlobalMemory.h"
#include "win32/ShellBrowse.h"

using CLIPFORMAT = WORD;

constexpr UINT CF_HDROP = 15;
inline constexpr wchar_t CFSTR_SHELLIDLIST[] = L"Shell IDList Array";

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD TYMED_NULL = 0;
constexpr DWORD TYMED_HGLOBAL = 1;

inline constexpr IID IID_IDataObject{0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct DVTARGETDEVICE;
struct IEnumFORMATETC;
struct IAdviseSink;
struct IEnumSTATDATA;

struct FORMATETC {
  CLIPFORMAT cfFormat;
  DVTARGETDEVICE* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
};

struct STGMEDIUM {
  DWORD tymed;
  union {
    HGLOBAL hGlobal;
    LPOLESTR lpszFileName;
  };
  IUnknown* pUnkForRelease;
};

struct IDataObject : IUnknown {
  virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT QueryGetData(FORMATETC* format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) = 0;
  virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) = 0;
  virtual HRESULT DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT DUnadvise(DWORD connection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** out) = 0;

 protected:
  ~IDataObject() = default;
};

// Frees what the medium holds: its release object's Release when it has one, else
// the global memory. The medium is left empty.
void ReleaseStgMedium(STGMEDIUM* medium);

// The "Shell IDList Array" block: cidl items; aoffset[0] is the byte offset of the
// folder's absolute list, aoffset[1..cidl] those of the items' relative lists.
struct CIDA {
  UINT cidl;
  UINT aoffset[1];
};

struct DROPFILES {
  DWORD pFiles;  // offset of the file list: NUL-terminated names, an empty one ends it
  POINT pt;
  BOOL fNC;
  BOOL fWide;
};

// Registered formats share the ids of registered window messages, as on Windows.
UINT RegisterClipboardFormatW(LPCWSTR name);

// A data object of `count` items of the folder `folder`, offering "Shell IDList
// Array" and CF_HDROP in global memory (TYMED_HGLOBAL). The item lists are copied.
// Only IID_IDataObject and IID_IUnknown are answered; the other formats give
// DV_E_FORMATETC. An inner object is not supported (E_NOTIMPL).
HRESULT SHCreateDataObject(PCIDLIST_ABSOLUTE folder, UINT count, const ITEMIDLIST* const* items, IDataObject* inner,
                           REFIID iid, void** out);
