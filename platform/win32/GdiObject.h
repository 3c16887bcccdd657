#pragma once
// The GDI handle table: bitmaps, regions, fonts and device contexts are objects of the layer
// behind opaque handles. An unknown or deleted handle is refused with ERROR_INVALID_HANDLE.
// Stock objects live for the process: deleting one succeeds and does nothing.
#include <memory>

#include "win32/GdiTypes.h"

namespace win32 {

class GdiObject {
 public:
  virtual ~GdiObject() = default;
  virtual DWORD Type() const = 0;
  // GetObjectW: copies the object's description (at most size bytes) into buffer, or with a
  // null buffer tells the size; 0 when the object has none.
  virtual int Describe(int size, void* buffer) const = 0;
};

// Takes the object into the table and returns its new handle (null when object is null).
HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object);
// Never deleted; DeleteObject on it is a no-op.
HGDIOBJ AddStockGdiObject(std::unique_ptr<GdiObject> object);
// The live object of a handle, or null with ERROR_INVALID_HANDLE. The pointer stays valid until
// the handle is deleted, which only its owner does.
GdiObject* FindGdiObject(HGDIOBJ handle);
void SetLastErrorInvalidHandle();
// As FindGdiObject, and of the given class (ERROR_INVALID_HANDLE for another kind).
template <class T>
T* FindGdi(HGDIOBJ handle) {
  GdiObject* object = FindGdiObject(handle);
  T* typed = dynamic_cast<T*>(object);
  if (object && !typed) SetLastErrorInvalidHandle();
  return typed;
}
// Removes and destroys the entry; false when the handle is unknown or a stock object.
bool RemoveGdiObject(HGDIOBJ handle, bool* wasStock = nullptr);

}  // namespace win32
