#pragma once
// CGdiObject: owns one GDI handle and deletes it with itself. CBitmap and the other GDI
// wrappers derive from it.
#include "win32/Gdi.h"

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  // Takes ownership; FALSE when a handle is held already or the handle is null.
  BOOL Attach(HGDIOBJ object) {
    if (m_hObject || !object) return FALSE;
    m_hObject = object;
    return TRUE;
  }
  HGDIOBJ Detach() {
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
  }
  // Deletes the held object; FALSE when there is none.
  BOOL DeleteObject() {
    if (!m_hObject) return FALSE;
    return ::DeleteObject(Detach());
  }
  int GetObject(int size, LPVOID buffer) const { return ::GetObjectW(m_hObject, size, buffer); }

  HGDIOBJ m_hObject = nullptr;
};
