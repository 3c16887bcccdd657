#pragma once
// One message queue per thread, made on first use and found through
// thread-local storage (or by thread id, for PostThreadMessageW).
//
// Any thread may post to a queue or hand it a sent message; only the owning
// thread retrieves. Retrieval follows Windows' order: sent messages are served
// first (inside the retrieval, never returned), then posted messages, then
// WM_PAINT for a window that needs painting, then a due WM_TIMER, then WM_QUIT.
// When the thread ends, its queue closes: pending senders are released with a
// result of 0 and the thread's windows go away.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "win32/WinUser.h"

namespace win32 {

class MessageQueue;

// A message sent to a window of another thread; the sender waits for `done`.
struct SentMessage {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;                       // guarded by the sender's queue lock
  std::shared_ptr<MessageQueue> sender;    // null for SendNotifyMessageW: nobody waits
  std::function<void()> task;              // set: run on the thread in place of a window's procedure
};

struct ThreadTimer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT periodMs = 0;
  ULONGLONG dueMs = 0;
  TIMERPROC proc = nullptr;
};

enum class Removal { Keep, Remove };

// The keys and buttons held when an input message was made: GetKeyState answers from the
// one of the last input message the thread retrieved, as on Windows.
using KeySnapshot = std::array<BYTE, 256>;

// Which windows a retrieval accepts: all of the thread's (null), thread messages only
// ((HWND)-1), or one window and its descendants.
struct MessageFilter {
  HWND hwnd = nullptr;
  UINT min = 0;
  UINT max = 0;
  std::vector<HWND> accepted;  // the window and its descendants, for a window filter

  MessageFilter(HWND filter, UINT filterMin, UINT filterMax);
  bool AcceptsWindow(HWND target) const;
  bool AcceptsMessage(UINT msg) const;
};


class MessageQueue {
 public:
  explicit MessageQueue(DWORD threadId);
  ~MessageQueue();

  // The calling thread's queue, made on first use.
  static std::shared_ptr<MessageQueue> Current();
  // The calling thread's queue if it has one yet.
  static std::shared_ptr<MessageQueue> CurrentIfAny();
  // The queue of a live thread that has one, or null.
  static std::shared_ptr<MessageQueue> ForThread(DWORD threadId);

  DWORD ThreadId() const { return m_threadId; }

  // From any thread. False when the thread has ended.
  bool Post(const MSG& msg, std::shared_ptr<const KeySnapshot> keys = nullptr);
  // Posts ahead of everything queued (what TranslateMessage makes of the key just taken).
  bool PostNext(const MSG& msg);
  bool PushSent(std::shared_ptr<SentMessage> sent);
  // Runs `task` on the owning thread where it serves sent messages (inside any retrieval,
  // modal loops included), in the order pushed. False when the thread has ended.
  bool PushTask(std::function<void()> task);
  // Input from a real device (a press, a move, a key) that becomes messages on the owning
  // thread. As in Windows' raw input queue, the next one is turned into messages only once
  // the thread has taken the input messages of the one before, so it finds the capture,
  // focus and windows as they are then (a press that starts a move loop takes the moves
  // after it, even outside the window). False when the thread has ended.
  bool PushInput(std::function<void()> input);
  void PostQuit(int exitCode);
  // Wakes the owning thread so that it looks again (new paint, changed timers).
  void Wake();

  // Owning thread: serves sent messages, then looks for a message in Windows' order.
  bool Retrieve(MSG* out, HWND filter, UINT filterMin, UINT filterMax, Removal removal);
  // Owning thread: serves every sent message waiting now. True when it served any.
  bool ServeSent();
  // Owning thread: blocks until something arrives or a timer falls due.
  void WaitForInput();
  // Owning thread: the same, but for at most `slice` of real time.
  void WaitForInputFor(std::chrono::milliseconds slice);
  // Owning thread: blocks, serving sent messages meanwhile, until `sent` is done.
  // Returns false when the deadline (clock ms, Clock::kNever for none) passed first.
  bool WaitForReply(const std::shared_ptr<SentMessage>& sent, ULONGLONG deadlineMs);
  // Marks a sent message done and wakes its sender.
  static void Complete(const std::shared_ptr<SentMessage>& sent, LRESULT result);
  // The QS_* bits of what is waiting now.
  DWORD Status();

  // Timers of this thread (owning thread only).
  // SetTimer keeps to USER_TIMER_MINIMUM; the system's own timers (hover) may go lower.
  UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc, UINT minimumMs = USER_TIMER_MINIMUM);
  bool KillTimer(HWND hwnd, UINT_PTR id);
  bool HasTimer(HWND hwnd, UINT_PTR id);
  void KillTimersOf(HWND hwnd);

  // The clock time at which the next timer falls due (Clock::kNever: none).
  ULONGLONG NextTimerDue();

  // An event set whenever something arrives while a thread waits for kernel objects
  // and messages together (MsgWaitForMultipleObjects); counted by the waiters.
  HANDLE InputEvent();
  void AddInputWaiter() { ++m_inputWaiters; }
  void RemoveInputWaiter() { --m_inputWaiters; }

  // Ends the queue: releases waiting senders, refuses new messages.
  void Close();

 private:
  // Adds an arrival under the lock and wakes the thread; false once the queue is closed.
  template <typename Add>
  bool Arrive(Add add);
  bool HasWorkLocked() const;
  bool InputPendingLocked() const;
  // Turns the next device input into messages when nothing of the one before waits.
  void ConvertInput();
  void Notify();
  bool TakeTimerLocked(MSG* out, const MessageFilter& filter, Removal removal);

  const DWORD m_threadId;
  std::mutex m_lock;
  std::condition_variable m_wake;
  bool m_woken = false;
  bool m_closed = false;
  struct Queued {
    MSG msg;
    std::shared_ptr<const KeySnapshot> keys;  // input messages only
  };
  std::deque<Queued> m_posted;
  std::deque<std::shared_ptr<SentMessage>> m_sent;
  std::deque<std::function<void()>> m_input;
  bool m_quit = false;
  int m_quitCode = 0;
  std::vector<ThreadTimer> m_timers;
  UINT_PTR m_nextThreadTimerId = 1;
  std::atomic<int> m_inputWaiters{0};
  std::atomic<HANDLE> m_inputEvent{nullptr};
};

// True when the calling thread is serving a message sent by another thread.
bool InCrossThreadSend();

// The key state of the last input message the calling thread retrieved (null: none yet).
const KeySnapshot* RetrievedKeyState();

// Calls a window's procedure on the calling thread (defined with the message functions).
LRESULT CallWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// A visible window of the thread that needs painting and passes the filter, or null
// (defined with the painting functions).
HWND FindWindowToPaint(DWORD threadId, const MessageFilter& filter);
// Sends WM_PAINT and validates the window if its procedure painted nothing.
LRESULT SendPaint(HWND hwnd, WPARAM wParam, LPARAM lParam);

}  // namespace win32
