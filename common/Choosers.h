#pragma once
// The folder chooser and the file dialogs.
#include "mfc/Afx.h"

class CWnd;

namespace Common {

// Lets the user choose a file-system folder, the start folder selected first.
// The chosen folder, or empty when the user cancels.
CString BrowseFolder(HWND owner, const CString& startFolder);
// The open (open non-zero) or save dialog. The default extension is what follows
// the last "." of the file name (the whole name when it has none). The chosen
// path, or empty when the user cancels.
CString OpenFileDialog(int open, const wchar_t* initialFolder, const wchar_t* fileName, const wchar_t* title,
                       const wchar_t* filter, unsigned long flags, CWnd* parent);

}  // namespace Common
