#pragma once
// What shows windows and boxes for real. The headless desktop has none; a program
// that wants the system's display installs one (Desktop::UseSystemDisplay).
#include <memory>
#include <string>

#include "win32/WinUser.h"

namespace display {

struct MessageBoxCall;

class Presenter {
 public:
  virtual ~Presenter() = default;
  // Shows a message box and returns the button chosen. Runs a modal loop meanwhile: the
  // calling thread's messages are dispatched, and a WM_QUIT ends the box and is passed on.
  virtual int ShowMessageBox(const MessageBoxCall& call) = 0;
  // Brings a top-level window on the display up to date with its surface: shown, moved,
  // shaped and drawn as it is now, hidden when it is, removed when it is gone. Called on the
  // window's thread after it drew or went. Presenters without windows do nothing.
  virtual void UpdateWindow(HWND) {}
  // The pointer's shape (GetCursor) or its confinement (GetClipCursor) changed.
  virtual void CursorChanged() {}
  // A window of the calling thread took the mouse capture (null: released it): a display
  // sends the pointer's input to it wherever the pointer is, outside the program's windows too.
  virtual void CaptureChanged(HWND) {}
  // A shown popup takes all of the pointer's input (null: none does any more): a press
  // outside the program's windows comes to it, as a press on nothing comes to the headless
  // desktop. The capture, while a window holds it, comes first.
  virtual void PointerGrabChanged(HWND) {}
  // A top-level window became the active one (null: none is): it takes the keyboard.
  virtual void Activated(HWND) {}
  // The size of the screen shown on; false when it has none.
  virtual bool ScreenSize(SIZE*) { return false; }
  // The notification area's icons changed (win32::TrayIcons).
  virtual void TrayChanged() {}
  // The display's own window showing a top-level window (an X window id), 0 when none does.
  virtual unsigned long NativeWindow(HWND) { return 0; }
  // Stands the shown window of another process (a chooser the program started) over a
  // top-level window, as its transient, fitted into the screen's work area; false while
  // that process shows none yet.
  virtual bool StandOver(long /*pid*/, HWND /*owner*/) { return false; }
  // Gives the keyboard back to a top-level window when a window of another program that
  // stood over it has gone.
  virtual void ReturnFocus(HWND) {}
};

// The presenter of the system's display ($DISPLAY), or null when there is none or the
// build has no X11.
std::unique_ptr<Presenter> MakeSystemPresenter();

}  // namespace display
