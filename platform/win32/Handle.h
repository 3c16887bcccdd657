#pragma once
// Kernel objects behind HANDLE values.
//
// A HANDLE is a small number registered in one process-wide table; the object it
// names is held by shared_ptr, so a thread that is using an object (waiting on an
// event, reading a file) keeps it alive while another thread closes the handle.
// Thread-safe.
#include <memory>

#include "win32/WinDef.h"

namespace win32 {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// Registers an object and returns its new handle (never null, never INVALID_HANDLE_VALUE).
HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);

// The object a handle names, or null (with ERROR_INVALID_HANDLE) when it names none.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}

}  // namespace win32

BOOL CloseHandle(HANDLE handle);
