#pragma once
// One run of the shell's folder chooser, starting at a given folder. The
// chooser runs its own loop on the UI thread, so the owner's window keeps
// working meanwhile; an owner that closes then sets m_bCancelled and the
// choice is ignored.
#include <juce_core/juce_core.h>

#include "mfc/AfxWin.h"

class FolderPicker {
 public:
  FolderPicker(HWND owner, CString title, const juce::String& initialPath);

  // 1 when a file-system folder was chosen (and not cancelled from outside).
  int Run();
  CString GetPath() const { return m_strPath; }

  bool m_bCancelled = false;

 private:
  static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);

  HWND m_hOwner;
  CString m_strTitle;
  CString m_strPath;
  wchar_t m_szInitialPath[MAX_PATH] = {};
};
