#pragma once
// Initialisation files ("[section]" lines and "key=value" lines), such as a
// folder's desktop.ini. Section and key names compare without regard to case.
// The files are read and written as UTF-8 with CR LF line ends; a write
// replaces the file in one step, so a reader never sees half of it.
#include "win32/WinDef.h"

// Sets key in section to value, creating the file, the section or the key as
// needed. A null value removes the key, a null key the whole section. FALSE
// with the last error when the file can't be written (its folder missing:
// ERROR_PATH_NOT_FOUND) or section is null.
BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName);

// Copies the value of key into buffer (blanks around it and one pair of
// enclosing quotes removed), or defaultValue (without trailing blanks) when
// the file, the section or the key is missing. A null section lists the
// section names, a null key the section's key names, each ended by a null
// character and the list by a second one. Returns the number of characters
// copied without the final null; a value cut to fit returns size - 1, a cut
// list size - 2.
DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName);
