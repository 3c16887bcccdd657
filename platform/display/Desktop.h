#pragma once
// Where windows live. The headless desktop is the default: a virtual screen with
// a work area, and message boxes that are recorded and answered by the test
// instead of being shown. Tests drive it from their own thread, which is then
// the UI thread:
//
//   display::Desktop& desktop = display::Desktop::Get();
//   desktop.PushMessageBoxAnswer(IDNO);
//   ... code under test calls MessageBoxW ...
//   desktop.PumpUntilIdle();
//   EXPECT_EQ(desktop.MessageBoxes().back().caption, L"错误");
//
// Thread-safe.
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "display/Pixels.h"
#include "display/Presenter.h"
#include "win32/WinUser.h"

namespace display {

struct MessageBoxCall {
  HWND owner = nullptr;
  std::wstring text;
  std::wstring caption;
  UINT type = 0;
  int answer = 0;
};

class Desktop {
 public:
  // The process's desktop.
  static Desktop& Get();

  RECT ScreenRect() const;
  RECT WorkArea() const;
  // Sets the virtual screen; the work area leaves `taskbarHeight` pixels at the bottom.
  void SetScreenSize(int width, int height, int taskbarHeight);

  // Shows boxes (and later windows) on the system's display from now on, when there is
  // one; false when there is none. Programs call this; tests stay headless.
  bool UseSystemDisplay();
  void SetPresenter(std::unique_ptr<Presenter> presenter);
  // Whether windows and boxes are shown to someone (a presenter is set).
  bool HasPresenter() const;
  // The display's own window showing a top-level window (0: none, or no display).
  unsigned long NativeWindow(HWND hwnd) const;
  // For another program's window that a window of ours waits on (Presenter).
  bool StandOver(long pid, HWND owner) const;
  void ReturnFocus(HWND hwnd) const;

  // MessageBoxW lands here and is recorded. A presenter shows it; headless, the answer
  // is the next one set by the test, or the box's default button when none is set. The
  // handler, when set, runs inside the call (where a real box would run its modal loop)
  // and may answer it.
  int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
  void PushMessageBoxAnswer(int answer);
  using MessageBoxHandler = std::function<int(const MessageBoxCall&)>;  // 0: use the queued answer
  void SetMessageBoxHandler(MessageBoxHandler handler);
  std::vector<MessageBoxCall> MessageBoxes() const;
  void ClearMessageBoxes();

  // Pointer input, in screen coordinates, routed as real input would be: to the window
  // holding the capture, else to the window under the pointer (WindowFromPoint), as a
  // client message or, outside the client area, a non-client one (WM_NCHITTEST decides);
  // a press first activates the window's top-level window (WM_MOUSEACTIVATE), and a second
  // press within the double-click time and distance becomes a double click for classes
  // with CS_DBLCLKS. The messages are posted; pump to deliver them.
  enum class Button { Left, Right, Middle };
  void MouseMove(int x, int y);
  void MouseDown(Button button, int x, int y);
  void MouseUp(Button button, int x, int y);
  // The wheel goes to the focus window, with the pointer's screen position.
  void MouseWheel(int delta, int x, int y);
  POINT CursorPos() const;
  void SetCursorPosition(int x, int y);

  // Keys, to the calling thread's focus window (else its active window), as WM_KEYDOWN and
  // WM_KEYUP (WM_SYSKEY... while Alt is down) with Windows' lParam bits; the key state
  // follows. TranslateMessage makes the characters. TypeText posts WM_CHAR directly, for
  // any Unicode text.
  void KeyDown(UINT virtualKey);
  void KeyUp(UINT virtualKey);
  void KeyPress(UINT virtualKey);
  void TypeText(const std::wstring& text);

  // Pixels. CaptureWindow: a window's client area as its painting left it (empty for an
  // unknown window). CaptureScreen: the top-level windows composited from the bottom of the
  // z-order up, each under its region (SetWindowRgn), over the desktop's colour.
  Pixels CaptureWindow(HWND hwnd) const;
  Pixels CaptureScreen() const;
  // Told by the window layer when a window drew on its surface or went: a presenter shows
  // its top-level window again.
  void WindowChanged(HWND hwnd);
  // Told by the layer when the pointer's shape or confinement changed.
  void CursorChanged();
  void CaptureChanged(HWND hwnd);
  void WindowActivated(HWND hwnd);
  void TrayChanged();

  // A shown popup (a menu) takes all of the pointer's input until it is hidden or
  // destroyed. Here every press reaches the desktop anyway, and one on none of the
  // program's windows takes the activation away, which closes a menu; on a display the
  // grab brings such a press (on another program, or on nothing) to the program the
  // same way, instead of to the window below. The popup shown last holds the grab; when
  // it goes, the one before takes it back; a window holding the capture comes first.
  // False, with nothing changed, when the window is not shown.
  bool GrabPointerWhileShown(HWND popup);
  // The popup holding the pointer (null: none).
  HWND PointerGrab() const;

  // Dispatches the calling thread's messages (sent, posted, paint, due timers) until
  // none is waiting. A WM_QUIT found on the way is left in place and ends the pump.
  // Returns the number of messages dispatched.
  int PumpUntilIdle();
  // Pumps until `done()` is true, waiting for messages in between (for work that other
  // threads finish). False when `timeoutMs` of real time passed first.
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

 private:
  Desktop() = default;
  std::shared_ptr<Presenter> CurrentPresenter() const;
  // Drops the grabs of popups hidden or gone, and tells the presenter who holds it now.
  void ReviewPointerGrab();

  mutable std::mutex m_lock;
  int m_width = 1280;
  int m_height = 800;
  int m_taskbar = 40;
  std::deque<int> m_answers;
  MessageBoxHandler m_handler;
  std::shared_ptr<Presenter> m_presenter;

  // Pointer state.
  POINT m_cursor{0, 0};
  WPARAM m_buttons = 0;  // MK_* of the buttons held
  struct LastClick {
    HWND hwnd = nullptr;
    UINT message = 0;
    POINT at{};
    ULONGLONG timeMs = 0;
  } m_lastClick;
  void PostMouse(UINT clientMessage, UINT nonClientMessage, POINT at);
  std::vector<MessageBoxCall> m_boxes;
  std::vector<HWND> m_grabs;  // popups that asked for the pointer, the holder last
};

// The answer a box of this type gives when the user just presses Enter.
int DefaultMessageBoxAnswer(UINT type);

}  // namespace display
