#pragma once
// Drives a modal dialog from inside its own modal loop, as a user would: a
// thread timer hands the dialog with the given title to each step in turn; a
// step returns true when it is done (false: ask again at the next tick).
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "display/Desktop.h"
#include "win32/Windows.h"

namespace dorvtest {

class DialogDriver {
 public:
  using Step = std::function<bool(HWND dialog)>;

  DialogDriver(std::wstring title, std::vector<Step> steps) : m_title(std::move(title)), m_steps(std::move(steps)) {
    s_current = this;
    m_timer = SetTimer(nullptr, 0, 5, &DialogDriver::Tick);
  }
  ~DialogDriver() {
    KillTimer(nullptr, m_timer);
    s_current = nullptr;
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool Finished() const { return m_next == m_steps.size(); }

  // A left click in the middle of the dialog's control, through the desktop's input.
  static void Click(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
    display::Desktop::Get().MouseDown(display::Desktop::Button::Left, x, y);
    display::Desktop::Get().MouseUp(display::Desktop::Button::Left, x, y);
  }
  static std::wstring Text(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
  }

 private:
  static void Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver* self = s_current;
    if (!self || self->Finished()) return;
    HWND dialog = FindWindowW(L"#32770", self->m_title.c_str());
    if (dialog && self->m_steps[self->m_next](dialog)) ++self->m_next;
  }

  static inline DialogDriver* s_current = nullptr;
  std::wstring m_title;
  std::vector<Step> m_steps;
  size_t m_next = 0;
  UINT_PTR m_timer = 0;
};

}  // namespace dorvtest
