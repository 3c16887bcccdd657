#include "win32/MessageQueue.h"

#include <algorithm>
#include <unordered_map>

#include "win32/Clock.h"
#include "win32/Event.h"
#include "win32/Handle.h"
#include "win32/WinError.h"
#include "win32/WindowTable.h"

namespace win32 {
namespace {

struct QueueRegistry {
  std::mutex lock;
  std::unordered_map<DWORD, std::weak_ptr<MessageQueue>> queues;
};

QueueRegistry& Registry() {
  static QueueRegistry* registry = new QueueRegistry;
  return *registry;
}

// Closes the thread's queue when the thread ends.
struct ThreadQueueHolder {
  std::shared_ptr<MessageQueue> queue;
  ~ThreadQueueHolder() {
    if (queue) queue->Close();
  }
};

thread_local ThreadQueueHolder t_holder;
thread_local int t_crossThreadSendDepth = 0;
thread_local std::shared_ptr<const KeySnapshot> t_retrievedKeys;

// Collects a window and its descendants. Callers hold WindowLock().
void CollectTree(HWND hwnd, std::vector<HWND>& out) {
  Window* w = LookupWindowLocked(hwnd);
  if (!w) return;
  out.push_back(hwnd);
  for (HWND child : w->children) CollectTree(child, out);
}

}  // namespace

MessageFilter::MessageFilter(HWND filter, UINT filterMin, UINT filterMax)
    : hwnd(filter), min(filterMin), max(filterMax) {
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1)) {
    std::lock_guard guard(WindowLock());
    CollectTree(hwnd, accepted);
  }
}

bool MessageFilter::AcceptsWindow(HWND target) const {
  if (!hwnd) return true;
  if (hwnd == reinterpret_cast<HWND>(-1)) return target == nullptr;
  return std::find(accepted.begin(), accepted.end(), target) != accepted.end();
}

bool MessageFilter::AcceptsMessage(UINT msg) const {
  if (msg == WM_QUIT) return true;  // WM_QUIT is retrieved whatever the range
  if (min == 0 && max == 0) return true;
  return msg >= min && msg <= max;
}

bool InCrossThreadSend() { return t_crossThreadSendDepth > 0; }

const KeySnapshot* RetrievedKeyState() { return t_retrievedKeys.get(); }

MessageQueue::MessageQueue(DWORD threadId) : m_threadId(threadId) {}

MessageQueue::~MessageQueue() = default;

std::shared_ptr<MessageQueue> MessageQueue::Current() {
  if (!t_holder.queue) {
    auto queue = std::make_shared<MessageQueue>(GetCurrentThreadId());
    auto& r = Registry();
    std::lock_guard guard(r.lock);
    r.queues[queue->ThreadId()] = queue;
    t_holder.queue = std::move(queue);
  }
  return t_holder.queue;
}

std::shared_ptr<MessageQueue> MessageQueue::CurrentIfAny() { return t_holder.queue; }

std::shared_ptr<MessageQueue> MessageQueue::ForThread(DWORD threadId) {
  auto& r = Registry();
  std::lock_guard guard(r.lock);
  auto it = r.queues.find(threadId);
  return it == r.queues.end() ? nullptr : it->second.lock();
}

template <typename Add>
bool MessageQueue::Arrive(Add add) {
  {
    std::lock_guard guard(m_lock);
    if (m_closed) return false;
    add();
    m_woken = true;
  }
  Notify();
  return true;
}

bool MessageQueue::Post(const MSG& msg, std::shared_ptr<const KeySnapshot> keys) {
  return Arrive([&] { m_posted.push_back(Queued{msg, std::move(keys)}); });
}

bool MessageQueue::PostNext(const MSG& msg) {
  return Arrive([&] { m_posted.push_front(Queued{msg, nullptr}); });
}

bool MessageQueue::PushSent(std::shared_ptr<SentMessage> sent) {
  return Arrive([&] { m_sent.push_back(std::move(sent)); });
}

bool MessageQueue::PushTask(std::function<void()> task) {
  auto sent = std::make_shared<SentMessage>();
  sent->task = std::move(task);
  return PushSent(std::move(sent));
}

bool MessageQueue::PushInput(std::function<void()> input) {
  return Arrive([&] { m_input.push_back(std::move(input)); });
}

namespace {

bool IsInputMessage(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
         (msg >= WM_NCMOUSEMOVE && msg <= 0x00AD);  // through WM_NCXBUTTONDBLCLK
}

}  // namespace

bool MessageQueue::InputPendingLocked() const {
  return std::any_of(m_posted.begin(), m_posted.end(), [](const Queued& q) { return IsInputMessage(q.msg.message); });
}

