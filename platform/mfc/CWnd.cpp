#include "mfc/CWnd.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "mfc/CWinThread.h"
#include "win32/WindowHooks.h"

namespace {

struct HandleMap {
  std::mutex lock;
  std::unordered_map<HWND, CWnd*> permanent;
};

HandleMap& Handles() {
  static HandleMap* map = new HandleMap;  // windows may outlive static destruction
  return *map;
}

thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> t_temporary;

// Dispatches in progress per object, by serial (an object may be deleted meanwhile).
struct DispatchState {
  CWnd* wnd;
  int depth = 0;
  bool finishPending = false;
};
thread_local std::unordered_map<unsigned long long, DispatchState> t_dispatch;

thread_local MSG t_current{};

std::atomic<unsigned long long> g_nextSerial{1};

}  // namespace

// Counts a dispatch (or a create or destroy) to an object; when the outermost one ends
// and the object's window is gone, PostNcDestroy runs. Touches nothing of the object
// after that, nor when the object was deleted meanwhile.
class AfxDispatchScope {
 public:
  AfxDispatchScope(CWnd* wnd, unsigned long long serial) : m_serial(serial) {
    auto& state = t_dispatch[serial];
    state.wnd = wnd;
    ++state.depth;
  }
  ~AfxDispatchScope() {
    auto it = t_dispatch.find(m_serial);
    if (it == t_dispatch.end()) return;  // the object was deleted
    if (--it->second.depth > 0) return;
    CWnd* wnd = it->second.wnd;
    bool finish = it->second.finishPending;
    t_dispatch.erase(it);
    if (finish) wnd->PostNcDestroy();
  }
  AfxDispatchScope(const AfxDispatchScope&) = delete;
  AfxDispatchScope& operator=(const AfxDispatchScope&) = delete;

 private:
  unsigned long long m_serial;
};

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() : m_serial(g_nextSerial++) {}

CWnd::CWnd(HWND hwnd) : m_hWnd(hwnd), m_serial(g_nextSerial++), m_temporary(true) {}

CWnd::~CWnd() {
  t_dispatch.erase(m_serial);
  if (m_hWnd && !m_temporary) {
    // Detached first: the window's last messages go to its original procedure, not to a
    // half-destroyed object.
    HWND hwnd = Detach();
    if (m_pfnSuper) ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    if (::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId()) ::DestroyWindow(hwnd);
  }
  DeleteControlSite();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto& map = Handles();
  std::lock_guard guard(map.lock);
  auto it = map.permanent.find(hwnd);
  return it == map.permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (CWnd* wnd = FromHandlePermanent(hwnd)) return wnd;
  auto& slot = t_temporary[hwnd];
  if (!slot) slot = std::make_unique<CWnd>(hwnd);
  return slot.get();
}

void CWnd::DeleteTempMap() { t_temporary.clear(); }

BOOL CWnd::Attach(HWND hwnd) {
  if (!hwnd || m_hWnd) return FALSE;
  auto& map = Handles();
  std::lock_guard guard(map.lock);
  if (!map.permanent.emplace(hwnd, this).second) return FALSE;  // another object has it
  m_hWnd = hwnd;
  m_temporary = false;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd && !m_temporary) {
    auto& map = Handles();
    std::lock_guard guard(map.lock);
    auto it = map.permanent.find(hwnd);
    if (it != map.permanent.end() && it->second == this) map.permanent.erase(it);
  }
  m_hWnd = nullptr;
  return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!Attach(hwnd)) return FALSE;
  auto old = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
  m_pfnSuper = old == AfxWndProc ? nullptr : old;
  return TRUE;
}

