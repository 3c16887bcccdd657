#include "win32/Ole.h"

namespace {

thread_local int t_oleCount = 0;

}  // namespace

HRESULT OleInitialize(LPVOID) { return t_oleCount++ == 0 ? S_OK : S_FALSE; }

void OleUninitialize() {
  if (t_oleCount > 0) --t_oleCount;
}

namespace win32 {
bool OleInitialized() { return t_oleCount > 0; }
}  // namespace win32