void MessageQueue::ConvertInput() {
  std::function<void()> input;
  {
    std::lock_guard guard(m_lock);
    if (m_input.empty() || InputPendingLocked()) return;
    input = std::move(m_input.front());
    m_input.pop_front();
  }
  input();
}

void MessageQueue::PostQuit(int exitCode) {
  {
    std::lock_guard guard(m_lock);
    m_quit = true;
    m_quitCode = exitCode;
    m_woken = true;
  }
  Notify();
}

void MessageQueue::Wake() {
  {
    std::lock_guard guard(m_lock);
    m_woken = true;
  }
  Notify();
}

void MessageQueue::Notify() {
  m_wake.notify_all();
  if (m_inputWaiters.load() > 0) SetEvent(m_inputEvent.load());
}

HANDLE MessageQueue::InputEvent() {
  if (!m_inputEvent.load()) m_inputEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return m_inputEvent.load();
}

ULONGLONG MessageQueue::NextTimerDue() {
  std::lock_guard guard(m_lock);
  ULONGLONG due = Clock::kNever;
  for (auto& t : m_timers) due = std::min(due, t.dueMs);
  return due;
}

void MessageQueue::Complete(const std::shared_ptr<SentMessage>& sent, LRESULT result) {
  if (!sent->sender) return;
  {
    std::lock_guard guard(sent->sender->m_lock);
    sent->result = result;
    sent->done = true;
    sent->sender->m_woken = true;
  }
  sent->sender->Notify();
}

bool MessageQueue::ServeSent() {
  bool served = false;
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    {
      std::lock_guard guard(m_lock);
      if (m_sent.empty()) return served;
      sent = std::move(m_sent.front());
      m_sent.pop_front();
    }
    served = true;
    if (sent->task) {
      sent->task();
      continue;
    }
    ++t_crossThreadSendDepth;
    LRESULT result = CallWindow(sent->hwnd, sent->msg, sent->wParam, sent->lParam);
    --t_crossThreadSendDepth;
    Complete(sent, result);
  }
}

bool MessageQueue::Retrieve(MSG* out, HWND filterHwnd, UINT filterMin, UINT filterMax, Removal removal) {
  ServeSent();
  ConvertInput();
  MessageFilter filter(filterHwnd, filterMin, filterMax);
  {
    std::lock_guard guard(m_lock);
    m_woken = false;
    for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
      if (!filter.AcceptsMessage(it->msg.message)) continue;
      if (it->msg.message != WM_QUIT && !filter.AcceptsWindow(it->msg.hwnd)) continue;
      *out = it->msg;
      if (removal == Removal::Remove) {
        if (it->keys) t_retrievedKeys = it->keys;
        m_posted.erase(it);
      }
      return true;
    }
  }
  if (filter.AcceptsMessage(WM_PAINT)) {
    if (HWND hwnd = FindWindowToPaint(m_threadId, filter)) {
      *out = MSG{hwnd, WM_PAINT, 0, 0, static_cast<DWORD>(GetTickCount()), {}};
      return true;  // stays until the window is validated
    }
  }
  std::lock_guard guard(m_lock);
  if (TakeTimerLocked(out, filter, removal)) return true;
  if (m_quit) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(m_quitCode), 0, static_cast<DWORD>(GetTickCount()), {}};
    if (removal == Removal::Remove) m_quit = false;
    return true;
  }
  return false;
}

bool MessageQueue::TakeTimerLocked(MSG* out, const MessageFilter& filter, Removal removal) {
  if (!filter.AcceptsMessage(WM_TIMER) || m_timers.empty()) return false;
  ULONGLONG now = CurrentClock().NowMs();
  ThreadTimer* best = nullptr;
  for (auto& t : m_timers) {
    if (t.dueMs > now || !filter.AcceptsWindow(t.hwnd)) continue;
    if (!best || t.dueMs < best->dueMs) best = &t;
  }
  if (!best) return false;
  *out = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), static_cast<DWORD>(now), {}};
  // One WM_TIMER however late: the next is due a full period after this retrieval.
  if (removal == Removal::Remove) best->dueMs = now + best->periodMs;
  return true;
}

// Something new: what waits in the queue already did not pass the caller's filter, so
// only an arrival (or a sent message, served whatever the filter) is worth a look.
bool MessageQueue::HasWorkLocked() const {
  return m_woken || !m_sent.empty() || (!m_input.empty() && !InputPendingLocked());
}

