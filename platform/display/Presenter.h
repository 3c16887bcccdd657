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
};

// The presenter of the system's display ($DISPLAY), or null when there is none or the
// build has no X11.
std::unique_ptr<Presenter> MakeSystemPresenter();

}  // namespace display
