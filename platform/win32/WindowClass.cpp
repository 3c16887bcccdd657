#include "win32/WindowClass.h"

#include <cwctype>
#include <mutex>
#include <vector>

#include "win32/WinError.h"

namespace win32 {
namespace {

struct ClassTable {
  std::mutex lock;
  std::vector<std::shared_ptr<WindowClass>> classes;
  ATOM nextAtom = 0xC000;
};

ClassTable& Classes() {
  static ClassTable* table = new ClassTable;  // outlives static destructors that may still use windows
  return *table;
}

std::shared_ptr<WindowClass> FindLocked(ClassTable& t, LPCWSTR nameOrAtom) {
  if (!nameOrAtom) return nullptr;
  for (auto& c : t.classes) {
    if (IS_INTRESOURCE(nameOrAtom) ? c->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(nameOrAtom))
                                   : NamesEqual(c->name, nameOrAtom))
      return c;
  }
  return nullptr;
}

ATOM Register(std::shared_ptr<WindowClass> cls) {
  if (cls->name.empty() || !cls->proc || cls->classExtra < 0 || cls->windowExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ClassTable& t = Classes();
  std::lock_guard guard(t.lock);
  if (FindLocked(t, cls->name.c_str())) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  if (t.nextAtom == 0) {  // wrapped past 0xFFFF
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  cls->atom = t.nextAtom++;
  t.classes.push_back(cls);
  return cls->atom;
}

}  // namespace

bool NamesEqual(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

std::shared_ptr<WindowClass> FindWindowClass(LPCWSTR nameOrAtom) {
  ClassTable& t = Classes();
  std::lock_guard guard(t.lock);
  auto cls = FindLocked(t, nameOrAtom);
  if (!cls) SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
  return cls;
}

}  // namespace win32

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXW) || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto cls = std::make_shared<win32::WindowClass>();
  cls->name = wc->lpszClassName;
  cls->style = wc->style;
  cls->proc = wc->lpfnWndProc;
  cls->classExtra = wc->cbClsExtra;
  cls->windowExtra = wc->cbWndExtra;
  cls->instance = wc->hInstance;
  cls->icon = wc->hIcon;
  cls->smallIcon = wc->hIconSm;
  cls->cursor = wc->hCursor;
  cls->background = wc->hbrBackground;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) cls->menuName = wc->lpszMenuName;
  return win32::Register(std::move(cls));
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXW ex{sizeof(WNDCLASSEXW), wc->style,         wc->lpfnWndProc,   wc->cbClsExtra,
                 wc->cbWndExtra,      wc->hInstance,     wc->hIcon,         wc->hCursor,
                 wc->hbrBackground,   wc->lpszMenuName,  wc->lpszClassName, nullptr};
  return RegisterClassExW(&ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  auto& t = win32::Classes();
  std::lock_guard guard(t.lock);
  for (auto it = t.classes.begin(); it != t.classes.end(); ++it) {
    const auto& c = *it;
    bool match = IS_INTRESOURCE(className)
                     ? c->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className))
                     : (className && win32::NamesEqual(c->name, className));
    if (!match) continue;
    if (c.use_count() > 1) {  // windows of the class still hold it
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
    t.classes.erase(it);
    return TRUE;
  }
  SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
  return FALSE;
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR className, WNDCLASSEXW* out) {
  auto cls = win32::FindWindowClass(className);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (out) {
    *out = WNDCLASSEXW{sizeof(WNDCLASSEXW), cls->style,      cls->proc,       cls->classExtra,
                       cls->windowExtra,    cls->instance,   cls->icon,       cls->cursor,
                       cls->background,     nullptr,         className,       cls->smallIcon};
  }
  return TRUE;
}
