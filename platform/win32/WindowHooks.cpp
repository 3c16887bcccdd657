#include "win32/WindowHooks.h"

namespace win32 {
namespace {
thread_local CreateHook t_createHook;
}

ScopedCreateHook::ScopedCreateHook(CreateHook hook) : m_previous(std::move(t_createHook)) {
  t_createHook = std::move(hook);
}

ScopedCreateHook::~ScopedCreateHook() { t_createHook = std::move(m_previous); }

void RunCreateHook(HWND hwnd) {
  CreateHook hook = std::move(t_createHook);
  t_createHook = nullptr;
  if (hook) hook(hwnd);
}

}  // namespace win32
