// Waiting for kernel objects and messages together.
#include <algorithm>
#include <vector>

#include "win32/Clock.h"
#include "win32/Event.h"
#include "win32/MessageQueue.h"
#include "win32/Wait.h"
#include "win32/WinError.h"

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs, DWORD wakeMask) {
  if (count >= MAXIMUM_WAIT_OBJECTS || (count && !handles)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  if (waitAll) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return WAIT_FAILED;
  }
  auto queue = win32::MessageQueue::Current();
  HANDLE input = queue->InputEvent();
  if (!input) return WAIT_FAILED;
  std::vector<HANDLE> all(handles, handles + count);
  all.push_back(input);

  struct Waiting {
    win32::MessageQueue& q;
    explicit Waiting(win32::MessageQueue& queue) : q(queue) { q.AddInputWaiter(); }
    ~Waiting() { q.RemoveInputWaiter(); }
  } waiting(*queue);

  win32::Clock& clock = win32::CurrentClock();
  const ULONGLONG deadline = clock.DeadlineAfter(timeoutMs);
  for (;;) {
    ResetEvent(input);  // before looking, so that anything arriving later sets it again
    if (queue->Status() & wakeMask) return WAIT_OBJECT_0 + count;
    ULONGLONG until = deadline;
    if (wakeMask & QS_TIMER) until = std::min(until, queue->NextTimerDue());
    ULONGLONG now = clock.NowMs();
    DWORD waitMs = until == win32::Clock::kNever ? INFINITE
                   : until <= now                ? 0
                                                 : static_cast<DWORD>(std::min<ULONGLONG>(until - now, INFINITE - 1));
    DWORD result = WaitForMultipleObjects(count + 1, all.data(), FALSE, waitMs);
    if (result == WAIT_OBJECT_0 + count) continue;  // input: look at what came
    if (result == WAIT_TIMEOUT) {
      if (clock.NowMs() >= deadline) return WAIT_TIMEOUT;
      continue;  // a timer fell due
    }
    return result;
  }
}