HWND CWnd::UnsubclassWindow() {
  if (m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  return Detach();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS);
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId, LPVOID param) {
  AfxDispatchScope scope(this, m_serial);  // a failed create may finish the object only after we return
  CREATESTRUCTW cs{param, nullptr, menuOrId, parent, height, width, y, x, static_cast<LONG>(style),
                   windowName, className, exStyle};
  if (m_hWnd || !PreCreateWindow(cs)) {
    if (!m_hWnd) t_dispatch[m_serial].finishPending = true;  // as after a failed create
    return FALSE;
  }
  win32::ScopedCreateHook hook([this](HWND hwnd) { SubclassWindow(hwnd); });
  HWND hwnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x,
                                cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  return hwnd ? TRUE : FALSE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, LPVOID param) {
  return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  void*) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, nullptr);
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  AfxDispatchScope scope(this, m_serial);
  return ::DestroyWindow(m_hWnd);
}

void CWnd::FinishDestroy() {
  Detach();
  CWinThread* thread = AfxGetThread();
  if (thread && thread->m_pMainWnd == this) {
    // The main window's end ends the thread's message loop.
    ::PostQuitMessage(0);
    thread->m_pMainWnd = nullptr;
  }
  auto it = t_dispatch.find(m_serial);
  if (it != t_dispatch.end()) it->second.finishPending = true;
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LRESULT value = 0;
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    if (result) *result = 1;
    return TRUE;
  }
  const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, 0, 0);
  if (!e) return FALSE;
  const AfxHandler& h = e->handler;
  switch (e->nSig) {
    case AfxSig_lwl: value = (this->*h.lwl)(wParam, lParam); break;
    case AfxSig_is: value = (this->*h.is)(reinterpret_cast<LPCREATESTRUCTW>(lParam)); break;
    case AfxSig_vv: (this->*h.vv)(); break;
    case AfxSig_cmd: (static_cast<CCmdTarget*>(this)->*h.pfn)(); break;
    case AfxSig_vw: (this->*h.vw)(static_cast<UINT_PTR>(wParam)); break;
    case AfxSig_vwii:
      (this->*h.vwii)(static_cast<UINT>(wParam), static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam))),
                      static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam))));
      break;
    case AfxSig_vbw: (this->*h.vbw)(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); break;
    case AfxSig_vb: (this->*h.vb)(static_cast<BOOL>(wParam)); break;
    case AfxSig_vMMI: (this->*h.vMMI)(reinterpret_cast<MINMAXINFO*>(lParam)); break;
    case AfxSig_l_p: value = (this->*h.l_p)(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); break;
    case AfxSig_vwWb:
      (this->*h.vwWb)(LOWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam) != 0);
      break;
    case AfxSig_vwp:
      (this->*h.vwp)(static_cast<UINT>(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      break;
    case AfxSig_bwsp:
      value = (this->*h.bwsp)(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam),
                              CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      break;
    case AfxSig_bWww:
      value = (this->*h.bWww)(FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(static_cast<DWORD_PTR>(lParam)),
                              HIWORD(static_cast<DWORD_PTR>(lParam)));
      break;
    case AfxSig_vwww:
      (this->*h.vwww)(static_cast<UINT>(wParam), LOWORD(static_cast<DWORD_PTR>(lParam)),
                      HIWORD(static_cast<DWORD_PTR>(lParam)));
      break;
    case AfxSig_vW:
      (this->*h.vW)(FromHandle(reinterpret_cast<HWND>(message == WM_CAPTURECHANGED ? lParam : static_cast<LPARAM>(wParam))));
      break;
    case AfxSig_vwl: (this->*h.vwl)(static_cast<UINT>(wParam), lParam); break;
    case AfxSig_vii: (this->*h.vii)(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); break;
    case AfxSig_vPOS: (this->*h.vPOS)(reinterpret_cast<WINDOWPOS*>(lParam)); break;
    case AfxSig_end:
      return FALSE;
  }
  if (result) *result = value;
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
  const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_COMMAND, HIWORD(wParam), LOWORD(wParam));
  if (!e) return FALSE;
  (static_cast<CCmdTarget*>(this)->*e->handler.pfn)();
  return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam); }

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

