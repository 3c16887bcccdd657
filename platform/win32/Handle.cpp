#include "win32/Handle.h"

#include <mutex>
#include <unordered_map>

#include "win32/WinError.h"

namespace win32 {
namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<UINT_PTR, std::shared_ptr<KernelObject>> objects;
  UINT_PTR next = 0x100;
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;  // lives until process end, past static destructors
  return *table;
}

}  // namespace

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& t = Table();
  std::lock_guard guard(t.lock);
  UINT_PTR value = t.next;
  t.next += 4;  // like Windows: multiples of four
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
  HandleTable& t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<UINT_PTR>(handle));
  if (it == t.objects.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

}  // namespace win32

BOOL CloseHandle(HANDLE handle) {
  std::shared_ptr<win32::KernelObject> object;  // destroyed outside the table's lock
  {
    auto& t = win32::Table();
    std::lock_guard guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<UINT_PTR>(handle));
    if (it == t.objects.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    object = std::move(it->second);
    t.objects.erase(it);
  }
  return TRUE;
}
