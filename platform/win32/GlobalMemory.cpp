#include "win32/GlobalMemory.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "win32/WinError.h"

namespace {

struct Blocks {
  std::mutex lock;
  std::unordered_map<void*, SIZE_T> sizes;
};

Blocks& TheBlocks() {
  static Blocks* blocks = new Blocks();  // blocks may be freed during exit
  return *blocks;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  void* block = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
  if (!block) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Blocks& blocks = TheBlocks();
  std::lock_guard<std::mutex> guard(blocks.lock);
  blocks.sizes[block] = bytes;
  return block;
}

LPVOID GlobalLock(HGLOBAL block) {
  Blocks& blocks = TheBlocks();
  std::lock_guard<std::mutex> guard(blocks.lock);
  if (!blocks.sizes.count(block)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return block;
}

BOOL GlobalUnlock(HGLOBAL) {
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

SIZE_T GlobalSize(HGLOBAL block) {
  Blocks& blocks = TheBlocks();
  std::lock_guard<std::mutex> guard(blocks.lock);
  auto found = blocks.sizes.find(block);
  if (found == blocks.sizes.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return found->second;
}

HGLOBAL GlobalFree(HGLOBAL block) {
  if (!block) return nullptr;
  {
    Blocks& blocks = TheBlocks();
    std::lock_guard<std::mutex> guard(blocks.lock);
    if (!blocks.sizes.erase(block)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return block;
    }
  }
  std::free(block);
  return nullptr;
}
