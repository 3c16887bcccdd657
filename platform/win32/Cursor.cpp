// The system cursors are fixed records; the handle is the record's address, so a handle
// that is not one of them is told apart without a table.
#include "win32/Cursor.h"

#include <algorithm>
#include <iterator>
#include <mutex>

#include "display/Desktop.h"
#include "win32/Icon.h"
#include "win32/WinError.h"

namespace {

struct SystemCursor {
  WORD id;
};

constexpr SystemCursor kCursors[] = {{32512}, {32513}, {32514}, {32515}, {32516}, {32642}, {32643},
                                     {32644}, {32645}, {32646}, {32648}, {32649}, {32650}, {32651}};

const SystemCursor* Find(HCURSOR cursor) {
  for (const SystemCursor& c : kCursors)
    if (reinterpret_cast<HCURSOR>(const_cast<SystemCursor*>(&c)) == cursor) return &c;
  return nullptr;
}

std::mutex g_lock;
HCURSOR g_current = nullptr;
bool g_clipped = false;
RECT g_clip{};

}  // namespace

HCURSOR LoadCursorW(HINSTANCE module, LPCWSTR name) {
  const auto id = reinterpret_cast<ULONG_PTR>(name);
  if (!module && id <= 0xFFFF) {
    auto found = std::find_if(std::begin(kCursors), std::end(kCursors), [&](const SystemCursor& c) { return c.id == id; });
    if (found != std::end(kCursors)) return reinterpret_cast<HCURSOR>(const_cast<SystemCursor*>(found));
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old;
  {
    std::lock_guard guard(g_lock);
    old = g_current;
    g_current = cursor;
  }
  if (old != cursor) display::Desktop::Get().CursorChanged();
  return old;
}

HCURSOR GetCursor() {
  std::lock_guard guard(g_lock);
  return g_current;
}

BOOL DestroyCursor(HCURSOR cursor) { return Find(cursor) ? TRUE : FALSE; }

BOOL ClipCursor(const RECT* rect) {
  RECT screen = display::Desktop::Get().ScreenRect();  // not under our lock: the desktop takes it
  {
    std::lock_guard guard(g_lock);
    // A rectangle off the screen frees the pointer rather than trapping it nowhere.
    g_clipped = rect && IntersectRect(&g_clip, rect, &screen);
  }
  // The pointer moves inside at once, as it would on the screen.
  POINT at = display::Desktop::Get().CursorPos();
  display::Desktop::Get().SetCursorPosition(at.x, at.y);
  display::Desktop::Get().CursorChanged();
  return TRUE;
}

BOOL GetClipCursor(LPRECT rect) {
  if (!rect) return FALSE;
  RECT screen = display::Desktop::Get().ScreenRect();
  std::lock_guard guard(g_lock);
  *rect = g_clipped ? g_clip : screen;
  return TRUE;
}

namespace win32 {

WORD CursorShape(HCURSOR cursor) {
  const SystemCursor* c = Find(cursor);
  return c ? c->id : 0;
}

bool CursorClip(RECT* rect) {
  std::lock_guard guard(g_lock);
  if (g_clipped && rect) *rect = g_clip;
  return g_clipped;
}

}  // namespace win32
