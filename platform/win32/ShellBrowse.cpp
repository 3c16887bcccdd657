#include "win32/ShellBrowse.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "win32/Choosers.h"
#include "win32/CodePage.h"
#include "win32/Com.h"
#include "win32/Launcher.h"
#include "win32/WinError.h"

namespace {

constexpr wchar_t kChooserClass[] = L"DorvFolderChooser";

// What the callback has told the chooser's window so far.
struct ChooserState {
  std::wstring selection;
};

LRESULT CALLBACK ChooserProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<ChooserState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == BFFM_SETSELECTIONW && state) {
    // wParam TRUE: lParam is a path; FALSE: an item list.
    if (wParam && lParam)
      state->selection = reinterpret_cast<LPCWSTR>(lParam);
    else if (lParam) {
      wchar_t path[MAX_PATH];
      if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path)) state->selection = path;
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterChooserClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ChooserProc;
  wc.lpszClassName = kChooserClass;
  if (RegisterClassExW(&wc)) return true;
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  win32::ChooserRequest request;
  request.kind = win32::ChooserRequest::Folder;
  request.owner = info->hwndOwner;
  request.title = info->lpszTitle ? info->lpszTitle : L"";
  request.flags = info->ulFlags;

  ChooserState state;
  HWND chooser = nullptr;
  if (RegisterChooserClass())
    chooser = CreateWindowExW(0, kChooserClass, request.title.c_str(), WS_POPUP, 0, 0, 0, 0, info->hwndOwner,
                              nullptr, nullptr, nullptr);
  if (chooser) {
    SetWindowLongPtrW(chooser, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    if (info->lpfn) info->lpfn(chooser, BFFM_INITIALIZED, 0, info->lParam);
    request.folder = state.selection;
  }
  win32::Choosers::Answer answer = win32::Choosers::Ask(request);
  if (chooser) DestroyWindow(chooser);
  if (!answer || answer->empty()) return nullptr;

  if (info->pszDisplayName) {
    std::wstring name = *answer;
    while (name.size() > 1 && (name.back() == L'/' || name.back() == L'\\')) name.pop_back();
    size_t cut = name.find_last_of(L"/\\");
    if (cut != std::wstring::npos && name.size() > 1) name = name.substr(cut + 1);
    name = name.substr(0, MAX_PATH - 1);
    std::wmemcpy(info->pszDisplayName, name.c_str(), name.size() + 1);
  }
  return ILCreateFromPathW(answer->c_str());
}

PIDLIST_ABSOLUTE ILCreateFromPathW(LPCWSTR path) {
  if (!path || !*path) return nullptr;
  std::string bytes = WideToUtf8(path);
  size_t itemSize = sizeof(USHORT) + bytes.size() + 1;
  if (itemSize > 0xFFFF) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  auto* block = static_cast<BYTE*>(CoTaskMemAlloc(itemSize + sizeof(USHORT)));
  if (!block) return nullptr;
  USHORT cb = static_cast<USHORT>(itemSize), end = 0;
  std::memcpy(block, &cb, sizeof cb);
  std::memcpy(block + sizeof cb, bytes.c_str(), bytes.size() + 1);
  std::memcpy(block + itemSize, &end, sizeof end);  // the list ends with an empty item
  return reinterpret_cast<PIDLIST_ABSOLUTE>(block);
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path) {
  if (!list || !path) return FALSE;
  const auto* block = reinterpret_cast<const BYTE*>(list);
  USHORT cb;
  std::memcpy(&cb, block, sizeof cb);
  if (cb <= sizeof(USHORT)) {
    path[0] = L'\0';
    return FALSE;
  }
  std::wstring text = Utf8ToWide(std::string(reinterpret_cast<const char*>(block + sizeof cb)));
  if (text.size() >= MAX_PATH) {
    path[0] = L'\0';
    return FALSE;
  }
  std::wmemcpy(path, text.c_str(), text.size() + 1);
  return TRUE;
}

void ILFree(PIDLIST_ABSOLUTE list) { CoTaskMemFree(list); }

namespace {

// The path an item list names, however long.
std::wstring PathOfList(PCIDLIST_ABSOLUTE list) {
  const auto* block = reinterpret_cast<const BYTE*>(list);
  USHORT cb;
  std::memcpy(&cb, block, sizeof cb);
  if (cb <= sizeof(USHORT)) return {};
  return Utf8ToWide(std::string(reinterpret_cast<const char*>(block + sizeof cb), cb - sizeof cb - 1));
}

}  // namespace

HRESULT SHOpenFolderAndSelectItems(PCIDLIST_ABSOLUTE folder, UINT count, PCUITEMID_CHILD_ARRAY children, DWORD) {
  if (!folder || (count > 0 && (!children || !children[0]))) return E_INVALIDARG;
  std::wstring item = PathOfList(folder);
  if (count > 0) {
    const std::wstring child = PathOfList(children[0]);
    item = !child.empty() && child[0] == L'/' ? child : item + L"/" + child;
  }
  if (item.empty()) return E_INVALIDARG;
  const DWORD error = win32::Launcher::Launch({L"select", item, L"", L"", SW_SHOWNORMAL}, nullptr);
  return error == ERROR_SUCCESS ? S_OK : static_cast<HRESULT>(0x80070000 | (error & 0xFFFF));
}
