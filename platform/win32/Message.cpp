// Posting, sending, retrieving and dispatching messages.
#include <algorithm>

#include "win32/Clock.h"
#include "win32/KeyState.h"
#include "win32/MessageQueue.h"
#include "win32/RemoteWindows.h"
#include "win32/WinError.h"
#include "win32/WindowTable.h"

namespace win32 {
namespace {

thread_local LONG t_messageTime = 0;
thread_local DWORD t_messagePos = 0;

bool IsThreadMessageOnly(HWND hwnd) { return hwnd == reinterpret_cast<HWND>(-1); }

}  // namespace

LRESULT CallWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowRef ref = ResolveWindow(hwnd);
  if (!ref || !ref.proc) return 0;
  return ref.proc(hwnd, msg, wParam, lParam);
}

}  // namespace win32

using win32::MessageQueue;

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return PostThreadMessageW(GetCurrentThreadId(), msg, wParam, lParam);
  if (hwnd == HWND_BROADCAST) {
    for (HWND target : win32::TopLevelWindows()) PostMessageW(target, msg, wParam, lParam);
    win32::BroadcastToOtherProcesses(msg, wParam, lParam);  // the top-level windows of the session
    return TRUE;
  }
  if (win32::IsRemoteWindow(hwnd)) return win32::PostRemoteMessage(hwnd, msg, wParam, lParam) ? TRUE : FALSE;
  win32::WindowRef ref = win32::ResolveWindow(hwnd);
  if (!ref) return FALSE;
  if (!ref.queue) return TRUE;  // the desktop drops what it is posted
  MSG m{hwnd, msg, wParam, lParam, GetTickCount(), {}};
  if (!ref.queue->Post(m)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto queue = threadId == GetCurrentThreadId() ? MessageQueue::Current() : MessageQueue::ForThread(threadId);
  MSG m{nullptr, msg, wParam, lParam, GetTickCount(), {}};
  if (!queue || !queue->Post(m)) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return TRUE;
}

