#pragma once
// The input of the program's windows on an X display, read on a thread of its own over a
// connection of its own, and handed to each window's thread as the headless desktop's
// injection (Desktop::MouseDown, KeyDown, TypeText...), so that a real click or key reaches
// a window as exactly the messages a test's injected one does. Typed text comes through the
// X input method as UTF-8. It also gives the display what the layer decides: the keyboard
// focus, the pointer grab of a window holding the capture, the pointer's shape.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "display/x11/X11PointerOrder.h"
#include "win32/WinUser.h"

namespace display {

class X11Input {
 public:
  // Connects to `displayName`; null when that fails. `exposed` is called (on the input
  // thread) when a window must be drawn again. The pointer's moves take their place in
  // `order` (shared with the display's other readers of the pointer).
  static std::unique_ptr<X11Input> Open(const char* displayName, std::function<void(HWND)> exposed,
                                        std::shared_ptr<X11PointerOrder> order);
  ~X11Input();

  // Starts or stops taking the input of an X window that shows `hwnd`.
  void Watch(unsigned long window, HWND hwnd);
  void Forget(unsigned long window);
  // Gives the window the keyboard.
  void Focus(unsigned long window);
  // Sends all pointer input to the window, outside the program's windows too (0: stops).
  // A grab that another client holds up is taken as soon as it lets go; one on a window
  // that goes ends with it (the server's rule, as on a closed connection).
  void Grab(unsigned long window);
  // Keeps the pointer inside a screen rectangle (null: frees it), as ClipCursor asks; true
  // when that changed the confinement. The confinement holds under the next pointer grab
  // (Grab), and with no window to grab for, under a grab of its own.
  bool Confine(const RECT* rect);
  // Shows the system cursor `shape` (an IDC_* id; 0: the default) over the program's windows.
  void SetCursorShape(WORD shape);
  // A button press or release that the grab took is offered to `take` first (root position,
  // X button, press or release, the server's time); when it takes it, the program's windows
  // never see it. Called on the input thread.
  using ButtonTaker = std::function<bool(int x, int y, unsigned button, bool press, unsigned long time)>;
  void PassGrabbedButtons(ButtonTaker take);

 private:
  struct Connection;
  X11Input(std::unique_ptr<Connection> connection, std::function<void(HWND)> exposed,
           std::shared_ptr<X11PointerOrder> order);
  void Run();
  HWND WindowOf(unsigned long window);
  void TakeGrabLocked();
  // The window the pointer is confined to (0: none), and the grab a confinement alone makes
  // (false: there is none to make).
  unsigned long ConfineToLocked() const;
  bool GrabConfinedLocked();

  std::mutex m_lock;  // the connection, between the input thread and the callers
  std::unique_ptr<Connection> m_x;
  std::function<void(HWND)> m_exposed;
  std::shared_ptr<X11PointerOrder> m_order;
  std::map<unsigned long, HWND> m_windows;
  unsigned long m_grab = 0;  // the window that is to hold the pointer
  ButtonTaker m_takeGrabbed;
  bool m_grabWaiting = false;  // for another client to let the pointer go
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace display
