#pragma once
// A connection's lock, taken by a thread other than the connection's event thread. Such a
// thread's request may read the event thread's events into Xlib's queue, where the event
// thread's poll cannot see them: so it wakes the event thread when it leaves events queued.
#include <mutex>

#include "display/WakePipe.h"

typedef struct _XDisplay Display;

namespace display {

class X11CallerLock {
 public:
  X11CallerLock(std::mutex& lock, WakePipe& wake, Display* display);
  ~X11CallerLock();
  X11CallerLock(const X11CallerLock&) = delete;
  X11CallerLock& operator=(const X11CallerLock&) = delete;

 private:
  std::lock_guard<std::mutex> m_hold;
  WakePipe& m_wake;
  Display* m_display;
};

}  // namespace display
