#pragma once
// A request that a window runs off its own thread, so that the window keeps
// pumping while it waits: the work goes to a thread pool, and its answer comes
// back as a message posted to the window (wParam: the request's ticket). The
// window gives up on its own time limit; an answer that arrives after that,
// after a newer request, or after the window went is dropped.
//
// Start, Take and Abandon belong to the window's thread; the work runs on a
// pool thread and must not reach the window or its controls.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "base/MyThreadsPool.h"
#include "base/WorkTask.h"
#include "win32/WinUser.h"

template <typename Result>
class BackgroundRequest {
 public:
  // Posts `work` to `pool`; once it has run, its result is kept and `message`
  // is posted to `window`. A request still pending is abandoned first. False
  // when the pool took nothing (then nothing is pending).
  bool Start(juce::MyThreadsPool* pool, HWND window, UINT message, std::function<Result()> work) {
    Abandon();
    if (!pool) return false;
    auto slot = std::make_shared<Slot>();
    const WPARAM ticket = s_nextTicket.fetch_add(1) + 1;
    if (!pool->PostWorkTask(new Task(slot, window, message, ticket, std::move(work)), true)) return false;
    m_pending = std::move(slot);
    m_ticket = ticket;
    return true;
  }

  bool IsPending() const { return m_pending != nullptr; }

  // The result that the answer with this ticket announced; nothing for an
  // answer nobody waits for any more. The request is no longer pending.
  std::optional<Result> Take(WPARAM ticket) {
    if (!m_pending || ticket != m_ticket) return std::nullopt;
    std::optional<Result> result;
    {
      std::lock_guard<std::mutex> hold(m_pending->lock);
      result = std::move(m_pending->result);
    }
    m_pending.reset();
    return result;
  }

  // Stops waiting: the answer of the pending request will be dropped.
  void Abandon() { m_pending.reset(); }

 private:
  // Shared by the window's side and the task, which may outlive the window.
  struct Slot {
    std::mutex lock;
    std::optional<Result> result;
  };

  class Task final : public juce::_WORK_TASK {
   public:
    Task(std::shared_ptr<Slot> slot, HWND window, UINT message, WPARAM ticket, std::function<Result()> work)
        : _WORK_TASK("BackgroundRequest"),
          m_slot(std::move(slot)),
          m_window(window),
          m_message(message),
          m_ticket(ticket),
          m_work(std::move(work)) {}

    int ExecuteWorkTask() override {
      Result result = m_work();
      {
        std::lock_guard<std::mutex> hold(m_slot->lock);
        m_slot->result = std::move(result);
      }
      // A window that is gone refuses the post; the answer is dropped with the slot.
      ::PostMessageW(m_window, m_message, m_ticket, 0);
      return 0;
    }

   private:
    std::shared_ptr<Slot> m_slot;
    HWND m_window;
    UINT m_message;
    WPARAM m_ticket;
    std::function<Result()> m_work;
  };

  static inline std::atomic<WPARAM> s_nextTicket{0};
  std::shared_ptr<Slot> m_pending;
  WPARAM m_ticket = 0;
};
