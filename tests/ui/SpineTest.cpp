// The scoped lock, the background task's states and the form manager's look-ups.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "UiTestSupport.h"
#include "ui/BackUpdateTask.h"
#include "ui/UILock.h"
#include "ui/UIForm.h"
#include "ui/UIManager.h"

namespace {

using UI::BackUpdateTask;

TEST(UILockTest, ATryOnASectionHeldElsewhereHoldsNothingAndLeavesNothing) {
  CRITICAL_SECTION* section = UI::UILock::CreateLock();
  HANDLE held = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    UI::UILock lock(section, FALSE);
    ::SetEvent(held);
    ::WaitForSingleObject(done, INFINITE);
  });
  ::WaitForSingleObject(held, INFINITE);
  {
    UI::UILock tried(section, TRUE);
    EXPECT_FALSE(tried.IsHeld());
  }
  ::SetEvent(done);
  holder.join();
  {
    UI::UILock tried(section, TRUE);  // free now; the failed guard left nothing behind
    EXPECT_TRUE(tried.IsHeld());
  }
  UI::UILock none(nullptr, FALSE);
  EXPECT_FALSE(none.IsHeld());
  UI::UILock::ReleaseLock(section);
  ::CloseHandle(held);
  ::CloseHandle(done);
}

// A job that runs once per start or wake-up and tells the test each time it waits.
class CountingTask : public BackUpdateTask {
 public:
  explicit CountingTask(std::atomic<int>* destroyed) : m_destroyed(destroyed) {
    m_waiting = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_gate = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~CountingTask() override {
    ::CloseHandle(m_waiting);
    ::CloseHandle(m_gate);
    ++*m_destroyed;
  }
  void OnCreate() override { m_pRoutine = &CountingTask::Work; }

  static void Work(void* argument) {
    auto* task = static_cast<CountingTask*>(argument);
    ++task->starts;
    ::WaitForSingleObject(task->m_gate, INFINITE);  // the test opens it
    for (;;) {
      {
        UI::UILock lock(task->GetLock(), FALSE);
        if (task->GetState() == kKilled) break;
        task->SetState(kRunning);
      }
      ++task->runs;
      {
        UI::UILock lock(task->GetLock(), FALSE);
        if (task->GetState() == kKilled) break;
        if (task->GetState() == kRestart) continue;
        task->SetState(kWaiting);
        ::ResetEvent(task->GetWakeEvent());
      }
      ::SetEvent(task->m_waiting);
      ::WaitForSingleObject(task->GetWakeEvent(), INFINITE);
    }
    ::SetEvent(task->GetDoneEvent());
  }

  std::atomic<int> starts{0};
  std::atomic<int> runs{0};
  HANDLE m_waiting;
  HANDLE m_gate;
  std::atomic<int>* m_destroyed;
};

TEST(BackUpdateTaskTest, StartedOnceWokenWhileWaitingAndEndedByKill) {
  std::atomic<int> destroyed{0};
  int data = 0;
  auto* task = new CountingTask(&destroyed);
  EXPECT_EQ(BackUpdateTask::CreateTask(task, nullptr), nullptr);
  ASSERT_EQ(BackUpdateTask::CreateTask(task, &data), task);
  EXPECT_EQ(BackUpdateTask::ResetUpdateTask(task), 0);  // idle

  EXPECT_EQ(BackUpdateTask::BeginUpdateTask(task), 1);
  EXPECT_EQ(BackUpdateTask::BeginUpdateTask(task), 1);  // before the worker ran: no second worker
  ::SetEvent(task->m_gate);
  ASSERT_EQ(::WaitForSingleObject(task->m_waiting, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(task->GetState(), BackUpdateTask::kWaiting);

  EXPECT_EQ(BackUpdateTask::BeginUpdateTask(task), 1);  // wakes it: one more run
  ASSERT_EQ(::WaitForSingleObject(task->m_waiting, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(task->starts, 1);
  EXPECT_EQ(task->runs, 2);

  BackUpdateTask::KillUpdateTask(task);
  EXPECT_EQ(task->GetState(), BackUpdateTask::kKilled);
  EXPECT_EQ(BackUpdateTask::BeginUpdateTask(task), 0);
  task->Release();
  EXPECT_EQ(destroyed, 1);  // the derived destructor ran
}

class IdForm : public UI::CUIForm {
 public:
  explicit IdForm(const wchar_t* id) { SetObjectID(id); }
};

TEST(UIManagerTest, FormsAreFoundByExactIdAndOnceFormsByName) {
  UI::CUIManager* manager = UI::CUIManager::GetInstance();
  IdForm main(L"MainForm"), lower(L"mainform"), second(L"MainForm");
  EXPECT_EQ(manager->IsExist(CString(L"MainForm")), &main);
  EXPECT_EQ(manager->IsExist(CString(L"MAINFORM")), nullptr);
  CPtrArray forms;
  manager->GetForms(L"MainForm", forms);
  ASSERT_EQ(forms.GetSize(), 2);
  EXPECT_EQ(forms[1], &second);

  manager->RegisterOnceForm(&main, L"About");
  manager->RegisterOnceForm(&second, L"About");
  EXPECT_EQ(manager->IsExistOnceForm(L"About"), &second);
  manager->UnRegisterOnceForm(&lower);  // not in the map
  EXPECT_EQ(manager->IsExistOnceForm(L"About"), &second);
  {
    IdForm gone(L"Settings");
    manager->RegisterOnceForm(&gone, L"Settings");
  }
  EXPECT_EQ(manager->IsExistOnceForm(L"Settings"), nullptr);  // a destroyed form leaves the map
  manager->UnRegisterOnceForm(&second);
  EXPECT_EQ(manager->IsExistOnceForm(L"About"), nullptr);
}

}  // namespace
