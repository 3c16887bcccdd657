#include "win32/WindowTable.h"

#include <algorithm>
#include <unordered_map>

#include "win32/WinError.h"
#include "win32/WindowClass.h"
#include "win32/WindowSurface.h"

namespace win32 {
namespace {

struct Table {
  std::mutex lock;
  std::unordered_map<ULONG_PTR, std::unique_ptr<Window>> windows;
  std::vector<HWND> topLevel;
  std::vector<HWND> messageOnly;
  ULONG_PTR next = 0x10010;
  HWND desktop = nullptr;

  Table() {
    auto cls = std::make_shared<WindowClass>();
    cls->name = L"#32769";
    cls->proc = DefWindowProcW;
    auto w = std::make_unique<Window>();
    w->cls = cls;
    w->proc = DefWindowProcW;
    w->stage = Window::Stage::Alive;
    w->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    desktop = Insert(std::move(w));
  }

  HWND Insert(std::unique_ptr<Window> w) {
    HWND hwnd = reinterpret_cast<HWND>(next);
    next += 2;  // like Windows: even values
    w->hwnd = hwnd;
    windows.emplace(reinterpret_cast<ULONG_PTR>(hwnd), std::move(w));
    return hwnd;
  }
};

Table& TheTable() {
  static Table* table = new Table;  // outlives static destructors that may still touch windows
  return *table;
}

}  // namespace

std::mutex& WindowLock() { return TheTable().lock; }

HWND DesktopHandle() { return TheTable().desktop; }

Window* LookupWindowLocked(HWND hwnd) {
  auto& t = TheTable();
  auto it = t.windows.find(reinterpret_cast<ULONG_PTR>(hwnd));
  return it == t.windows.end() ? nullptr : it->second.get();
}

Window* LookupWindowOrFailLocked(HWND hwnd) {
  Window* w = LookupWindowLocked(hwnd);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

WindowRef ResolveWindow(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = LookupWindowOrFailLocked(hwnd);
  if (!w) return {};
  return WindowRef{w->hwnd, w->proc, w->threadId, w->queue};
}

std::vector<HWND>& TopLevelLocked() { return TheTable().topLevel; }
std::vector<HWND> TopLevelWindows() {
  std::lock_guard guard(WindowLock());
  return TheTable().topLevel;
}

std::vector<HWND>& MessageOnlyLocked() { return TheTable().messageOnly; }

std::vector<HWND>& SiblingsLocked(const Window& w) {
  if (w.parent == HWND_MESSAGE) return TheTable().messageOnly;
  if (w.parent) {
    if (Window* p = LookupWindowLocked(w.parent)) return p->children;
  }
  return TheTable().topLevel;
}

HWND AddWindow(std::unique_ptr<Window> window) {
  std::lock_guard guard(WindowLock());
  Window* raw = window.get();
  HWND hwnd = TheTable().Insert(std::move(window));
  auto& siblings = SiblingsLocked(*raw);
  if (&siblings != &TheTable().topLevel) {
    // A child starts at the bottom of its siblings, so the first one made is the first in
    // z-order (and in a dialog's tab order), and an older sibling stays above a newer one.
    siblings.push_back(hwnd);
  } else if (raw->exStyle & WS_EX_TOPMOST) {
    siblings.insert(siblings.begin(), hwnd);
  } else {
    // Below the topmost band.
    auto it = std::find_if(siblings.begin(), siblings.end(), [](HWND h) {
      Window* s = LookupWindowLocked(h);
      return !s || !(s->exStyle & WS_EX_TOPMOST);
    });
    siblings.insert(it, hwnd);
  }
  return hwnd;
}

void RemoveWindowLocked(HWND hwnd) {
  DropWindowSurface(hwnd);
  auto& t = TheTable();
  auto it = t.windows.find(reinterpret_cast<ULONG_PTR>(hwnd));
  if (it == t.windows.end()) return;
  auto& siblings = SiblingsLocked(*it->second);
  siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
  t.windows.erase(it);
}

std::vector<HWND> WindowsOfThreadLocked(DWORD threadId) {
  std::vector<HWND> out;
  for (auto& [value, w] : TheTable().windows) {
    if (w->threadId == threadId && w->queue) out.push_back(w->hwnd);
  }
  return out;
}

}  // namespace win32
