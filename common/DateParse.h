#pragma once
#include "mfc/Afx.h"

namespace Common {

// Reads a local date and time ("2012-03-05 07:08:09", "2012/3/5 7:08 PM",
// "2012.03.05", "2012/03/5-07:08:09"; the year comes first) into out. Fractions of
// a second round to the nearest second; daylight saving is the system's to decide.
// Returns 0 and leaves out alone for unreadable text, impossible dates, years
// before 1900 and times the system's clock cannot hold.
int ConverCString2CTime(CString text, CTime& out);

}  // namespace Common
