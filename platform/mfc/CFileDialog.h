#pragma once
// The framework's file dialog over the common open and save dialogs. The filter is
// written as MFC writes it ("Text (*.txt)|*.txt|All (*.*)|*.*||"); m_ofn may be
// adjusted (initial folder, title) before DoModal.
#include "mfc/CString.h"
#include "win32/CommDlg.h"

class CWnd;

class CFileDialog {
 public:
  explicit CFileDialog(BOOL openFileDialog, LPCTSTR defaultExtension = nullptr, LPCTSTR fileName = nullptr,
                       DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR filter = nullptr,
                       CWnd* parent = nullptr, DWORD size = 0, BOOL vistaStyle = TRUE);
  virtual ~CFileDialog() = default;
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // IDOK when the user chose a file, IDCANCEL otherwise.
  virtual INT_PTR DoModal();
  CString GetPathName() const;
  CString GetFileName() const;
  CString GetFileExt() const;

  OPENFILENAMEW m_ofn;
  BOOL m_bOpenFileDialog;

 private:
  std::wstring m_filter;      // the filter with NULs in place of '|'
  std::wstring m_defaultExt;
  wchar_t m_fileName[MAX_PATH];
  wchar_t m_fileTitle[MAX_PATH];
};
