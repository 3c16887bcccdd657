#pragma once
// A progress bar ("msctls_progress32") in a dialog.
#include "mfc/CWnd.h"

class CProgressCtrl : public CWnd {
 public:
  void SetRange(short low, short high) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(low, high)); }
  int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
  int GetPos() { return static_cast<int>(SendMessage(PBM_GETPOS)); }
  int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
};
