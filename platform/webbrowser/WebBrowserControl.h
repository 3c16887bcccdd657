#pragma once
// The system's web browser control (CLSID_WebBrowser), made by CoCreateInstance. Its
// page runs in a helper process, DorvWebHost, which holds the web engine: the control
// is a child window whose area the helper's view covers on the display (embedded in
// the top-level window's X window), or, with no window on a display, a view the helper
// keeps off-screen. The control speaks to the helper over a socket (WebHostWire.h).
//
// The helper is $DORV_WEBHOST, else DorvWebHost beside the running program. It must be
// able to reach an X display ($DISPLAY): without one the control cannot be made.
#include <sys/types.h>

#include "win32/OleAuto.h"
#include "win32/WinDef.h"

namespace webbrowser {

HRESULT CreateWebBrowser(REFIID iid, void** out);

// For tests: the helper process of the browser control whose window is `hwnd` (0: none).
pid_t HelperProcessOf(HWND hwnd);

}  // namespace webbrowser
