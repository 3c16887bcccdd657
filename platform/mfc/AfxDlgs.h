#pragma once
// The MFC dialog classes (the common file dialog).
#include "mfc/AfxWin.h"
#include "mfc/CFileDialog.h"
