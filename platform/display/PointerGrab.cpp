// The pointer grab of popups: which shown popup takes all of the pointer's input.
#include <algorithm>

#include "display/Desktop.h"

namespace display {

namespace {

bool Shown(HWND hwnd) { return IsWindow(hwnd) && IsWindowVisible(hwnd); }

}  // namespace

bool Desktop::GrabPointerWhileShown(HWND popup) {
  if (!Shown(popup)) return false;
  std::shared_ptr<Presenter> presenter;
  {
    std::lock_guard guard(m_lock);
    m_grabs.erase(std::remove(m_grabs.begin(), m_grabs.end(), popup), m_grabs.end());
    m_grabs.push_back(popup);
    presenter = m_presenter;
  }
  // Told again even when it held the grab already: a display may have dropped it meanwhile.
  if (presenter) presenter->PointerGrabChanged(popup);
  return true;
}

HWND Desktop::PointerGrab() const {
  std::lock_guard guard(m_lock);
  return m_grabs.empty() ? nullptr : m_grabs.back();
}

void Desktop::ReviewPointerGrab() {
  std::vector<HWND> grabs;
  {
    std::lock_guard guard(m_lock);
    if (m_grabs.empty()) return;
    grabs = m_grabs;
  }
  // Looked at outside the lock: the window layer takes its own.
  std::vector<HWND> gone;
  for (HWND hwnd : grabs)
    if (!Shown(hwnd)) gone.push_back(hwnd);
  if (gone.empty()) return;
  std::shared_ptr<Presenter> presenter;
  HWND before = nullptr, now = nullptr;
  {
    std::lock_guard guard(m_lock);
    before = m_grabs.empty() ? nullptr : m_grabs.back();
    for (HWND hwnd : gone) m_grabs.erase(std::remove(m_grabs.begin(), m_grabs.end(), hwnd), m_grabs.end());
    now = m_grabs.empty() ? nullptr : m_grabs.back();
    presenter = m_presenter;
  }
  if (presenter && now != before) presenter->PointerGrabChanged(now);
}

}  // namespace display
