#pragma once
// Opening web pages, showing files in the file manager and starting programs of
// the program's folder. Every start goes through the launcher behind ShellExecuteW.
#include "mfc/Afx.h"

namespace Common {

// Opens the address with the user's browser (the old browser by name when it is
// the registered one and older than version 7); when that start fails, tries the
// old browser, and tells the user when that fails too.
void SafeOpenWeb(const CString& url, int show);
// Writes the page into a temporary ".html" file, opens it, and deletes the file
// again after a few seconds. 0 (after telling the user) when the file can't be made.
int SaveOpenFileHTML(const CString& page);
// Shows the file or folder selected in the file manager, the path handed over
// whole; 0 when it doesn't exist.
int LocateFile(const CString& path);
// Starts GetAppPath() + program with the parameters (in the program's folder);
// the started process's handle, or null.
void* LoadLocalExe(CString program, CString parameters, int show);

bool IsUsingIEAsHttpBrowser();
bool IsUsingIEAsHttpsBrowser();
// The registered version of the old browser; 5.0 when none is registered.
float GetIEVersion();

}  // namespace Common
