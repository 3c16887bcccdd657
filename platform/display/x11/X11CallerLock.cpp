#include "display/x11/X11CallerLock.h"

#include <X11/Xlib.h>

namespace display {

X11CallerLock::X11CallerLock(std::mutex& lock, WakePipe& wake, Display* display)
    : m_hold(lock), m_wake(wake), m_display(display) {}

X11CallerLock::~X11CallerLock() {
  if (XQLength(m_display) > 0) m_wake.Wake();
}

}  // namespace display
