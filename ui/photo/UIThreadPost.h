#pragma once
// Hands work from any thread to the UI thread that made this object: a wake-up
// posted to a message-only window of that thread, which calls back once the
// thread's message loop gets to it. Repeated wake-ups before it is served
// coalesce into one call. Make and destroy it on the UI thread; Wake may be
// called from any thread while it lives.
#include <atomic>

#include "fastdelegate/FastDelegate.h"
#include "win32/WinUser.h"

namespace UI {

class CUIThreadPost {
 public:
  using Callback = fastdelegate::FastDelegate0<void>;

  explicit CUIThreadPost(Callback onWake);
  CUIThreadPost(const CUIThreadPost&) = delete;
  CUIThreadPost& operator=(const CUIThreadPost&) = delete;
  ~CUIThreadPost();

  void Wake();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  Callback m_onWake;
  HWND m_hWnd = nullptr;
  std::atomic<bool> m_bPending{false};
};

}  // namespace UI
