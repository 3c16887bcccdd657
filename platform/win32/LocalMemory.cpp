#include "win32/LocalMemory.h"

#include <cstdlib>

#include "win32/WinError.h"

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  void* block = (flags & LMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
  if (!block) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}
