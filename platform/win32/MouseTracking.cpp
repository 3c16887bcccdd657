// TrackMouseEvent: one tracking request per thread, checked on every pointer move; the
// hover time runs on a thread timer, so the replaceable clock drives it.
#include "win32/MouseTracking.h"

#include <cstdlib>

#include "win32/MessageQueue.h"
#include "win32/Metrics.h"
#include "win32/WinError.h"

namespace win32 {
namespace {

struct Tracking {
  HWND hwnd = nullptr;
  DWORD flags = 0;  // TME_HOVER, TME_LEAVE, TME_NONCLIENT
  UINT hoverMs = kDefaultHoverMs;
  POINT anchor{};  // where the pointer came to rest
  UINT_PTR timer = 0;
};

thread_local Tracking t_tracking;

LPARAM Pack(LONG x, LONG y) { return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y))); }

void StopHoverTimer() {
  if (t_tracking.timer) KillTimer(nullptr, t_tracking.timer);
  t_tracking.timer = 0;
}

void CALLBACK HoverElapsed(HWND, UINT, UINT_PTR, DWORD) {
  Tracking& t = t_tracking;
  StopHoverTimer();
  if (!(t.flags & TME_HOVER) || !IsWindow(t.hwnd)) return;
  t.flags &= ~TME_HOVER;  // one message per request
  POINT at;
  GetCursorPos(&at);
  if (t.flags & TME_NONCLIENT) {
    PostMessageW(t.hwnd, 0x02A0 /* WM_NCMOUSEHOVER */, static_cast<WPARAM>(SendMessageW(t.hwnd, WM_NCHITTEST, 0, Pack(at.x, at.y))),
                 Pack(at.x, at.y));
  } else {
    ScreenToClient(t.hwnd, &at);
    PostMessageW(t.hwnd, WM_MOUSEHOVER, 0, Pack(at.x, at.y));
  }
}

void StartHoverTimer(POINT at) {
  StopHoverTimer();
  t_tracking.anchor = at;
  t_tracking.timer = MessageQueue::Current()->SetTimer(nullptr, 0, t_tracking.hoverMs, HoverElapsed, 1);
}

// Whether the pointer is where the request watches: over the window, in its client area
// (or, for a non-client request, outside it).
bool Inside(const Tracking& t, HWND target, LRESULT hit) {
  if (target != t.hwnd) return false;
  return (t.flags & TME_NONCLIENT) ? hit != HTCLIENT : hit == HTCLIENT;
}

void Leave() {
  Tracking& t = t_tracking;
  HWND hwnd = t.hwnd;
  bool nonClient = t.flags & TME_NONCLIENT;
  StopHoverTimer();
  t = Tracking{};
  if (IsWindow(hwnd)) PostMessageW(hwnd, nonClient ? 0x02A2 /* WM_NCMOUSELEAVE */ : WM_MOUSELEAVE, 0, 0);
}

}  // namespace

void PointerMoved(HWND target, LRESULT hit, POINT screen) {
  Tracking& t = t_tracking;
  if (!t.hwnd) return;
  if (!Inside(t, target, hit)) {
    if (t.flags & TME_LEAVE) {
      Leave();
    } else {
      StopHoverTimer();
      t = Tracking{};
    }
    return;
  }
  // Moving further than the hover rectangle starts the hover count again.
  if ((t.flags & TME_HOVER) && (std::abs(screen.x - t.anchor.x) > GetSystemMetrics(SM_CXDOUBLECLK) / 2 ||
                                std::abs(screen.y - t.anchor.y) > GetSystemMetrics(SM_CYDOUBLECLK) / 2)) {
    StartHoverTimer(screen);
  }
}

}  // namespace win32

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track) {
  using win32::t_tracking;
  if (!track || track->cbSize < sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (track->dwFlags & TME_QUERY) {
    *track = TRACKMOUSEEVENT{sizeof(TRACKMOUSEEVENT), t_tracking.flags, t_tracking.hwnd, t_tracking.hoverMs};
    return TRUE;
  }
  if (!IsWindow(track->hwndTrack)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const DWORD kinds = track->dwFlags & (TME_HOVER | TME_LEAVE);
  if (track->dwFlags & TME_CANCEL) {
    if (t_tracking.hwnd == track->hwndTrack) {
      t_tracking.flags &= ~kinds;
      if (!(t_tracking.flags & TME_HOVER)) win32::StopHoverTimer();
      if (!(t_tracking.flags & (TME_HOVER | TME_LEAVE))) t_tracking = win32::Tracking{};
    }
    return TRUE;
  }
  POINT at;
  GetCursorPos(&at);
  HWND under = WindowFromPoint(at);
  LRESULT hit = under ? SendMessageW(under, WM_NCHITTEST, 0, win32::Pack(at.x, at.y)) : HTNOWHERE;
  win32::Tracking request;
  request.hwnd = track->hwndTrack;
  request.flags = kinds | (track->dwFlags & TME_NONCLIENT);
  request.hoverMs = track->dwHoverTime == HOVER_DEFAULT ? win32::kDefaultHoverMs : track->dwHoverTime;
  if (!win32::Inside(request, under, hit)) {
    // Not where it would watch: a leave request is answered at once.
    if (kinds & TME_LEAVE) {
      PostMessageW(track->hwndTrack, (track->dwFlags & TME_NONCLIENT) ? 0x02A2 : WM_MOUSELEAVE, 0, 0);
    }
    return TRUE;
  }
  const bool same = t_tracking.hwnd == request.hwnd;
  if (!same) win32::StopHoverTimer();
  const bool hoverRunning = same && (t_tracking.flags & TME_HOVER) && t_tracking.timer;
  t_tracking.flags = (same ? t_tracking.flags : 0) | request.flags;
  t_tracking.hwnd = request.hwnd;
  t_tracking.hoverMs = request.hoverMs;
  if ((kinds & TME_HOVER) && !hoverRunning) win32::StartHoverTimer(at);
  return TRUE;
}
