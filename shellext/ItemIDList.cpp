#include "ItemIDList.h"

std::wstring ItemIDList::GetPath() const {
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return {};
  IShellFolder* folder = desktop;
  if (m_parent) {
    IShellFolder* bound = nullptr;
    if (SUCCEEDED(desktop->BindToObject(m_parent, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&bound))) &&
        bound) {
      folder = bound;
    }
  }
  std::wstring path;
  STRRET name{};
  if (SUCCEEDED(folder->GetDisplayNameOf(m_item, SHGDN_FORPARSING, &name))) {
    LPWSTR text = nullptr;
    if (SUCCEEDED(StrRetToStrW(&name, m_item, &text)) && text) {
      path = text;
      CoTaskMemFree(text);
    }
  }
  if (folder != desktop) folder->Release();
  desktop->Release();
  return path;
}
