#pragma once
// A private X server (Xvfb) for the x11 tests, driven through it with xdotool as a user
// would, and read back through Xlib.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../win32/ChildProcess.h"
#include "display/Pixels.h"

namespace display {
class X11Presenter;
}

namespace x11test {

class X11Server {
 public:
  // Null when Xvfb or xdotool is not installed.
  static std::unique_ptr<X11Server> Start(int width = 1024, int height = 768);
  // Takes a presenter given to the desktop on this server (Present) off it first, so that
  // a test that ends early leaves none on a server that is gone.
  ~X11Server();
  const std::string& Name() const { return m_name; }
  // Runs xdotool with `args` against the server; its exit code.
  int Xdo(const std::string& args) const;
  // The screen's pixels, and where an X window lies on it.
  display::Pixels Screen() const;
  bool Geometry(unsigned long window, RECT* rect) const;
  // Gives `characters` keys of their own, as a keyboard layout with them would:
  // xdotool otherwise lends one spare key to each character in turn and takes it
  // back, and a busy machine may read a key after it was taken back.
  bool BindKeys(const std::wstring& characters) const;

  // What the pointer looks like: the cursor's picture with its hot spot.
  struct CursorLook {
    int width = 0, height = 0, xhot = 0, yhot = 0;
    std::vector<unsigned long> pixels;
    friend bool operator==(const CursorLook&, const CursorLook&) = default;
  };
  // The pointer's shape now.
  CursorLook PointerShape() const;
  // The shape of the X font cursor `shape` (an XC_* number), as the server shows it: the
  // pointer visits a window of its own showing it and comes back. Ask before the program's
  // windows are up, or they see the pointer leave and come back.
  CursorLook FontCursor(unsigned shape) const;

 private:
  explicit X11Server(std::unique_ptr<wintest::ChildProcess> process, std::string name)
      : m_process(std::move(process)), m_name(std::move(name)) {}
  friend display::X11Presenter* Present(const X11Server& server);
  std::unique_ptr<wintest::ChildProcess> m_process;
  std::string m_name;
  mutable bool m_presented = false;
};

// The pixels of a display's screen (empty when it cannot be opened).
display::Pixels ScreenOf(const std::string& displayName);

// Opens a presenter on `server` and gives it to the desktop: windows show on that
// display from now on. Null when the display cannot be opened.
display::X11Presenter* Present(const X11Server& server);

// Pumps the UI thread until `done`, for the input the X server hands over
// meanwhile; false when it has not come within 10 s. `pump` replaces the
// desktop's plain pump (e.g. one that lets the framework pre-translate).
bool WaitFor(const std::function<bool()>& done, const std::function<void()>& pump = nullptr);

}  // namespace x11test
