#include "display/Desktop.h"

#include <chrono>

#include "win32/MessageQueue.h"

namespace display {

Desktop& Desktop::Get() {
  static Desktop* desktop = new Desktop;  // used by windows until process end
  return *desktop;
}

RECT Desktop::ScreenRect() const {
  std::lock_guard guard(m_lock);
  return RECT{0, 0, m_width, m_height};
}

RECT Desktop::WorkArea() const {
  std::lock_guard guard(m_lock);
  return RECT{0, 0, m_width, m_height - m_taskbar};
}

void Desktop::SetScreenSize(int width, int height, int taskbarHeight) {
  std::lock_guard guard(m_lock);
  m_width = width;
  m_height = height;
  m_taskbar = taskbarHeight;
}

int DefaultMessageBoxAnswer(UINT type) {
  int defButton = static_cast<int>((type & MB_DEFMASK) >> 8);
  static const std::vector<std::vector<int>> kButtons = {
      {IDOK},           {IDOK, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
      {IDYES, IDNO},    {IDRETRY, IDCANCEL}, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}};
  UINT kind = type & MB_TYPEMASK;
  if (kind >= kButtons.size()) return IDOK;
  const auto& buttons = kButtons[kind];
  return buttons[static_cast<size_t>(defButton) < buttons.size() ? defButton : 0];
}

bool Desktop::UseSystemDisplay() {
  auto presenter = MakeSystemPresenter();
  if (!presenter) return false;
  SetPresenter(std::move(presenter));
  return true;
}

void Desktop::SetPresenter(std::unique_ptr<Presenter> presenter) {
  SIZE size;
  if (presenter && presenter->ScreenSize(&size)) SetScreenSize(size.cx, size.cy, 0);  // a display's work area is its own
  std::shared_ptr<Presenter> old;
  {
    std::lock_guard guard(m_lock);
    old = std::move(m_presenter);
    m_presenter = std::move(presenter);
  }
  // The old one goes outside the lock: its input thread may be asking the desktop meanwhile.
}

std::shared_ptr<Presenter> Desktop::CurrentPresenter() const {
  std::lock_guard guard(m_lock);
  return m_presenter;
}

bool Desktop::HasPresenter() const {
  std::lock_guard guard(m_lock);
  return m_presenter != nullptr;
}

unsigned long Desktop::NativeWindow(HWND hwnd) const {
  std::shared_ptr<Presenter> presenter = CurrentPresenter();
  return presenter ? presenter->NativeWindow(hwnd) : 0;
}

bool Desktop::StandOver(long pid, HWND owner) const {
  std::shared_ptr<Presenter> presenter = CurrentPresenter();
  return presenter && presenter->StandOver(pid, owner);
}

void Desktop::ReturnFocus(HWND hwnd) const {
  if (std::shared_ptr<Presenter> presenter = CurrentPresenter()) presenter->ReturnFocus(hwnd);
}

int Desktop::ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  MessageBoxCall call{owner, text, caption, type, 0};
  MessageBoxHandler handler;
  std::shared_ptr<Presenter> presenter;
  {
    std::lock_guard guard(m_lock);
    handler = m_handler;
    presenter = m_presenter;
  }
  if (handler) call.answer = handler(call);
  if (call.answer == 0 && presenter) call.answer = presenter->ShowMessageBox(call);
  std::lock_guard guard(m_lock);
  if (call.answer == 0 && !m_answers.empty()) {
    call.answer = m_answers.front();
    m_answers.pop_front();
  }
  if (call.answer == 0) call.answer = DefaultMessageBoxAnswer(type);
  m_boxes.push_back(call);
  return call.answer;
}

void Desktop::PushMessageBoxAnswer(int answer) {
  std::lock_guard guard(m_lock);
  m_answers.push_back(answer);
}

void Desktop::SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard guard(m_lock);
  m_handler = std::move(handler);
}

std::vector<MessageBoxCall> Desktop::MessageBoxes() const {
  std::lock_guard guard(m_lock);
  return m_boxes;
}

void Desktop::ClearMessageBoxes() {
  std::lock_guard guard(m_lock);
  m_boxes.clear();
  m_answers.clear();
}

int Desktop::PumpUntilIdle() {
  int count = 0;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++count;
  }
  return count;
}

bool Desktop::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  // Real time bounds this safety net: a test clock may stand still meanwhile.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  auto queue = win32::MessageQueue::Current();
  for (;;) {
    PumpUntilIdle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    // Short slices, so that work finished without a message is seen too.
    queue->WaitForInputFor(std::chrono::milliseconds(5));
  }
}

}  // namespace display
