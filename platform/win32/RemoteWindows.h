#pragma once
// Windows of other processes.
//
// A process that owns top-level windows keeps, in the runtime folder's
// "windows" folder, a datagram socket "<pid>.sock" and a list "<pid>.list" of
// its top-level windows (handle, thread, class, title), rewritten atomically
// whenever they change. The list starts with a random number naming this run of
// the process; every packet carries the number of the list it was addressed by,
// so a later process that got the same pid never takes messages meant for the
// windows of a dead one. Another process finds a window by reading the lists;
// a list whose socket no longer answers belongs to a process that died, and is
// removed on the way, so a dead process leaves no window to be found. Posting
// sends the integers (message, wParam, lParam) to the socket; a listener thread
// in the owning process posts them to the window's queue.
//
// In the finding process a remote window is a proxy handle of its own range,
// which PostMessageW, IsWindow and GetWindowThreadProcessId recognise.
#include <string>
#include <vector>

#include "win32/WinUser.h"

namespace win32 {

bool IsRemoteWindow(HWND hwnd);
bool RemoteWindowAlive(HWND hwnd);
bool PostRemoteMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Posts a message to the top-level windows of every other living process.
void BroadcastToOtherProcesses(UINT msg, WPARAM wParam, LPARAM lParam);
DWORD RemoteWindowThreadProcessId(HWND hwnd, LPDWORD processId);

// Top-level windows of other living processes, matched by class and title (null: any;
// compared without regard to case), as proxy handles.
std::vector<HWND> FindRemoteWindows(LPCWSTR className, LPCWSTR title);

// Whether a message's parameters are plain integers, so that it may cross a process.
bool MayCrossProcess(UINT msg);

}  // namespace win32
