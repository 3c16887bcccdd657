#include "win32/ShellFolder.h"

#include <cstring>
#include <cwchar>

#include "win32/CodePage.h"

namespace {

// Walks the items of a list; each gives its part as UTF-8.
template <class F>
void ForEachPart(const ITEMIDLIST* list, F&& visit) {
  if (!list) return;
  const auto* item = reinterpret_cast<const BYTE*>(list);
  for (;;) {
    USHORT cb;
    std::memcpy(&cb, item, sizeof cb);
    if (cb <= sizeof cb) return;
    const char* text = reinterpret_cast<const char*>(item + sizeof cb);
    visit(std::string(text, strnlen(text, cb - sizeof cb)));
    item += cb;
  }
}

LPWSTR CopyToTaskMemory(const std::wstring& text) {
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (copy) std::wmemcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

std::wstring Join(const std::wstring& base, const std::wstring& rest) {
  if (rest.empty()) return base;
  if (base.empty() || rest.front() == L'/') return rest;
  return base.back() == L'/' ? base + rest : base + L"/" + rest;
}

// A folder of the file system named by its path; the desktop has the empty path.
class FileSystemFolder final : public IShellFolder {
 public:
  explicit FileSystemFolder(std::wstring path) : m_path(std::move(path)) {}

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown) && !IsEqualGUID(iid, IID_IShellFolder)) return E_NOINTERFACE;
    *out = static_cast<IShellFolder*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }

  HRESULT ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_ABSOLUTE*, ULONG*) override { return E_NOTIMPL; }
  HRESULT EnumObjects(HWND, DWORD, IEnumIDList**) override { return E_NOTIMPL; }
  HRESULT BindToObject(PCUIDLIST_RELATIVE list, IBindCtx*, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::wstring path = win32::ItemListPath(list);
    if (path.empty()) return E_INVALIDARG;
    auto* folder = new (std::nothrow) FileSystemFolder(Join(m_path, path));
    if (!folder) return E_OUTOFMEMORY;
    folder->AddRef();
    HRESULT hr = folder->QueryInterface(iid, out);
    folder->Release();
    return hr;
  }
  HRESULT BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
  HRESULT CreateViewObject(HWND, REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetAttributesOf(UINT, const ITEMIDLIST**, ULONG*) override { return E_NOTIMPL; }
  HRESULT GetUIObjectOf(HWND, UINT, const ITEMIDLIST**, REFIID, UINT*, void** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetDisplayNameOf(PCUITEMID_CHILD item, DWORD flags, STRRET* name) override {
    if (!name) return E_POINTER;
    std::wstring path = Join(m_path, win32::ItemListPath(item));
    if (!(flags & SHGDN_FORPARSING)) {
      size_t slash = path.find_last_of(L'/');
      if (slash != std::wstring::npos && slash + 1 < path.size()) path = path.substr(slash + 1);
    }
    name->uType = STRRET_WSTR;
    name->pOleStr = CopyToTaskMemory(path);
    return name->pOleStr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, DWORD, PIDLIST_ABSOLUTE*) override { return E_NOTIMPL; }

 private:
  ~FileSystemFolder() = default;
  std::wstring m_path;
  ULONG m_refs = 0;
};

}  // namespace

namespace win32 {

std::wstring ItemListPath(const ITEMIDLIST* list) {
  std::wstring path;
  ForEachPart(list, [&](const std::string& part) { path = Join(path, Utf8ToWide(part)); });
  return path;
}

}  // namespace win32

UINT ILGetSize(const ITEMIDLIST* list) {
  if (!list) return 0;
  const auto* item = reinterpret_cast<const BYTE*>(list);
  UINT size = 0;
  for (;;) {
    USHORT cb;
    std::memcpy(&cb, item + size, sizeof cb);
    if (cb <= sizeof cb) return size + sizeof cb;
    size += cb;
  }
}

HRESULT SHGetDesktopFolder(IShellFolder** out) {
  if (!out) return E_POINTER;
  auto* desktop = new (std::nothrow) FileSystemFolder(L"");
  if (!desktop) return E_OUTOFMEMORY;
  desktop->AddRef();
  *out = desktop;
  return S_OK;
}

HRESULT StrRetToStrW(STRRET* name, PCUITEMID_CHILD item, LPWSTR* out) {
  if (!name || !out) return E_INVALIDARG;
  *out = nullptr;
  std::wstring text;
  switch (name->uType) {
    case STRRET_WSTR:
      if (!name->pOleStr) return E_INVALIDARG;
      text = name->pOleStr;
      CoTaskMemFree(name->pOleStr);
      name->pOleStr = nullptr;
      break;
    case STRRET_CSTR: text = Utf8ToWide(std::string(name->cStr, strnlen(name->cStr, MAX_PATH))); break;
    case STRRET_OFFSET:
      if (!item) return E_INVALIDARG;
      text = Utf8ToWide(reinterpret_cast<const char*>(item) + name->uOffset);
      break;
    default: return E_INVALIDARG;
  }
  *out = CopyToTaskMemory(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}
