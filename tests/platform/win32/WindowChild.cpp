// The second process of the cross-process window tests.
//   post <class> <title> <msg> <wParam> <lParam>   finds the window and posts it the message;
//                                                  exit 0 posted, 1 not found, 2 post failed
//   host <class> <title>                           owns such a window, prints "ready", runs its
//                                                  message loop until killed or sent WM_CLOSE
//                                                  (exit 0) or WM_USER + 99 (exit with its wParam)
//   register <name>                                prints RegisterWindowMessageW's id
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "win32/Windows.h"

namespace {

std::wstring Wide(const char* s) { return std::wstring(s, s + std::strlen(s)); }

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  if (msg == WM_USER + 99) PostQuitMessage(static_cast<int>(wParam));
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::strcmp(argv[1], "post") == 0) {
    HWND hwnd = FindWindowExW(nullptr, nullptr, Wide(argv[2]).c_str(), Wide(argv[3]).c_str());
    if (!hwnd) return 1;
    UINT msg = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
    return PostMessageW(hwnd, msg, std::strtoull(argv[5], nullptr, 0), std::strtoll(argv[6], nullptr, 0)) ? 0 : 2;
  }
  if (argc == 4 && std::strcmp(argv[1], "host") == 0) {
    std::wstring cls = Wide(argv[2]);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = cls.c_str();
    if (!RegisterClassExW(&wc)) return 3;
    if (!CreateWindowExW(0, cls.c_str(), Wide(argv[3]).c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                         nullptr, nullptr, nullptr))
      return 4;
    std::printf("ready\n");
    std::fflush(stdout);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    return static_cast<int>(m.wParam);
  }
  if (argc == 3 && std::strcmp(argv[1], "register") == 0) {
    std::printf("%u\n", RegisterWindowMessageW(Wide(argv[2]).c_str()));
    return 0;
  }
  return 64;
}
