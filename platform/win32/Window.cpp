// Creating and destroying windows, and their state: styles, longs, parent and
// owner, text, enabling, visibility.
#include <unistd.h>

#include <algorithm>

#include "display/Desktop.h"
#include "win32/MessageQueue.h"
#include "win32/WinError.h"
#include "win32/WindowClass.h"
#include "win32/WindowHooks.h"
#include "win32/RemoteWindows.h"
#include "win32/WindowOps.h"
#include "win32/WindowTable.h"

using win32::Window;
using win32::WindowLock;

namespace {

Window* Find(HWND hwnd) { return win32::LookupWindowLocked(hwnd); }

bool IsTopLevel(const Window& w) { return !w.parent; }

// The root window of a chain of parents. Callers hold the lock.
HWND RootLocked(HWND hwnd) {
  Window* w = Find(hwnd);
  while (w && w->parent && w->parent != HWND_MESSAGE) {
    Window* p = Find(w->parent);
    if (!p) break;
    w = p;
  }
  return w ? w->hwnd : nullptr;
}

// Sends WM_DESTROY to a window, then to its children (which still exist meanwhile).
void SendDestroy(HWND hwnd) {
  {
    std::lock_guard guard(WindowLock());
    Window* w = Find(hwnd);
    if (!w || w->destroyMessageSent) return;
    w->destroyMessageSent = true;
    w->stage = Window::Stage::Destroying;
    w->style &= ~WS_VISIBLE;
  }
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    std::lock_guard guard(WindowLock());
    if (Window* w = Find(hwnd)) children = w->children;
  }
  for (HWND child : children) SendDestroy(child);
}

