#pragma once
// Message boxes on an X11 display, drawn with Xlib and Xft (for Chinese texts), and the
// program's top-level windows, each an override-redirect X window showing its surface.
//
// One connection per presenter, used by one thread at a time; a box shown from a
// message handler while another box is up (on the same thread) nests. While a box
// is up, its thread's messages keep being dispatched and its owner is disabled, as
// with the system's boxes.
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "display/Desktop.h"
#include "display/Presenter.h"
#include "display/dbus/StatusNotifierTray.h"
#include "display/x11/X11Input.h"
#include "display/x11/X11Tray.h"

namespace display {

class X11Presenter final : public Presenter {
 public:
  // Connects to `displayName` (null: $DISPLAY); null when that fails.
  static std::unique_ptr<X11Presenter> Open(const char* displayName = nullptr);
  ~X11Presenter() override;

  int ShowMessageBox(const MessageBoxCall& call) override;
  // Top-level windows appear as undecorated X windows at their place, drawn from their
  // surfaces and shaped by their regions.
  void UpdateWindow(HWND hwnd) override;
  // Input reaches the windows through X11Input; the layer's pointer shape, capture and
  // activation reach the display.
  void CursorChanged() override;
  void CaptureChanged(HWND hwnd) override;
  void PointerGrabChanged(HWND popup) override;
  void Activated(HWND hwnd) override;
  bool ScreenSize(SIZE* size) override;
  // The icons show on the session bus while a watcher is there to host them, else in the
  // display's tray (or its stand-in); their balloons show as the bus's notifications where a
  // notification service is, else on the display.
  void TrayChanged() override;
  unsigned long NativeWindow(HWND hwnd) override { return XWindowOf(hwnd); }
  bool StandOver(long pid, HWND owner) override;
  void ReturnFocus(HWND hwnd) override;
  // For tests: the tray's icons on the display (null when it has none).
  X11Tray* Tray() { return m_tray.get(); }
  // For tests: the icons on the session bus (null when there is none).
  StatusNotifierTray* BusTray() { return m_busTray.get(); }
  // For tests: the X window showing a window, 0 when none does.
  unsigned long XWindowOf(HWND hwnd);
  // For tests: how many pictures of a window have reached the display (0: none yet).
  unsigned long FramesShown(HWND hwnd);

  // For tests: told of each box once it is on the screen, drawn and holding the
  // keyboard (its X window and its buttons, left to right, in the window's coordinates).
  struct ShownBox {
    unsigned long window;
    std::vector<RECT> buttons;
  };
  void SetShownHook(std::function<void(const ShownBox&)> hook);

 private:
  struct Connection;
  explicit X11Presenter(std::unique_ptr<Connection> connection);
  // Grabs the pointer for the window holding the capture, else for the popup that asked.
  void Regrab();

  std::recursive_mutex m_lock;  // one thread at a time; boxes may nest on it
  std::unique_ptr<Connection> m_x;
  std::function<void(const ShownBox&)> m_shown;
  std::unique_ptr<X11Tray> m_tray;
  std::mutex m_trayRoute;  // one route of the icons at a time
  std::unique_ptr<StatusNotifierTray> m_busTray;  // after m_tray: it goes first, and routes to it
  std::set<HWND> m_stoodOver;  // windows that a chooser of another program stands over
  HWND m_capture = nullptr;
  HWND m_popupGrab = nullptr;
  std::unique_ptr<X11Input> m_input;  // last: it goes first, while the windows' connection is there
};

}  // namespace display
