#pragma once
// A private X server (Xvfb) for the x11 tests, driven through it with xdotool as a user
// would, and read back through Xlib.
#include <functional>
#include <memory>
#include <string>

#include "../win32/ChildProcess.h"
#include "display/Pixels.h"

namespace x11test {

class X11Server {
 public:
  // Null when Xvfb or xdotool is not installed.
  static std::unique_ptr<X11Server> Start(int width = 1024, int height = 768);
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

 private:
  explicit X11Server(std::unique_ptr<wintest::ChildProcess> process, std::string name)
      : m_process(std::move(process)), m_name(std::move(name)) {}
  std::unique_ptr<wintest::ChildProcess> m_process;
  std::string m_name;
};

// Pumps the UI thread until `done`, for the input the X server hands over
// meanwhile; false when it has not come within 10 s.
bool WaitFor(const std::function<bool()>& done);

}  // namespace x11test
