#pragma once
#include "mfc/Afx.h"

namespace Common {

// count random ASCII letters and digits; empty for a count of 0 or less.
CString GetRandomNumString(int count);

}  // namespace Common
