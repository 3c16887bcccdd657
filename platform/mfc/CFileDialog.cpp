#include "mfc/CFileDialog.h"

#include <cwchar>

#include "mfc/CWnd.h"

CFileDialog::CFileDialog(BOOL openFileDialog, LPCTSTR defaultExtension, LPCTSTR fileName, DWORD flags,
                         LPCTSTR filter, CWnd* parent, DWORD, BOOL)
    : m_ofn{}, m_bOpenFileDialog(openFileDialog), m_fileName{}, m_fileTitle{} {
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
  m_ofn.lpstrFile = m_fileName;
  m_ofn.nMaxFile = MAX_PATH;
  m_ofn.lpstrFileTitle = m_fileTitle;
  m_ofn.nMaxFileTitle = MAX_PATH;
  m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
  if (defaultExtension) {
    m_defaultExt = defaultExtension;
    m_ofn.lpstrDefExt = m_defaultExt.c_str();
  }
  if (fileName) std::wcsncpy(m_fileName, fileName, MAX_PATH - 1);
  if (filter) {
    m_filter = filter;
    for (wchar_t& c : m_filter)
      if (c == L'|') c = L'\0';
    m_filter.push_back(L'\0');  // the list ends with an empty entry even without "||"
    m_ofn.lpstrFilter = m_filter.c_str();
  }
}

INT_PTR CFileDialog::DoModal() {
  BOOL chosen = m_bOpenFileDialog ? GetOpenFileNameW(&m_ofn) : GetSaveFileNameW(&m_ofn);
  return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const { return CString(m_ofn.lpstrFile); }

CString CFileDialog::GetFileName() const { return CString(m_ofn.lpstrFile + m_ofn.nFileOffset); }

CString CFileDialog::GetFileExt() const {
  return m_ofn.nFileExtension ? CString(m_ofn.lpstrFile + m_ofn.nFileExtension) : CString();
}
