#include "win32/DataObject.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "win32/ShellFolder.h"
#include "win32/WinUser.h"

namespace {

HGLOBAL BlockOf(const std::vector<BYTE>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (block) std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  if (block) GlobalUnlock(block);
  return block;
}

template <class T>
void Put(std::vector<BYTE>& bytes, size_t offset, const T& value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// The selection of items of one folder, as Explorer hands it to extensions.
class SelectionDataObject final : public IDataObject {
 public:
  SelectionDataObject(PCIDLIST_ABSOLUTE folder, UINT count, const ITEMIDLIST* const* items) {
    m_folder = Copy(folder);
    for (UINT i = 0; i < count; ++i) m_items.push_back(Copy(items[i]));
  }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IDataObject)) return E_NOINTERFACE;
    *out = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    HRESULT hr = QueryGetData(format);
    if (hr != S_OK) return hr;
    std::vector<BYTE> bytes = format->cfFormat == CF_HDROP ? DropFiles() : IdListArray();
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = BlockOf(bytes);
    medium->pUnkForRelease = nullptr;
    return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    if (format->cfFormat != CF_HDROP && format->cfFormat != RegisterClipboardFormatW(CFSTR_SHELLIDLIST)) {
      return DV_E_FORMATETC;
    }
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    return S_OK;
  }
  HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  ~SelectionDataObject() = default;

  // A list's bytes; a null list becomes the empty list.
  static std::vector<BYTE> Copy(const ITEMIDLIST* list) {
    if (!list) return std::vector<BYTE>(sizeof(USHORT), 0);
    const auto* bytes = reinterpret_cast<const BYTE*>(list);
    return std::vector<BYTE>(bytes, bytes + ILGetSize(list));
  }

  std::vector<BYTE> IdListArray() const {
    size_t header = sizeof(UINT) * (2 + m_items.size());
    size_t size = header + m_folder.size();
    for (auto& item : m_items) size += item.size();
    std::vector<BYTE> bytes(size);
    Put(bytes, 0, static_cast<UINT>(m_items.size()));
    size_t at = header;
    auto add = [&](size_t index, const std::vector<BYTE>& list) {
      Put(bytes, sizeof(UINT) * (1 + index), static_cast<UINT>(at));
      std::memcpy(bytes.data() + at, list.data(), list.size());
      at += list.size();
    };
    add(0, m_folder);
    for (size_t i = 0; i < m_items.size(); ++i) add(i + 1, m_items[i]);
    return bytes;
  }

  std::vector<BYTE> DropFiles() const {
    std::wstring folder = win32::ItemListPath(reinterpret_cast<const ITEMIDLIST*>(m_folder.data()));
    std::wstring names;
    for (auto& item : m_items) {
      std::wstring name = win32::ItemListPath(reinterpret_cast<const ITEMIDLIST*>(item.data()));
      names += (name.starts_with(L'/') || folder.empty()) ? name : folder + L"/" + name;
      names += L'\0';
    }
    names += L'\0';
    std::vector<BYTE> bytes(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    Put(bytes, 0, header);
    std::memcpy(bytes.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
    return bytes;
  }

  std::vector<BYTE> m_folder;
  std::vector<std::vector<BYTE>> m_items;
  ULONG m_refs = 0;
};

}  // namespace

void ReleaseStgMedium(STGMEDIUM* medium) {
  if (!medium) return;
  if (medium->pUnkForRelease) {
    medium->pUnkForRelease->Release();
  } else if (medium->tymed == TYMED_HGLOBAL && medium->hGlobal) {
    GlobalFree(medium->hGlobal);
  }
  medium->tymed = TYMED_NULL;
  medium->hGlobal = nullptr;
  medium->pUnkForRelease = nullptr;
}

UINT RegisterClipboardFormatW(LPCWSTR name) { return RegisterWindowMessageW(name); }

HRESULT SHCreateDataObject(PCIDLIST_ABSOLUTE folder, UINT count, const ITEMIDLIST* const* items, IDataObject* inner,
                           REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (inner) return E_NOTIMPL;
  if (count && !items) return E_INVALIDARG;
  auto* object = new (std::nothrow) SelectionDataObject(folder, count, items);
  if (!object) return E_OUTOFMEMORY;
  object->AddRef();
  HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}
