#pragma once
// Small facts and services of the machine: free disk space, memory, GUIDs, device
// notifications and the monitors' physical sizes.
#include <vector>

#include "mfc/Afx.h"

namespace Common {

// The physical size of one monitor.
struct _SEdid {
  int width;   // millimetres
  int height;  // millimetres
};

// The bytes free to the user on the volume holding the path: for "C:\data" the
// volume "C:\"; for a local path beginning with "/" the file system of its nearest
// existing folder. 0 for a relative path or when the volume can't be asked.
unsigned long long GetDiskFree(CString path);
// Gives back the process's unused memory; 1 on an NT platform.
int SysMinimizeDownMemory();
// A new GUID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; the tick count when none
// can be made.
CString GetNewGuid();
// Registers the window (or service) for arrival and removal of devices of the
// interface class; the registration's handle, or null (also for a null class).
void* RegisterInterfaceNotificationWorker(void* recipient, const GUID* interfaceClass, unsigned long flags);
// Appends the size of every monitor the registry describes (attached ones only when
// asked); nothing for a null vector.
void ReadEDID(std::vector<_SEdid>* out, bool attachedOnly);

}  // namespace Common
