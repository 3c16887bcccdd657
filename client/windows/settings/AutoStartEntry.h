#pragma once
// The desktop's autostart entry, $XDG_CONFIG_HOME/autostart/Dorv.desktop
// (~/.config when unset): what starts a program with the user's session on
// Linux desktops, beside the registry's Run value that the program keeps as
// on Windows. The entry starts the given program file.
#include "mfc/Afx.h"

namespace AutoStartEntry {

// The entry's file.
CString GetPath();
// True when the entry exists, is enabled and starts exactly `program`.
bool Matches(const CString& program);
// Writes the entry (0600; the folder made 0700 when missing); false on failure.
bool Write(const CString& program);
// Removes the entry; true when it is gone (also when there was none).
bool Remove();

}  // namespace AutoStartEntry
