#pragma once
// The MFC subset, for code written against MFC. Add one line per header here.
#include "win32/Windows.h"
#include "mfc/FormatWide.h"
#include "mfc/CString.h"