void MessageQueue::WaitForInput() {
  std::unique_lock lock(m_lock);
  // Timers due already were left by the filter; the next one to fall due ends the wait.
  ULONGLONG now = CurrentClock().NowMs();
  ULONGLONG deadline = Clock::kNever;
  for (auto& t : m_timers) {
    if (t.dueMs > now) deadline = std::min(deadline, t.dueMs);
  }
  // Woken by posts, sends, invalidation and quit; the clock wakes it when a timer falls due.
  CurrentClock().WaitUntil(lock, m_wake, deadline, [this] { return HasWorkLocked(); });
  m_woken = false;
}

void MessageQueue::WaitForInputFor(std::chrono::milliseconds slice) {
  std::unique_lock lock(m_lock);
  m_wake.wait_for(lock, slice, [this] { return HasWorkLocked(); });
  m_woken = false;
}

bool MessageQueue::WaitForReply(const std::shared_ptr<SentMessage>& sent, ULONGLONG deadlineMs) {
  for (;;) {
    ServeSent();
    std::unique_lock lock(m_lock);
    if (sent->done) return true;
    bool ready = CurrentClock().WaitUntil(lock, m_wake, deadlineMs, [&] { return sent->done || !m_sent.empty(); });
    if (sent->done) return true;
    if (!ready) return false;
  }
}

DWORD MessageQueue::Status() {
  DWORD bits = 0;
  {
    std::lock_guard guard(m_lock);
    if (!m_sent.empty()) bits |= QS_SENDMESSAGE;
    if (!m_input.empty()) bits |= QS_INPUT;
    if (!m_posted.empty() || m_quit) bits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    ULONGLONG now = CurrentClock().NowMs();
    for (auto& t : m_timers) {
      if (t.dueMs <= now) bits |= QS_TIMER;
    }
  }
  if (FindWindowToPaint(m_threadId, MessageFilter(nullptr, 0, 0))) bits |= QS_PAINT;
  return bits;
}

UINT_PTR MessageQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc, UINT minimumMs) {
  elapseMs = std::clamp(elapseMs, std::max(minimumMs, 1u), USER_TIMER_MAXIMUM);
  ULONGLONG due = CurrentClock().NowMs() + elapseMs;
  std::lock_guard guard(m_lock);
  auto it = std::find_if(m_timers.begin(), m_timers.end(),
                         [&](const ThreadTimer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it != m_timers.end() && (hwnd || id != 0)) {
    it->periodMs = elapseMs;
    it->dueMs = due;
    it->proc = proc;
    return hwnd ? id : it->id;
  }
  if (!hwnd) {
    // A thread timer gets a fresh id of its own.
    do {
      id = m_nextThreadTimerId++;
    } while (id == 0 || std::any_of(m_timers.begin(), m_timers.end(),
                                    [&](const ThreadTimer& t) { return !t.hwnd && t.id == id; }));
  }
  m_timers.push_back(ThreadTimer{hwnd, id, elapseMs, due, proc});
  return hwnd ? (id ? id : 1) : id;
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id) {
  std::lock_guard guard(m_lock);
  auto it = std::find_if(m_timers.begin(), m_timers.end(),
                         [&](const ThreadTimer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == m_timers.end()) return false;
  m_timers.erase(it);
  return true;
}

bool MessageQueue::HasTimer(HWND hwnd, UINT_PTR id) {
  std::lock_guard guard(m_lock);
  return std::any_of(m_timers.begin(), m_timers.end(),
                     [&](const ThreadTimer& t) { return t.hwnd == hwnd && t.id == id; });
}

void MessageQueue::KillTimersOf(HWND hwnd) {
  std::lock_guard guard(m_lock);
  std::erase_if(m_timers, [&](const ThreadTimer& t) { return t.hwnd == hwnd; });
}

void MessageQueue::Close() {
  std::deque<std::shared_ptr<SentMessage>> pending;
  {
    std::lock_guard guard(m_lock);
    if (m_closed) return;
    m_closed = true;
    pending.swap(m_sent);
    m_posted.clear();
    m_input.clear();
    m_timers.clear();
  }
  for (auto& sent : pending) Complete(sent, 0);
  if (HANDLE event = m_inputEvent.exchange(nullptr)) CloseHandle(event);
  {
    auto& r = Registry();
    std::lock_guard guard(r.lock);
    auto it = r.queues.find(m_threadId);
    if (it != r.queues.end() && it->second.lock().get() == this) r.queues.erase(it);
  }
  // The thread's windows end with it.
  bool topLevelGone = false;
  {
    std::lock_guard guard(WindowLock());
    for (HWND hwnd : WindowsOfThreadLocked(m_threadId)) {
      Window* w = LookupWindowLocked(hwnd);
      if (w && w->queue.get() == this) {
        topLevelGone |= !w->parent;
        RemoveWindowLocked(hwnd);
      }
    }
  }
  if (topLevelGone) NotifyTopLevelChanged();
}

}  // namespace win32
