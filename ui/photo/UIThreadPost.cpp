#include "ui/photo/UIThreadPost.h"

namespace UI {

namespace {

constexpr wchar_t kClassName[] = L"DorvUIThreadPost";
constexpr UINT kWakeMessage = WM_USER + 0x51;

}  // namespace

CUIThreadPost::CUIThreadPost(Callback onWake) : m_onWake(onWake) {
  static const ATOM registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CUIThreadPost::WindowProc;
    wc.lpszClassName = kClassName;
    return ::RegisterClassW(&wc);
  }();
  (void)registered;
  m_hWnd = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (m_hWnd) ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CUIThreadPost::~CUIThreadPost() {
  if (!m_hWnd) return;
  ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
  ::DestroyWindow(m_hWnd);
}

void CUIThreadPost::Wake() {
  if (m_hWnd && !m_bPending.exchange(true)) ::PostMessageW(m_hWnd, kWakeMessage, 0, 0);
}

LRESULT CALLBACK CUIThreadPost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWakeMessage) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  auto* self = reinterpret_cast<CUIThreadPost*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return 0;
  self->m_bPending = false;
  if (self->m_onWake) self->m_onWake();
  return 0;
}

}  // namespace UI
