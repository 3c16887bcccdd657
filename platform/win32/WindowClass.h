#pragma once
// The process's window classes. A class is found by name (without regard to
// case) or by its atom; windows hold their class by shared_ptr, so unregistering
// a class that still has windows is refused rather than leaving them dangling.
// Thread-safe.
#include <memory>
#include <string>

#include "win32/WinUser.h"

namespace win32 {

struct WindowClass {
  std::wstring name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int classExtra = 0;
  int windowExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::wstring menuName;
};

// The class a name or an atom (MAKEINTATOM) names, or null with ERROR_CANNOT_FIND_WND_CLASS.
std::shared_ptr<WindowClass> FindWindowClass(LPCWSTR nameOrAtom);

// Compares two names as Windows compares class names and titles: without regard to case.
bool NamesEqual(const std::wstring& a, const std::wstring& b);

}  // namespace win32