int CWnd::RunModalLoop(DWORD) {
  AfxDispatchScope scope(this, m_serial);  // the object outlives its own loop
  m_continueModal = true;
  m_nModalResult = -1;
  CWinThread* thread = AfxGetThread();
  MSG msg;
  while (ContinueModal() && m_hWnd) {
    if (!::GetMessageW(&msg, nullptr, 0, 0)) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop ends too
      m_continueModal = false;
      return -1;
    }
    if (!(thread ? thread->PreTranslateMessage(&msg) : WalkPreTranslateTree(m_hWnd, &msg))) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  m_continueModal = false;
  return m_nModalResult;
}

BOOL CWnd::ContinueModal() { return m_continueModal ? TRUE : FALSE; }

void CWnd::EndModalLoop(int result) {
  m_nModalResult = result;
  if (m_continueModal) {
    m_continueModal = false;
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the loop if it waits
  }
}

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
    if (hwnd == stop) break;
  }
  return FALSE;
}

void CWnd::ClientToScreen(LPRECT rect) const {
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  ::OffsetRect(rect, origin.x, origin.y);
}

void CWnd::ScreenToClient(LPRECT rect) const {
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  ::OffsetRect(rect, -origin.x, -origin.y);
}

void CWnd::CenterWindow(CWnd* over) {
  HWND target = over ? over->m_hWnd : nullptr;
  const bool child = (GetStyle() & WS_CHILD) != 0;
  if (!target) target = child ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
  RECT area;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT around = area;
  if (child) {
    ::GetClientRect(target, &area);
    around = area;
  } else if (target && ::IsWindowVisible(target) && !::IsIconic(target)) {
    ::GetWindowRect(target, &around);
  }
  RECT self;
  ::GetWindowRect(m_hWnd, &self);
  LONG w = self.right - self.left, h = self.bottom - self.top;
  LONG x = (around.left + around.right - w) / 2, y = (around.top + around.bottom - h) / 2;
  x = std::max(area.left, std::min(x, area.right - w));  // whole on the work area where it fits
  y = std::max(area.top, std::min(y, area.bottom - h));
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::GetWindowText(CString& text) const {
  int length = ::GetWindowTextLengthW(m_hWnd);
  LPTSTR buffer = text.GetBufferSetLength(length);
  ::GetWindowTextW(m_hWnd, buffer, length + 1);
  text.ReleaseBuffer();
}

namespace {

BOOL ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT flags) {
  DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, index));
  DWORD next = (style & ~remove) | add;
  if (next == style) return FALSE;
  ::SetWindowLongPtrW(hwnd, index, static_cast<LONG_PTR>(static_cast<LONG>(next)));
  if (flags) ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) { return ModifyLong(m_hWnd, GWL_STYLE, remove, add, flags); }

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
  return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, flags);
}

int CWnd::OnCreate(LPCREATESTRUCTW) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  MSG saved = t_current;
  t_current = MSG{hwnd, message, wParam, lParam, 0, {}};
  LRESULT result;
  {
    AfxDispatchScope scope(wnd, wnd->m_serial);
    result = wnd->WindowProc(message, wParam, lParam);
    // The window is gone: the object lets go of it; PostNcDestroy follows when the
    // outermost dispatch to the object has returned.
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hwnd) == wnd) wnd->FinishDestroy();
  }
  t_current = saved;
  return result;
}

LPCTSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  static std::mutex lock;
  static std::deque<std::wstring>* names = new std::deque<std::wstring>;  // handed-out names stay valid
  wchar_t name[96];
  swprintf(name, 96, L"Afx:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor), static_cast<void*>(background),
           static_cast<void*>(icon));
  std::lock_guard guard(lock);
  for (const auto& known : *names) {
    if (known == name) return known.c_str();
  }
  WNDCLASSW wc{};
  wc.style = classStyle;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  if (!AfxRegisterClass(&wc)) return nullptr;
  names->push_back(name);
  return names->back().c_str();
}

BOOL AfxRegisterClass(WNDCLASSW* wndClass) {
  WNDCLASSEXW existing;
  if (::GetClassInfoExW(wndClass->hInstance, wndClass->lpszClassName, &existing)) return TRUE;
  return ::RegisterClassW(wndClass) != 0;
}
