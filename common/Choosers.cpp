#include "common/Choosers.h"

#include <string>

#include "mfc/AfxDlgs.h"

namespace Common {
namespace {

int CALLBACK SelectStartFolder(HWND chooser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

}  // namespace

CString BrowseFolder(HWND owner, const CString& startFolder) {
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = L"请选择文件夹";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_BROWSEFORCOMPUTER;
  info.lpfn = SelectStartFolder;
  info.lParam = reinterpret_cast<LPARAM>(startFolder.GetString());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return CString();
  wchar_t path[MAX_PATH] = {};
  CString folder;
  if (SHGetPathFromIDListW(chosen, path)) folder = path;
  CoTaskMemFree(chosen);
  return folder;
}

CString OpenFileDialog(int open, const wchar_t* initialFolder, const wchar_t* fileName, const wchar_t* title,
                       const wchar_t* filter, unsigned long flags, CWnd* parent) {
  // A missing file name is an empty one: no default extension and no name proposed.
  std::wstring name = fileName ? fileName : L"";
  size_t dot = name.rfind(L'.');
  std::wstring extension = dot == std::wstring::npos ? name : name.substr(dot + 1);
  CFileDialog dialog(open ? TRUE : FALSE, extension.c_str(), name.c_str(), flags, filter, parent, 0, TRUE);
  dialog.m_ofn.lpstrInitialDir = initialFolder;
  dialog.m_ofn.lpstrTitle = title;
  if (dialog.DoModal() != IDOK) return CString();
  return dialog.GetPathName();
}

}  // namespace Common
