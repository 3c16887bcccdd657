#pragma once
// A static control: a text or a picture in a dialog.
#include "mfc/CWnd.h"

class CStatic : public CWnd {};
