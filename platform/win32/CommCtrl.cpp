#include "win32/CommCtrl.h"

#include "win32/WinError.h"

static_assert(sizeof(INITCOMMONCONTROLSEX) == 8);

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
