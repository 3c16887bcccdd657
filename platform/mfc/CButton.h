#pragma once
// A push button in a dialog.
#include "mfc/CWnd.h"

class CButton : public CWnd {};
