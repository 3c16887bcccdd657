#include "mfc/CException.h"

#include <cwchar>

BOOL CException::GetErrorMessage(LPTSTR buffer, UINT bufferSize, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  if (!buffer || bufferSize == 0) return FALSE;
  std::wcsncpy(buffer, Message(), bufferSize - 1);
  buffer[bufferSize - 1] = L'\0';
  return TRUE;
}

void AfxThrowInvalidArgException() { throw new CInvalidArgException(); }
