#include "client/windows/FolderPicker.h"

#include "win32/Com.h"
#include "win32/ShellBrowse.h"

namespace {

constexpr UINT kBrowseFlags = 0x51;  // BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE

}  // namespace

FolderPicker::FolderPicker(HWND owner, CString title, const juce::String& initialPath)
    : m_hOwner(owner), m_strTitle(title) {
  initialPath.copyToUTF32(reinterpret_cast<juce::CharPointer_UTF32::CharType*>(m_szInitialPath),
                          sizeof m_szInitialPath);
}

int CALLBACK FolderPicker::BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message != BFFM_INITIALIZED) return 0;
  const auto* picker = reinterpret_cast<FolderPicker*>(data);
  const juce::String initial(picker->m_szInitialPath);
  if (initial.isEmpty() || !juce::File(initial).exists()) return 0;
  // The chooser takes the selection at once, before it shows: no second try after a
  // pause, which would only freeze the program's windows.
  ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(picker->m_szInitialPath));
  return 0;
}

int FolderPicker::Run() {
  BROWSEINFOW info{};
  info.hwndOwner = m_hOwner;
  info.lpszTitle = m_strTitle;
  info.ulFlags = kBrowseFlags;
  info.lpfn = &FolderPicker::BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(this);
  PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info);
  if (!item) return 0;
  wchar_t path[MAX_PATH] = {};
  const BOOL named = ::SHGetPathFromIDListW(item, path);
  ::CoTaskMemFree(item);
  if (m_bCancelled || !named) return 0;
  m_strPath = path;
  return 1;
}