namespace {

// Sends to a window; `deadlineMs` bounds the wait for another thread (Clock::kNever: none).
// False when the window is gone, its thread ended, or the deadline passed.
bool SendTo(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, ULONGLONG deadlineMs, LRESULT* result) {
  *result = 0;
  if (win32::IsRemoteWindow(hwnd)) {
    // Only integers cross a process, and a reply cannot: sending there is refused.
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  win32::WindowRef ref = win32::ResolveWindow(hwnd);
  if (!ref) return false;
  if (!ref.queue) return true;
  if (ref.threadId == GetCurrentThreadId()) {
    *result = win32::CallWindow(hwnd, msg, wParam, lParam);
    return true;
  }
  auto self = MessageQueue::Current();
  auto sent = std::make_shared<win32::SentMessage>(win32::SentMessage{hwnd, msg, wParam, lParam, 0, false, self, {}});
  if (!ref.queue->PushSent(sent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  if (!self->WaitForReply(sent, deadlineMs)) {
    SetLastError(ERROR_TIMEOUT);
    return false;
  }
  *result = sent->result;
  return true;
}

}  // namespace

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    for (HWND target : win32::TopLevelWindows()) SendMessageW(target, msg, wParam, lParam);
    return 0;
  }
  LRESULT result = 0;
  SendTo(hwnd, msg, wParam, lParam, win32::Clock::kNever, &result);
  return result;
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT, UINT timeoutMs,
                            PDWORD_PTR result) {
  LRESULT value = 0;
  bool ok = SendTo(hwnd, msg, wParam, lParam, win32::CurrentClock().DeadlineAfter(timeoutMs), &value);
  if (result) *result = static_cast<DWORD_PTR>(value);
  return ok ? 1 : 0;
}

BOOL SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  win32::WindowRef ref = win32::ResolveWindow(hwnd);
  if (!ref) return FALSE;
  if (!ref.queue) return TRUE;
  if (ref.threadId == GetCurrentThreadId()) {
    win32::CallWindow(hwnd, msg, wParam, lParam);
    return TRUE;
  }
  auto sent = std::make_shared<win32::SentMessage>(win32::SentMessage{hwnd, msg, wParam, lParam, 0, false, nullptr, {}});
  if (!ref.queue->PushSent(sent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  auto queue = MessageQueue::Current();
  auto removal = (removeFlags & PM_REMOVE) ? win32::Removal::Remove : win32::Removal::Keep;
  if (!queue->Retrieve(msg, hwnd, filterMin, filterMax, removal)) return FALSE;
  // Messages made at retrieval (timers, paint, quit) carry the pointer's
  // position of that moment, as queued input carries its own.
  if (msg->message == WM_TIMER || msg->message == WM_PAINT || msg->message == WM_QUIT) GetCursorPos(&msg->pt);
  win32::t_messageTime = static_cast<LONG>(msg->time);
  win32::t_messagePos = MAKELONG(static_cast<WORD>(msg->pt.x), static_cast<WORD>(msg->pt.y));
  return TRUE;
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) {
    SetLastError(ERROR_NOACCESS);
    return -1;
  }
  if (hwnd && !win32::IsThreadMessageOnly(hwnd) && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  auto queue = MessageQueue::Current();
  while (!PeekMessageW(msg, hwnd, filterMin, filterMax, PM_REMOVE)) queue->WaitForInput();
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage() {
  MessageQueue::Current()->WaitForInput();
  return TRUE;
}

DWORD GetQueueStatus(UINT flags) {
  DWORD bits = MessageQueue::Current()->Status() & flags;
  return (bits << 16) | bits;
}

namespace {

// The character a key gives with the keyboard's state (a US layout), or 0 for none.
wchar_t CharacterOf(UINT vk) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  if (vk >= 'A' && vk <= 'Z') {
    if (control) return static_cast<wchar_t>(vk - 'A' + 1);  // Ctrl+A is 1, Ctrl+Z 26
    bool upper = shift != ((GetKeyState(VK_CAPITAL) & 1) != 0);
    return static_cast<wchar_t>(upper ? vk : vk - 'A' + 'a');
  }
  if (control) return 0;
  if (vk >= '0' && vk <= '9') return shift ? L")!@#$%^&*("[vk - '0'] : static_cast<wchar_t>(vk);
  switch (vk) {
    case VK_SPACE: return L' ';
    case VK_RETURN: return L'\r';
    case VK_BACK: return L'\b';
    case VK_TAB: return L'\t';
    case VK_ESCAPE: return 0x1B;
    case VK_OEM_MINUS: return shift ? L'_' : L'-';
    case VK_OEM_PLUS: return shift ? L'+' : L'=';
    case VK_OEM_COMMA: return shift ? L'<' : L',';
    case VK_OEM_PERIOD: return shift ? L'>' : L'.';
    case VK_OEM_1: return shift ? L':' : L';';
    case VK_OEM_2: return shift ? L'?' : L'/';
    case VK_OEM_3: return shift ? L'~' : L'`';
    case VK_OEM_4: return shift ? L'{' : L'[';
    case VK_OEM_5: return shift ? L'|' : L'\\';
    case VK_OEM_6: return shift ? L'}' : L']';
    case VK_OEM_7: return shift ? L'"' : L'\'';
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<wchar_t>(L'0' + (vk - VK_NUMPAD0));
  return 0;
}

}  // namespace

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  // The character comes next, before any input queued after its key (the key's release).
  if (wchar_t c = CharacterOf(static_cast<UINT>(msg->wParam))) {
    MessageQueue::Current()->PostNext(MSG{msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                                          static_cast<WPARAM>(c), msg->lParam, msg->time, msg->pt});
  }
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER) {
    auto queue = MessageQueue::Current();
    // A timer killed after its message was retrieved delivers nothing.
    if (!queue->HasTimer(msg->hwnd, msg->wParam)) return 0;
    if (msg->lParam) {
      reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
      return 0;
    }
  }
  if (!msg->hwnd) return 0;
  win32::WindowRef ref = win32::ResolveWindow(msg->hwnd);
  if (!ref) return 0;
  if (ref.threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_MESSAGE_SYNC_ONLY);
    return 0;
  }
  if (msg->message == WM_PAINT) return win32::SendPaint(msg->hwnd, msg->wParam, msg->lParam);
  return win32::CallWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode) { MessageQueue::Current()->PostQuit(exitCode); }

BOOL InSendMessage() { return win32::InCrossThreadSend() ? TRUE : FALSE; }

DWORD InSendMessageEx(LPVOID) { return win32::InCrossThreadSend() ? ISMEX_SEND : ISMEX_NOSEND; }

LONG GetMessageTime() { return win32::t_messageTime; }

DWORD GetMessagePos() { return win32::t_messagePos; }