// Sends WM_NCDESTROY to the children, then to the window, and removes each from the table.
void FinishDestroy(HWND hwnd) {
  std::vector<HWND> children;
  {
    std::lock_guard guard(WindowLock());
    if (Window* w = Find(hwnd)) children = w->children;
  }
  for (HWND child : children) FinishDestroy(child);
  win32::WindowRef ref = win32::ResolveWindow(hwnd);
  if (!ref) return;
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  if (ref.queue) ref.queue->KillTimersOf(hwnd);
  std::lock_guard guard(WindowLock());
  win32::ForgetActivationLocked(hwnd);
  win32::RemoveWindowLocked(hwnd);
}

}  // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  auto cls = win32::FindWindowClass(className);
  if (!cls) return nullptr;
  auto w = std::make_unique<Window>();
  {
    std::lock_guard guard(WindowLock());
    if (parent == win32::DesktopHandle()) parent = nullptr;
    if (parent && parent != HWND_MESSAGE && !win32::LookupWindowOrFailLocked(parent)) return nullptr;
    if (style & WS_CHILD) {
      if (!parent) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
      }
      w->parent = parent;
      w->id = reinterpret_cast<LONG_PTR>(menu);
    } else if (parent == HWND_MESSAGE) {
      w->parent = HWND_MESSAGE;
    } else {
      w->owner = parent ? RootLocked(parent) : nullptr;
      w->id = reinterpret_cast<LONG_PTR>(menu);
    }
  }
  const bool child = (style & WS_CHILD) != 0;
  if (x == CW_USEDEFAULT) x = y = child ? 0 : 100;
  if (width == CW_USEDEFAULT) {
    width = child ? 0 : 640;
    height = child ? 0 : 480;
  }
  w->cls = cls;
  w->queue = win32::MessageQueue::Current();
  w->threadId = GetCurrentThreadId();
  w->proc = cls->proc;
  w->style = style & ~WS_VISIBLE;
  if (!child) w->style |= WS_CLIPSIBLINGS;
  if (!(style & (WS_CHILD | WS_POPUP))) w->style |= WS_CAPTION;  // an overlapped window always has one
  w->exStyle = exStyle;
  w->instance = instance;
  w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  w->normalRect = w->rect;
  // A resource ordinal in place of a name (a picture's static) is no text.
  w->text = windowName && !IS_INTRESOURCE(windowName) ? windowName : L"";
  w->extra.assign(static_cast<size_t>(cls->windowExtra), 0);
  HWND hwnd = win32::AddWindow(std::move(w));
  win32::RunCreateHook(hwnd);

  std::wstring classText = IS_INTRESOURCE(className) ? cls->name : std::wstring(className);
  CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                   windowName, classText.c_str(), exStyle};
  win32::ApplyMinMax(hwnd);
  if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    FinishDestroy(hwnd);
    return nullptr;
  }
  win32::RecalcNonClient(hwnd);
  if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  RECT client{};
  POINT origin{};
  bool topLevel = false;
  {
    std::lock_guard guard(WindowLock());
    Window* created = Find(hwnd);
    if (!created) return nullptr;  // destroyed while being created
    created->stage = Window::Stage::Alive;
    client = win32::ClientRectLocked(*created);
    origin = POINT{created->rect.left + created->insets.left, created->rect.top + created->insets.top};
    topLevel = IsTopLevel(*created);
  }
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED,
               static_cast<LPARAM>(MAKELONG(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom))));
  SendMessageW(hwnd, WM_MOVE, 0,
               static_cast<LPARAM>(MAKELONG(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y))));
  if (topLevel) win32::NotifyTopLevelChanged();
  if (style & WS_VISIBLE) {
    if (style & WS_MAXIMIZE) ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    else if (style & WS_MINIMIZE) ShowWindow(hwnd, SW_SHOWMINIMIZED);
    else ShowWindow(hwnd, child ? SW_SHOWNA : SW_SHOW);
  }
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  std::vector<HWND> owned;
  bool topLevel = false;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return FALSE;
    if (!w->queue || w->threadId != GetCurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);  // the desktop, or another thread's window
      return FALSE;
    }
    if (w->destroyMessageSent) return TRUE;  // already on its way
    topLevel = IsTopLevel(*w);
    for (HWND other : win32::TopLevelLocked()) {
      Window* o = Find(other);
      if (o && o->owner == hwnd && o->threadId == w->threadId) owned.push_back(other);
    }
  }
  // Owned windows go first, as on Windows.
  for (HWND o : owned) DestroyWindow(o);
  SendDestroy(hwnd);
  FinishDestroy(hwnd);
  if (topLevel) win32::NotifyTopLevelChanged();
  if (topLevel) display::Desktop::Get().WindowChanged(hwnd);  // gone from the display too
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  if (!hwnd) return FALSE;
  if (win32::IsRemoteWindow(hwnd)) return win32::RemoteWindowAlive(hwnd) ? TRUE : FALSE;
  std::lock_guard guard(WindowLock());
  return Find(hwnd) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = Find(hwnd);
  while (w && (w->style & WS_CHILD) && w->parent && w->parent != HWND_MESSAGE) {
    if (w->parent == parent) return TRUE;
    w = Find(w->parent);
  }
  return FALSE;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWLP_USERDATA: return w->userData;
  }
  if (index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > w->extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  LONG_PTR value;
  std::copy_n(w->extra.data() + index, sizeof value, reinterpret_cast<BYTE*>(&value));
  return value;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  if (index == GWL_STYLE || index == GWL_EXSTYLE) {
    LONG_PTR old = GetWindowLongPtrW(hwnd, index);
    if (!IsWindow(hwnd)) return 0;
    STYLESTRUCT ss{static_cast<DWORD>(old), static_cast<DWORD>(value)};
    WPARAM which = static_cast<WPARAM>(index);
    SendMessageW(hwnd, WM_STYLECHANGING, which, reinterpret_cast<LPARAM>(&ss));
    {
      std::lock_guard guard(WindowLock());
      Window* w = win32::LookupWindowOrFailLocked(hwnd);
      if (!w) return 0;
      (index == GWL_STYLE ? w->style : w->exStyle) = ss.styleNew;
    }
    SendMessageW(hwnd, WM_STYLECHANGED, which, reinterpret_cast<LPARAM>(&ss));
    SetLastError(ERROR_SUCCESS);
    return old;
  }
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w) return 0;
  LONG_PTR old = 0;
  auto swap = [&](auto& field, auto newValue) {
    old = (LONG_PTR)field;
    field = newValue;
  };
  switch (index) {
    case GWLP_WNDPROC:
      if (!value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      swap(w->proc, reinterpret_cast<WNDPROC>(value));
      break;
    case GWLP_HINSTANCE: swap(w->instance, reinterpret_cast<HINSTANCE>(value)); break;
    case GWLP_HWNDPARENT:
      // Sets the owner of a top-level window.
      if (w->style & WS_CHILD) {
        old = reinterpret_cast<LONG_PTR>(w->parent);
      } else {
        swap(w->owner, reinterpret_cast<HWND>(value));
      }
      break;
    case GWLP_ID: swap(w->id, value); break;
    case GWLP_USERDATA: swap(w->userData, value); break;
    default:
      if (index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > w->extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
      }
      std::copy_n(w->extra.data() + index, sizeof old, reinterpret_cast<BYTE*>(&old));
      std::copy_n(reinterpret_cast<const BYTE*>(&value), sizeof value, w->extra.data() + index);
  }
  SetLastError(ERROR_SUCCESS);  // so that a caller can tell an old value of 0 from a failure
  return old;
}

