#pragma once
// The Windows version the programs are told (GetVersionExW: "6.1" unless the
// environment variable DORV_OS_VERSION names another).
#include "mfc/Afx.h"

namespace Common {

// The platform is NT and the major version is exactly 6.
bool IsVistaWindows();
// 1 when the platform is NT and the major version is above 5.
int IsVistaOrWin7();
// "major.minor", for example "6.1".
CString GetOSVersion();

}  // namespace Common
