#pragma once
// The MFC window classes: message maps, windows, the thread and the application.
#include "mfc/Afx.h"
#include "mfc/MessageMap.h"
#include "mfc/CCmdTarget.h"
#include "mfc/CWnd.h"
#include "mfc/CWinThread.h"
#include "mfc/CWinApp.h"
#include "mfc/CDialog.h"
#include "mfc/CStatic.h"
#include "mfc/CButton.h"
#include "mfc/CProgressCtrl.h"
