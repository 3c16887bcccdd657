#pragma once
// The two base folders of every file the programs keep: the program's own folder
// and the user's application-data folder. Both end with kPathSeparator.
#include "mfc/Afx.h"

namespace Common {

// The running program's folder; empty when its name can't be read.
CString GetAppPath();
// $XDG_DATA_HOME/Halvorn/dorv/ (both levels created when missing), or the
// program's folder when the data folder can't be named. Computed by the first
// call and kept for the process; later calls neither test nor create anything.
// Any thread may call it.
int GetAppDataPath(CString& out);
// The user's application-data folder without a trailing separator (empty when
// it can't be named). Always 1.
int GetSystemAppDataPath(CString& out);
// The user's documents folder with exactly one trailing separator. Always 1.
int GetMyDocumentsPath(CString& out);

}  // namespace Common
