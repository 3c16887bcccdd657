// Carets live in one table by thread, so that a picture of the screen taken on any thread
// shows them; each is changed only by its own thread.
#include "win32/Caret.h"

#include <atomic>
#include <map>
#include <mutex>

#include "display/Desktop.h"
#include "win32/MessageQueue.h"
#include "win32/Metrics.h"
#include "win32/WinError.h"

namespace {

struct Caret {
  HWND hwnd = nullptr;
  SIZE size{};
  POINT pos{};
  int hidden = 1;  // a new caret is hidden once
  bool lit = false;
  UINT_PTR timer = 0;
};

std::mutex g_lock;
std::map<DWORD, Caret> g_carets;
std::atomic<UINT> g_blinkMs{530};

// Shows the caret's change on a display.
void Changed(HWND hwnd) {
  if (IsWindow(hwnd)) display::Desktop::Get().WindowChanged(hwnd);
}

void CALLBACK Blink(HWND, UINT, UINT_PTR, DWORD) {
  HWND hwnd;
  {
    std::lock_guard guard(g_lock);
    auto found = g_carets.find(GetCurrentThreadId());
    if (found == g_carets.end()) return;
    found->second.lit = !found->second.lit;
    hwnd = found->second.hwnd;
  }
  if (!IsWindow(hwnd)) {
    DestroyCaret();  // its window went, and the caret with it
    return;
  }
  Changed(hwnd);
}

// Starts or stops the blinking to match the caret's state; the thread's own timers only.
void Rearm(Caret& caret) {
  auto queue = win32::MessageQueue::Current();
  if (caret.timer) queue->KillTimer(nullptr, caret.timer);
  caret.timer = 0;
  caret.lit = caret.hidden == 0;
  if (caret.lit) {
    caret.timer = queue->SetTimer(nullptr, 0, g_blinkMs, Blink, 1);
  }
}

// Runs `change` on the thread's caret when `hwnd` is null or owns it; false when there is none.
template <typename F>
bool Change(HWND hwnd, F change) {
  HWND owner;
  {
    std::lock_guard guard(g_lock);
    auto found = g_carets.find(GetCurrentThreadId());
    if (found == g_carets.end() || (hwnd && found->second.hwnd != hwnd)) return false;
    Caret copy = found->second;
    if (!change(copy)) return false;
    found->second = copy;
    owner = copy.hwnd;
  }
  Changed(owner);
  return true;
}

}  // namespace

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!IsWindow(hwnd) || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DestroyCaret();
  Caret caret;
  caret.hwnd = hwnd;
  caret.size = SIZE{width > 0 ? width : GetSystemMetrics(SM_CXBORDER), height > 0 ? height : GetSystemMetrics(SM_CYBORDER)};
  std::lock_guard guard(g_lock);
  g_carets[GetCurrentThreadId()] = caret;
  return TRUE;
}

BOOL DestroyCaret() {
  Caret caret;
  {
    std::lock_guard guard(g_lock);
    auto found = g_carets.find(GetCurrentThreadId());
    if (found == g_carets.end()) return FALSE;
    caret = found->second;
    g_carets.erase(found);
  }
  if (caret.timer) win32::MessageQueue::Current()->KillTimer(nullptr, caret.timer);
  if (caret.lit) Changed(caret.hwnd);
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  return Change(nullptr, [&](Caret& c) {
    c.pos = POINT{x, y};
    if (c.hidden == 0) Rearm(c);
    return true;
  });
}

BOOL GetCaretPos(LPPOINT point) {
  if (!point) return FALSE;
  std::lock_guard guard(g_lock);
  auto found = g_carets.find(GetCurrentThreadId());
  if (found == g_carets.end()) return FALSE;
  *point = found->second.pos;
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  return Change(hwnd, [](Caret& c) {
    if (c.hidden == 0) return false;  // showing a shown caret fails, as on Windows
    if (--c.hidden == 0) Rearm(c);
    return true;
  });
}

BOOL HideCaret(HWND hwnd) {
  return Change(hwnd, [](Caret& c) {
    if (c.hidden++ == 0) Rearm(c);
    return true;
  });
}

UINT GetCaretBlinkTime() { return g_blinkMs; }

BOOL SetCaretBlinkTime(UINT ms) {
  if (ms == 0) return FALSE;
  g_blinkMs = ms;
  return TRUE;
}

namespace win32 {

std::vector<LitCaret> LitCarets() {
  std::vector<std::pair<HWND, RECT>> lit;
  {
    std::lock_guard guard(g_lock);
    for (const auto& [thread, c] : g_carets)
      if (c.lit) lit.push_back({c.hwnd, RECT{c.pos.x, c.pos.y, c.pos.x + c.size.cx, c.pos.y + c.size.cy}});
  }
  std::vector<LitCaret> out;
  for (auto [hwnd, r] : lit) {
    RECT client;
    if (!IsWindowVisible(hwnd) || !GetClientRect(hwnd, &client) || !IntersectRect(&r, &r, &client)) continue;
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    OffsetRect(&r, origin.x, origin.y);
    out.push_back(LitCaret{GetAncestor(hwnd, GA_ROOT), r});
  }
  return out;
}

}  // namespace win32