LONG GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrW(hwnd, index)); }

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) {
  std::wstring name;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return 0;
    name = w->cls->name;
  }
  if (!buffer || maxCount <= 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  size_t n = std::min(name.size(), static_cast<size_t>(maxCount - 1));
  std::copy_n(name.data(), n, buffer);
  buffer[n] = L'\0';
  return static_cast<int>(n);
}

HWND GetParent(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent == HWND_MESSAGE ? nullptr : w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w || hwnd == win32::DesktopHandle()) return nullptr;
  switch (flags) {
    case GA_PARENT:
      if (w->parent == HWND_MESSAGE) return HWND_MESSAGE;
      return w->parent ? w->parent : win32::DesktopHandle();
    case GA_ROOT: return RootLocked(hwnd);
    case GA_ROOTOWNER: {
      HWND root = RootLocked(hwnd);
      for (Window* r = Find(root); r && r->owner; r = Find(r->owner)) root = r->owner;
      return root;
    }
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  if (newParent == win32::DesktopHandle()) newParent = nullptr;
  HWND old = nullptr;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(child);
    if (!w || (newParent && newParent != HWND_MESSAGE && !win32::LookupWindowOrFailLocked(newParent))) return nullptr;
    for (HWND p = newParent; p && p != HWND_MESSAGE; p = Find(p) ? Find(p)->parent : nullptr) {
      if (p == child) {  // would make a cycle
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
    }
    old = w->parent && w->parent != HWND_MESSAGE ? w->parent : win32::DesktopHandle();
    auto& oldSiblings = win32::SiblingsLocked(*w);
    oldSiblings.erase(std::remove(oldSiblings.begin(), oldSiblings.end(), child), oldSiblings.end());
    w->parent = newParent;
    auto& newSiblings = win32::SiblingsLocked(*w);
    newSiblings.insert(newSiblings.begin(), child);
  }
  win32::NotifyTopLevelChanged();
  return old;
}

HWND GetWindow(HWND hwnd, UINT command) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w) return nullptr;
  if (command == GW_OWNER) return w->owner;
  if (command == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  auto& siblings = win32::SiblingsLocked(*w);
  auto it = std::find(siblings.begin(), siblings.end(), hwnd);
  switch (command) {
    case GW_HWNDFIRST: return siblings.empty() ? nullptr : siblings.front();
    case GW_HWNDLAST: return siblings.empty() ? nullptr : siblings.back();
    case GW_HWNDNEXT: return it == siblings.end() || it + 1 == siblings.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == siblings.begin() || it == siblings.end() ? nullptr : *(it - 1);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(dialog);
  if (!w) return nullptr;
  for (HWND child : w->children) {
    Window* c = Find(child);
    if (c && c->id == id) return child;
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  return w && (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L"")) ? TRUE : FALSE;
}

namespace {

// The title as stored, read without a message (for windows of other threads).
bool StoredText(HWND hwnd, std::wstring& out) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w) return false;
  out = w->text;
  return true;
}

}  // namespace

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  win32::WindowRef ref = win32::ResolveWindow(hwnd);
  if (!ref) {
    buffer[0] = L'\0';
    return 0;
  }
  if (ref.threadId == GetCurrentThreadId()) {
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                         reinterpret_cast<LPARAM>(buffer)));
  }
  // Another thread's window: read the stored title rather than wait for that thread.
  std::wstring text;
  StoredText(hwnd, text);
  size_t n = std::min(text.size(), static_cast<size_t>(maxCount - 1));
  std::copy_n(text.data(), n, buffer);
  buffer[n] = L'\0';
  return static_cast<int>(n);
}

int GetWindowTextLengthW(HWND hwnd) {
  win32::WindowRef ref = win32::ResolveWindow(hwnd);
  if (!ref) return 0;
  if (ref.threadId == GetCurrentThreadId()) return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text;
  StoredText(hwnd, text);
  return static_cast<int>(text.size());
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  bool wasDisabled = false;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return FALSE;
    wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) w->style &= ~WS_DISABLED;
    else w->style |= WS_DISABLED;
  }
  SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

HWND GetDesktopWindow() { return win32::DesktopHandle(); }

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  if (win32::IsRemoteWindow(hwnd)) return win32::RemoteWindowThreadProcessId(hwnd, processId);
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w) return 0;
  if (processId) *processId = static_cast<DWORD>(getpid());
  return w->threadId;
}
