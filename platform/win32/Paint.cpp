// Update regions and WM_PAINT. The region is one merged rectangle per window; BeginPaint
// hands out a device context on the window's surface clipped to it.
#include <algorithm>

#include "win32/Gdi.h"
#include "win32/GdiDc.h"
#include "win32/MessageQueue.h"
#include "win32/WinError.h"
#include "win32/WindowOps.h"
#include "win32/WindowTable.h"

using win32::Window;
using win32::WindowLock;

namespace win32 {

void InvalidateLocked(Window& w, const RECT* rect, bool erase) {
  RECT client = ClientRectLocked(w);
  RECT add = client;
  if (rect && !IntersectRect(&add, rect, &client)) return;
  if (IsRectEmpty(&add)) return;
  if (!w.needsPaint) {
    w.update = add;
  } else {
    UnionRect(&w.update, &w.update, &add);
  }
  w.needsPaint = true;
  w.needsErase = w.needsErase || erase;
  // Without WS_CLIPCHILDREN the window's painting covers its children there, so they paint
  // again after it, as on Windows.
  if (w.style & WS_CLIPCHILDREN) return;
  for (HWND c : w.children) {
    Window* child = LookupWindowLocked(c);
    RECT overlap;
    if (!child || !(child->style & WS_VISIBLE) || !IntersectRect(&overlap, &add, &child->rect)) continue;
    OffsetRect(&overlap, -(child->rect.left + child->insets.left), -(child->rect.top + child->insets.top));
    InvalidateLocked(*child, &overlap, erase);
  }
}

namespace {

// The first window of the thread that needs a paint, walking the tree as Windows does: in
// z-order from the top, a parent before its children. Siblings that overlap without
// WS_CLIPSIBLINGS (a dialog's background and the texts on it) paint in that order, so the
// later ones stay on top.
HWND FindInTreeLocked(HWND hwnd, DWORD threadId, const MessageFilter& filter) {
  Window* w = LookupWindowLocked(hwnd);
  if (!w || !(w->style & WS_VISIBLE)) return nullptr;
  if (w->needsPaint && w->threadId == threadId && w->queue && filter.AcceptsWindow(hwnd)) return hwnd;
  for (HWND child : w->children)
    if (HWND found = FindInTreeLocked(child, threadId, filter)) return found;
  return nullptr;
}

}  // namespace

HWND FindWindowToPaint(DWORD threadId, const MessageFilter& filter) {
  std::lock_guard guard(WindowLock());
  for (HWND top : TopLevelLocked())
    if (HWND found = FindInTreeLocked(top, threadId, filter)) return found;
  return nullptr;
}

namespace {

ULONGLONG PaintCount(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = LookupWindowLocked(hwnd);
  return w ? w->paintCount : 0;
}

}  // namespace

LRESULT SendPaint(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  ULONGLONG before = PaintCount(hwnd);
  LRESULT result = SendMessageW(hwnd, WM_PAINT, wParam, lParam);
  // A procedure that neither painted nor validated would otherwise be asked again forever.
  if (PaintCount(hwnd) == before) ValidateRect(hwnd, nullptr);
  return result;
}

}  // namespace win32

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  std::shared_ptr<win32::MessageQueue> queue;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return FALSE;
    win32::InvalidateLocked(*w, rect, erase != FALSE);
    queue = w->queue;
  }
  if (queue) queue->Wake();  // safe from any thread
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w) return FALSE;
  if (!w->needsPaint) return TRUE;
  // One rectangle holds the region: validating part of it leaves what it cannot cut off.
  RECT left = w->update;
  if (rect) {
    RECT cut{};
    IntersectRect(&cut, rect, &w->update);
    if (cut.left <= left.left && cut.right >= left.right) {
      if (cut.top <= left.top) left.top = std::max(left.top, cut.bottom);
      if (cut.bottom >= left.bottom) left.bottom = std::min(left.bottom, cut.top);
    } else if (cut.top <= left.top && cut.bottom >= left.bottom) {
      if (cut.left <= left.left) left.left = std::max(left.left, cut.right);
      if (cut.right >= left.right) left.right = std::min(left.right, cut.left);
    }
  }
  if (!rect || IsRectEmpty(&left)) {
    w->needsPaint = false;
    w->needsErase = false;
    w->update = RECT{};
    ++w->paintCount;
  } else {
    w->update = left;
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w) return FALSE;
  if (rect) *rect = w->needsPaint ? w->update : RECT{};
  return w->needsPaint ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  bool paint;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return FALSE;
    paint = w->needsPaint && win32::IsVisibleLocked(*w);
  }
  if (paint) win32::SendPaint(hwnd, 0, 0);  // straight to the window, ahead of anything queued
  return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
  if (!paint) return nullptr;
  *paint = PAINTSTRUCT{};
  bool erase, framed;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return nullptr;
    paint->rcPaint = w->needsPaint ? w->update : RECT{};
    erase = w->needsErase;
    framed = w->insets.left || w->insets.top || w->insets.right || w->insets.bottom;
    w->needsPaint = false;
    w->needsErase = false;
    w->update = RECT{};
    ++w->paintCount;
  }
  // A framed window painted whole (after it was shown or sized) has its frame drawn first.
  if (erase && framed) SendMessageW(hwnd, WM_NCPAINT, 1, 0);
  paint->hdc = GetDC(hwnd);
  if (!paint->hdc) return nullptr;
  // Drawing stays inside the area being painted.
  if (auto* dc = win32::FindGdi<win32::GdiDc>(paint->hdc))
    dc->State().clip = juce::RectangleList<int>(juce::Rectangle<int>(
        paint->rcPaint.left, paint->rcPaint.top, paint->rcPaint.right - paint->rcPaint.left,
        paint->rcPaint.bottom - paint->rcPaint.top));
  // The window erases its background first; fErase tells the procedure it still has to.
  paint->fErase = erase && !SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0);
  return paint->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  if (paint && paint->hdc) ReleaseDC(hwnd, paint->hdc);
  return TRUE;
}
